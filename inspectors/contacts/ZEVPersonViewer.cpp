#include "inspectors/contacts/ZEVPersonViewer.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonTextCell.h"
#include "inspectors/core/ZEVFrontModeLists.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/contacts/VCardFolder.h"
#include "platform/desktop/ContactOpener.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMenu>

namespace tallomer {

namespace {
constexpr double kLegoHeight = 19.0;
constexpr double kLegoOffset = 5.0;
constexpr int kRowHeight = 29;
constexpr int kPictureWidth = 29;
constexpr int kModeWidth = 22;
constexpr int kEntityIconSide = 20;
constexpr int kPictureColumn = 4;
constexpr int kTitleColumn = 5;
// A point over no row and no column.
constexpr QPointF kPointerGone(-10.0, -10.0);

QIcon addressBookIcon()
{
    const QString name = addressBookIconName();
    const QIcon fallback = iconForFileType(QStringLiteral("vcf"));
    return QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name, fallback);
}
} // namespace

ZEVPersonViewer::ZEVPersonViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVRowsViewer(space, entityInt), model_(space, this)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVPersonViewer::~ZEVPersonViewer() { Scheduler::shared().cancelAll(&model_); }

void ZEVPersonViewer::awakeFromNib()
{
    ZEVRowsViewer::awakeFromNib();
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    table->setLegoHeight(kLegoHeight, kLegoOffset);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    for (int c = 0; c < 4; ++c)
        table->horizontalHeader()->resizeSection(c, kModeWidth);
    table->horizontalHeader()->resizeSection(kPictureColumn, kPictureWidth);
    table->setItemDelegateForColumn(kTitleColumn, new ZEVPersonTextCell(table->itemDelegate(), table));
    table->setItemDelegateForColumn(kPictureColumn, new ZEVPersonPictureCell(table));
    table->viewport()->installEventFilter(this);
    table->setIconSize(QSize(kPictureWidth - 2, kPictureWidth - 2));
    QObject::connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { openPerson(i.row()); });
    model_.drag().referencerInspectTableView(table);
    // Opened from the entity bar before any desk asked for a contact, the model has no address
    // book yet: the desks' services hand it theirs (they find this viewer made).
    if (!model_.addressBook())
        if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.nowCurseur()))
            if (ZEVSpaceForObjectViews* desks = iv->spaceController())
                desks->personClass();
    if (QAction* book = ZEVMenuItemWithTag(entityMenu(), kAddressBookTag)) {
        book->setText(QStringLiteral("Open the Address Book"));
        book->setIcon(addressBookIcon().pixmap(kEntityIconSide, kEntityIconSide));
    }
    // A contact's card is found by its name, not by where a file lies: the finds by holder, which
    // find nothing here, are not offered.
    for (const long tag : {22001L, 22002L, 22003L})
        if (QAction* a = ZEVMenuItemWithTag(findMenu(), tag))
            a->setVisible(false);
    majInspectView();
    frontModeDidChange();
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVPersonViewer::appliquer(Commande commande, const std::vector<KELI*>& items)
{
    appliquerPresence(model_.presence(), commande, items);
}

void ZEVPersonViewer::majActionButtons()
{
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : -1;
    if (siFirstResponder())
        updateMenuMacForMode(mode);
    bool release = false;
    bool recall = false;
    const ZEVRowList& listed = model_.actifListe();
    const auto all = ZEVItemsForFrontMode(space_, mode, [](KELI*) { return true; });
    for (KELI* o : all.value_or(std::vector<KELI*>())) {
        if (o->channelInt() != currentChannelInt_) {
            recall = true;
            break;
        }
        if (!listed.contient(o))
            continue;
        (siItemActif(o) ? release : recall) = true;
        if (release && recall)
            break;
    }
    majActionButtonsWithFlags(release, recall);
}

bool ZEVPersonViewer::siItemActif(KELI* item) { return model_.presence().legoAt(item, space_.actifCurseur()) != nullptr; }

bool ZEVPersonViewer::siItemActifNow(KELI* item)
{
    return model_.presence().legoAt(item, space_.nowCurseur()) != nullptr;
}

std::unique_ptr<ZEVItemViewCopy> ZEVPersonViewer::copiePourLePreview(KELI* item)
{
    std::unique_ptr<ZEVItemViewCopy> c = ZEVRowsViewer::copiePourLePreview(item);
    ZEVItemViewCopy& copy = *c;
    const QImage picture = model_.imageForItem(item);
    if (!picture.isNull() && picture.width() > 0) {
        copy.setImageSizeRatio(float(picture.height()) / float(picture.width()));
        copy.setItemImage(picture);
    }
    ZEVInspectView* v = inspectViewIfBuilt();
    const int row = model_.actifListe().indexOf(item);
    if (v && row >= 0)
        copy.setSourceTableView(v->inspectTableView(), kPictureColumn, row, 0.0);
    return c;
}

bool ZEVPersonViewer::eventFilter(QObject* watched, QEvent* event)
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVInspectTableView* table = v ? v->inspectTableView() : nullptr;
    if (table && watched == table->viewport() && event->type() == QEvent::Leave) {
        table->mouseMovedAtPoint(kPointerGone);
        table->viewport()->update();
    }
    return ZEVRowsViewer::eventFilter(watched, event);
}

void ZEVPersonViewer::userOpen() { model_.openPersonForFrontMode(); }

void ZEVPersonViewer::userDelete() { model_.deletePersons(itemsPourLeMode()); }

void ZEVPersonViewer::menuEntity()
{
    const VCardFolder* book = model_.addressBook();
    const QString folder = book ? book->folder() : VCardFolder::defaultFolder();
    QString error;
    if (!openAddressBook(folder, &error)) {
        logFormat("ZEVPersonViewer menuEntity: %s", qUtf8Printable(error));
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The address book could not be opened."),
            QStringLiteral("No program could show the contact cards in %1 (%2).").arg(QDir::toNativeSeparators(folder), error));
    }
}

void ZEVPersonViewer::userReleasePersonItem(KELI* item)
{
    if (!item)
        return;
    model_.releasePersonsForItems({item});
    if (KELICurseur* c = space_.actifCurseur())
        c->terminerDeplacementCurseur();
}

void ZEVPersonViewer::userRecallPersonItem(KELI* item)
{
    if (!item)
        return;
    model_.recallPersonsForItems({item});
    replacer(space_.actifCurseur());
}

void ZEVPersonViewer::userRecallNowPersonItem(KELI* item)
{
    if (!item)
        return;
    model_.recallNowPersonsForItems({item});
    replacer(space_.nowCurseur());
}

void ZEVPersonViewer::userOpenPersonItem(KELI* item) { model_.openPersonForItem(item); }

void ZEVPersonViewer::openPerson(int row)
{
    ZEVInspectView* v = inspectViewIfBuilt();
    const ZEVTableElement* e = v ? v->inspectTableView()->element(row) : nullptr;
    if (!e || !e->item)
        return;
    model_.setClickedItem(e->item);
    model_.openPerson();
}

// ---------------------------------------------------------------------------------------------
// Drops and pastes

Qt::DropAction ZEVPersonViewer::dragOperationForDraggingInfo(const QMimeData* data, long sequence)
{
    using P = ZEVPasteboard;
    P::AnalysePasteboard(data, sequence);
    const bool persons = !P::ABPersonUIDs().empty();
    const bool own = !P::ZEVItems().empty();
    ZEVItemSet set;
    if (persons)
        P::CheckABPersonUIDs(P::ABPersonUIDs(), set);
    if (own)
        P::CheckZEVItems(P::ZEVItems(), set);
    // Shown once per drag, whatever the front mode: the Objects a drop would reuse.
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    ZEVSpaceForDeskViewers* bridge = desk ? desk->space() : nullptr;
    if (bridge && space_.draggingSessionInteger() != sequence)
        bridge->selectIconForItemSet(set.items(), {});
    return persons || own ? Qt::CopyAction : Qt::IgnoreAction;
}

bool ZEVPersonViewer::userPerformDragOrPaste()
{
    using P = ZEVPasteboard;
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    if (!desk)
        return false;
    ZEVItemSet set;
    bool added = false;
    if (!P::ABPersonUIDs().empty()) {
        ZEVSpaceForDeskViewers* bridge = desk->space();
        QStringList uids;
        for (const ZEVPastedPerson& person : P::ABPersonUIDs()) {
            // A card the address book lacks joins it, so that the contact is titled and found.
            if (person.card && bridge)
                bridge->addPersonCard(person.card->bytes);
            uids << person.uid;
        }
        added = model_.addABPersonUIDs(uids, set);
    }
    // People and own Objects together: either one adding something is a success.
    if (!P::ZEVItems().empty())
        added = model_.addABPersonZevItems(P::ZEVItems(), set) || added;
    finishAdding(set);
    P::TellLeftOut();
    return added;
}

void ZEVPersonViewer::finishAdding(const ZEVItemSet& set)
{
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur())) {
        ZEVImportLookups::linkToSelectedFilters(*desk, set);
        if (KELICurseur* c = space_.actifCurseur())
            c->terminerDeplacementCurseur();
        if (!set.empty())
            ZEVImportLookups::selectInFrontMode(*desk, set.items());
    }
    model_.majIndexOfSelectedRows();
    scrollToFirstSelectedRow();
    // A new Object's presence reaches the lists with the engine's change, after this: its row is
    // scrolled to when the table takes that change.
    siScrollAfterRefresh_ = !set.empty();
}

void ZEVPersonViewer::majInspectView()
{
    ZEVRowsViewer::majInspectView();
    if (!siScrollAfterRefresh_)
        return;
    siScrollAfterRefresh_ = false;
    scrollToFirstSelectedRow();
}

} // namespace tallomer
