#include "space/background/ZEVBackImageLoad.h"

#include "engine/KELLien.h"

#include <QPromise>
#include <QThreadPool>

namespace tallomer {

ZEVBackImageLoad::ZEVBackImageLoad()
{
    QObject::connect(&watcher_, &QFutureWatcher<ZEVBackRender>::finished, &watcher_, [this] { handBack(); });
}

ZEVBackImageLoad::~ZEVBackImageLoad()
{
    // A worker still running keeps its own copies and its promise; only the hand-back is dropped.
    watcher_.disconnect();
}

void ZEVBackImageLoad::loadBackImage()
{
    if (siLoading()) {
        reloadQueued_ = true;
        return;
    }
    pending_ = true;
    reloadQueued_ = false;
    auto promise = std::make_shared<QPromise<ZEVBackRender>>();
    watcher_.setFuture(promise->future());
    const QString path = loadPath();
    const QRectF rect = loadRect();
    KELI* scaleMot = this->scaleMot();
    const KELId scale = scaleMot ? scaleMot->idInt() : 0;
    promise->start();
    QThreadPool::globalInstance()->start([promise, path, w = rect.width(), h = rect.height(), scale] {
        promise->addResult(ZEVRenderBackImage(path, w, h, scale));
        promise->finish();
    });
}

void ZEVBackImageLoad::handBack()
{
    pending_ = false;
    const QFuture<ZEVBackRender> f = watcher_.future();
    if (f.resultCount() > 0)
        applyRender(f.result());
    // Observers may add or remove observers while they run: walk a copy.
    const auto observers = observers_;
    for (const auto& [owner, fn] : observers)
        if (fn)
            fn(this);
    if (reloadQueued_)
        loadBackImage();
}

void ZEVBackImageLoad::addBackImageObserver(const void* owner, std::function<void(ZEVBackObjectServices*)> fn)
{
    for (auto& o : observers_)
        if (o.first == owner) {
            o.second = std::move(fn);
            return;
        }
    observers_.emplace_back(owner, std::move(fn));
}

void ZEVBackImageLoad::removeBackImageObserver(const void* owner)
{
    std::erase_if(observers_, [owner](const auto& o) { return o.first == owner; });
}

} // namespace tallomer
