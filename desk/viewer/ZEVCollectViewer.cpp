#include "desk/viewer/ZEVCollectViewer.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVItemViewerForDesks.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"

#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

#include <algorithm>
#include <cmath>

namespace tallomer {

ZEVCollectMeasures ZEVCollectMeasures::make(double g, double iconSize)
{
    ZEVCollectMeasures m;
    m.grid = float(g > 0 ? g : 1.0);
    m.carre = 4 * m.grid;
    m.textToImage = std::ceil(36.0f / m.grid);
    m.protoSize = QSizeF(3 * m.grid + iconSize, m.grid + m.textToImage * m.grid + iconSize);
    m.imageFrame = QRectF(1.5 * m.grid, m.textToImage * m.grid + 0.5 * m.grid, m.carre, m.carre);
    return m;
}

QSize collectShape(std::size_t n)
{
    if (n == 1)
        return {1, 1};
    if (n == 2)
        return {2, 1};
    if (n <= 4)
        return {2, 2};
    if (n <= 6)
        return {3, 2};
    if (n <= 9)
        return {3, 3};
    if (n <= 12)
        return {4, 3};
    if (n <= 16)
        return {4, 4};
    if (n <= 20)
        return {5, 4};
    if (n <= 25)
        return {5, 5};
    if (n <= 30)
        return {6, 5};
    return {7, 5};
}

// ---------------------------------------------------------------------------------------------
// The grid's rules

ZEVCollectGrid::ZEVCollectGrid(const ZEVCollectMeasures& m, std::size_t nbOfObjects, const QPointF& location,
                               const ZEVLimitRect& limit)
    : m_(m), nbOfObjects_(nbOfObjects), limit_(limit)
{
    const QSize shape = collectShape(nbOfObjects);
    columns_ = unsigned(shape.width());
    rows_ = unsigned(shape.height());
    const double w = columns_ * m_.protoSize.width();
    const double h = rows_ * m_.protoSize.height();
    frame_ = QRectF(location.x() - w / 2, location.y() - h / 2, w, h);
    setPreviousLocation(location);
}

ZEVCollectGrid::~ZEVCollectGrid()
{
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(this);
}

void ZEVCollectGrid::edges(double* cx, double* lastX) const
{
    *cx = frame_.x() + m_.imageFrame.x() + m_.imageFrame.width() / 2;
    *lastX = *cx + (columns_ - 1) * m_.protoSize.width();
}

void ZEVCollectGrid::setPreviousLocation(const QPointF& p)
{
    last_ = p;
    // A window narrower or lower than one cell still has one column and one row: the cells are
    // counted modulo their number.
    maxColumns_ = std::max(1u, unsigned(std::max(0.0f, std::floor(float(limit_.maxX - limit_.minX) /
                                                                    float(m_.protoSize.width())))));
    maxRows_ = std::max(1u, unsigned(std::max(0.0f, std::floor(float(limit_.maxY - limit_.minY) /
                                                                 float(m_.protoSize.height())))));
    double cx = 0, lastX = 0;
    edges(&cx, &lastX);
    siLimitLeft_ = cx < limit_.minX;
    siLimitRight_ = lastX > limit_.maxX;
}

void ZEVCollectGrid::mouseMoved(const QPointF& p)
{
    if (siResizing_) {
        last_ = p;
        return;
    }
    const double g = m_.grid;
    double x = frame_.x() + (p.x() - last_.x());
    double y = frame_.y() + (p.y() - last_.y());
    const double dx = (p.x() - frame_.width() / 2) - x;
    if (dx > 1)
        x = std::ceil(x + dx / g);
    else if (dx < -1)
        x = std::floor(x + dx / g);
    const double dy = (p.y() - frame_.height() / 2) - y;
    if (dy > 1)
        y = std::ceil(y + dy / g);
    else if (dy < -1)
        y = std::floor(y + dy / g);
    frame_.moveTo(x, y);
    last_ = p;
    double cx = 0, lastX = 0;
    edges(&cx, &lastX);
    if (cx < limit_.minX) {
        if (!siLimitLeft_) {
            siLimitLeft_ = true;
            addColumn();
        }
    } else {
        siLimitLeft_ = false;
    }
    edges(&cx, &lastX);
    if (lastX > limit_.maxX) {
        if (!siLimitRight_) {
            siLimitRight_ = true;
            removeColumn();
        }
    } else {
        siLimitRight_ = false;
    }
}

void ZEVCollectGrid::addColumn()
{
    if (columns_ >= nbOfObjects_ || columns_ >= maxColumns_)
        return;
    const double w = std::ceil(m_.protoSize.width());
    const double ph = m_.protoSize.height();
    ++columns_;
    const float needed = float(nbOfObjects_) / float(columns_);
    if (needed < float(rows_)) {
        const unsigned k = std::min(rows_ - 1, unsigned(std::floor(float(rows_) - needed)));
        rows_ -= k;
        frame_.setHeight(frame_.height() - k * ph);
        frame_.moveTop(frame_.y() + k * ph / 2);
    }
    frame_.setWidth(w * columns_);
    startReshape();
}

void ZEVCollectGrid::removeColumn()
{
    if (columns_ <= 1)
        return;
    const double w = std::ceil(m_.protoSize.width());
    const double ph = m_.protoSize.height();
    --columns_;
    if (float(rows_) < float(nbOfObjects_) / float(columns_)) {
        const unsigned r = unsigned(std::ceil(float(nbOfObjects_) / float(columns_)));
        const unsigned newRows = std::max(1u, r <= maxRows_ ? r : maxRows_);
        const double added = (double(newRows) - double(rows_)) * ph;
        rows_ = newRows;
        frame_.setHeight(frame_.height() + added);
        frame_.moveTop(frame_.y() - added / 2);
    }
    const double x = frame_.x() + w / 2;
    frame_.setWidth(w * columns_);
    frame_.moveLeft(x);
    startReshape();
}

void ZEVCollectGrid::startReshape()
{
    siResizing_ = true;
    Scheduler& s = Scheduler::shared();
    s.cancel(this, "_resizeStop");
    s.perform(this, "_resizeStop", kReshapeDuration, [this] { resizeStop(); });
    if (reshape)
        reshape(frame_);
}

QPointF ZEVCollectGrid::imageOriginForIndex(std::size_t k) const
{
    const std::size_t i = k % nbOfVisibleObjects();
    const std::size_t col = i % columns_;
    const std::size_t row = i / columns_;
    return {frame_.x() + col * m_.protoSize.width() + m_.imageFrame.x(),
            frame_.y() + frame_.height() - (row + 1) * m_.protoSize.height() + m_.imageFrame.y()};
}

// ---------------------------------------------------------------------------------------------
// The widgets

namespace {

// The grid's background: a rounded frame in the shared icon-frame colours.
class CollectionView final : public QWidget {
public:
    CollectionView(QWidget* parent, QColor fill, QColor line) : QWidget(parent), fill_(fill), line_(line) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        p.fillPath(path, fill_);
        p.setPen(QPen(line_, 1));
        p.drawPath(path);
    }

private:
    QColor fill_, line_;
};

} // namespace

ZEVCollectViewer::ZEVCollectViewer(ZEVSpaceController& space) : space_(space) {}

ZEVCollectViewer::~ZEVCollectViewer()
{
    if (animation_)
        animation_->stop();
    delete overlay_;
}

QRectF ZEVCollectViewer::qtRect(const QRectF& r) const
{
    const double h = overlay_ ? overlay_->height() : 0;
    return QRectF(r.x(), h - r.y() - r.height(), r.width(), r.height());
}

QPointF ZEVCollectViewer::yUpPoint(const QPointF& p) const
{
    return QPointF(p.x(), (overlay_ ? overlay_->height() : 0) - p.y());
}

bool ZEVCollectViewer::startWithURLs(const QStringList& paths, double iconSize, const QPointF& location)
{
    if (grid_) {
        // The grid waiting for its place keeps its files; the new ones are refused aloud, not lost
        // without a word.
        logFormat("ZEVCollectViewer startWithURLs: a grid already shows; %d files refused", int(paths.size()));
        Sound::shared().beep();
        return false;
    }
    ZEVSpaceWindow* window = space_.spaceWindow();
    QGraphicsView* canvas = window && window->spaceView() ? window->spaceView()->deskCanvas() : nullptr;
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    if (!canvas || !desk || !desk->space()) {
        logFormat("ZEVCollectViewer startWithURLs: no desk to show the grid on");
        return false;
    }
    m_ = ZEVCollectMeasures::make(space_.deskGeometry().spaceRatioGrid(), iconSize);
    paths_ = paths;
    // The location is the window's (y-up); the grid lives in the canvas.
    QWidget* viewport = canvas->viewport();
    const QPoint inWindow(int(location.x()), int(window->height() - location.y()));
    const QPoint inViewport = viewport->mapFrom(window, inWindow);
    const QPointF at(inViewport.x(), viewport->height() - inViewport.y());
    grid_ = std::make_unique<ZEVCollectGrid>(m_, std::size_t(paths.size()), at,
                                             space_.deskGeometry().spaceRatioLimitRect());
    grid_->reshape = [this](const QRectF& f) { syncWidget(f); };

    const KELSharedResources& shared = desk->space()->sharedResources();
    overlay_ = new QWidget(canvas->viewport());
    overlay_->setObjectName(QStringLiteral("ZEVConnectingView"));
    overlay_->setGeometry(canvas->viewport()->rect());
    overlay_->setMouseTracking(true);
    overlay_->installEventFilter(this);
    auto* view = new CollectionView(overlay_, shared.iconCadreFondColor(), shared.iconCadreLineColor());
    view->setObjectName(QStringLiteral("ZEVCollectScrollView"));
    view->setMouseTracking(true);
    view->setFocusPolicy(Qt::StrongFocus);
    view->installEventFilter(this);
    scrollView_ = view;

    const KELShadow& shadow = shared.itemTextPresentShadow();
    for (const QString& path : paths) {
        auto* cell = new QWidget(view);
        cell->setAttribute(Qt::WA_TransparentForMouseEvents);
        cell->resize(m_.protoSize.toSize());
        auto* image = new QLabel(cell);
        const QRectF img = m_.imageFrame;
        image->setGeometry(QRectF(img.x(), m_.protoSize.height() - img.y() - img.height(), img.width(), img.height())
                               .toRect());
        image->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        image->setPixmap(iconForFile(path).pixmap(int(m_.carre), int(m_.carre)));
        auto* title = new QLabel(QFileInfo(path).fileName(), cell);
        const double textY = m_.textToImage * m_.grid + 0.5 * m_.grid - 36; // y-up, its lower edge
        title->setGeometry(QRectF(0.25 * m_.grid, m_.protoSize.height() - textY - 18,
                                  m_.protoSize.width() - 0.5 * m_.grid, 18)
                               .toRect());
        title->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        title->setText(title->fontMetrics().elidedText(title->text(), Qt::ElideMiddle, title->width()));
        title->setStyleSheet(QStringLiteral("color: white; font-size: 12pt;"));
        if (!shadow.none) {
            auto* effect = new QGraphicsDropShadowEffect(title);
            effect->setOffset(shadow.offset.x(), -shadow.offset.y());
            effect->setBlurRadius(shadow.blurRadius);
            effect->setColor(shadow.color);
            title->setGraphicsEffect(effect);
        }
    }
    syncWidget(grid_->frame());
    overlay_->show();
    overlay_->raise();
    view->show();
    view->setFocus();
    space_.setSiGoToMode(true);
    return true;
}

void ZEVCollectViewer::syncWidget(const QRectF& frame)
{
    if (!scrollView_ || !grid_)
        return;
    // The cells in rows from the top, as many as the grid shows; the others wait unseen.
    const QObjectList cells = scrollView_->children();
    const std::size_t visible = grid_->nbOfVisibleObjects();
    std::size_t i = 0;
    for (QObject* o : cells) {
        auto* cell = qobject_cast<QWidget*>(o);
        if (!cell)
            continue;
        cell->move(int((i % grid_->columns()) * m_.protoSize.width()),
                   int(((i / grid_->columns()) % grid_->rows()) * m_.protoSize.height()));
        cell->setVisible(i < visible);
        ++i;
    }
    const QRect target = qtRect(frame).toRect();
    if (grid_->siResizing()) {
        if (animation_)
            animation_->stop();
        animation_ = new QPropertyAnimation(scrollView_, "geometry", scrollView_);
        animation_->setDuration(int(ZEVCollectGrid::kReshapeDuration * 1000));
        animation_->setEndValue(target);
        animation_->start(QAbstractAnimation::DeleteWhenStopped);
    } else if (!animation_ || animation_->state() != QAbstractAnimation::Running) {
        scrollView_->setGeometry(target);
    }
}

bool ZEVCollectViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (!grid_ || (watched != overlay_ && watched != scrollView_))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPointF p = static_cast<QWidget*>(watched)->mapTo(overlay_, e->position().toPoint());
        grid_->mouseMoved(yUpPoint(p));
        if (!grid_->siResizing())
            syncWidget(grid_->frame());
        return true;
    }
    case QEvent::MouseButtonPress:
        if (watched == scrollView_)
            stopWithSuccess(true, static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier);
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->modifiers() & Qt::KeypadModifier)
            return true;
        if ((e->key() == Qt::Key_Return) && !e->text().isEmpty()) {
            stopWithSuccess(true, e->modifiers() & Qt::ControlModifier);
            return true;
        }
        if (e->key() == Qt::Key_Escape) {
            stopWithSuccess(false);
            return true;
        }
        switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Enter:
            return true;
        default:
            return false;
        }
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void ZEVCollectViewer::stopWithSuccess(bool flag, bool siCmdKey)
{
    if (!grid_)
        return;
    if (animation_)
        animation_->stop();
    if (overlay_) {
        overlay_->hide();
        overlay_->removeEventFilter(this);
        if (scrollView_)
            scrollView_->removeEventFilter(this);
        overlay_->deleteLater();
    }
    if (flag)
        place(siCmdKey);
    else if (ZEVSpaceWindow* w = space_.spaceWindow(); w && w->spaceView())
        w->spaceView()->deskCanvas()->setFocus();
    paths_.clear();
    grid_.reset();
    overlay_ = nullptr;
    scrollView_ = nullptr;
    space_.setSiGoToMode(false);
}

void ZEVCollectViewer::place(bool siCmdKey)
{
    KELICurseur* curseur = space_.actifCurseur();
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(curseur);
    ZEVSpaceForDeskViewers* bridge = desk ? desk->space() : nullptr;
    if (!desk || !bridge || !desk->itemClass())
        return;
    const KELId channel = bridge->identityInt();
    const ZEVLimitRect limit = space_.deskGeometry().spaceRatioLimitRect();
    ZEVItemData& store = ZEVItemData::Current();
    std::vector<KELI*> placed;
    ZEVItemViewForDesks* last = nullptr;
    for (int k = 0; k < paths_.size(); ++k) {
        const QString path = QFileInfo(paths_[k]).absoluteFilePath();
        // A file gone since the grid showed would make an Object without a record.
        if (!QFileInfo::exists(path)) {
            logFormat("ZEVCollectViewer: %s is gone; no Object made", qUtf8Printable(path));
            continue;
        }
        KELI* item = nullptr;
        bool present = false;
        bool nouveau = false;
        auto known = [&](KELId id) {
            KELI* found = id ? KELServeurDeLiens::LienForInt(id, curseur) : nullptr;
            return found && found->relationInt() == KELRELATION_ITEM ? found : nullptr;
        };
        if (KELI* byUid = known(store.itemNumberWithUid(ZEVItemData::UidForURL(path)))) {
            item = byUid;
            store.updateFilePathWithItem(item, path);
        } else if (KELI* byPath = known(store.itemNumberWithPath(path))) {
            item = byPath;
            store.updateFileUidWithItem(item, path);
        }
        if (item) {
            if (item->channelInt() == 0)
                item->setChannelInt(channel);
            present = KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt());
        } else {
            const QFileInfo info(path);
            item = desk->itemClass()->creerItemWithRecord(
                channel, info.fileName().toStdString(), "file", info.suffix().toStdString(),
                ZEVPasteboard::ItemOptionsForFileURL(path),
                [&](KELI* made) { return store.createFileURL(path, QUrl(), made); });
            if (!item) {
                logFormat("ZEVCollectViewer: no Object was made for %s", qUtf8Printable(path));
                continue;
            }
            nouveau = true;
        }
        QPointF o = grid_->imageOriginForIndex(std::size_t(k));
        const double carre = m_.carre;
        if (o.x() > limit.maxX)
            o.setX(limit.maxX);
        else if (o.x() + carre < limit.minX)
            o.setX(limit.minX - carre);
        if (o.y() > limit.maxY)
            o.setY(limit.maxY);
        else if (o.y() + carre < limit.minY)
            o.setY(limit.minY - carre);
        const ZEVIconPosition position{o.x(), o.y(), carre, 0};
        ZEVItemViewForDesks* view = nullptr;
        if (!present) {
            view = desk->creerItemViewWithItem(item, position, 1.0f);
            // Its icon was not stored (a full disk, told by its own alert): a new Object on no
            // desk, its record unseen, is not made.
            if (!view && !KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
                if (nouveau)
                    ZEVImportLookups::takeBack(*desk, item);
                continue;
            }
        } else {
            view = desk->recallExistingItemViewWithItem(item);
            if (siCmdKey && view && desk->deskClass())
                desk->deskClass()->updatePosition(position, view->iconPosition(), item);
        }
        if (view)
            last = view;
        if (std::find(placed.begin(), placed.end(), item) == placed.end())
            placed.push_back(item);
    }
    if (ZEVItemViewerForDesks* viewer = desk->itemViewer())
        for (KELI* filter : bridge->selectedFilterItems())
            for (KELI* item : placed)
                viewer->userRecallLinkWithItem(item, filter);
    if (curseur)
        curseur->terminerDeplacementCurseur();
    switch (bridge->frontMode()) {
    case ZEVFrontModeTitles:
        bridge->selectTitleForItemSet(placed, nullptr);
        break;
    case ZEVFrontModeLinks:
        bridge->selectNodeForItemSet(placed, nullptr);
        break;
    default:
        bridge->selectIconForItemSet(placed, nullptr);
        break;
    }
    if (last && desk->itemViewForItem(placed.empty() ? nullptr : placed.back()) == last)
        if (QGraphicsItem* g = last->graphicsItem())
            g->setFocus();
}

} // namespace tallomer
