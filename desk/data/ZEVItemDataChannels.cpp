#include "desk/data/ZEVItemDataChannels.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataSupport.h"
#include "desk/model/ZEVDeskIds.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <memory>
#include <unistd.h>

namespace tallomer {

using namespace itemdata;

namespace {

struct ClassState {
    ZEVItemDataFolders folders;
    QStringList channelFolders;
    std::map<KELId, std::unique_ptr<ZEVItemData>> registry;
    KELId current = KELOBJECT_HOME_CHANNEL;
    ZEVSpaceForItemData* space = nullptr;
    std::optional<VolumeMap> volumes;
    ZEVItemDataChannels::StoreErrorHook storeErrorHook;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

// "/homework" is not inside "/home".
bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    const QString p = cleanPath(path);
    const QString f = cleanPath(folder);
    if (f == QLatin1String("/"))
        return true;
    return p == f || (p.startsWith(f) && p.at(f.size()) == QLatin1Char('/'));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Shared state

void ZEVItemDataChannels::SetFolders(const ZEVItemDataFolders& folders) { state().folders = folders; }

const ZEVItemDataFolders& ZEVItemDataChannels::Folders() { return state().folders; }

void ZEVItemDataChannels::SetVolumeMap(std::optional<VolumeMap> volumes) { state().volumes = std::move(volumes); }

void ZEVItemDataChannels::Reset()
{
    ClassState& s = state();
    s.registry.clear();
    s.channelFolders.clear();
    s.current = KELOBJECT_HOME_CHANNEL;
    s.space = nullptr;
    s.volumes.reset();
    s.folders = {};
}

void ZEVItemDataChannels::setStoreErrorHook(StoreErrorHook hook) { state().storeErrorHook = std::move(hook); }

void ZEVItemDataChannels::ReportStoreError(const QString& message)
{
    say(QStringLiteral("ZEVItemData ERROR: %1").arg(message));
    if (state().storeErrorHook)
        state().storeErrorHook(message);
}

void ZEVItemDataChannels::ReferencerSpaceController(ZEVSpaceForItemData* controller) { state().space = controller; }

ZEVSpaceForItemData* ZEVItemDataChannels::SpaceController() { return state().space; }

ZEVSpaceForItemData& ZEVItemDataChannels::Space()
{
    static ZEVUnknownSpaceForItemData fallback;
    return state().space ? *state().space : fallback;
}

// ---------------------------------------------------------------------------------------------
// The registry

double ZEVItemDataChannels::PrepareDicosForURL(const QString& dataFolder)
{
    ClassState& s = state();
    s.channelFolders.clear();
    double total = 0;
    const QDir dir(dataFolder);
    const QFileInfoList entries
        = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        // Only folders named by a Channel id hold records; anything else would become a store of
        // Channel 0.
        bool ok = false;
        const KELId channel = entry.fileName().toULongLong(&ok);
        if (!entry.isDir() || !ok || channel == 0) {
            say(QStringLiteral("PrepareDicosForURL: skipped %1").arg(entry.filePath()));
            continue;
        }
        s.channelFolders << entry.filePath();
        total += QDir(entry.filePath()).entryList(QDir::Files | QDir::NoDotAndDotDot).size();
    }
    return total;
}

void ZEVItemDataChannels::InitializeDicos(const std::function<void()>& increment)
{
    ClassState& s = state();
    for (const QString& folder : s.channelFolders) {
        const KELId channel = QFileInfo(folder).fileName().toULongLong();
        if (s.registry.count(channel))
            continue;
        if (auto store = ZEVItemData::initDicosForChannelInt(channel, increment))
            s.registry[channel] = std::move(store);
    }
}

bool ZEVItemDataChannels::CreateItemDataForChannelInt(KELId channel)
{
    if (channel == 0)
        return false;
    ClassState& s = state();
    if (s.registry.count(channel))
        return true;
    auto store = ZEVItemData::initDicosForChannelInt(channel);
    if (!store)
        return false;
    s.registry[channel] = std::move(store);
    return true;
}

void ZEVItemDataChannels::ForgetItemDataForChannelInt(KELId channel)
{
    ClassState& s = state();
    const auto it = s.registry.find(channel);
    if (it == s.registry.end())
        return;
    for (const QString& folder : {it->second->zevDropURL(), it->second->zevDataURL()})
        QDir().rmdir(folder);
    s.registry.erase(it);
}

void ZEVItemDataChannels::SetCurrentChannelInt(KELId channel) { state().current = channel; }

KELId ZEVItemDataChannels::CurrentChannelInt() { return state().current; }

ZEVItemData& ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(KELId channel)
{
    if (ZEVItemData* d = channel ? ItemDataForChannelInt(channel) : nullptr)
        return *d;
    return ZEVItemData::Current();
}

ZEVItemData* ZEVItemDataChannels::ItemDataForChannelInt(KELId channel)
{
    const auto it = state().registry.find(channel);
    return it == state().registry.end() ? nullptr : it->second.get();
}

std::vector<ZEVItemData*> ZEVItemDataChannels::ItemDatas()
{
    std::vector<ZEVItemData*> out;
    for (const auto& [channel, store] : state().registry)
        out.push_back(store.get());
    return out;
}

// ---------------------------------------------------------------------------------------------
// Where a file lies

bool ZEVItemDataChannels::IfHoldByZev(const QString& path) { return isInside(path, state().folders.zevDir); }

bool ZEVItemDataChannels::IfHoldByZevFolder(const QString& path)
{
    return isInside(path, state().folders.zevFolder);
}

bool ZEVItemDataChannels::IfHoldByCloud(const QString& path) { return isInside(path, state().folders.cloud); }

bool ZEVItemDataChannels::IfHoldByTrash(const QString& path)
{
    if (isInside(path, trashFolder()))
        return true;
    // The trash at the top of another volume.
    const QString uid = QString::number(::getuid());
    const QString clean = cleanPath(path);
    return clean.contains(QStringLiteral("/.Trash-%1/").arg(uid))
        || clean.contains(QStringLiteral("/.Trash/%1/").arg(uid));
}

bool ZEVItemDataChannels::IfHoldByApplications(const QString& path)
{
    QStringList folders = state().folders.applications;
    if (folders.isEmpty())
        folders << QStringLiteral("/usr/share/applications") << QStringLiteral("/usr/local/share/applications")
                << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                + QStringLiteral("/applications")
                << QStringLiteral("/opt");
    return std::any_of(folders.begin(), folders.end(),
                       [&](const QString& folder) { return isInside(path, folder); });
}

bool ZEVItemDataChannels::IfHoldByExtern(const QString& path)
{
    if (path.isEmpty())
        return false;
    ClassState& s = state();
    if (!s.volumes)
        s.volumes = VolumeMap::system();
    return s.volumes->isExternal(path);
}

} // namespace tallomer
