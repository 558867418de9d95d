#include "space/background/ZEVBackImageLoad.h"

#include "engine/KELLien.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

#include <algorithm>

namespace tallomer {

ZEVBackImageLoad::ZEVBackImageLoad() = default;
ZEVBackImageLoad::~ZEVBackImageLoad() = default;

void ZEVBackImageLoad::launch(ZEVBackKey key, std::function<ZEVBackRender()> render)
{
    loading_[std::size_t(key)] = true;
    QObject* app = QCoreApplication::instance();
    if (!app) {
        // No event loop to hand back to: the result is stored at once.
        handBack(key, render());
        return;
    }
    // A shared object lives until its hand-back; one that is not shared is looked for then.
    std::shared_ptr<ZEVBackObjectServices> garde = weak_from_this().lock();
    std::weak_ptr<int> alive = alive_;
    QThreadPool::globalInstance()->start(
        [this, key, app, render = std::move(render), garde = std::move(garde), alive]() mutable {
            ZEVBackRender result = render();
            // The object travels with the result; the worker keeps no share of it.
            QMetaObject::invokeMethod(
                app,
                [this, key, result = std::move(result), garde = std::move(garde), alive]() {
                    if (garde || !alive.expired())
                        handBack(key, result);
                },
                Qt::QueuedConnection);
        });
}

void ZEVBackImageLoad::handBack(ZEVBackKey key, const ZEVBackRender& render)
{
    loading_[std::size_t(key)] = false;
    store(key, render);
    tell(key, render.image.isNull());
    if (key == ZEVBackKey::BackImage && reloadQueued_)
        loadBackImage();
}

void ZEVBackImageLoad::tell(ZEVBackKey key, bool failed)
{
    // Observers may add or remove observers while they run: walk a copy.
    const auto observers = observers_;
    for (const Observation& o : observers)
        if (o.key == key && o.fn)
            o.fn(this, failed);
}

void ZEVBackImageLoad::loadBackImage()
{
    if (siLoading(ZEVBackKey::BackImage)) {
        reloadQueued_ = true;
        return;
    }
    reloadQueued_ = false;
    const QString path = loadPath();
    const QRectF rect = loadRect();
    KELI* scaleMot = this->scaleMot();
    const KELId scale = scaleMot ? scaleMot->idInt() : 0;
    launch(ZEVBackKey::BackImage, [path, w = rect.width(), h = rect.height(), scale] {
        return ZEVRenderBackImage(path, w, h, scale);
    });
}

void ZEVBackImageLoad::addObserver(ZEVBackKey key, const void* owner, Observer fn)
{
    for (Observation& o : observers_)
        if (o.key == key && o.owner == owner) {
            o.fn = std::move(fn);
            return;
        }
    observers_.push_back({key, owner, std::move(fn)});
}

void ZEVBackImageLoad::removeObserver(ZEVBackKey key, const void* owner)
{
    std::erase_if(observers_, [key, owner](const Observation& o) { return o.key == key && o.owner == owner; });
}

void ZEVBackImageLoad::addBackImageObserver(const void* owner, std::function<void(ZEVBackObjectServices*)> fn)
{
    addObserver(ZEVBackKey::BackImage, owner, [fn = std::move(fn)](ZEVBackImageLoad* o, bool) {
        if (fn)
            fn(o);
    });
}

void ZEVBackImageLoad::removeBackImageObserver(const void* owner) { removeObserver(ZEVBackKey::BackImage, owner); }

} // namespace tallomer
