#include "front/ZEVFrontBars.h"

#include "widgets/ZEVButton.h"
#include "platform/SystemColours.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <string>

namespace tallomer {

namespace {

constexpr ZEVBarGradient kToolbarGradient{{0.65, 0.55, 0.55, 0.35}, {0.85, 0.75, 0.75, 0.55}};
constexpr ZEVBarGradient kSplitbarGradient{{0.7, 0.55, 0.55, 0.25}, {0.9, 0.75, 0.75, 0.45}};
constexpr int kButtonWidth = 22;
constexpr int kFieldHeight = 19;
constexpr int kCountHeight = 17;
constexpr double kModeButtonsEnd = 8 + 4 * 50;

} // namespace

// ---------------------------------------------------------------------------------------------
// Handle

ZEVFrontHandle::ZEVFrontHandle(QWidget* parent, ZEVFrontBarsOwner& owner, ZEVBarGradient gradient)
    : QWidget(parent), owner_(owner), gradient_(gradient)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZEVFrontHandle::paintGradient(QPainter& p)
{
    const auto& levels = owner_.siFocus() ? gradient_.focus : gradient_.plain;
    QLinearGradient g(0, 0, 0, height());
    const double at[4] = {0.0, 0.1, 0.9, 1.0};
    for (int i = 0; i < 4; ++i)
        g.setColorAt(at[i], QColor::fromRgbF(float(levels[i]), float(levels[i]), float(levels[i])));
    p.fillRect(rect(), g);
}

QPointF ZEVFrontHandle::windowPoint(const QMouseEvent* event) const
{
    const QPointF p = mapTo(window(), event->position());
    return QPointF(p.x(), window()->height() - p.y());
}

void ZEVFrontHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    siMouseDown_ = true;
    siMouseDragged_ = false;
    owner_.handleMouseDown(windowPoint(event));
}

void ZEVFrontHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (!siMouseDown_ || !(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    if (!siMouseDragged_) {
        owner_.setUpDownImages(false);
        siMouseDragged_ = true;
    }
    owner_.handleMouseDragged(windowPoint(event));
}

void ZEVFrontHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (!siMouseDown_)
        return QWidget::mouseReleaseEvent(event);
    const bool dragged = siMouseDragged_;
    if (!dragged)
        clicked();
    siMouseDown_ = false;
    siMouseDragged_ = false;
    owner_.handleMouseUp(dragged);
}

// ---------------------------------------------------------------------------------------------
// Toolbar

ZEVFrontToolbar::ZEVFrontToolbar(QWidget* parent, ZEVFrontBarsOwner& owner)
    : ZEVFrontHandle(parent, owner, kToolbarGradient)
{
    setObjectName(QStringLiteral("frontToolbar"));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("nbOfItemsTextField"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("searchField"));
    search_->setPlaceholderText(tr("Search"));
    searchButton_ = make("searchButton", "Search", "\u2315");
    add_ = make("btnAddItems", "Add Documents", "+");
    prevSpace_ = make("btnGotoPreviousSpace", "Previous Space", "\u00ab");
    prev_ = make("btnGotoPrevious", "Previous", "\u2039");
    next_ = make("btnGotoNext", "Next", "\u203a");
    nextSpace_ = make("btnGotoNextSpace", "Next Space", "\u00bb");
    chUp_ = make("btnChannelUp", "Channel Up", "\u25b2");
    chDown_ = make("btnChannelDown", "Channel Down", "\u25bc");
    chBack_ = make("btnChannelBack", "Channel Back", "\u21a9");
    clean_ = make("btnDeskClean", "Clean", "\u2205");
    home_ = make("btnDeskHome", "Home Time", "\u2302");
    goTo_ = make("btnGoToPanel", "Go To", "\u2192");
    calendar_ = make("btnCalandarPanel", "Calendar", "\u25a6");
    edit_ = make("btnActionEdit", "Edit", "\u270e");
    open_ = make("btnActionOpen", "Open", "\u2197");
    info_ = make("btnActionGetInfo", "Get Info", "i");
    ql_ = make("btnActionToggleQL", "Quick Look", "\u25c9");
    filter_ = make("btnActionFilter", "Filter", "\u29e9");
    or_ = make("btnActionOr", "Or", "\u2228");
    and_ = make("btnActionAnd", "And", "\u2227");
    // These show a state (on, off, mixed) that the front viewer sets; a click leaves it to them.
    for (ZEVButton* b : {calendar_, ql_, or_, and_}) {
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
    }
    // The four edit commands' buttons carry the active cursor's pictures; no width places them,
    // so they wait hidden.
    for (const char* op : {"Recall", "Retain", "Release", "Forget"})
        make((std::string("btnEdit") + op).c_str(), op, "")->hide();
    // The toolbar starts on the wide side of every threshold, laid out wide.
    resize(1100, kHeight);
    previousWidth_ = 0;
    widthChanged(1100, 0);
    previousWidth_ = 1100;
}

ZEVButton* ZEVFrontToolbar::make(const char* name, const char* tip, const char* label)
{
    auto* b = new ZEVButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromUtf8(label));
    b->setToolTip(tr(tip));
    b->resize(kButtonWidth, kHeight);
    return b;
}

ZEVButton* ZEVFrontToolbar::button(const QString& name) const { return findChild<ZEVButton*>(name); }

void ZEVFrontToolbar::adoptModeButtons(const std::array<ZEVButton*, 4>& buttons)
{
    for (int m = 0; m < 4; ++m)
        if (ZEVButton* b = buttons[m]) {
            b->setParent(this);
            b->setGeometry(8 + m * 50, 0, 48, kHeight);
            b->show();
        }
    count_->move(int(kModeButtonsEnd) + 8, (kHeight - kCountHeight) / 2);
}

void ZEVFrontToolbar::place(QWidget* w, double x, double y)
{
    w->move(int(x), int(kHeight - y - w->height()));
}

void ZEVFrontToolbar::setFrame(const QRect& frame)
{
    const double P = previousWidth_;
    setGeometry(frame);
    const double W = frame.width();
    // Between thresholds the buttons keep their distance to the right edge and the count field
    // takes up the difference, as their resizing masks say.
    if (P > 0 && W != P) {
        const int d = int(W - P);
        for (QWidget* w : {static_cast<QWidget*>(search_), static_cast<QWidget*>(searchButton_), static_cast<QWidget*>(add_),
                           static_cast<QWidget*>(prevSpace_), static_cast<QWidget*>(prev_), static_cast<QWidget*>(next_),
                           static_cast<QWidget*>(nextSpace_), static_cast<QWidget*>(chUp_), static_cast<QWidget*>(chDown_),
                           static_cast<QWidget*>(chBack_), static_cast<QWidget*>(clean_), static_cast<QWidget*>(home_),
                           static_cast<QWidget*>(goTo_), static_cast<QWidget*>(calendar_), static_cast<QWidget*>(edit_),
                           static_cast<QWidget*>(open_), static_cast<QWidget*>(info_), static_cast<QWidget*>(ql_),
                           static_cast<QWidget*>(filter_), static_cast<QWidget*>(or_), static_cast<QWidget*>(and_)})
            w->move(w->x() + d, w->y());
        count_->resize(std::max(0, count_->width() + d), count_->height());
    }
    widthChanged(W, P);
    previousWidth_ = W;
}

void ZEVFrontToolbar::widthChanged(double W, double P)
{
    // Each threshold acts once per crossing, on its own side.
    auto down = [this](int i) {
        if (min_[i])
            return false;
        min_[i] = true;
        max_[i] = false;
        return true;
    };
    auto up = [this](int i) {
        if (max_[i])
            return false;
        max_[i] = true;
        min_[i] = false;
        return true;
    };
    search_->resize(125, kFieldHeight);
    const auto countWidth = [this] {
        count_->resize(std::max(0, searchButton_->x() - count_->x() - 10), kCountHeight);
    };
    if (W < P) {
        if (W < kThresholds[0] && down(0))
            owner_.updateNbOfItems();
        if (W < kThresholds[1] && down(1)) {
            for (QWidget* b : {chUp_, chDown_, chBack_, goTo_, calendar_, info_, ql_, filter_, or_, and_})
                b->hide();
            place(open_, W - 80);
            place(edit_, W - 140);
            place(home_, W - 170);
            place(clean_, W - 200);
            place(nextSpace_, W - 225);
            place(next_, W - 245);
            place(prev_, W - 265);
            place(prevSpace_, W - 290);
            place(add_, W - 320);
            place(searchButton_, W - 350);
            place(search_, W - 479, 2);
            countWidth();
        }
        if (W < kThresholds[2] && down(2))
            count_->hide();
        if (W < kThresholds[3] && down(3)) {
            for (QWidget* b : {searchButton_, prevSpace_, prev_, next_, nextSpace_, open_})
                b->hide();
            place(edit_, W - 110);
            place(home_, W - 140);
            place(clean_, W - 170);
            place(add_, W - 200);
            place(search_, W - 329, 2);
        }
        if (W < kThresholds[4] && down(4))
            add_->hide();
        return;
    }
    if (W > kThresholds[4] && up(4))
        add_->show();
    if (W > kThresholds[3] && up(3)) {
        for (QWidget* b : {searchButton_, prevSpace_, prev_, next_, nextSpace_, open_})
            b->show();
        place(edit_, W - 140);
        place(home_, W - 170);
        place(clean_, W - 200);
        place(add_, W - 320);
        place(search_, W - 479, 2);
        owner_.updateToolbarButtons();
    }
    if (W > kThresholds[2] && up(2)) {
        count_->show();
        count_->resize(std::max(0, int(W - count_->x() - 360)), kCountHeight);
    }
    if ((W > kThresholds[1] && up(1)) || P == 0) {
        for (QWidget* b : {chUp_, chDown_, chBack_, goTo_, calendar_, info_, ql_, filter_, or_, and_})
            b->show();
        place(open_, W - 234);
        place(edit_, W - 293);
        place(home_, W - 380);
        place(clean_, W - 409);
        place(nextSpace_, W - 461);
        place(next_, W - 480);
        place(prev_, W - 499);
        place(prevSpace_, W - 523);
        place(add_, W - 552);
        place(searchButton_, W - 581);
        place(search_, W - 708, 2);
        // The buttons of the right end keep their order after the search.
        place(chBack_, W - 30);
        place(chDown_, W - 55);
        place(chUp_, W - 80);
        place(calendar_, W - 110);
        place(goTo_, W - 135);
        place(info_, W - 160);
        place(ql_, W - 185);
        place(filter_, W - 210);
        place(or_, W - 645);
        place(and_, W - 620);
        countWidth();
        if (P != 0)
            owner_.updateToolbarButtons();
    }
    if (W > kThresholds[0] && up(0))
        owner_.updateNbOfItems();
}

void ZEVFrontToolbar::updateNbOfItems(std::int64_t n)
{
    const int mode = owner_.currentFrontMode();
    if (width() < kThresholds[0]) {
        const QString name = owner_.shortNameForFrontMode(mode);
        count_->setText(n > 0 ? QStringLiteral("%1 / %2").arg(name).arg(n) : QStringLiteral("%1 / 0").arg(name));
        return;
    }
    const QString name = owner_.nameForFrontMode(mode);
    if (n >= 2)
        count_->setText(QStringLiteral("%1 / %2 Objects").arg(name).arg(n));
    else if (n == 1)
        count_->setText(QStringLiteral("%1 / 1 Object").arg(name));
    else
        count_->setText(QStringLiteral("%1 / 0 Object").arg(name));
}

void ZEVFrontToolbar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintGradient(p);
    const QColor text = owner_.siFocus() ? QColor(Qt::black) : systemDarkGrey();
    if (count_->palette().color(QPalette::WindowText) != text) {
        QPalette pal = count_->palette();
        pal.setColor(QPalette::WindowText, text);
        count_->setPalette(pal);
    }
}

void ZEVFrontToolbar::wheelEvent(QWheelEvent* event) { owner_.wheelToTline(event); }

// ---------------------------------------------------------------------------------------------
// Split bar

ZEVFrontSplitbar::ZEVFrontSplitbar(QWidget* parent, ZEVFrontBarsOwner& owner)
    : ZEVFrontHandle(parent, owner, kSplitbarGradient)
{
    setObjectName(QStringLiteral("frontSplitbar"));
    setCursor(Qt::SplitVCursor);
}

void ZEVFrontSplitbar::setUpDown(bool on)
{
    if (upDown_ == on)
        return;
    upDown_ = on;
    update();
}

void ZEVFrontSplitbar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintGradient(p);
    if (!upDown_)
        return;
    // The grips at both ends, given y-up from the bar's bottom edge.
    const int W = width(), H = height();
    for (const QPoint o : {QPoint(7, 1), QPoint(W - 27, 1), QPoint(W - 27, 3), QPoint(7, 3)})
        p.fillRect(QRect(o.x(), H - o.y() - 1, 18, 1), systemGrey());
}

} // namespace tallomer
