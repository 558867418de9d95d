#pragma once
// Background render caches as the desks use them. ZEVBackImageLoad holds what every one shares:
// rendering on the shared thread pool, the hand-back through a future watcher that lives on the
// main thread (so results, observers and the cached image are only ever touched there), one load
// at a time with at most one more queued behind it.
//
// ZEVBackRenderCache is a complete cache of its own (one per image and scale word, kept by
// ZEVBackRenderCacheTable) for desks outside a Space window.

#include "desk/background/ZEVBackImageRenderer.h"
#include "desk/background/ZEVBackObjectServices.h"
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

class ZEVBackRenderCache final : public ZEVBackImageLoad {
public:
    // Neither link is owned; `path` is the picture's file.
    ZEVBackRenderCache(KELI* imageItem, KELId channelInt, const QRectF& windowRect, KELI* scaleMot, QString path);

    KELI* imageItem() const override { return imageItem_; }
    KELI* scaleMot() const override { return scaleMot_; }
    double initialImageRatio() const override { return ratio_; }
    QImage backImage() const override { return image_; }
    void setWindowRect(const QRectF& rect) override { windowRect_ = rect; }

    KELId channelInt() const { return channelInt_; }
    const QString& path() const { return path_; }

protected:
    QString loadPath() const override { return path_; }
    QRectF loadRect() const override { return windowRect_; }
    void applyRender(const ZEVBackRender& render) override;

private:
    KELI* imageItem_;
    KELId channelInt_;
    QRectF windowRect_;
    KELI* scaleMot_;
    QString path_;
    QImage image_;
    double ratio_ = 0;
};

// One render cache per image id and scale word ("In" and "Out"); other scale words have none.
class ZEVBackRenderCacheTable {
public:
    using PathForItem = std::function<QString(KELI* image)>;
    explicit ZEVBackRenderCacheTable(PathForItem pathForItem) : pathForItem_(std::move(pathForItem)) {}

    ZEVBackRenderCache* backObjectForItemInt(KELId imageId, KELId scaleId) const;
    // The cached one, or a new one; nullptr for another scale word or a missing link.
    ZEVBackRenderCache* backObjectForImage(KELI* image, KELId channelInt, const QRectF& windowRect, KELI* scaleMot);
    void enleveBackObjectForItemInt(KELId imageId);

private:
    using Table = std::map<KELId, std::unique_ptr<ZEVBackRenderCache>>;
    Table* table(KELId scaleId);
    const Table* table(KELId scaleId) const;

    PathForItem pathForItem_;
    Table in_;
    Table out_;
};

} // namespace tallomer
