#include "inspectors/table/ZEVTableView.h"

#include "look/KELSharedResources.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineCurseurView.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QDrag>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// The cells are drawn without Qt's selection and focus marks: the table paints its own band.
class SansSurlignage final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if ((option->features & QStyleOptionViewItem::HasDisplay) && option->rect.height() > 0)
            option->font = ZEVTableView::fontFittingRow(option->font, option->rect.height());
    }
};

QLinearGradient degrade(const QPointF& from, const QPointF& to, const std::array<double, 4>& alphas)
{
    QLinearGradient g(from, to);
    const std::array<double, 4> at{0.0, 0.3, 0.7, 1.0};
    for (std::size_t i = 0; i < 4; ++i)
        g.setColorAt(at[i], QColor::fromRgbF(1, 1, 1, float(alphas[i])));
    return g;
}

// A link forgotten or erased keeps its object for the run, with dates past every other.
bool siOublie(const KELI* lien) { return !lien || lien->inDate() >= KELDateOublieeIn; }

QColor gris(double white, double alpha)
{
    return QColor::fromRgbF(float(white), float(white), float(white), float(alpha));
}

struct MenuEntry {
    ZEVTableMenuAction action;
    const char* title;
    bool lego;
};

// The titles are this program's; the lego menu holds what acts on one interval.
constexpr MenuEntry kMenuEntries[] = {
    {ZEVTableMenuAction::Open, "Open", false},
    {ZEVTableMenuAction::FindInChannels, "Find in Channels", false},
    {ZEVTableMenuAction::ShowOriginal, "Show Original", false},
    {ZEVTableMenuAction::MoveTo, "Move To\u2026", false},
    {ZEVTableMenuAction::MoveToSpace, "Move To Space", false},
    {ZEVTableMenuAction::CopyTo, "Copy To\u2026", false},
    {ZEVTableMenuAction::CopyToSpace, "Copy To Space", false},
    {ZEVTableMenuAction::DuplicateTo, "Duplicate To\u2026", false},
    {ZEVTableMenuAction::DuplicateToSpace, "Duplicate To Space", false},
    {ZEVTableMenuAction::ArchiveToSpace, "Archive To Space", false},
    {ZEVTableMenuAction::DeleteLego, "Delete This Interval", true},
    {ZEVTableMenuAction::Release, "Release", false},
    {ZEVTableMenuAction::RecallNow, "Recall Now", false},
    {ZEVTableMenuAction::Recall, "Recall", false},
    {ZEVTableMenuAction::Forget, "Forget", false},
    {ZEVTableMenuAction::Retain, "Retain", false},
    {ZEVTableMenuAction::Deselect, "Deselect", false},
    {ZEVTableMenuAction::Link, "Link", false},
    {ZEVTableMenuAction::Unlink, "Unlink", false},
    {ZEVTableMenuAction::Rename, "Rename", false},
    {ZEVTableMenuAction::SelectIcon, "Select Icon", false},
    {ZEVTableMenuAction::SelectTitle, "Select Title", false},
    {ZEVTableMenuAction::SelectNode, "Select Node", false},
    {ZEVTableMenuAction::SelectFilter, "Select Filter", false},
    {ZEVTableMenuAction::CopyDurations, "Copy Durations", true},
};
static_assert(std::size(kMenuEntries) == std::size_t(ZEVTableMenuAction::Count));

} // namespace

QFont ZEVTableView::fontFittingRow(const QFont& font, int rowHeight)
{
    // Accents over capitals reach above the font's ascent: the ink of such a line, centred in the
    // row as the cell draws it, must keep a pixel clear of the row's top and bottom edges.
    static const QString kInk = QString::fromUtf8("\xc3\x85\xc3\x89\xc3\x9c\xc3\x96gjpy|");
    auto fits = [&](const QFont& f) {
        const QFontMetrics m(f);
        const QRect ink = m.tightBoundingRect(kInk);
        const int baseline = (rowHeight - m.height()) / 2 + m.ascent();
        return baseline + ink.top() >= 1 && baseline + ink.bottom() <= rowHeight - 2;
    };
    static QHash<QString, QFont> fitted;
    const QString key = font.key() + QLatin1Char('/') + QString::number(rowHeight);
    if (auto it = fitted.constFind(key); it != fitted.constEnd())
        return *it;
    QFont f = font;
    if (!fits(f))
        for (int px = QFontInfo(font).pixelSize() - 1; px >= 6; --px) {
            f.setPixelSize(px);
            if (fits(f))
                break;
        }
    fitted.insert(key, f);
    return f;
}

// ---- elements -----------------------------------------------------------------------------------

KELI* ZEVTableElement::objetPourColonne(int column) const
{
    if (pair)
        return column > 6 ? pair->enfantItem() : pair->parentItem();
    return item;
}

KELId ZEVTableElement::channelInt() const
{
    KELI* objet = pair ? pair->parentItem() : item;
    return objet ? objet->channelInt() : 0;
}

void envoyerMenuAction(ZEVTableViewDelegate& d, ZEVTableMenuAction action, ZEVTableView& t, KELI* selectedLego)
{
    using A = ZEVTableMenuAction;
    switch (action) {
    case A::Open:
        d.openSelectionInTableView(t);
        break;
    case A::FindInChannels:
        d.findInChannelsInTableView(t);
        break;
    case A::ShowOriginal:
        d.showOriginalInTableView(t);
        break;
    case A::MoveTo:
        d.moveToInTableView(t);
        break;
    case A::MoveToSpace:
        d.moveToSpaceInTableView(t);
        break;
    case A::CopyTo:
        d.copyToInTableView(t);
        break;
    case A::CopyToSpace:
        d.copyToSpaceInTableView(t);
        break;
    case A::DuplicateTo:
        d.duplicateToInTableView(t);
        break;
    case A::DuplicateToSpace:
        d.duplicateToSpaceInTableView(t);
        break;
    case A::ArchiveToSpace:
        d.archiveToSpaceInTableView(t);
        break;
    case A::DeleteLego:
        d.deleteLego(selectedLego, t);
        break;
    case A::Release:
        d.releaseSelectionInTableView(t);
        break;
    case A::RecallNow:
        d.recallNowSelectionInTableView(t);
        break;
    case A::Recall:
        d.recallSelectionInTableView(t);
        break;
    case A::Forget:
        d.forgetSelectionInTableView(t);
        break;
    case A::Retain:
        d.retainSelectionInTableView(t);
        break;
    case A::Deselect:
        d.deselectSelectionInTableView(t);
        break;
    case A::Link:
        d.linkSelectionInTableView(t);
        break;
    case A::Unlink:
        d.unlinkSelectionInTableView(t);
        break;
    case A::Rename:
        d.renameSelectionInTableView(t);
        break;
    case A::SelectIcon:
        d.selectIconInTableView(t);
        break;
    case A::SelectTitle:
        d.selectTitleInTableView(t);
        break;
    case A::SelectNode:
        d.selectNodeInTableView(t);
        break;
    case A::SelectFilter:
        d.selectFilterInTableView(t);
        break;
    case A::CopyDurations:
        d.copyDurationsInTableView(t);
        break;
    case A::Count:
        break;
    }
}

// ---- set-up -------------------------------------------------------------------------------------

ZEVTableView::ZEVTableView(QWidget* parent, ZEVInspectView* inspectView) : QTableView(parent), inspectView_(inspectView)
{
    setObjectName(QStringLiteral("ZEVTableView"));
    setFocusPolicy(Qt::StrongFocus);
    horizontalHeader()->setVisible(false);
    // A row spans the whole width, as its time band does: a click anywhere on it is on the row.
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(int(legoHeight_));
    setFrameShape(QFrame::NoFrame);
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setItemDelegate(new SansSurlignage(this));
    // Not opaque: the panel shows through the background colour.
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    // The style fills a selected row's whole width with Highlight before the delegate runs, which
    // would hide the row's intervals: a selected row shows only the band the table draws itself.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(g, QPalette::Highlight, Qt::transparent);
    setPalette(pal);

    fondColorOn_ = fondColorOff_ = fondColor_ = gris(0.35, 0.85);
    presentLegoColor_ = gris(0.55, 1.0);
    curseurPeriodColor_ = gris(1.0, 0.1);
    passeColor2_ = QColor::fromRgbF(0.65f, 0.74f, 0.65f, 0.6f);
    futurColor2_ = QColor::fromRgbF(0.65f, 0.65f, 0.74f, 0.6f);
    presentLegoColor2_ = gris(0.55, 0.7);

    model_ = new ZEVTableModel(*this);
    setModel(model_);
    construireLesMenus();
    typeSelect_ = std::make_unique<ZEVTypeSelect>(*this);
}

ZEVTableView::~ZEVTableView()
{
    // The type-select's filter goes before anything it reads.
    typeSelect_.reset();
    Scheduler::shared().cancelAll(this);
}

void ZEVTableView::construireLesMenus()
{
    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName(QStringLiteral("RowMenu"));
    legoMenu_ = new QMenu(this);
    legoMenu_->setObjectName(QStringLiteral("LegoMenu"));
    for (const MenuEntry& e : kMenuEntries) {
        QMenu* menu = e.lego ? legoMenu_ : rowMenu_;
        QAction* a = menu->addAction(QString::fromUtf8(e.title));
        a->setData(int(e.action));
        const ZEVTableMenuAction action = e.action;
        QObject::connect(a, &QAction::triggered, this, [this, action] { menuAction(action); });
    }
    for (QMenu* m : {rowMenu_, legoMenu_})
        QObject::connect(m, &QMenu::aboutToHide, this, [this] { disableRightSelectedRow(); });
}

void ZEVTableView::referencerSpaceController(ZEVSpaceController& space, ZEVFrontViewerServices* frontViewer)
{
    space_ = &space;
    frontViewer_ = frontViewer;
    defaultFrontMode_ = kModeNone;
    siSelectionViewMode_ = false;
    siAllLegos_ = false;
    currentFrontMode_ = frontViewer ? frontViewer->frontMode() : 0;
    setActifCurseur(space.actifCurseur());
}

void ZEVTableView::setLegoHeight(double height, double yOffset)
{
    legoHeight_ = height;
    legoOffset_ = yOffset;
    verticalHeader()->setDefaultSectionSize(std::max(1, int(std::lround(height))));
}

void ZEVTableView::setElements(const std::vector<ZEVTableElement>* elements) { elements_ = elements; }

void ZEVTableView::setDefaultFrontMode(int mode)
{
    siSelectionViewMode_ = true;
    defaultFrontMode_ = mode;
    currentFrontMode_ = mode;
}

void ZEVTableView::setColumnIdentifiers(const QStringList& ids) { model_->setColumnIdentifiers(ids); }

void ZEVTableView::setModeColumn(int mode, int column)
{
    if (mode >= 0 && mode < 4)
        modeColumns_[std::size_t(mode)] = column;
}

void ZEVTableView::reloadData()
{
    model_->reload();
    viewport()->update();
}

int ZEVTableView::numberOfRows() const { return elements_ ? int(elements_->size()) : 0; }

const ZEVTableElement* ZEVTableView::element(int row) const
{
    if (!elements_ || row < 0 || std::size_t(row) >= elements_->size())
        return nullptr;
    return &(*elements_)[std::size_t(row)];
}

void ZEVTableView::setActifCurseur(KELICurseur* curseur)
{
    actifCurseur_ = curseur;
    siNowCurseur_ = !space_ || curseur == space_->nowCurseur();
    viewport()->update();
}

void ZEVTableView::frontModeDidChange()
{
    currentFrontMode_ = siSelectionViewMode_ ? defaultFrontMode_ : (frontViewer_ ? frontViewer_->frontMode() : 0);
    viewport()->update();
}

void ZEVTableView::selectionIsChanging()
{
    monoSelectedRow_ = -1;
    selectedLegoId_ = 0;
}

void ZEVTableView::selectionDidChange()
{
    if (selectedRowCount() == 1) {
        const int row = selectionModel()->selectedRows().first().row();
        // Another row: the interval picked on the one before is picked no more, nor offers its
        // menu from a row that is not selected.
        if (row != monoSelectedRow_)
            selectedLegoId_ = 0;
        monoSelectedRow_ = row;
    } else {
        monoSelectedRow_ = -1;
        selectedLegoId_ = 0;
    }
    viewport()->update();
}

void ZEVTableView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    if (zevClass_ && !siSelectionAnswer_) {
        // The model has its say on every change of the rows before the change stands: the rows it
        // answers are the ones kept.
        std::vector<int> proposed;
        for (const QModelIndex& i : selectionModel()->selectedRows())
            proposed.push_back(i.row());
        std::sort(proposed.begin(), proposed.end());
        std::vector<int> before;
        for (int r : proposed)
            if (!selected.contains(model_->index(r, 0)))
                before.push_back(r);
        for (const QModelIndex& i : deselected.indexes())
            if (i.column() == 0)
                before.push_back(i.row());
        std::sort(before.begin(), before.end());
        before.erase(std::unique(before.begin(), before.end()), before.end());
        const std::vector<int> kept =
            zevClass_->selectionIndexesForProposedSelection(*this, proposed, before, QGuiApplication::keyboardModifiers());
        if (kept != proposed) {
            siSelectionAnswer_ = true;
            QItemSelection sel;
            for (int r : kept)
                sel.select(model_->index(r, 0), model_->index(r, std::max(0, model_->columnCount() - 1)));
            selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
            siSelectionAnswer_ = false;
        }
    }
    selectionDidChange();
    if (zevClass_ && !siSelectionAnswer_)
        zevClass_->tableViewSelectionDidChange(*this);
}

int ZEVTableView::selectedRowCount() const
{
    return selectionModel() ? int(selectionModel()->selectedRows().size()) : 0;
}

void ZEVTableView::updateFondColor()
{
    const bool focus = (window() && window()->focusWidget() == this) || siTextSearching();
    fondColor_ = focus ? fondColorOn_ : fondColorOff_;
}

// ---- links by id --------------------------------------------------------------------------------

KELI* ZEVTableView::lienPourId(KELId id) const
{
    if (id == 0)
        return nullptr;
    KELI* lien = KELServeurDeLiens::LienForInt(id, nullptr);
    if (!lien)
        lien = KELServeurDeLiens::LienForInt(id, actifCurseur());
    return siOublie(lien) ? nullptr : lien;
}

KELI* ZEVTableView::selectedLego() const { return lienPourId(selectedLegoId_); }
KELI* ZEVTableView::rightSelectedLego() const { return lienPourId(rightSelectedLegoId_); }
KELI* ZEVTableView::draggingLego() const { return lienPourId(draggingLegoId_); }

void ZEVTableView::setDraggingLego(KELI* lego)
{
    draggingLegoId_ = lego ? lego->idInt() : 0;
    if (!lego && space_)
        space_->restoreGoToTag();
    viewport()->update();
}

bool ZEVTableView::deselectLego()
{
    const bool avait = selectedLego() != nullptr;
    selectedLegoId_ = 0;
    viewport()->update();
    return avait;
}

void ZEVTableView::disableRightSelectedRow()
{
    rightSelectedRow_ = -2;
    rightSelectedLegoId_ = 0;
    viewport()->update();
}

// ---- the ruler ----------------------------------------------------------------------------------

ZEVRulerViewer* ZEVTableView::ruler() const
{
    return space_ ? dynamic_cast<ZEVRulerViewer*>(space_->rulerViewer()) : nullptr;
}

ZEVTlineView* ZEVTableView::strip() const
{
    ZEVRulerViewer* r = ruler();
    return r ? dynamic_cast<ZEVTlineView*>(r->tlineView()) : nullptr;
}

KELICurseur* ZEVTableView::actifCurseur() const
{
    // The Space's own answer wins: an owner that missed a change never shows a stale cursor.
    return space_ && space_->actifCurseur() ? space_->actifCurseur() : actifCurseur_;
}

KELICurseur* ZEVTableView::nowCurseur() const { return space_ ? space_->nowCurseur() : nullptr; }

int ZEVTableView::currentChannelInt() const { return space_ ? int(space_->currentChannelInt()) : 0; }

double ZEVTableView::stripShift() const
{
    // Dates fall at the same window x as on the strip, however the panel is placed or scrolled.
    if (ZEVTlineView* s = strip())
        return viewport()->mapFromGlobal(s->mapToGlobal(QPointF(0, 0))).x();
    return viewport()->mapFromGlobal(window()->mapToGlobal(QPointF(0, 0))).x();
}

void ZEVTableView::viewWillDraw()
{
    KELICurseur* actif = actifCurseur();
    siNowCurseur_ = !space_ || actif == nowCurseur();
    ZEVTlineView* s = strip();
    ZEVRulerViewer* r = ruler();
    ZEVTlineType* axe = r ? r->tlineType() : nullptr;
    const double bound = s ? s->width() : 0.0;
    if (axe)
        scale_ = ZEVLegoScale(axe->inDate(), axe->outDate() - axe->inDate(), bound, stripShift(), 0,
                              std::max(viewport()->width(), 1));
    else
        scale_ = ZEVLegoScale();
    if (actif) {
        curseurNowDate_ = actif->now();
        curseurInDate_ = actif->nowIn();
        curseurOutDate_ = actif->nowOut();
    }
    curseurNowPosition_ = std::floor(scale_.x(curseurNowDate_));
    curseurInPosition_ = std::floor(scale_.x(curseurInDate_));
    curseurOutPosition_ = std::floor(scale_.x(curseurOutDate_));
}

// ---- geometry -----------------------------------------------------------------------------------

QRectF ZEVTableView::rectOfRow(int row) const
{
    const double largeur = std::max<double>(viewport()->width(), horizontalHeader()->length());
    return QRectF(-horizontalOffset(), rowViewportPosition(row), largeur, rowHeight(row));
}

QRectF ZEVTableView::rectOfColumn(int column) const
{
    return QRectF(columnViewportPosition(column), 0, columnWidth(column), viewport()->height());
}

bool ZEVTableView::siColonneDeMode(int column) const { return column >= 0 && modeDeColonne(column) != kModeNone; }

int ZEVTableView::modeDeColonne(int column) const
{
    for (int m = 0; m < 4; ++m)
        if (column >= 0 && modeColumns_[std::size_t(m)] == column)
            return m;
    return kModeNone;
}

KELI* ZEVTableView::legoAtPoint(int row, const QPointF& point)
{
    if (!zevClass_ || !element(row) || !scale_.valid())
        return nullptr;
    const QRectF rowRect = rectOfRow(row);
    for (KELI* lego : zevClass_->legosForRow(*this, row)) {
        if (siOublie(lego))
            continue;
        const QRectF r =
            legoRectForRow(rowRect, scale_.x(lego->inDate()), scale_.x(lego->outDate()), legoHeight_, legoOffset_);
        if (r.contains(point))
            return lego;
    }
    return nullptr;
}

// ---- drawing ------------------------------------------------------------------------------------

QPixmap ZEVTableView::dragPixmapForRows(const std::vector<int>& rows, int column, QPoint press, QPoint* hotSpot) const
{
    // A handful of rows tell what is dragged; a picture of hundreds would cover the screen.
    constexpr std::size_t kMostRowsShown = 8;
    const int columns = model_ ? model_->columnCount() : 0;
    if (column < 0 || column >= columns)
        return {};
    const int last = std::min(column + 1, columns - 1);
    int width = 0;
    for (int c = column; c <= last; ++c)
        width += columnWidth(c);
    std::vector<int> inOrder = rows;
    std::sort(inOrder.begin(), inOrder.end());
    std::vector<int> shown;
    int height = 0;
    for (int r : inOrder)
        if (r >= 0 && r < model_->rowCount() && shown.size() < kMostRowsShown) {
            shown.push_back(r);
            height += rowHeight(r);
        }
    if (width <= 0 || height <= 0)
        return {};
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(QSize(width, height) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    int y = 0;
    QPoint spot(0, 0);
    const int pressRow = rowAt(press.y());
    for (int r : shown) {
        if (r == pressRow)
            spot = QPoint(press.x() - columnViewportPosition(column), y + press.y() - rowViewportPosition(r));
        int x = 0;
        for (int c = column; c <= last; ++c) {
            const QModelIndex index = model_->index(r, c);
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            option.rect = QRect(x, y, columnWidth(c), rowHeight(r));
            if (QAbstractItemDelegate* cell = itemDelegateForIndex(index))
                cell->paint(&p, option, index);
            x += columnWidth(c);
        }
        y += rowHeight(r);
    }
    if (hotSpot)
        *hotSpot = QPoint(std::clamp(spot.x(), 0, width - 1), std::clamp(spot.y(), 0, height - 1));
    return picture;
}

void ZEVTableView::execDragOut(std::unique_ptr<QMimeData> data, const std::vector<int>& rows, int column, QPoint press)
{
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    QPoint hotSpot;
    if (const QPixmap picture = dragPixmapForRows(rows, column, press, &hotSpot); !picture.isNull()) {
        drag->setPixmap(picture);
        drag->setHotSpot(hotSpot);
    }
    // Copy for what leaves the program, Link within it.
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::LinkAction);
}

void ZEVTableView::paintEvent(QPaintEvent* event)
{
    viewWillDraw();
    const QRectF clip = event->rect();
    const int first = std::max(0, rowAt(int(clip.top())));
    int last = rowAt(int(clip.bottom()));
    if (last < 0)
        last = numberOfRows() - 1;
    std::vector<char> selectedRightClicked;
    {
        QPainter p(viewport());
        p.setRenderHint(QPainter::Antialiasing);
        drawBackground(p, clip);
        for (int r = first; r <= last && numberOfRows() > 0; ++r) {
            bool flag = false;
            drawRowUnderCells(p, r, flag);
            selectedRightClicked.push_back(flag);
        }
    }
    QTableView::paintEvent(event);
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    for (int r = first; r <= last && std::size_t(r - first) < selectedRightClicked.size(); ++r)
        drawRowOverCells(p, r, selectedRightClicked[std::size_t(r - first)] != 0);
    drawCurseurLines(p);
}

void ZEVTableView::drawBackground(QPainter& p, const QRectF& clip)
{
    updateFondColor();
    p.fillRect(clip, fondColor_);
    const int mode = frontViewer_ ? frontViewer_->frontMode() : kModeNone;
    if (mode >= 0 && mode < 4 && modeColumns_[std::size_t(mode)] >= 0) {
        const QRectF c = rectOfColumn(modeColumns_[std::size_t(mode)]);
        p.fillRect(c, degrade(c.topLeft(), c.topRight(), {0.35, 0.27, 0.28, 0.35}));
    }
    if (siColonneDeMode(previousColumn_)) {
        p.fillRect(rectOfColumn(previousColumn_), curseurPeriodColor_);
        currentFrontMode_ = modeDeColonne(previousColumn_);
    } else {
        currentFrontMode_ = siSelectionViewMode_ ? defaultFrontMode_ : mode;
    }
    if (curseurOutPosition_ > curseurInPosition_)
        p.fillRect(QRectF(curseurInPosition_, clip.top(), curseurOutPosition_ - curseurInPosition_, clip.height()),
                   curseurPeriodColor_);
}

void ZEVTableView::drawRowUnderCells(QPainter& p, int row, bool& selectedRightClicked)
{
    const ZEVTableElement* e = element(row);
    if (!e || !space_)
        return;
    const QRectF rowRect = rectOfRow(row).adjusted(-1, 0, 1, 0);
    const KELSharedResources& colours = space_->host().sharedResources();
    if (!siNowCurseur_ && nowCurseur()) {
        const double x = std::floor(scale_.x(nowCurseur()->now()));
        p.fillRect(QRectF(x, rowRect.y(), 1.0, rowRect.height()), colours.nowCurseurColor());
    }
    if (inspectView_ && zevClass_ && frontViewer_) {
        bool selected = false;
        switch (frontViewer_->frontMode()) {
        case 0:
            selected = zevClass_->isIconRowSelectedForItem(*this, *e);
            break;
        case 1:
            selected = zevClass_->isTitleRowSelectedForItem(*this, *e);
            break;
        case 2:
            selected = e->item && space_->selections().isFilterSelectedForItem(e->item);
            break;
        case 3:
            selected = e->item && space_->selections().isNodeSelectedForItem(e->item);
            break;
        default:
            break;
        }
        if (selected)
            p.fillRect(rowRect, degrade(rowRect.topLeft(), rowRect.bottomLeft(), {0.1, 0.2, 0.21, 0.1}));
    }
    const bool own = e->channelInt() == KELId(currentChannelInt());
    if (zevClass_ && scale_.valid() && (own || siAllLegos_)) {
        const KELI* selected = selectedLego();
        const KELI* right = rightSelectedLego();
        const KELI* dragging = draggingLego();
        for (KELI* lego : zevClass_->legosForRow(*this, row)) {
            if (siOublie(lego))
                continue;
            const KELDate in = lego->inDate(), out = lego->outDate();
            const QRectF r = legoRectForRow(rowRect, scale_.x(in), scale_.x(out) - 1.0, legoHeight_, legoOffset_);
            QPainterPath path;
            path.addRoundedRect(r, 5.5, 5.5);
            QColor fill, stroke;
            switch (legoCaseFor(in, out, curseurInDate_, curseurOutDate_, curseurNowDate_)) {
            case ZEVLegoCase::Passe:
                fill = stroke = own ? colours.passeColor() : passeColor2_;
                break;
            case ZEVLegoCase::Futur:
                fill = stroke = own ? colours.futurColor() : futurColor2_;
                break;
            case ZEVLegoCase::PasseActif:
                fill = own ? colours.passeColor() : passeColor2_;
                stroke = own ? colours.passeActifColor() : fill;
                break;
            case ZEVLegoCase::FuturActif:
                fill = own ? colours.futurColor() : futurColor2_;
                stroke = own ? colours.futurActifColor() : fill;
                break;
            case ZEVLegoCase::Present:
                fill = own ? presentLegoColor_ : presentLegoColor2_;
                stroke = own ? colours.curseurColor() : fill;
                break;
            }
            double largeur = 1.0;
            if (lego == selected) {
                stroke = Qt::blue;
                largeur = 1.5;
                selectedRightClicked = selectedRightClicked || lego == right;
            }
            if (lego == dragging) {
                stroke = Qt::white;
                largeur = 1.5;
            }
            p.fillPath(path, fill);
            p.strokePath(path, QPen(stroke, largeur));
        }
    }
    if (zevClass_ && !zevClass_->siFilteredItem(*e, *this) && zevClass_->siDropedItem(*e, *this)) {
        QPainterPath path;
        path.addRoundedRect(rowRect.adjusted(2.0, 4.0, -2.0, -4.0), 3.5, 3.5);
        p.strokePath(path, QPen(Qt::white, 1.0));
    }
}

void ZEVTableView::drawRowOverCells(QPainter& p, int row, bool selectedRightClicked)
{
    const ZEVTableElement* e = element(row);
    if (!e || !space_)
        return;
    const QRectF rowRect = rectOfRow(row).adjusted(-1, 0, 1, 0);
    if (zevClass_ && zevClass_->siFilteredItem(*e, *this)) {
        p.fillRect(rowRect, space_->host().sharedResources().impactedTVItemColor());
        if (zevClass_->siDropedItem(*e, *this)) {
            QPainterPath path;
            path.addRoundedRect(rowRect.adjusted(2.0, 4.0, -2.0, -4.0), 3.5, 3.5);
            p.strokePath(path, QPen(Qt::white, 1.0));
        }
    }
    if (row == rightSelectedRow_ && !selectedRightClicked) {
        QPainterPath path;
        path.addRoundedRect(rowRect.adjusted(2.0, 1.0, -2.0, -1.0), 5.5, 5.5);
        p.strokePath(path, QPen(Qt::white, 1.0));
    }
}

void ZEVTableView::drawCurseurLines(QPainter& p)
{
    if (!space_ || !scale_.valid())
        return;
    const KELSharedResources& colours = space_->host().sharedResources();
    int code = kClickNone;
    if (ZEVRulerViewer* r = ruler())
        if (auto* v = dynamic_cast<ZEVTlineCurseurView*>(r->curseurViewForCurseur(actifCurseur())))
            code = v->clickPositionForDisplay();
    const double h = viewport()->height();
    auto ligne = [&](double x, double w, const QColor& c) { p.fillRect(QRectF(x, 0, w, h), c); };
    if (siNowCurseur_) {
        ligne(curseurInPosition_, 1.0,
              code == kClickIn || code == kClickAll ? colours.contexteColor() : colours.passeActifColor());
        ligne(curseurOutPosition_, 0.5,
              code == kClickAll || code == kClickOut ? colours.contexteColor() : colours.futurActifColor());
    } else {
        ligne(curseurInPosition_, 1.0, code == kClickNone ? colours.passeActifColor() : colours.contexteColor());
    }
    ligne(curseurNowPosition_, 1.0, colours.curseurColor());
}

// ---- menus and forwards -------------------------------------------------------------------------

QMenu* ZEVTableView::menuForRow(int row)
{
    const ZEVTableElement* e = element(row);
    if (!e || !zevClass_)
        return nullptr;
    viewWillDraw();
    KELI* selected = selectedLego();
    if (selected && selectedLegoId_ == rightSelectedLegoId_)
        return zevClass_->updateLegoMenu(legoMenu_, *this, selected);
    return zevClass_->updateRowMenu(rowMenu_, *this, *e);
}

void ZEVTableView::menuAction(ZEVTableMenuAction action)
{
    if (zevClass_)
        envoyerMenuAction(*zevClass_, action, *this, selectedLego());
}

void ZEVTableView::copy()
{
    if (zevClass_)
        zevClass_->copy(*this);
}

void ZEVTableView::cut()
{
    if (zevClass_)
        zevClass_->cut(*this);
}

void ZEVTableView::paste()
{
    if (zevClass_)
        zevClass_->paste(*this);
}

void ZEVTableView::dragEnterEvent(QDragEnterEvent* event)
{
    const Qt::DropAction a = zevClass_ ? zevClass_->draggingEntered(event, *this) : Qt::IgnoreAction;
    if (a == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(a);
    event->accept();
}

void ZEVTableView::dragMoveEvent(QDragMoveEvent* event)
{
    const Qt::DropAction a = zevClass_ ? zevClass_->draggingUpdated(event, *this) : Qt::IgnoreAction;
    if (a == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(a);
    event->accept();
}

void ZEVTableView::dragLeaveEvent(QDragLeaveEvent* event)
{
    if (zevClass_)
        zevClass_->draggingExited(*this);
    event->accept();
}

void ZEVTableView::dropEvent(QDropEvent* event)
{
    if (zevClass_ && zevClass_->performDragOperation(event, *this))
        event->acceptProposedAction();
    else
        event->ignore();
}

// ---- focus --------------------------------------------------------------------------------------

void ZEVTableView::focusDidChange()
{
    if (frontViewer_)
        frontViewer_->entityWillChange();
    ZEVContextViewerServices* c = space_ ? space_->contextViewer() : nullptr;
    if (!c)
        return;
    Scheduler::shared().cancel(c, "majContextButtons");
    Scheduler::shared().perform(c, "majContextButtons", 0.1, [c] { c->majContextButtons(); });
}

void ZEVTableView::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    focusDidChange();
    if (zevClass_)
        zevClass_->setSiAccepteMajSelectedRows(false, *this);
    viewport()->update();
}

void ZEVTableView::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    focusDidChange();
    if (zevClass_)
        zevClass_->setSiAccepteMajSelectedRows(true, *this);
    viewport()->update();
}

// ---- type-select --------------------------------------------------------------------------------

bool ZEVTableView::siTextSearching() const { return typeSelect_ && typeSelect_->siSearching(); }
void ZEVTableView::showSearchField()
{
    if (typeSelect_)
        typeSelect_->show();
}
bool ZEVTableView::hideSearchField() { return typeSelect_ && typeSelect_->hide(); }

} // namespace tallomer
