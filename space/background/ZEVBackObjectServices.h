#pragma once
// The render cache of one background image for one scale word, as the desks use it: the image
// Object, its scale word, the picture's width over height and the rendered image, which arrives
// later (observers hear of it on the main thread). The caches, the desks that observe one and its
// rendering jobs share it: it outlives its entry in the Space's caches.

#include <QImage>
#include <QRectF>

#include <functional>
#include <memory>

class KELI;

namespace tallomer {

class ZEVBackObjectServices : public std::enable_shared_from_this<ZEVBackObjectServices> {
public:
    virtual ~ZEVBackObjectServices() = default;

    virtual KELI* imageItem() const = 0;  // not owned
    virtual KELI* scaleMot() const = 0;   // not owned
    // Width over height of the picture; 0 until the picture was read once.
    virtual double initialImageRatio() const = 0;
    // The rendered image; null until loaded.
    virtual QImage backImage() const = 0;

    // The frame the next rendering is made for.
    virtual void setWindowRect(const QRectF& rect) = 0;
    // Renders for the stored frame and scale away from the main thread (once more after a load
    // under way); the observers are told on the main thread once backImage changed, or the
    // picture could not be read.
    virtual void loadBackImage() = 0;

    // One observer per owner; a second registration of the same owner replaces the first.
    virtual void addBackImageObserver(const void* owner, std::function<void(ZEVBackObjectServices*)> fn) = 0;
    virtual void removeBackImageObserver(const void* owner) = 0;
};

} // namespace tallomer
