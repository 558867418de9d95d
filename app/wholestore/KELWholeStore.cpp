#include "app/wholestore/KELWholeStore.h"

#include "app/KELApplication.h"
#include "app/ZEVController.h"
#include "widgets/ZEVAlert.h"
#include "app/widgets/ZEVFilePanel.h"
#include "app/widgets/ZEVProgressPanel.h"
#include "app/widgets/ZEVUninstallPanel.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/desktop/GtkBookmarks.h"
#include "platform/files/StoreLock.h"
#include "platform/files/ZipArchive.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QWidget>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <variant>

namespace tallomer {

namespace {

// As long as the link base's own connection waits on a busy file.
constexpr int kBusyWaitMs = 1000;

void say(const QString& line) { logLine(line.toStdString()); }

QString canonicalOrClean(const QString& path)
{
    // The nearest existing folder resolves links; what lies below it is taken as written.
    QFileInfo info(path);
    QString rest;
    QString at = QDir::cleanPath(info.absoluteFilePath());
    while (!at.isEmpty() && !QFileInfo::exists(at)) {
        const qsizetype slash = at.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            break;
        rest = at.mid(slash) + rest;
        at = at.left(slash);
    }
    const QString canonical = QFileInfo(at).canonicalFilePath();
    return (canonical.isEmpty() ? at : canonical) + rest;
}

constexpr const char* kTerminate = "terminate";

} // namespace

KELWholeStore::KELWholeStore(KELApplication& app) : app_(app) {}

KELWholeStore::~KELWholeStore()
{
    // A job still running hands its result to this object: it must end first.
    if (busy_)
        QThreadPool::globalInstance()->waitForDone();
}

bool KELWholeStore::isInside(const QString& path, const QString& folder)
{
    const QString p = canonicalOrClean(path);
    const QString f = canonicalOrClean(folder);
    return p == f || p.startsWith(f + QLatin1Char('/'));
}

QString KELWholeStore::checkStore(const QString& folder)
{
    const QString path = folder + QStringLiteral("/zev.sqlite");
    if (!QFileInfo(path).isFile())
        return QStringLiteral("it holds no link base (zev.sqlite)");
    // The checks the next start would make, before anything of the store is touched.
    const std::string why = KELDemarrage::VerifierLeFichier(QFile::encodeName(path).toStdString(),
                                                            KELApplication::kCurseurTimelineInt,
                                                            {ZEVController::kRootSpaceInt});
    if (!why.empty())
        return QStringLiteral("its link base cannot be used: %1").arg(QString::fromStdString(why));
    // A start that cannot make its folders stops before the link base is ever opened.
    if (const QString obstacle = store::folderObstacle(folder); !obstacle.isEmpty())
        return QStringLiteral("its folders cannot be laid out: %1").arg(obstacle);
    // Nor can a start lock the store through anything but a plain file.
    const QFileInfo lock(StoreLock::lockFilePath(folder));
    if (lock.isSymLink() || (lock.exists() && !lock.isFile()))
        return QStringLiteral("its lock file %1 is no plain file").arg(lock.fileName());
    return QString();
}

FileResult KELWholeStore::snapshotDatabase(const QString& database, const QString& snapshot)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return FileResult::failure(QStringLiteral("cannot open %1: %2").arg(database, why));
    }
    // The program's own connection and its merging thread hold the file's locks for moments: the
    // copy waits for them as the program's writes do, rather than fail the archive.
    sqlite3_busy_timeout(db, kBusyWaitMs);
    sqlite3_stmt* st = nullptr;
    QString error;
    if (sqlite3_prepare_v2(db, "VACUUM INTO ?1;", -1, &st, nullptr) != SQLITE_OK ||
        sqlite3_bind_text(st, 1, QFile::encodeName(snapshot).constData(), -1, SQLITE_TRANSIENT) != SQLITE_OK ||
        sqlite3_step(st) != SQLITE_DONE)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (error.isEmpty()) {
        // The copy is one file of its own: no write-ahead log goes with it.
        sqlite3* copy = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(snapshot).constData(), &copy, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_busy_timeout(copy, kBusyWaitMs) != SQLITE_OK ||
            sqlite3_exec(copy, "PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr) != SQLITE_OK)
            error = QString::fromUtf8(copy ? sqlite3_errmsg(copy) : "cannot open the copy");
        sqlite3_close(copy);
    }
    if (!error.isEmpty())
        return FileResult::failure(QStringLiteral("cannot copy the link base %1: %2").arg(database, error));
    return FileResult::success();
}

void KELWholeStore::showPanel(const QString& title, const QString& message)
{
    panel_ = std::make_unique<ZEVProgressPanel>(false);
    QWidget* window = panel_->window();
    window->setWindowTitle(title);
    // Nothing else is done meanwhile: the store is what is being archived or replaced.
    window->setWindowModality(Qt::ApplicationModal);
    panel_->setMessage(message);
    panel_->showWindow();
}

void KELWholeStore::closePanel()
{
    if (panel_)
        panel_->close();
}

// ---- export --------------------------------------------------------------------------------------

void KELWholeStore::menuTallomerExportAll()
{
    if (busy_)
        return;
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::Save;
    request.title = QStringLiteral("Export the current Tallomer\u2026");
    request.prompt = QStringLiteral("Export");
    request.directory = QDir::homePath();
    request.suffix = QStringLiteral("zip");
    const QString target = ZEVFilePanel::run(request);
    if (target.isEmpty())
        return;
    if (isInside(target, app_.zevDirURL()) || isInside(target, app_.zevImportURL())) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The archive cannot be saved there."),
            QStringLiteral("%1 lies inside Tallomer's store, which the archive is made of. Choose a folder outside %2.")
                .arg(target, app_.zevDirURL()));
        return;
    }

    // The link base as one consistent file, made here where the link base lives.
    auto snapshotFolder = std::make_shared<QTemporaryDir>(QFileInfo(target).absolutePath() +
                                                          QStringLiteral("/.tallomer-export-XXXXXX"));
    const QString snapshot = snapshotFolder->isValid() ? snapshotFolder->filePath(QStringLiteral("zev.sqlite")) : QString();
    const FileResult copied = snapshot.isEmpty()
                                  ? FileResult::failure(QStringLiteral("cannot create a temporary folder beside %1: %2")
                                                            .arg(target, snapshotFolder->errorString()))
                                  : snapshotDatabase(app_.zevBaseURL(), snapshot);
    if (!copied) {
        exportDone(copied, target);
        return;
    }

    ZipWriteRequest zip;
    zip.folder = app_.zevDirURL();
    zip.target = target;
    zip.skip = {QFileInfo(StoreLock::lockFilePath(zip.folder)).fileName(), QStringLiteral("zev.sqlite-wal"),
                QStringLiteral("zev.sqlite-shm"), QStringLiteral("zev.sqlite-journal")};
    zip.substitutes.insert(QStringLiteral("zev.sqlite"), snapshot);

    showPanel(QStringLiteral("Exporting\u2026"), QStringLiteral("Exporting the current Tallomer\u2026"));
    busy_ = true;
    QThreadPool::globalInstance()->start([this, zip, snapshotFolder] {
        const FileResult result = writeZipArchive(zip);
        QMetaObject::invokeMethod(this, [this, result, target = zip.target, snapshotFolder] {
            exportDone(result, target);
        }, Qt::QueuedConnection);
    });
}

void KELWholeStore::exportDone(const FileResult& result, const QString& target)
{
    busy_ = false;
    closePanel();
    if (result)
        return;
    say(QStringLiteral("Unexpected error when export file: %1").arg(result.error));
    ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("The export failed."),
                                         QStringLiteral("Nothing was saved at %1: %2").arg(target, result.error));
}

// ---- import --------------------------------------------------------------------------------------

void KELWholeStore::menuTallomerImportAll()
{
    if (busy_)
        return;
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::Open;
    request.title = QStringLiteral("Import a previous Tallomer\u2026");
    request.prompt = QStringLiteral("Import\u2026");
    request.directory = QDir::homePath();
    request.suffix = QStringLiteral("zip");
    const QString archive = ZEVFilePanel::run(request);
    if (archive.isEmpty())
        return;
    if (!ZEVAlert::ShowYesNoAlertWithTitle(QFileInfo(archive).fileName(), QStringLiteral("Import a new Tallomer?"),
                                           QStringLiteral("All current Objects in Tallomer will be replaced!")))
        return;

    const QString destination = app_.zevImportURL();
    if (!removeTree(destination) || !QDir().mkpath(destination)) {
        importChecked(FileResult::failure(QStringLiteral("the folder %1 cannot be made empty").arg(destination)), archive);
        return;
    }
    ZipLimits limits;
    limits.maxTotalBytes = QStorageInfo(destination).bytesAvailable();

    showPanel(QStringLiteral("Importing\u2026"), QStringLiteral("Importing a previous Tallomer\u2026"));
    busy_ = true;
    QThreadPool::globalInstance()->start([this, archive, destination, limits] {
        FileResult result = unpackZipArchive(archive, destination, limits);
        if (result) {
            const QString why = checkStore(destination);
            if (!why.isEmpty())
                result = FileResult::failure(why);
        }
        QMetaObject::invokeMethod(this, [this, result, archive] { importChecked(result, archive); }, Qt::QueuedConnection);
    });
}

void KELWholeStore::importChecked(const FileResult& result, const QString& archive)
{
    busy_ = false;
    closePanel();
    if (!result) {
        say(QStringLiteral("ERROR during importing: %1").arg(result.error));
        if (!removeTree(app_.zevImportURL()))
            say(QStringLiteral("ERROR when deleting TallomerImport folder: %1").arg(app_.zevImportURL()));
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("%1 cannot be imported.").arg(QFileInfo(archive).fileName()),
            QStringLiteral("The archive was refused: %1. Your current Tallomer is unchanged.").arg(result.error));
        return;
    }
    app_.setAppTerminate(1);
    app_.setImportURL(archive);
    KELApplication* app = &app_;
    Scheduler::shared().perform(this, kTerminate, 0, [app] { app->terminate(nullptr); });
}

// ---- uninstall -----------------------------------------------------------------------------------

ZEVUninstallPanel* KELWholeStore::uninstallPanel()
{
    if (!uninstallPanel_) {
        ZEVUninstallPanel::Folders folders{app_.zevDirURL(), app_.zevDropURL(), app_.zevDataURL()};
        KELApplication* app = &app_;
        // Titles as the timeline cursor sees them, read when the links are made.
        auto titles = [app](KELId id) -> QString {
            KELICurseur* tl = app->zevController() ? app->zevController()->tlCurseur() : nullptr;
            KELI* item = tl ? KELServeurDeLiens::LienForInt(id, tl) : nullptr;
            KELI* title = item ? item->enfantDeRelInt(KELRELATION_ITEM_TITLE, tl) : nullptr;
            const KELValue value = title ? title->base() : KELValue{};
            return std::holds_alternative<std::string>(value) ? QString::fromStdString(std::get<std::string>(value))
                                                              : QString();
        };
        uninstallPanel_ = std::make_unique<ZEVUninstallPanel>(folders, titles);
    }
    return uninstallPanel_.get();
}

void KELWholeStore::menuTallomerQuitUninstall()
{
    if (busy_)
        return;
    ZEVUninstallPanel* panel = uninstallPanel();
    if (panel->runModal() != 1)
        return;
    if (panel->siExportZevItems()) {
        ZEVFilePanelRequest request;
        request.kind = ZEVFilePanelRequest::Kind::Folder;
        request.title = QStringLiteral("Uninstall Tallomer");
        request.prompt = QStringLiteral("Save");
        request.directory = QDir::homePath();
        request.message = panel->siExportZevAlias()
                              ? QStringLiteral("Select the folder where Objects must be moved and Alias must be created")
                              : QStringLiteral("Select the folder where Objects must be moved");
        const QString folder = ZEVFilePanel::run(request);
        if (folder.isEmpty())
            return;
        if (isInside(folder, app_.zevDirURL()) || isInside(folder, app_.zevImportURL())) {
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("The Objects cannot be moved there."),
                QStringLiteral("%1 lies inside Tallomer's store, which the uninstall removes. Choose a folder outside %2.")
                    .arg(folder, app_.zevDirURL()));
            return;
        }
        if (!panel->backupAllZevItemsAtURL(folder) &&
            !ZEVAlert::ShowYesNoAlertWithTitle(QStringLiteral("Tallomer"), QStringLiteral("Uninstall Tallomer"),
                                               QStringLiteral("All Objects cannot be moved. Do you really want to continue?")))
            return;
        if (panel->siExportZevAlias() && !panel->backupAllZevAliasAtURL(folder) &&
            !ZEVAlert::ShowYesNoAlertWithTitle(QStringLiteral("Tallomer"), QStringLiteral("Uninstall Tallomer"),
                                               QStringLiteral("All Alias cannot be created. Do you really want to continue?")))
            return;
    }
    app_.setAppTerminate(2);
    KELApplication* app = &app_;
    Scheduler::shared().perform(this, kTerminate, 0, [app] { app->terminate(nullptr); });
}

// ---- at the end of the quit sequence -------------------------------------------------------------

void KELWholeStore::terminate(int appTerminate)
{
    if (appTerminate == 1 && !app_.importURL().isEmpty())
        finishImport();
    else if (appTerminate == 2)
        finishUninstall();
}

void KELWholeStore::quitCancelled()
{
    const int action = app_.appTerminate();
    const QString archive = app_.importURL();
    app_.setAppTerminate(0);
    app_.setImportURL(QString());
    if (action == 1) {
        if (!removeTree(app_.zevImportURL()))
            say(QStringLiteral("ERROR when deleting TallomerImport folder: %1").arg(app_.zevImportURL()));
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The import was cancelled."),
            QStringLiteral("Tallomer did not quit, so %1 was not imported. Your current Tallomer is unchanged; "
                           "choose Import Tallomer\u2026 again to import it.")
                .arg(QFileInfo(archive).fileName()));
    } else if (action == 2) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The uninstall was cancelled."),
            QStringLiteral("Tallomer did not quit, so it was not uninstalled. Files already moved out of the store "
                           "stay where they were moved; choose Uninstall Tallomer\u2026 again to uninstall it."));
    }
}

void KELWholeStore::finishImport()
{
    app_.setImportURL(QString());
    const QString import = app_.zevImportURL();
    const QString store = app_.zevDirURL();
    const QString aside = app_.layout().zevPrevious;
    auto refuse = [this, import](const QString& why) {
        ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("The import could not be completed."),
                                             QStringLiteral("%1. Your current Tallomer was kept.").arg(why));
        if (QFileInfo(app_.zevDirURL()).isDir() && !removeTree(import))
            say(QStringLiteral("ERROR when deleting TallomerImport folder: %1").arg(import));
    };
    // A store an earlier import kept aside is older than the one that has just run.
    if (QFileInfo::exists(aside) && !removeTree(aside)) {
        say(QStringLiteral("ERROR when deleting the previous Tallomer folder: %1").arg(aside));
        refuse(QStringLiteral("%1 cannot be removed").arg(aside));
        return;
    }
    QString previous;
    const FileResult swapped = swapFolderInto(import, store, &previous, rename_);
    if (!swapped) {
        say(QStringLiteral("ERROR when renaming Tallomer folder: %1").arg(swapped.error));
        // The unpacked archive goes only while the store is back in its place.
        refuse(swapped.error);
        return;
    }
    // The current store waits aside until the imported one has opened once: a start that cannot
    // open it puts this one back.
    if (!previous.isEmpty() && rename_(QFile::encodeName(previous), QFile::encodeName(aside), RENAME_NOREPLACE) != 0) {
        const QString why = QStringLiteral("%1 cannot be moved to %2: %3")
                                .arg(previous, aside, QString::fromLocal8Bit(std::strerror(errno)));
        say(QStringLiteral("ERROR when keeping the current Tallomer folder: %1").arg(why));
        QString undone;
        const FileResult back = swapFolderInto(previous, store, &undone, rename_);
        if (!back) {
            ZEVAlert::ShowSimpleAlertWithMessage(
                QStringLiteral("The import could not be completed."),
                QStringLiteral("%1, and it could not be put back (%2). Your current Tallomer is at %3.")
                    .arg(why, back.error, previous));
            return;
        }
        if (!removeTree(undone))
            say(QStringLiteral("ERROR when deleting TallomerImport folder: %1").arg(undone));
        refuse(why);
        return;
    }
    ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("Import successfull"),
                                         QStringLiteral("Tallomer will now quit. Then you can restart it with your new Objects!"));
}

void KELWholeStore::finishUninstall()
{
    if (!removeTree(app_.zevDirURL()))
        say(QStringLiteral("Error when deleting the \"Tallomer\" folder in the data folder: %1").arg(app_.zevDirURL()));
    if (QFileInfo::exists(app_.zevImportURL()) && !removeTree(app_.zevImportURL()))
        say(QStringLiteral("ERROR when deleting TallomerImport folder: %1").arg(app_.zevImportURL()));
    if (QFileInfo::exists(app_.layout().zevPrevious) && !removeTree(app_.layout().zevPrevious))
        say(QStringLiteral("ERROR when deleting the previous Tallomer folder: %1").arg(app_.layout().zevPrevious));

    const QString folder = QDir::cleanPath(app_.zevFolderURL());
    const QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    if (!listed.isEmpty()) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("Uninstall Tallomer"),
            QStringLiteral("The folder \"Tallomer\" in your home directory has not been deleted because it is not empty"));
    } else if (QFileInfo::exists(folder)) {
        if (!removeTree(folder)) {
            say(QStringLiteral("Error when deleting the \"~/Tallomer\" folder: %1").arg(folder));
        } else {
            // A favourite left pointing at the removed folder would be a dead entry in the sidebar.
            QString error;
            if (!GtkBookmarks::removeFolder(folder, &error))
                say(QStringLiteral("Error when removing the \"~/Tallomer\" favourite: %1").arg(error));
        }
    }

    if (uninstallPanel_ && uninstallPanel_->siRemoveUserPref()) {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                               QStringLiteral("/Tallomer");
        if (!removeTree(config))
            say(QStringLiteral("Error when deleting the preferences (%1)").arg(config));
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/Tallomer");
    if (QFileInfo::exists(cache) && !removeTree(cache))
        say(QStringLiteral("Error when deleting the \"Tallomer\" Caches folder (%1)").arg(cache));
}

} // namespace tallomer
