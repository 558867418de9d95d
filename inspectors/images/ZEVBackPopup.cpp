#include "inspectors/images/ZEVBackPopup.h"

#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "runtime/Scheduler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyledItemDelegate>

#include <cmath>

namespace tallomer {

const std::vector<ZEVNamedColor>& ZEVBackColorList()
{
    // Our own names, in the order the list shows them: greys, then round the colour wheel.
    static const std::vector<ZEVNamedColor> list = {
        {QStringLiteral("Coal"), QColor(0, 0, 0)},          {QStringLiteral("Graphite"), QColor(51, 51, 51)},
        {QStringLiteral("Slate"), QColor(102, 102, 102)},   {QStringLiteral("Pebble"), QColor(153, 153, 153)},
        {QStringLiteral("Fog"), QColor(204, 204, 204)},     {QStringLiteral("Paper"), QColor(255, 255, 255)},
        {QStringLiteral("Brick"), QColor(153, 34, 17)},     {QStringLiteral("Poppy"), QColor(238, 51, 34)},
        {QStringLiteral("Apricot"), QColor(255, 153, 68)},  {QStringLiteral("Honey"), QColor(238, 187, 34)},
        {QStringLiteral("Butter"), QColor(255, 238, 119)},  {QStringLiteral("Olive"), QColor(119, 136, 34)},
        {QStringLiteral("Meadow"), QColor(102, 187, 51)},   {QStringLiteral("Fir"), QColor(17, 85, 51)},
        {QStringLiteral("Mint"), QColor(136, 221, 170)},    {QStringLiteral("Lagoon"), QColor(17, 153, 153)},
        {QStringLiteral("Glacier"), QColor(153, 221, 238)}, {QStringLiteral("Harbour"), QColor(34, 102, 170)},
        {QStringLiteral("Ink"), QColor(17, 34, 102)},       {QStringLiteral("Iris"), QColor(102, 85, 187)},
        {QStringLiteral("Heather"), QColor(170, 136, 204)}, {QStringLiteral("Damson"), QColor(102, 34, 85)},
        {QStringLiteral("Peony"), QColor(221, 85, 153)},    {QStringLiteral("Blush"), QColor(255, 187, 204)},
        {QStringLiteral("Clay"), QColor(170, 102, 68)},     {QStringLiteral("Walnut"), QColor(85, 51, 34)},
    };
    return list;
}

namespace {

// A row of the list: its swatch and its name.
class ColorRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto& list = ZEVBackColorList();
        const int row = index.row();
        if (row < 0 || std::size_t(row) >= list.size())
            return;
        p->save();
        if (option.state & QStyle::State_Selected)
            p->fillRect(option.rect, option.palette.highlight());
        const QColor text = (option.state & QStyle::State_Selected) ? option.palette.highlightedText().color() : Qt::black;
        ZEVPaintColorCell(*p, QRectF(option.rect).adjusted(3, 3, -3, -3), list[std::size_t(row)].color,
                          list[std::size_t(row)].name, option.font, text);
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(150, 24); }
};

constexpr int kPopupWidth = 180;
constexpr int kPopupHeight = 260;

} // namespace

// ---- the window -------------------------------------------------------------------------------

ZEVBackPopupWindow::ZEVBackPopupWindow() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("ZEVBackPopupWindow"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    resize(kPopupWidth, kPopupHeight);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("tableColorList"));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSpacing(1);
    list_->setItemDelegate(new ColorRowDelegate(list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const ZEVNamedColor& c : ZEVBackColorList())
        list_->addItem(c.name);
    // Inside the shape: under the arrow, clear of the rounded corners.
    list_->setGeometry(8, kArrow + 8, kPopupWidth - 16, kPopupHeight - kArrow - 16);
}

ZEVBackPopupWindow::~ZEVBackPopupWindow() { Scheduler::shared().cancelAll(this); }

QPainterPath ZEVBackPopupWindow::shape(const QRectF& b)
{
    // The rounded white body less the arrow's height, and the arrow on its top edge (y-down here).
    const QRectF body(b.x(), b.y() + kArrow, b.width(), b.height() - kArrow);
    QPainterPath path;
    path.addRoundedRect(body, 10, 10);
    const double x0 = std::floor(b.x() + b.width() * 0.5 - kArrow);
    QPainterPath arrow;
    arrow.moveTo(x0, body.top());
    arrow.lineTo(x0 + kArrow, body.top() - kArrow);
    arrow.lineTo(x0 + 2 * kArrow, body.top());
    arrow.closeSubpath();
    return path.united(arrow);
}

QRectF ZEVBackPopupWindow::snapshotRect() const
{
    // The snapshot's own place is the middle of the grown window; it scales about its middle,
    // its top edge (the arrow's) held in place.
    const double w = snapshot_.width() / snapshot_.devicePixelRatio();
    const double h = snapshot_.height() / snapshot_.devicePixelRatio();
    return QRectF(w / 2 + (w - w * scale_) / 2, h / 2, w * scale_, h * scale_);
}

void ZEVBackPopupWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!snapshot_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(snapshotRect(), snapshot_);
        return;
    }
    p.fillPath(shape(rect()), Qt::white);
}

void ZEVBackPopupWindow::ajusterMasque()
{
    // Without a compositing window manager the clear parts would show black: only the shape (or
    // the growing picture) is the window's.
    if (!snapshot_.isNull())
        setMask(QRegion(shape(snapshotRect()).toFillPolygon().toPolygon()));
    else
        setMask(QRegion(shape(rect()).toFillPolygon().toPolygon()));
}

void ZEVBackPopupWindow::popup()
{
    // A previous animation still running ends first, its real content back in place.
    if (siAnimating()) {
        Scheduler::shared().cancelAll(this);
        cleanupAndRestoreViews();
    }
    snapshot_ = QImage();
    list_->setVisible(true);
    snapshot_ = grab().toImage();
    // The content is set aside while its picture grows; the window grows to twice its size about
    // the same centre so that the bounce fits.
    list_->setVisible(false);
    scale_ = kStartScale;
    originalFrame_ = geometry();
    const int w = originalFrame_.width(), h = originalFrame_.height();
    setGeometry(originalFrame_.adjusted(-w / 2, -h / 2, w - w / 2, h - h / 2));
    ajusterMasque();
    show();
    raise();
    activateWindow();
    phase_ = Phase::Growing;
    animateTo(kGrowScale, kGrowTime);
    update();
}

void ZEVBackPopupWindow::animateTo(double scale, double duration)
{
    from_ = scale_;
    to_ = scale;
    elapsed_ = 0.0;
    duration_ = duration;
    Scheduler::shared().cancel(this, "step");
    Scheduler::shared().perform(this, "step", 1.0 / kFrameRate, [this] { step(); });
}

void ZEVBackPopupWindow::step()
{
    elapsed_ += 1.0 / kFrameRate;
    const double t = duration_ > 0 ? std::min(1.0, elapsed_ / duration_) : 1.0;
    scale_ = from_ + (to_ - from_) * t;
    ajusterMasque();
    update();
    if (t >= 1.0) {
        phaseDone();
        return;
    }
    Scheduler::shared().perform(this, "step", 1.0 / kFrameRate, [this] { step(); });
}

void ZEVBackPopupWindow::phaseDone()
{
    switch (phase_) {
    case Phase::Growing:
        phase_ = Phase::Shrinking;
        animateTo(kShrinkScale, kShrinkTime);
        break;
    case Phase::Shrinking:
        phase_ = Phase::Settling;
        animateTo(1.0, kSettleTime);
        break;
    default:
        cleanupAndRestoreViews();
        break;
    }
    siOpen_ = true;
}

void ZEVBackPopupWindow::cleanupAndRestoreViews()
{
    if (!snapshot_.isNull() && originalFrame_.isValid())
        setGeometry(originalFrame_);
    snapshot_ = QImage();
    scale_ = 1.0;
    phase_ = Phase::None;
    ajusterMasque();
    list_->setVisible(true);
    list_->setFocus(Qt::PopupFocusReason);
    update();
}

// ---- the controller ---------------------------------------------------------------------------

ZEVBackPopupController& ZEVBackPopupController::shared()
{
    // Never freed: it lives as long as the program, as its window does.
    static ZEVBackPopupController* controller = new ZEVBackPopupController();
    return *controller;
}

ZEVBackPopupController::ZEVBackPopupController() = default;

ZEVBackPopupController::~ZEVBackPopupController() = default;

bool ZEVBackPopupController::siVisible() const { return window_ && window_->isVisible(); }

int ZEVBackPopupController::rowForColor(const QColor& color)
{
    const auto& list = ZEVBackColorList();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (color.isValid() && list[i].color.rgb() == color.rgb())
            return int(i);
    return -1;
}

QString ZEVBackPopupController::selectedColorName() const
{
    if (!window_)
        return {};
    const QList<QListWidgetItem*> s = window_->list()->selectedItems();
    return s.isEmpty() ? QString() : s.first()->text();
}

QColor ZEVBackPopupController::selectedColor() const
{
    const QString name = selectedColorName();
    for (const ZEVNamedColor& c : ZEVBackColorList())
        if (c.name == name)
            return c.color;
    return {};
}

void ZEVBackPopupController::editColor(const QColor& color, const QPoint& screenPoint)
{
    if (!window_) {
        window_ = new ZEVBackPopupWindow();
        QObject::connect(window_->list(), &QListWidget::itemClicked, this, [this] { listClicked(); });
    }
    QListWidget* list = window_->list();
    const int row = rowForColor(color);
    list->clearSelection();
    if (row >= 0) {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(list->item(row));
    } else {
        list->scrollToTop();
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    if (window_->siOpen()) {
        // The request of a click on the opening swatch: the popup only closes.
        windowClosed();
        closeAndSendAction(false);
        window_->resetSiOpen();
        return;
    }
    const int w = window_->width();
    window_->move(screenPoint.x() - int(std::floor(w * 0.5)) + 12, screenPoint.y() + 16);
    window_->popup();
    if (row < 0) {
        // Opening moves the keyboard to the list, which would take its first row: none is chosen.
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    // One watch at a time: a request that reopened the popup while it grew drops the one before.
    if (siMonitoring_)
        windowClosed();
    qApp->installEventFilter(this);
    siMonitoring_ = true;
    appState_ = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive && siVisible())
            closeAndSendAction(false);
    });
}

void ZEVBackPopupController::windowClosed()
{
    if (siMonitoring_) {
        qApp->removeEventFilter(this);
        siMonitoring_ = false;
    }
    QObject::disconnect(appState_);
}

bool ZEVBackPopupController::closeAndSendAction(bool choose)
{
    const QColor color = selectedColor();
    const QString name = selectedColorName();
    if (window_) {
        Scheduler::shared().cancelAll(window_.data());
        window_->hide();
    }
    windowClosed();
    ZEVBackPopupClient* d = delegate_;
    // A choice with no row selected has no colour to give: it is a cancel.
    const bool choisi = choose && color.isValid() && !name.isEmpty();
    if (d) {
        if (choisi)
            d->colorTableDidChooseColor(color, name);
        else
            d->didCancelColorTable();
    }
    return choisi;
}

void ZEVBackPopupController::listClicked()
{
    if (window_)
        window_->resetSiOpen();
    closeAndSendAction(true);
}

bool ZEVBackPopupController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type t = event->type();
    const bool souris = t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick;
    if ((!souris && t != QEvent::KeyPress) || !window_ || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* w = static_cast<QWidget*>(watched);
    if (w->window() != window_) {
        // A click (or a key) for another window: a cancel, and the event goes on to its target.
        // The popup still counts as open, so that the next request only closes.
        if (siVisible())
            closeAndSendAction(false);
        return QObject::eventFilter(watched, event);
    }
    if (t == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Escape) {
            closeAndSendAction(false);
            window_->resetSiOpen();
            return true;
        }
        if (k->key() == Qt::Key_Down && window_->list()->selectedItems().isEmpty() && window_->list()->count() > 0) {
            // Nothing chosen yet: the first step down chooses the first colour.
            window_->list()->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            closeAndSendAction(true);
            window_->resetSiOpen();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- the colour view --------------------------------------------------------------------------

ZEVBackColorView::ZEVBackColorView(ZEVInspectViewer* viewer, QWidget* parent) : QWidget(parent), viewer_(viewer)
{
    setObjectName(QStringLiteral("ZEVBackColorView"));
}

void ZEVBackColorView::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

double ZEVBackColorView::alpha() const { return viewer_ && viewer_->siFirstResponder() ? 1.0 : kUnfocusedAlpha; }

void ZEVBackColorView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(alpha());
    p.fillRect(rect(), backgroundColor_);
}

void ZEVBackColorView::mousePressEvent(QMouseEvent* event)
{
    // The click that gives the panel the keys is only that.
    siMouseDragged_ = !(viewer_ && viewer_->siFirstResponder());
    QWidget::mousePressEvent(event);
}

void ZEVBackColorView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        siMouseDragged_ = true;
    QWidget::mouseMoveEvent(event);
}

void ZEVBackColorView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!siMouseDragged_ && btnPreview_)
        btnPreview_->click();
    QWidget::mouseReleaseEvent(event);
}

} // namespace tallomer
