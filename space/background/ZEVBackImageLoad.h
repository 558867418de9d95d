#pragma once
// The loading of a background render cache: rendering on the shared thread pool, the hand-back
// through a future watcher that lives on the main thread (so results, observers and the cached
// image are only ever touched there), one load at a time with at most one more queued behind it.
// A cache that goes while its picture renders drops the hand-back with its watcher; the worker
// only ever holds copies.

#include "space/background/ZEVBackImageRenderer.h"
#include "space/background/ZEVBackObjectServices.h"
#include "engine/KELTypes.h"

#include <QFutureWatcher>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace tallomer {

class ZEVBackImageLoad : public ZEVBackObjectServices {
public:
    ZEVBackImageLoad();
    ~ZEVBackImageLoad() override;
    ZEVBackImageLoad(const ZEVBackImageLoad&) = delete;
    ZEVBackImageLoad& operator=(const ZEVBackImageLoad&) = delete;

    void loadBackImage() final;
    void addBackImageObserver(const void* owner, std::function<void(ZEVBackObjectServices*)> fn) final;
    void removeBackImageObserver(const void* owner) final;

    bool siLoading() const { return watcher_.isRunning() || pending_; }
    // A load asked for while one was running runs once that one is handed back.
    bool siReloadQueued() const { return reloadQueued_; }

protected:
    // Read on the main thread when a load starts; the worker gets copies.
    virtual QString loadPath() const = 0;
    virtual QRectF loadRect() const = 0;
    // The result, on the main thread, before the observers are told.
    virtual void applyRender(const ZEVBackRender& render) = 0;

private:
    void handBack();

    bool pending_ = false;
    bool reloadQueued_ = false;
    std::vector<std::pair<const void*, std::function<void(ZEVBackObjectServices*)>>> observers_;
    QFutureWatcher<ZEVBackRender> watcher_;
};

} // namespace tallomer
