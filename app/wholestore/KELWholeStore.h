#pragma once
// The application menu's whole-store commands: export the store to a zip archive, import one in
// its place, and uninstall.
//
// Export archives a snapshot of the link base (never the live file with its journal) and the
// store's other files off the main thread, under a progress panel. Import checks and unpacks the
// archive into TallomerImport before anything of the store is touched; only a good archive makes
// the program quit, and the folders are swapped once the quit sequence has closed the link base.
// The replaced store waits in TallomerPrevious until the imported one has opened at a start,
// which puts it back when the imported one cannot be opened.
// Uninstall moves the stored files out and leaves links while the program runs; the removals
// wait for the end of the quit sequence as well.

#include "platform/files/FileMoves.h"
#include "platform/files/FileResult.h"
#include "runtime/Scheduler.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tallomer {

class KELApplication;
class ZEVProgressPanel;
class ZEVUninstallPanel;

class KELWholeStore : public QObject {
    Q_OBJECT
public:
    explicit KELWholeStore(KELApplication& app);
    ~KELWholeStore() override;

    void menuTallomerExportAll();
    void menuTallomerImportAll();
    void menuTallomerQuitUninstall();
    // The pending action (1 import, 2 uninstall), once the link base is closed.
    void terminate(int appTerminate);
    // The quit the pending action waited for was cancelled: the action is given up and the user
    // told.
    void quitCancelled();

    // An export or an import check is running.
    bool busy() const { return busy_; }
    ZEVUninstallPanel* uninstallPanel();
    ZEVProgressPanel* progressPanel() const { return panel_.get(); }
    // The folder swap of the import goes through this rename (tests put failures in its place).
    void setRename(RenameFn rename) { rename_ = std::move(rename); }

    // Why the store in `folder` cannot be imported, or a start cannot go on with it; empty when
    // it can (read only: the link base's own checks of the file, see KELDemarrage, and the places
    // of the folders a start makes).
    static QString checkStore(const QString& folder);
    // A copy of the link base made through SQLite (never a torn copy of the live file).
    static FileResult snapshotDatabase(const QString& database, const QString& snapshot);
    // Whether path is the folder or lies inside it (links resolved).
    static bool isInside(const QString& path, const QString& folder);

private:
    void showPanel(const QString& title, const QString& message);
    void closePanel();
    void exportDone(const FileResult& result, const QString& target);
    void importChecked(const FileResult& result, const QString& archive);
    void finishImport();
    void finishUninstall();

    KELApplication& app_;
    std::unique_ptr<ZEVProgressPanel> panel_;
    std::unique_ptr<ZEVUninstallPanel> uninstallPanel_;
    RenameFn rename_ = systemRename();
    bool busy_ = false;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
