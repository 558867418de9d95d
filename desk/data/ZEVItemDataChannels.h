#pragma once
// The Channels of the Object data store: one store per Channel, registered by Channel id for the
// whole run, the current Channel, and what every store shares (the folders, the volumes, the
// space controller, the report of failed writes, the tests of where a file lies). Class state
// only; main thread only.

#include "desk/data/ZEVSpaceForItemData.h"
#include "engine/KELTypes.h"
#include "platform/files/Volumes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tallomer {

class ZEVItemData;

// The folders the application object owns; the store never guesses them.
struct ZEVItemDataFolders {
    QString zevDir;    // the store folder ($XDG_DATA_HOME/Tallomer)
    QString zevData;   // parent of the per-Channel record folders (…/local/zevData)
    QString zevDrop;   // parent of the per-Channel drop folders (…/local/zevDrop)
    QString zevFolder; // the user's drop folder ~/Tallomer
    QString trash;     // the user's Trash ($XDG_DATA_HOME/Trash); empty: derived from XDG_DATA_HOME
    QString cloud;     // a cloud documents folder, if the user has one; empty: none
    QStringList applications; // folders of installed applications; empty: the usual ones
};

class ZEVItemDataChannels {
public:
    ZEVItemDataChannels() = delete;

    // ---- shared state ----
    static void SetFolders(const ZEVItemDataFolders& folders);
    static const ZEVItemDataFolders& Folders();
    // The volumes used by the "another volume" test (default: this machine's, read once).
    static void SetVolumeMap(std::optional<VolumeMap> volumes);
    // Forgets every store and the class state (the end of a run; tests). The store-error hook
    // stays: the application sets it once for the run.
    static void Reset();

    // Told once for every failed write of a record or a generated file, after the log line;
    // the application turns it into one alert per run.
    using StoreErrorHook = std::function<void(const QString&)>;
    static void setStoreErrorHook(StoreErrorHook hook);
    // Logs a write that did not happen and tells the hook.
    static void ReportStoreError(const QString& message);

    // Not owned; nullptr for none.
    static void ReferencerSpaceController(ZEVSpaceForItemData* space);
    static ZEVSpaceForItemData* SpaceController();
    // The space controller, or before there is one a stand-in that answers "unknown" to every
    // question.
    static ZEVSpaceForItemData& Space();

    // ---- the registry ----
    // Lists the Channel folders of dataFolder and answers how many records they hold.
    static double PrepareDicosForURL(const QString& dataFolder);
    // Builds and registers the store of every listed Channel; increment is called once per record.
    static void InitializeDicos(const std::function<void()>& increment = {});
    static bool CreateItemDataForChannelInt(KELId channel);
    // Forgets the store of a Channel the link base did not keep, with its folders while they
    // hold nothing: a later Channel given the same id starts empty.
    static void ForgetItemDataForChannelInt(KELId channel);
    static void SetCurrentChannelInt(KELId channel);
    static KELId CurrentChannelInt();
    // The registered store (owned by the registry), nullptr for none.
    static ZEVItemData* ItemDataForChannelInt(KELId channel);
    // The same, or the current Channel's store for Channel 0 or one without a store.
    static ZEVItemData& ItemDataOrCurrentForChannelInt(KELId channel);
    static std::vector<ZEVItemData*> ItemDatas();

    // ---- where a file lies ----
    static bool IfHoldByZev(const QString& path);
    static bool IfHoldByZevFolder(const QString& path);
    static bool IfHoldByCloud(const QString& path);
    static bool IfHoldByTrash(const QString& path);
    static bool IfHoldByApplications(const QString& path);
    static bool IfHoldByExtern(const QString& path);
};

} // namespace tallomer
