#pragma once
// The store on disk and the start-up steps that lay it out.
//
// Every step logs its failures in the words the support pages quote and answers whether the start
// may go on. None of them ever overwrites a file the user already has: an entry moved out of the
// older single-Channel layout that meets a namesake stays where it was, and copies from the
// program's own files are written under a temporary name and renamed into place, so an
// interrupted first start never leaves a half-copied link base behind that the next start would
// take for the real one.

#include "engine/KELTypes.h"
#include "space/ZEVConstants.h"

#include <QString>

#include <functional>

namespace tallomer {

struct KELStoreLayout {
    static constexpr KELId kHomeChannel = KELOBJECT_HOME_CHANNEL;

    // appSupport: the user's application data folder ($XDG_DATA_HOME); home: the home folder.
    KELStoreLayout(const QString& appSupport, const QString& home);
    // The user's own folders.
    static KELStoreLayout standard();

    QString zevDir;    // <appSupport>/Tallomer: the store folder
    QString zevLocal;  // <store>/local
    QString zevImport; // <appSupport>/TallomerImport
    // <appSupport>/TallomerPrevious: the store an import replaced, kept until the new one has
    // opened once
    QString zevPrevious;
    QString zevBase;   // <store>/zev.sqlite
    QString zevDrop;   // <store>/local/zevDrop
    QString zevData;   // <store>/local/zevData
    QString zevFolder; // <home>/Tallomer/ (with the trailing slash)

    QString channelDrop() const; // zevDrop/2000018
    QString channelData() const; // zevData/2000018
    QString oldDrop() const;     // <store>/zevDrop, the older layout
    QString oldData() const;     // <store>/zevData
    QString wallpaper(const QString& name) const; // <store>/<name>.pdf
};

namespace store {

// Called with the new path of every record moved out of the older layout.
using TransitionHook = std::function<void(const QString& movedRecordPath)>;

enum class Migration {
    Done,           // nothing to move, or everything moved
    Stop,           // a Channel folder could not be made
    LeftoverAlert,  // an old folder is still there: tell the user, then stop
};

// A folder the start could not make, and why.
struct FolderFailure {
    QString folder;
    QString error;
};

// Moves the contents of the older single-Channel folders into Channel 2000018.
// Stop: the Channel folder that could not be made in `failure` when given.
Migration migrateOldLayout(const KELStoreLayout& layout, const TransitionHook& transition,
                           FolderFailure* failure = nullptr);
// The store folder, with intermediate folders. false: stop, with the reason in `failure` when given.
bool makeStoreFolder(const KELStoreLayout& layout, FolderFailure* failure = nullptr);
// Copies the template link base into the store unless it is there. false: stop, with the reason
// in `error` when given.
bool copyTemplateIfMissing(const KELStoreLayout& layout, const QString& templatePath, QString* error = nullptr);
// zevDrop, zevData and their Channel 2000018 folders. false: stop, with the folder that could not
// be made in `failure` when given.
bool makeDataFolders(const KELStoreLayout& layout, FolderFailure* failure = nullptr);
// What in the store folder `storeFolder` stands where the start makes its folders (a file, or a
// link that leads nowhere); empty when the start can make or use them all.
QString folderObstacle(const QString& storeFolder);
// The four wallpapers; failures are logged and the start goes on. `sourceFor` answers the
// program's copy of a wallpaper (empty when it has none). Answers how many were copied.
int copyMissingWallpapers(const KELStoreLayout& layout, const std::function<QString(const QString&)>& sourceFor);
// The names of the four wallpapers, in the order they are copied.
const QStringList& wallpaperNames();

enum class UserFolder { Existing, Created, Failed };
// ~/Tallomer with permissions 0700; an existing folder is left as it is.
UserFolder makeUserFolder(const KELStoreLayout& layout, FolderFailure* failure = nullptr);

// Creates `path` (and with `intermediate` its missing parents). An existing folder is success;
// an existing file of that name is not. `error` receives the system's description.
bool ensureFolder(const QString& path, bool intermediate, QString* error);
// Copies `source` to `target` through a temporary file in the target's folder; never replaces an
// existing target. `error` receives the system's description.
bool copyFileSafely(const QString& source, const QString& target, QString* error);

} // namespace store
} // namespace tallomer
