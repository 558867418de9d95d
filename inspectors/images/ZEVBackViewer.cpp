#include "inspectors/images/ZEVBackViewer.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "inspectors/table/ZEVTableModel.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/desktop/Desktop.h"
#include "platform/sound/Sound.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/background/ZEVBackImageRenderer.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVButton.h"
#include "platform/SystemColours.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>

namespace tallomer {

namespace {
constexpr long kEntityMenuOpener = 11111;
} // namespace

ZEVBackViewer::ZEVBackViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt),
      ZEVInspectImporting(
          *this,
          {.relation = KELRELATION_BACK_VIEWER,
           .owner = "ZEVBackViewer",
           .relationName = "KELRELATION_BACK_VIEWER",
           .panelTitle = QStringLiteral("Add Images\u2026"),
           .panelMessage = QStringLiteral("Select the images you want to add (as references) in the \"Images Window\""),
           .extensions = ZEVPasteboard::ImageExtensions(),
           .filterName = QStringLiteral("Images"),
           .readable = [](const QString& path) { return ZEVBackImageRatio(path) > 0; },
           .tellUnreadable =
               [](const QStringList& names) {
                   if (names.size() == 1)
                       ZEVAlert::ShowSimpleAlertWithMessage(
                           QStringLiteral("\"%1\" cannot be added to the Images Window.").arg(names.front()),
                           QStringLiteral("It is not a picture Tallomer can read."));
                   else
                       ZEVAlert::ShowSimpleAlertWithMessage(
                           QStringLiteral("%1 files cannot be added to the Images Window.").arg(names.size()),
                           QStringLiteral("They are not pictures Tallomer can read: %1.").arg(names.join(", ")));
               },
           .presence = [this](KELI* item, KELDate date) { return model_.creerLienBackViewerForItem(item, date); },
           .recall = [this](const std::vector<KELI*>& items) { model_.recallBacksForItems(items); }}),
      model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVBackViewer::~ZEVBackViewer()
{
    test_.stop();
    Scheduler::shared().cancelAll(&model_);
    // The panel (and its table) outlives the model by a little: the table asks it nothing more.
    if (ZEVBackTableView* t = backTableView())
        t->setBackDelegate(nullptr);
}

ZEVBackView* ZEVBackViewer::backView() const { return dynamic_cast<ZEVBackView*>(inspectViewIfBuilt()); }

ZEVBackTableView* ZEVBackViewer::backTableView() const
{
    ZEVInspectView* v = inspectViewIfBuilt();
    return v ? dynamic_cast<ZEVBackTableView*>(v->inspectTableView()) : nullptr;
}

void ZEVBackViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVBackTableView* table = backTableView();
    ZEVBackView* v = backView();
    if (!table || !v)
        return;
    // The four front-mode marks, then the picture with its title and colour.
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon")});
    for (int mode = 0; mode < 4; ++mode) {
        table->setModeColumn(mode, mode);
        table->horizontalHeader()->resizeSection(mode, 22);
    }
    table->verticalHeader()->setDefaultSectionSize(ZEVBackTableView::kRowHeight);
    QObject::connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        const std::vector<KELI*> items = model_.actifItems();
        ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
        if (iv && i.row() >= 0 && std::size_t(i.row()) < items.size())
            iv->userOpenItem(items[std::size_t(i.row())], false);
    });
    model_.referencerBackTableView(table);
    model_.drag().referencerInspectTableView(table);
    // Rows leave by the Images table's own drag, from the picture's side only.
    table->viewport()->removeEventFilter(&model_.drag());
    QObject::connect(v->btnTestImage(), &QPushButton::clicked, this, [this] { testImage(); });
    QObject::connect(v->btnSetAsNewChannel(), &QPushButton::clicked, this, [this] { btnSetAsNewChannel(); });
    QObject::connect(v->btnSetAsDesktopWallpaper(), &QPushButton::clicked, this,
                     [this] { btnSetAsDesktopWallpaperClick(); });
    if (QAction* opener = entityMenu() ? ZEVMenuItemWithTag(entityMenu(), kEntityMenuOpener) : nullptr)
        // A theme without an image viewer's picture keeps the file manager's, which opens the
        // folder here.
        opener->setIcon(QIcon::fromTheme(QStringLiteral("image-viewer"), opener->icon()));
    majInspectView();
    frontModeDidChange();
    displayImageFromRow(-1);
    majPreviewButtons();
}

void ZEVBackViewer::buttonInspectCancel()
{
    test_.stop();
    fermerEtDecocher();
}

void ZEVBackViewer::menuEntity()
{
    Desktop* d = Desktop::shared();
    if (!d) {
        beep();
        return;
    }
    // The desktop's answer may come after this panel went: the beep is the program's.
    d->openUrl(QUrl::fromLocalFile(model_.openPanelFolderUrlWithItem(nullptr)), [](const QString&) { Sound::shared().beep(); });
}

void ZEVBackViewer::trouver(void (ZEVRowsClass::*select)(int))
{
    (model_.*select)(ZEVRowsClass::operationForModifiers(QGuiApplication::keyboardModifiers()));
    space_.addToHistory();
}

void ZEVBackViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVBackViewer::itemSelectionDidChange()
{
    majActionButtons();
    model_.majIndexOfSelectedRows();
    majPreviewButtons();
    // A row chosen while the preview shows and the panel has the keys is what it previews.
    previewFollowsSelection();
}

void ZEVBackViewer::frontModeDidChange()
{
    montrerLeFrontMode();
    model_.majIndexOfSelectedRows();
    model_.tvFrontModeDidChange();
    // A front mode that selects no image shows none.
    if (itemsPourLeMode().empty())
        displayImageFromRow(-1);
    majPreviewButtons();
}

void ZEVBackViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    majInspectField();
    // The preview follows the one selected image to the other cursor's moment.
    const auto& s = model_.selectedItemSet();
    if (s.size() == 1 && siShowInspectView())
        displayImageFromRow(model_.rowOfItem(*s.begin()));
}

void ZEVBackViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
        frontModeDidChange();
    } else {
        test_.stop();
        ZEVBackTableView* table = backTableView();
        visibleRowsRange_ = table ? table->rowsInVisibleRect() : ZEVRowRange{};
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVBackViewer::hideInspectViewAnimationDone()
{
    // Only the rows that were in sight and the selected one keep their renderings.
    const std::size_t n = model_.actifItems().size();
    const int selected = testSelectedRow();
    for (std::size_t row = 0; row < n; ++row) {
        if (visibleRowsRange_.contains(row) || int(row) == selected)
            continue;
        if (ZEVBackObject* o = model_.existingBackObjectForItem(model_.actifItems()[row])) {
            o->setThumbnailImage(QImage());
            o->setBackImage(QImage());
        }
    }
    ZEVInspectViewer::hideInspectViewAnimationDone();
}

void ZEVBackViewer::openInspectViewAnimationDone()
{
    ZEVInspectViewer::openInspectViewAnimationDone();
    frontModeDidChange();
    ZEVBackTableView* table = backTableView();
    const int row = testSelectedRow();
    if (table && row >= 0)
        table->scrollTo(table->tableModel()->index(row, 0));
}

void ZEVBackViewer::majInspectView()
{
    model_.reloadItems();
    majInspectField();
}

void ZEVBackViewer::_majAndScroll()
{
    majInspectView();
    model_.majIndexOfSelectedRows();
    ZEVBackTableView* table = backTableView();
    const int row = testSelectedRow();
    if (table && row >= 0)
        table->scrollTo(table->tableModel()->index(row, 0));
}

void ZEVBackViewer::appliquer(Commande commande, const std::vector<KELI*>& items)
{
    // An image of another Channel is copied into the current one before it is recalled.
    if (commande == Commande::Recall && !model_.presence().siDuCanal(items))
        model_.recallBacksForItems(items);
    else
        appliquerPresence(model_.presence(), commande, items);
}

void ZEVBackViewer::userOpen() { ouvrirLesItemsDuMode(); }

void ZEVBackViewer::userDelete() { model_.deleteBacks(itemsPourLeMode()); }

// ---------------------------------------------------------------------------------------------
// The preview and its buttons

void ZEVBackViewer::displayImageFromRow(int row)
{
    const std::vector<KELI*> items = model_.actifItems();
    ZEVBackView* v = backView();
    if (row < 0 || std::size_t(row) >= items.size()) {
        previewRow_ = -1;
        previewColor_ = systemDarkGrey();
        if (v)
            v->setPreview(QImage(), previewColor_);
        return;
    }
    ZEVBackObject* o = model_.backObjectForRow(row);
    KELI* item = items[std::size_t(row)];
    // Not come yet: its arrival calls again. One that cannot come shows its colour alone, not
    // the picture of the row shown before.
    if (!o || (o->thumbnailImage().isNull() && !model_.siThumbnailFailed(item)))
        return;
    previewRow_ = row;
    previewColor_ = model_.colorForImageItem(item);
    if (v)
        v->setPreview(o->thumbnailImage(), previewColor_);
}

void ZEVBackViewer::userChangeFillColor(const QColor& color)
{
    previewColor_ = color;
    if (ZEVBackView* v = backView())
        v->backColorView()->setBackgroundColor(color);
}

void ZEVBackViewer::majPreviewButtons()
{
    ZEVBackView* v = backView();
    ZEVBackTableView* table = backTableView();
    if (!v || !table || !table->selectionModel())
        return;
    const qsizetype n = table->selectionModel()->selectedRows().size();
    v->btnTestImage()->setEnabled(n > 0);
    for (QWidget* w : std::initializer_list<QWidget*>{v->btnSetAsNewChannel(), v->btnSetAsDesktopWallpaper(),
                                                      v->btnImageSize()}) {
        w->setEnabled(true);
        w->setVisible(n == 1);
    }
}

// ---------------------------------------------------------------------------------------------
// The full-screen test

void ZEVBackViewer::testImage()
{
    if (!test_.start(QGuiApplication::keyboardModifiers()))
        beep();
}

int ZEVBackViewer::testSelectedRow()
{
    ZEVBackTableView* table = backTableView();
    if (!table || !table->selectionModel())
        return -1;
    const QModelIndex current = table->selectionModel()->currentIndex();
    if (current.isValid() && table->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.last().row();
}

QColor ZEVBackViewer::testColorForRow(int row)
{
    const std::vector<KELI*> items = model_.actifItems();
    return row >= 0 && std::size_t(row) < items.size() ? model_.colorForImageItem(items[std::size_t(row)])
                                                        : systemDarkGrey();
}

void ZEVBackViewer::testRenderBackObject(ZEVBackObject& object, const QSize& size)
{
    ZEVBackView* v = backView();
    const long tag = v ? v->imageSizeTag() : long(KELOBJECT_SCALE_IN);
    object.setScaleMot(KELServeurDeLiens::LienForInt(KELId(tag), space_.actifCurseur()));
    object.setWindowRect(QRectF(QPointF(0, 0), QSizeF(size)));
    object.loadBackImageSync();
}

void ZEVBackViewer::testPointerHidden(bool hidden) { space_.setSiNSCursorHidden(hidden); }

// ---------------------------------------------------------------------------------------------
// A new Channel or Space from the selected image

void ZEVBackViewer::btnSetAsNewChannel() { newFromImage(true); }

void ZEVBackViewer::btnSetAsDesktopWallpaperClick() { newFromImage(false); }

void ZEVBackViewer::newFromImage(bool channel)
{
    KELI* item = model_.selectedItem();
    ZEVChannelViewerServices* channels = space_.channelViewerServices();
    ZEVBackObject* o = item ? model_.backObjectForItem(item) : nullptr;
    ZEVBackView* v = backView();
    if (!o || !channels || !v)
        return;
    const std::optional<std::string> title = model_.itemTitleForItem(item);
    const QString name =
        title && !title->empty() ? QString::fromStdString(*title) : QStringLiteral("New Space");
    KELI* color = model_.colorItemForImageItem(item);
    const long scale = v->imageSizeTag();
    const bool made = channel ? channels->userChannelAddWihImageURL(o->fileURL(), std::nullopt, name, color, scale)
                              : channels->userSpaceAddWihImageURL(o->fileURL(), name, color, scale);
    if (made)
        Scheduler::shared().perform(this, "_fermerEntity", kFermerDelay, [this] { fermerParLaBarre(); });
}

// ---------------------------------------------------------------------------------------------
// The strip and Quick Look

double ZEVBackViewer::largeurRegardee() const
{
    ZEVBackTableView* table = backTableView();
    return table ? double(table->width()) : ZEVInspectViewer::largeurRegardee();
}

std::unique_ptr<ZEVItemViewCopy> ZEVBackViewer::copiePourLePreview(KELI* item)
{
    const ZEVBackObject* o = model_.existingBackObjectForItem(item);
    const QImage thumbnail = o ? o->thumbnailImage() : QImage();
    // No thumbnail yet has no size to divide by.
    const bool picture = !thumbnail.isNull() && thumbnail.width() > 0;
    const float ratio = picture ? float(thumbnail.height()) / float(thumbnail.width()) : 1.0f;
    auto copy = std::make_unique<ZEVItemViewCopy>(QRectF(), ratio, nullptr, item);
    if (picture) {
        // Typed first: a type given later would put its icon in place of the picture.
        copy->setItemType(QStringLiteral("file"));
        copy->setItemImage(thumbnail);
    }
    if (ZEVBackTableView* table = backTableView())
        copy->setSourceTableView(table, ZEVBackClass::kImageColumn, model_.rowOfItem(item),
                                 picture ? ZEVBackCellGeometry::kImageInset : 0.0);
    return copy;
}

} // namespace tallomer
