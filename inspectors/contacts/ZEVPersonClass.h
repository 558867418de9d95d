#pragma once
// The Contacts inspector's model: the rows core on relation 1000162 (a Channel's identity to a
// contact Object), with the contact lists of every Channel at the Now and the Search cursor, the
// presence commands, removal, the go-to walk of contact changes under its three user defaults,
// and the table's menus, rows out and clipboard. As far as one contact Object goes: its title,
// its picture, its presence on the Channel, opening it with the desktop's address book, and its
// archived card, brought back into the book when the card has gone.
//
// A contact Object's record file names its card by unique id (the Object data store of its
// Channel keeps it); its archive is <drop folder>/<channel>/<Object id>/archive.vcf. Each
// operation reads the record and the archive of the Object's own Channel (the current one for an
// Object without). Main thread only.

#include "inspectors/core/ZEVGotoChanges.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "services/ZEVPersonClassServices.h"
#include "platform/contacts/VCard.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class KELI;
class QMimeData;

namespace tallomer {

class ZEVItemData;
class ZEVItemPB;
class ZEVItemSet;
class ZEVPersonViewer;

class ZEVPersonClass final : public ZEVRowsClass, public ZEVPersonClassServices {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallPersonChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleasePersonChanges";
    static constexpr const char* kGotoTitleKey = "ZEVGotoTitlePersonChanges";
    static constexpr const char* kPersonType = "ABPerson";
    // The Contacts' words; contacts are never duplicated.
    static ZEVInspectNouns nouns()
    {
        return {QStringLiteral("Contact"), QStringLiteral("Contacts"), QStringLiteral("Contact Object"),
                QStringLiteral("Contact Objects"), QStringLiteral("Tallomer"), false};
    }

    static constexpr KELId kNotFoundSticker = 16;
    // The size of the picture of the one-argument imageForItem and of the menu's.
    static constexpr int kImageSide = 256;
    static constexpr int kMenuImageSide = 64;

    // `viewer` may be null (a model on its own, in tests): a missing contact is then only logged,
    // and nothing is shown. Reads the three go-to defaults, writing those missing, and observes
    // them.
    ZEVPersonClass(ZEVSpaceController& space, ZEVPersonViewer* viewer);
    ~ZEVPersonClass() override;

    void referencerAddressBook(VCardFolder* book) override { book_ = book; }
    VCardFolder* addressBook() const { return book_; }

    // ---- titles ----
    QString titleForABPerson(const VCard& card) const { return vcardTitle(card); }
    QString titleForUid(const QString& uid) override;

    // ---- pictures (never null) ----
    QImage imageForItem(KELI* item);
    QImage imageForItem(KELI* item, KELId channelInt, const QSize& size) override;
    QImage menuImageForItem(KELI* item);

    // ---- presence ----
    KELI* creerLienPersonItemForItem(KELI* item, KELDate date) override;

    // ---- adding people to the current Channel, at the active cursor's date ----
    // Each unique id's contact Object joins `set`: one the store does not know yet is made
    // ("ABPerson", "vcf", held by the program), its record written and a presence given from the
    // active cursor's date; a known one is woken, given the current Channel, and recalled when it
    // ever had a presence, else given one. Whether any Object joined the set.
    bool addABPersonUIDs(const QStringList& uids, ZEVItemSet& set);
    // Own Objects dropped or pasted: one that ever had a presence is recalled; another one is given
    // a presence when it has a contact record in the current Channel; the rest are skipped and
    // left as they were. Whether any Object joined the set.
    bool addABPersonZevItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set);

    // ---- opening and the archive ----
    // The table's clicked row, which openPerson opens (set by the Contacts table).
    void setClickedItem(KELI* item) { clickedItem_ = item; }
    void openPerson();
    void openPersonForFrontMode();
    void openPersonForItem(KELI* item) override;
    void archivePersonForItem(KELI* item);
    bool siArchivedToSpaceForItem(KELI* item);
    // The Object's record names that contact from now on: the not-found mark goes, its views on
    // the Now and the Search desks take their stickers again and reload their pictures, and every
    // inspector table is refreshed. False, and nothing changed, when the record cannot be written.
    bool bindItemToUid(KELI* item, const QString& uid);

    // The once-a-run log lines of the pictures start over (tests).
    static void ResetOnceLogs();

    // ---- the presence commands, on the current Channel at the active cursor (Now for Recall Now) ----
    void releasePersonsForItems(const std::vector<KELI*>& items) { presence_.release(items); }
    void forgetPersonsForItems(const std::vector<KELI*>& items) { presence_.forget(items); }
    void recallNowPersonsForItems(const std::vector<KELI*>& items) { presence_.recallNow(items); }
    // Each Object's equivalent in the current Channel; one without (its card gone) is skipped.
    std::vector<KELI*> recallPersonsForItems(const std::vector<KELI*>& items) { return presence_.recall(items); }
    void retainPersonsForItems(const std::vector<KELI*>& items) { presence_.retain(items); }
    // The Object menu's Remove: each Object's contact presences go; one nothing else holds is
    // erased with its words, links and files.
    void deletePersons(const std::vector<KELI*>& items);
    // The previous or next contact change of the found and selected Objects (of any when none
    // is), from the active cursor; 0 when none.
    KELDate previousDate() override;
    KELDate nextDate() override;
    const ZEVGotoChanges& gotoChanges() const { return goto_; }
    ZEVPresenceCommands& presence() { return presence_; }
    ZEVInspectMenus& menus() { return *menus_; }
    ZEVInspectDrag& drag() { return *drag_; }
    // Contacts are not files: nothing is moved or copied.
    std::optional<std::vector<KELI*>> moveToItemsForFrontMode() override { return std::vector<KELI*>(); }
    std::optional<std::vector<KELI*>> moveToSpaceItemsForFrontMode() override { return std::vector<KELI*>(); }
    std::optional<std::vector<KELI*>> copyToItemsForFrontMode() override { return std::vector<KELI*>(); }
    std::optional<std::vector<KELI*>> copyToSpaceItemsForFrontMode() override { return std::vector<KELI*>(); }
    std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() override { return std::nullopt; }

    // ---- the table ----
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    // The records of the Objects, each read in its own Channel, then their titles as text.
    bool writeItems(const std::vector<KELI*>& items, QMimeData& into);
    // ---- the row commands, on the Object of the row menu ----
    void openSelectionInTableView(ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    void archiveToSpaceInTableView(ZEVTableView& table) override;
    // The Handle submenu's archive entry shares its tag with Duplicate To Space: here it archives.
    void duplicateToSpaceInTableView(ZEVTableView& table) override { archiveToSpaceInTableView(table); }
    void copyToInTableView(ZEVTableView& table) override;
    void deleteLego(KELI* lego, ZEVTableView& table) override;
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;

private:
    // The store of the Channel the Object's files are read by: the given one, else the Object's
    // own, else the current one; nullptr when there is none.
    ZEVItemData* storeForItem(KELI* item, KELId channelInt = 0) const;
    // The unique id the Object's record names; absent when the record cannot be read.
    std::optional<QString> uidForItem(KELI* item, KELId channelInt = 0) const;
    QString archivePathForItem(KELI* item) const;
    QImage pictureFor(const VCard& card, const QSize& size) const;
    QImage imageForItem(KELI* item, KELId channelInt, const QSize& size, bool& logged);
    // The Object is marked not found (0x4) and its view on the active desk wears sticker 16.
    void markNotFound(KELI* item);
    // The card is there again: the mark and its sticker go.
    void markFound(KELI* item);
    void setSticker(KELI* item, int code);
    QString titleAtActifCurseur(KELI* item) const;

    // The Object of the row menu, found again by id: nullptr once it is gone.
    KELI* rightItem() const;

    ZEVPersonViewer* viewer_; // not owned: the owner
    VCardFolder* book_ = nullptr; // the Space desks' address book; not owned
    KELI* clickedItem_ = nullptr;
    KELId rightMenuId_ = 0;
    ZEVGotoChanges goto_;
    ZEVPresenceCommands presence_;
    std::unique_ptr<ZEVInspectMenus> menus_;
    std::unique_ptr<ZEVInspectDrag> drag_;
};

} // namespace tallomer
