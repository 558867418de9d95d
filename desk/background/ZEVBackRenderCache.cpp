#include "desk/background/ZEVBackRenderCache.h"

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

ZEVBackRenderCache::ZEVBackRenderCache(KELI* imageItem, KELId channelInt, const QRectF& windowRect, KELI* scaleMot,
                                       QString path)
    : imageItem_(imageItem), channelInt_(channelInt), windowRect_(windowRect), scaleMot_(scaleMot),
      path_(std::move(path))
{
}

void ZEVBackRenderCache::applyRender(const ZEVBackRender& r)
{
    if (r.ratio > 0)
        ratio_ = r.ratio;
    if (!r.image.isNull())
        image_ = r.image;
}

ZEVBackRenderCacheTable::Table* ZEVBackRenderCacheTable::table(KELId scaleId)
{
    return scaleId == kZEVScaleIn ? &in_ : scaleId == kZEVScaleOut ? &out_ : nullptr;
}

const ZEVBackRenderCacheTable::Table* ZEVBackRenderCacheTable::table(KELId scaleId) const
{
    return scaleId == kZEVScaleIn ? &in_ : scaleId == kZEVScaleOut ? &out_ : nullptr;
}

ZEVBackRenderCache* ZEVBackRenderCacheTable::backObjectForItemInt(KELId imageId, KELId scaleId) const
{
    const Table* t = table(scaleId);
    if (!t)
        return nullptr;
    auto it = t->find(imageId);
    return it == t->end() ? nullptr : it->second.get();
}

ZEVBackRenderCache* ZEVBackRenderCacheTable::backObjectForImage(KELI* image, KELId channelInt,
                                                                const QRectF& windowRect, KELI* scaleMot)
{
    if (!image || !scaleMot)
        return nullptr;
    Table* t = table(scaleMot->idInt());
    if (!t)
        return nullptr;
    auto& slot = (*t)[image->idInt()];
    if (!slot)
        slot = std::make_unique<ZEVBackRenderCache>(image, channelInt, windowRect, scaleMot,
                                                    pathForItem_ ? pathForItem_(image) : QString());
    return slot.get();
}

void ZEVBackRenderCacheTable::enleveBackObjectForItemInt(KELId imageId)
{
    in_.erase(imageId);
    out_.erase(imageId);
}

} // namespace tallomer
