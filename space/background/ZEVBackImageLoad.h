#pragma once
// The loading of a background render cache: its three renderings (the background, the thumbnail
// and the Channel picture) run on the shared thread pool, and each result is handed back to the
// main thread, stored there and only then told to the observers of its key, so that results,
// observers and the cached images are only ever touched on the main thread. A job keeps its cache
// alive until it is handed back (when the cache is shared; a cache that is not shared and goes
// drops the hand-back). One background load at a time, with at most one more queued behind it.

#include "space/background/ZEVBackImageRenderer.h"
#include "space/background/ZEVBackObjectServices.h"
#include "engine/KELTypes.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tallomer {

enum class ZEVBackKey { BackImage = 0, ThumbnailImage = 1, ChannelImage = 2 };

class ZEVBackImageLoad : public ZEVBackObjectServices {
public:
    // Told on the main thread after the result was stored; `failed` when the source could not be
    // read (nothing was stored).
    using Observer = std::function<void(ZEVBackImageLoad* object, bool failed)>;

    ZEVBackImageLoad();
    ~ZEVBackImageLoad() override;
    ZEVBackImageLoad(const ZEVBackImageLoad&) = delete;
    ZEVBackImageLoad& operator=(const ZEVBackImageLoad&) = delete;

    void loadBackImage() final;
    void addBackImageObserver(const void* owner, std::function<void(ZEVBackObjectServices*)> fn) final;
    void removeBackImageObserver(const void* owner) final;
    // One observer per owner and key; a second registration replaces the first.
    void addObserver(ZEVBackKey key, const void* owner, Observer fn);
    void removeObserver(ZEVBackKey key, const void* owner);
    // No observer will be told any more (the cache was dropped by its owner).
    void removeAllObservers() { observers_.clear(); }

    bool siLoading(ZEVBackKey key = ZEVBackKey::BackImage) const { return loading_[std::size_t(key)]; }
    // A load asked for while one was running runs once that one is handed back.
    bool siReloadQueued() const { return reloadQueued_; }

protected:
    // Read on the main thread when a load starts; the worker gets copies.
    virtual QString loadPath() const = 0;
    virtual QRectF loadRect() const = 0;
    // Runs `render` on the pool and hands its result to store() on the main thread.
    void launch(ZEVBackKey key, std::function<ZEVBackRender()> render);
    // The result, on the main thread, before the observers are told.
    virtual void store(ZEVBackKey key, const ZEVBackRender& render) = 0;
    void tell(ZEVBackKey key, bool failed);

private:
    void handBack(ZEVBackKey key, const ZEVBackRender& render);

    std::array<bool, 3> loading_{};
    bool reloadQueued_ = false;
    struct Observation {
        ZEVBackKey key;
        const void* owner;
        Observer fn;
    };
    std::vector<Observation> observers_;
    // Lives as long as the object: a hand-back to an object that is not shared checks it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace tallomer
