#pragma once
// Pictures of files at an icon's size, made away from the main thread.
//
// A file's picture is, in this order: the desktop's thumbnail from the shared cache
// ($XDG_CACHE_HOME/thumbnails/<size>/<md5 of the file URI>.png) when it was made from the file as
// it is now (its Thumb::URI and Thumb::MTime match); else the file decoded at the size it is shown
// at (images by QImageReader, a PDF's first page by QtPdf). When neither can be had the answer is
// a null image and the file's type (typeOfFile), and the caller, on the main thread, shows the type's icon:
// icons come from the icon theme, which is the main thread's.
//
// Everything here except ThumbnailPool::request runs on any thread and touches only its
// arguments and the files. The cache is read, never written: it belongs to the desktop.

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QThreadPool;

namespace tallomer::thumbs {

// The size a source of w by h is drawn at when its longer side is s; invalid (empty) when the
// source has no width or height, or s is not a positive number, so that no ratio of 0 or NaN
// can come out of it.
QSizeF fittedSize(QSizeF source, double s);

// The file's URI as the cache names it (file:// and the percent-encoded absolute path), and the
// cache file's name for it.
QString fileUri(const QString& path);
QString cacheFileName(const QString& path);
// The cache folders, smallest first, with the size of their pictures' longer side.
struct CacheFolder {
    const char* name;
    int size;
};
inline constexpr CacheFolder kCacheFolders[] = {{"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};

// The cached thumbnail of the file for a picture of longer side s: from the smallest folder whose
// size is at least s that holds a thumbnail made from the file as it is now, decoded at the
// fitted size. Null when there is none (also when s is beyond the largest folder). `cacheHome`
// is $XDG_CACHE_HOME (or ~/.cache).
QImage cachedThumbnail(const QString& cacheHome, const QString& path, double s);

// What a decode may take: a source larger than this many pixels is refused unread, unless its
// format decodes straight to a smaller size; and no single decode may ask for more memory.
inline constexpr std::int64_t kMaxSourcePixels = 128LL * 1024 * 1024;
inline constexpr std::int64_t kMaxScaledSourcePixels = 1024LL * 1024 * 1024;
inline constexpr int kAllocationLimitMB = 256;

// The file decoded with its longer side s (a PDF's first page drawn at that size); null when it
// cannot be read, is of zero size or too large. `source` gets the source's own size.
QImage renderedImage(const QString& path, double s, QSizeF* source = nullptr);
// A PDF's first page drawn at the fitted size; null when it cannot be read.
QImage renderedPdf(const QString& path, double s, QSizeF* source = nullptr);

// One request for a picture.
struct Request {
    enum class Kind {
        File,      // cached thumbnail, else the file decoded
        IconSheet, // the thumbnail drawn on a white sheet with a grey edge, S by S
        Square,    // a web page: the thumbnail in an S by S square, never fitted
        DeskImage, // a saved desk image: S wide, its own height
        Picture,   // an image already in hand (a contact's): fitted
    };
    Kind kind = Kind::File;
    QString path;
    double size = 0;
    QImage picture; // Kind::Picture
};

// What a request made; `image` is null when nothing better than the type icon could be had.
struct Result {
    QImage image;
    // Height over width of what the image shows, when more exact than its pixels; 0: the image's.
    float ratio = 0;
    // Without an image, for a file or folder asked for its picture: its type as typeOfFile tells
    // it, for the caller to show that type's icon; empty when there is no such file.
    QString fileType;
    // A launcher's (.desktop) own icon, by the theme's name for it, when its entry names one
    // rather than a picture file (which is then the image).
    QString iconName;
};

// What the file or folder at `path` is, for its icon, wherever the program shows one (the desk,
// the lists, the menus): "inode/directory" for a folder, "webloc" for a web location file (its
// bytes are any XML's), else its MIME type as its content tells it, for a name alone says nothing
// of a file without an extension, a program or a script. Empty when there is no such file, and
// for what is no plain file: a named pipe is never opened. Kept per path while the file's size
// and time of change stay, for the lists that ask at every paint; any thread.
QString typeOfFile(const QString& path);

// The Icon key of a desktop entry's [Desktop Entry] group, read within bounds; empty for none.
QString launcherIcon(const QString& path);

// Runs the request where it is called (any thread).
Result load(const Request& request, const QString& cacheHome);

// The one pool pictures are made on, shared by every Object view; the program makes it at start
// and installs it. Deliveries come back on the main thread, in a later turn of its event loop.
class ThumbnailPool {
public:
    // `pool` is not owned and outlives this; `cacheHome` as for cachedThumbnail (empty: read
    // from the environment).
    explicit ThumbnailPool(QThreadPool* pool, QString cacheHome = {});
    ~ThumbnailPool();
    ThumbnailPool(const ThumbnailPool&) = delete;
    ThumbnailPool& operator=(const ThumbnailPool&) = delete;

    // `done` runs on the main thread with the result, unless this pool is gone by then.
    void request(Request request, std::function<void(Result)> done);
    QThreadPool* pool() const { return pool_; }
    // Waits until every queued request has been made and its delivery posted.
    void waitForDone();

    static ThumbnailPool* shared();
    static void setShared(ThumbnailPool* pool);

    // The main thread hands out deliveries for at most this long in one turn of its event loop,
    // then lets the rest of the program have a turn.
    static constexpr int kTurnBudgetMs = 8;

private:
    struct Inbox;
    void post(std::function<void(Result)> done, Result result);
    void drain();

    QThreadPool* pool_;
    QString cacheHome_;
    std::unique_ptr<QObject> receiver_; // lives on the main thread; deliveries die with it
    std::shared_ptr<Inbox> inbox_;
};

} // namespace tallomer::thumbs
