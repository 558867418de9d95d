#pragma once
// The address book: a folder of .vcf files (one card or more each; a vdir as contact programs and
// synchronisers keep it), indexed by UID. Default $XDG_DATA_HOME/contacts. The index follows the
// folder through a directory watch: a burst of changes is looked at once, 1.0 s after its first
// change, and only the files added, removed or changed since are read again. A lookup reads the
// folder itself only while it cannot be watched (it does not exist yet). Main thread only.

#include "platform/contacts/VCard.h"
#include "platform/files/FileResult.h"

#include <QHash>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tallomer {

class DirectoryWatch;

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
    // Makes the watch on a folder; tests put in one they drive. The default is inotify's.
    using WatchMaker = std::function<std::unique_ptr<DirectoryWatch>(const QString& folder)>;

    explicit VCardFolder(QString folder = defaultFolder(), WatchMaker makeWatch = {});
    ~VCardFolder();
    VCardFolder(const VCardFolder&) = delete;
    VCardFolder& operator=(const VCardFolder&) = delete;

    const QString& folder() const { return folder_; }
    // Follows another folder from now on; the index is read again at the next lookup.
    void setFolder(QString folder);

    std::optional<VCard> cardForUid(const QString& uid);
    // The contact's title (vcardTitle); "? ?" for a UID the book does not hold.
    QString titleForUid(const QString& uid);
    // Absent for a UID the book does not hold.
    std::optional<VCardDates> datesForUid(const QString& uid);
    // The file holding the card; empty for a UID the book does not hold.
    QString fileForUid(const QString& uid);

    // Adds a card the book does not hold yet as a new file named after its UID, written whole
    // before it is named and never over another file; the folder is made when missing. A card
    // whose UID the book holds is left alone (success). The written path in *path, if given.
    FileResult addCard(const VCard& card, QString* path = nullptr);
    // Adds the card as a new entry whatever the book holds: under its own UID while no card has
    // it, else under a fresh one written into its text; its REV is set to `now`. The UID it was
    // added under in *uid, the written path in *path.
    FileResult addCardAsNewEntry(const VCard& card, KELDate now, QString* uid, QString* path = nullptr);

    // Every card the book holds (the one that wins its UID), in file-name order. The pointers stay
    // good until the book next changes.
    std::vector<const VCard*> cards();
    // Told after a look at the folder (or a card added) changed what the book holds. Answers an id
    // for removeChangeObserver.
    int addChangeObserver(std::function<void()> fn);
    void removeChangeObserver(int id);
    // Expires when the book goes: an observer that may outlive it looks before it calls.
    std::weak_ptr<const int> lifetime() const { return lifetime_; }

    // Looks at the folder now: the files added, removed or changed since are read again.
    void rescan();
    // How many files have been read since the book was made (for tests and benchmarks).
    qint64 filesRead() const { return filesRead_; }

private:
    struct FileState {
        QString path;
        qint64 size = -1;
        qint64 modifiedNs = 0; // modification time, nanoseconds since the Unix epoch
        QList<VCard> cards;
        bool seen = false; // listed by the look in progress
    };
    struct Entry {
        const VCard* card = nullptr;
        QString file;
    };
    void ensureIndexed();
    // Reads the files of these states; counted in filesRead.
    void readFiles(const std::vector<FileState*>& states);
    static void readFile(const QString& path, FileState& state);
    void rebuildIndex();
    // The file just written by addCard: indexed at once, without waiting for the watch.
    void indexWritten(const QString& path);
    void tellObservers();

    QString folder_;
    WatchMaker makeWatch_;
    std::unique_ptr<DirectoryWatch> watch_;
    bool watching_ = false;
    bool indexed_ = false;
    bool overCountLogged_ = false;
    qint64 filesRead_ = 0;
    // What the index was read from, by file name in byte order (the order cards win a UID by).
    std::map<QByteArray, FileState> files_;
    QHash<QString, Entry> byUid_;
    std::map<int, std::function<void()>> observers_;
    std::shared_ptr<const int> lifetime_ = std::make_shared<const int>(0);
    int nextObserver_ = 1;
};

} // namespace tallomer
