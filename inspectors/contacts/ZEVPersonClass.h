#pragma once
// The Contacts inspector's model, as far as one contact Object goes: its title, its picture, its
// presence on the Channel, opening it with the desktop's address book, and its archived card,
// brought back into the book when the card has gone. The contact lists come with the Contacts
// inspector's rows.
//
// A contact Object's record file names its card by unique id (the Object data store of its
// Channel keeps it); its archive is <drop folder>/<channel>/<Object id>/archive.vcf. Each
// operation reads the record and the archive of the Object's own Channel (the current one for an
// Object without). Main thread only.

#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/services/ZEVPersonClassServices.h"
#include "platform/contacts/VCard.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class KELI;

namespace tallomer {

class ZEVItemData;

class ZEVPersonClass final : public ZEVInspectClass, public ZEVPersonClassServices {
public:
    static constexpr KELId kNotFoundSticker = 16;
    // The size of the picture of the one-argument imageForItem and of the menu's.
    static constexpr int kImageSide = 256;
    static constexpr int kMenuImageSide = 64;

    // `viewer` may be null (a model on its own, in tests): a missing contact is then only logged.
    ZEVPersonClass(ZEVSpaceController& space, ZEVPersonViewerServices* viewer);

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

    // ---- opening and the archive ----
    // The table's clicked row, which openPerson opens (set by the Contacts table).
    void setClickedItem(KELI* item) { clickedItem_ = item; }
    void openPerson();
    void openPersonForFrontMode();
    void openPersonForItem(KELI* item) override;
    void archivePersonForItem(KELI* item);
    bool siArchivedToSpaceForItem(KELI* item);

    // The once-a-run log lines of the pictures start over (tests).
    static void ResetOnceLogs();

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

    ZEVPersonViewerServices* viewer_;
    VCardFolder* book_ = nullptr; // the Space desks' address book; not owned
    KELI* clickedItem_ = nullptr;
};

} // namespace tallomer
