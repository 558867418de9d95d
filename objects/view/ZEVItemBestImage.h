#pragma once
// The best picture of an Object to be had at its view's icon size: asked of the shared thumbnail
// pool, of which only the newest request's delivery applies and none for a view that is gone; or
// the animated GIF; or, for a missing file, the stickers that say so.

#include <QImage>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>

class QMovie;

namespace tallomer {

class ZEVItemView;

class ZEVItemBestImage {
public:
    explicit ZEVItemBestImage(ZEVItemView& view);
    ~ZEVItemBestImage();
    ZEVItemBestImage(const ZEVItemBestImage&) = delete;
    ZEVItemBestImage& operator=(const ZEVItemBestImage&) = delete;

    // Asks the picture for a type word ("file", "http", "zevp", "ABPerson"; any other keeps what
    // shows). Missing files are marked here, on the main thread.
    void request(const QString& type);
    // The request for the view's type of the moment, queued with every view's and asked in turns
    // of bounded length: a desk that shows thousands of Objects must not hold the main thread.
    void askSoon();
    // Asks the pool (a thumbs::Request::Kind, its file, the size, the picture in hand); a newer
    // request makes this one's delivery stale.
    void queuePicture(int kind, const QString& path, double s, const QImage& picture = {});
    void stopMovie();
    std::uint64_t generation() const { return generation_; }
    QMovie* movie() const { return movie_.get(); }

private:
    struct Delayed;
    static std::deque<Delayed>& delayed();
    // Asks the queued requests of all views in turns of bounded length.
    static void askDelayed();

    // The request for a "file" or "http" Object's file; false when it is missing.
    bool requestFilePicture(const QString& path, bool web);
    void showMovie(const QString& path, double s);

    ZEVItemView& view_;
    // Deliveries hold it weakly: one for a view that is gone finds it expired.
    std::shared_ptr<char> alive_ = std::make_shared<char>(0);
    std::uint64_t generation_ = 0;
    bool queued_ = false; // among the delayed requests
    std::unique_ptr<QMovie> movie_;
};

} // namespace tallomer
