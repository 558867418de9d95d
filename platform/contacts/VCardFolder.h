#pragma once
// The address book: a folder of .vcf files (one card or more each; a vdir as contact programs and
// synchronisers keep it), indexed by UID. Default $XDG_DATA_HOME/contacts. The index follows the
// folder: it is read again when a file was added, removed or changed. Main thread only.

#include "platform/contacts/VCard.h"
#include "platform/files/FileResult.h"

#include <QDateTime>
#include <QMap>
#include <QString>

#include <optional>

namespace tallomer {

inline constexpr int kMaxVCardFiles = 20000;

// A contact's dates as the address book keeps them: the card file's birth, its revision (the
// file's modification when the card gives none).
struct VCardDates {
    std::optional<KELDate> created;
    std::optional<KELDate> modified;
};

class VCardFolder {
public:
    static QString defaultFolder();

    explicit VCardFolder(QString folder = defaultFolder());
    const QString& folder() const { return folder_; }

    std::optional<VCard> cardForUid(const QString& uid);
    // The contact's title (vcardTitle); "? ?" for a UID the book does not hold.
    QString titleForUid(const QString& uid);
    // Absent for a UID the book does not hold.
    std::optional<VCardDates> datesForUid(const QString& uid);

    // Adds a card the book does not hold yet as a new file named after its UID, written whole
    // before it is named and never over another file; the folder is made when missing. A card
    // whose UID the book holds is left alone (success). The written path in *path, if given.
    FileResult addCard(const VCard& card, QString* path = nullptr);

private:
    struct Entry {
        VCard card;
        QString file;
    };
    void refresh();

    QString folder_;
    // What the index was read from: each file's size and modification time.
    QMap<QString, std::pair<qint64, QDateTime>> seen_;
    QMap<QString, Entry> byUid_;
};

} // namespace tallomer
