// The drop folder's scan runs on the main thread at every activation of the program: with 10^4
// entries that are all Objects already (the common case) it must stay within 20 ms. The entries
// are known to one Channel's store among several, as after a long use.

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskSaveAs.h"
#include "engine/KELLien.h"
#include "runtime/Scheduler.h"
#include "space/ZEVConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace tallomer;

namespace {

constexpr double kBudgetSeconds = 0.020;

class NoWatch final : public DirectoryWatch {
public:
    using DirectoryWatch::DirectoryWatch;
    bool renew() override { return true; }
};

// Asked only when something is new, which never happens here.
class NoSpace final : public ZEVDeskSaveAs::Space {
public:
    KELId zevFolderChannelInt() override { return KELOBJECT_HOME_CHANNEL; }
    ZEVDeskViewer* nowDeskViewer() override { return nullptr; }
};

// A store folder and a drop folder of `count` files, every one recorded by the home Channel.
struct KnownFolder {
    explicit KnownFolder(int count)
    {
        ZEVItemDataFolders folders;
        folders.zevDir = root.path() + "/store";
        folders.zevData = folders.zevDir + "/local/zevData";
        folders.zevDrop = folders.zevDir + "/local/zevDrop";
        folders.zevFolder = root.path() + "/Tallomer";
        for (const QString& f : {folders.zevData, folders.zevDrop, folders.zevFolder})
            QDir().mkpath(f);
        ZEVItemDataChannels::Reset();
        ZEVItemDataChannels::SetFolders(folders);
        for (KELId channel : {KELId(2000100), KELId(2000101), KELOBJECT_HOME_CHANNEL})
            ZEVItemDataChannels::CreateItemDataForChannelInt(channel);
        ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(KELOBJECT_HOME_CHANNEL);
        folder = folders.zevFolder;
        for (int i = 0; i < count; ++i) {
            const QString path = folder + QStringLiteral("/document %1.pdf").arg(i);
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write("%PDF") != 4)
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            f.close();
            KELI item;
            item.assignerIdInt(KELId(100000000 + i));
            store->createFileURL(path, QUrl(), &item);
        }
    }
    ~KnownFolder() { ZEVItemDataChannels::Reset(); }

    QTemporaryDir root;
    QString folder;
};

} // namespace

static void BM_ScanOfAFolderAllKnown(benchmark::State& state)
{
    ManualScheduler scheduler;
    Scheduler::setShared(&scheduler);
    const KnownFolder known(static_cast<int>(state.range(0)));
    NoSpace space;
    ZEVDeskSaveAs saveAs(space, std::make_unique<NoWatch>(known.folder));
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        saveAs.receiveFilesForURL(known.folder);
        worst = std::max(worst, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    // Nothing new was found (a new entry would have asked for the desk and logged its absence).
    std::vector<ZEVDeskSaveAs::Entry> unknown;
    ZEVDeskSaveAs::unknownEntries(known.folder, unknown);
    if (!unknown.empty())
        state.SkipWithError("entries were not known");
    state.counters["worst_ms"] = worst * 1000.0;
    state.counters["budget_ms"] = kBudgetSeconds * 1000.0;
    state.SetItemsProcessed(state.iterations() * state.range(0));
    Scheduler::setShared(nullptr);
}
BENCHMARK(BM_ScanOfAFolderAllKnown)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
