#include "platform/thumbs/Thumbnails.h"

#include "platform/pasteboard/BoundedImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMetaObject>
#include <QMimeDatabase>
#include <QObject>
#include <QPainter>
#include <QThreadPool>
#include <QUrl>
#include <QtPdf/QPdfDocument>

#include <atomic>
#include <deque>
#include <mutex>
#include <cmath>

namespace tallomer::thumbs {

QSizeF fittedSize(QSizeF source, double s)
{
    const double w = source.width();
    const double h = source.height();
    if (!(w > 0) || !(h > 0) || !(s > 0) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(s))
        return QSizeF();
    const float q = float(h / w);
    if (q > 1)
        return QSizeF(s / q, s);
    return QSizeF(s, s * q);
}

QString fileUri(const QString& path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString cacheFileName(const QString& path)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(fileUri(path).toUtf8(), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

namespace {

QSize pixelSize(QSizeF s) { return QSize(std::max(1, int(std::lround(s.width()))), std::max(1, int(std::lround(s.height())))); }

// A reader that will not decode beyond the bounds; the size is read from the header only.
bool boundedSize(QImageReader& reader, QSize* size)
{
    reader.setAllocationLimit(kAllocationLimitMB);
    const QSize full = reader.size();
    if (!full.isValid() || full.width() <= 0 || full.height() <= 0)
        return false;
    const std::int64_t pixels = std::int64_t(full.width()) * full.height();
    const std::int64_t bound =
        reader.supportsOption(QImageIOHandler::ScaledSize) ? kMaxScaledSourcePixels : kMaxSourcePixels;
    if (pixels > bound)
        return false;
    *size = full;
    return true;
}

QImage readFitted(QImageReader& reader, double s, QSizeF* source = nullptr)
{
    QSize full;
    if (!boundedSize(reader, &full))
        return QImage();
    const QSizeF fitted = fittedSize(full, s);
    if (fitted.isEmpty())
        return QImage();
    if (source)
        *source = full;
    const QSize target = pixelSize(fitted);
    // Never enlarged: a small source is read as it is and drawn larger by the view. A drawing
    // (SVG) has no pixels of its own: it is drawn at the size it is shown at, sharp at any size.
    const QByteArray format = reader.format();
    const bool drawing = format == "svg" || format == "svgz";
    if (drawing || (target.width() < full.width() && target.height() < full.height() && scalesWhileReading(reader)))
        reader.setScaledSize(target);
    QImage image = inTrueColour(reader.read());
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return QImage();
    if (image.width() > target.width() || image.height() > target.height())
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

QImage cachedThumbnail(const QString& cacheHome, const QString& path, double s)
{
    if (cacheHome.isEmpty() || !(s > 0))
        return QImage();
    const QFileInfo info(path);
    if (!info.isFile())
        return QImage();
    const QString uri = fileUri(path);
    const QString mtime = QString::number(info.lastModified().toSecsSinceEpoch());
    const QString name = cacheFileName(path);
    for (const CacheFolder& folder : kCacheFolders) {
        if (folder.size < s)
            continue;
        const QString thumb = cacheHome + QStringLiteral("/thumbnails/") + QLatin1String(folder.name) + QLatin1Char('/') + name;
        // The cache is shared with every other program: only a plain file there is read.
        if (!QFileInfo(thumb).isFile())
            continue;
        QImageReader reader(thumb, "png");
        QSize full;
        if (!boundedSize(reader, &full))
            continue;
        // The reader's header keys split at the first colon, so the keys are read from the
        // decoded picture, which is small. A thumbnail of an older version of the file (or of
        // another file) is not this file's picture.
        QImage image = reader.read();
        if (image.isNull() || image.text(QStringLiteral("Thumb::URI")) != uri ||
            image.text(QStringLiteral("Thumb::MTime")) != mtime)
            continue;
        const QSizeF fitted = fittedSize(image.size(), s);
        if (fitted.isEmpty())
            continue;
        const QSize target = pixelSize(fitted);
        if (image.width() > target.width() || image.height() > target.height())
            image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image;
    }
    return QImage();
}

QImage renderedPdf(const QString& path, double s, QSizeF* source)
{
    QPdfDocument doc;
    if (doc.load(path) != QPdfDocument::Error::None || doc.pageCount() < 1)
        return QImage();
    const QSizeF fitted = fittedSize(doc.pagePointSize(0), s);
    if (fitted.isEmpty())
        return QImage();
    if (source)
        *source = doc.pagePointSize(0);
    QImage page = doc.render(0, pixelSize(fitted));
    if (page.isNull())
        return QImage();
    // Pages without a background are paper.
    QImage sheet(page.size(), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(0, 0, page);
    return sheet;
}

QImage renderedImage(const QString& path, double s, QSizeF* source)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return renderedPdf(path, s, source);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return readFitted(reader, s, source);
}

namespace {

QImage onSheet(const QImage& picture, double s)
{
    const int side = std::max(1, int(std::lround(s)));
    QImage sheet(side, side, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF page(side * 0.1, 0.5, side * 0.8, side - 1.0);
    p.setPen(QPen(QColor(160, 160, 160), 1));
    p.setBrush(Qt::white);
    p.drawRect(page);
    const QRectF inner = page.adjusted(3, 3, -3, -3);
    const QSizeF fit = QSizeF(picture.size()).scaled(inner.size(), Qt::KeepAspectRatio);
    p.drawImage(QRectF(inner.x() + (inner.width() - fit.width()) / 2, inner.y() + (inner.height() - fit.height()) / 2,
                       fit.width(), fit.height()),
                picture);
    return sheet;
}

QImage inSquare(const QImage& picture, double s)
{
    const int side = std::max(1, int(std::lround(s)));
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::white);
    QPainter p(&square);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The top of a page, across the whole width.
    const double h = picture.width() > 0 ? double(picture.height()) * side / picture.width() : 0;
    p.drawImage(QRectF(0, 0, side, h), picture);
    return square;
}

} // namespace

QString typeOfFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("inode/directory");
    // A pipe, a socket or a device: the database names it from its kind alone, reading nothing.
    if (!info.isFile())
        return info.exists() ? QMimeDatabase().mimeTypeForFile(info).name() : QString();
    if (info.suffix().compare(QLatin1String("webloc"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("webloc");
    struct Known {
        qint64 size;
        qint64 changed;
        QString type;
    };
    static std::mutex lock;
    static QHash<QString, Known> known;
    const qint64 size = info.size();
    const qint64 changed = info.lastModified().toMSecsSinceEpoch();
    {
        const std::lock_guard<std::mutex> held(lock);
        if (auto it = known.constFind(path); it != known.constEnd() && it->size == size && it->changed == changed)
            return it->type;
    }
    const QString type = QMimeDatabase().mimeTypeForFile(info).name();
    const std::lock_guard<std::mutex> held(lock);
    // Bounded: a long session lists many files once each.
    if (known.size() >= 4096)
        known.clear();
    known.insert(path, {size, changed, type});
    return type;
}

QString launcherIcon(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // An entry is a few lines; one far longer is no launcher worth reading.
    bool inEntry = false;
    for (const QByteArray& raw : file.read(64 * 1024).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
        } else if (inEntry && line.startsWith("Icon")) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 && line.left(eq).trimmed() == "Icon")
                return QString::fromUtf8(line.mid(eq + 1).trimmed());
        }
    }
    return {};
}

Result load(const Request& request, const QString& cacheHome)
{
    Result r;
    const double s = request.size;
    if (!(s > 0) || !std::isfinite(s))
        return r;
    // Only a plain file is read: opening a named pipe would hold a worker until something writes.
    if (request.kind != Request::Kind::Picture && !QFileInfo(request.path).isFile()) {
        if (request.kind != Request::Kind::DeskImage)
            r.fileType = typeOfFile(request.path);
        return r;
    }
    switch (request.kind) {
    case Request::Kind::File: {
        r.image = cachedThumbnail(cacheHome, request.path, s);
        QSizeF source;
        if (r.image.isNull())
            r.image = renderedImage(request.path, s, &source);
        // The source's own shape, not the rounded pixels', when it is known.
        if (!r.image.isNull() && !source.isEmpty())
            r.ratio = float(source.height() / source.width());
        break;
    }
    case Request::Kind::IconSheet:
    case Request::Kind::Square: {
        QImage picture = cachedThumbnail(cacheHome, request.path, s);
        if (picture.isNull())
            picture = renderedImage(request.path, s);
        if (!picture.isNull())
            r.image = request.kind == Request::Kind::IconSheet ? onSheet(picture, s) : inSquare(picture, s);
        break;
    }
    case Request::Kind::DeskImage: {
        QImageReader reader(request.path);
        QSize full;
        if (!boundedSize(reader, &full))
            break;
        // S wide whatever its height.
        const QSize target(std::max(1, int(std::lround(s))), std::max(1, int(std::lround(s * full.height() / full.width()))));
        if (target.width() < full.width() && scalesWhileReading(reader))
            reader.setScaledSize(target);
        QImage image = inTrueColour(reader.read());
        if (!image.isNull() && image.width() > 0 && image.height() > 0)
            r.image = image.size() == target ? image : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        break;
    }
    case Request::Kind::Picture: {
        const QSizeF fitted = fittedSize(request.picture.size(), s);
        if (!fitted.isEmpty())
            r.ratio = float(fitted.height() / fitted.width());
        if (!fitted.isEmpty())
            r.image = request.picture.scaled(pixelSize(fitted), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        break;
    }
    }
    if (!r.image.isNull() && (r.image.width() <= 0 || r.image.height() <= 0))
        r.image = QImage();
    // Read here, off the main thread: the type of a file without an extension is in its bytes.
    if (r.image.isNull() && request.kind != Request::Kind::Picture && request.kind != Request::Kind::DeskImage)
        r.fileType = typeOfFile(request.path);
    // A launcher shows the icon its entry names, as file managers show it.
    if (r.fileType == QLatin1String("application/x-desktop") && request.kind == Request::Kind::File) {
        const QString icon = launcherIcon(request.path);
        QSizeF source;
        if (!QDir::isAbsolutePath(icon))
            r.iconName = icon;
        else if (QFileInfo(icon).isFile())
            r.image = renderedImage(icon, s, &source);
        if (!r.image.isNull() && !source.isEmpty())
            r.ratio = float(source.height() / source.width());
    }
    return r;
}

// ---- the pool ----

namespace {
std::atomic<ThumbnailPool*> sharedPool{nullptr};
}

struct ThumbnailPool::Inbox {
    std::mutex mutex;
    std::deque<std::pair<std::function<void(Result)>, Result>> results;
    bool drainPosted = false;
};

ThumbnailPool::ThumbnailPool(QThreadPool* pool, QString cacheHome)
    : pool_(pool), cacheHome_(std::move(cacheHome)), receiver_(std::make_unique<QObject>()),
      inbox_(std::make_shared<Inbox>())
{
    if (cacheHome_.isEmpty()) {
        cacheHome_ = qEnvironmentVariable("XDG_CACHE_HOME");
        if (cacheHome_.isEmpty())
            cacheHome_ = QDir::homePath() + QStringLiteral("/.cache");
    }
}

ThumbnailPool::~ThumbnailPool()
{
    if (sharedPool.load() == this)
        sharedPool.store(nullptr);
    // Requests still running post to a receiver that is gone: their deliveries are dropped.
    pool_->waitForDone();
}

void ThumbnailPool::request(Request request, std::function<void(Result)> done)
{
    // The destructor waits for every running request before the pool goes.
    const QString cacheHome = cacheHome_;
    pool_->start([this, request = std::move(request), done = std::move(done), cacheHome]() mutable {
        post(std::move(done), load(request, cacheHome));
    });
}

void ThumbnailPool::post(std::function<void(Result)> done, Result result)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(inbox_->mutex);
        inbox_->results.emplace_back(std::move(done), std::move(result));
        wake = !inbox_->drainPosted;
        inbox_->drainPosted = true;
    }
    // One queued call for a whole batch: it dies with the receiver.
    if (wake)
        QMetaObject::invokeMethod(receiver_.get(), [this] { drain(); }, Qt::QueuedConnection);
}

void ThumbnailPool::drain()
{
    QElapsedTimer turn;
    turn.start();
    for (;;) {
        std::pair<std::function<void(Result)>, Result> next;
        {
            std::lock_guard<std::mutex> lock(inbox_->mutex);
            if (inbox_->results.empty()) {
                inbox_->drainPosted = false;
                return;
            }
            if (turn.elapsed() >= kTurnBudgetMs) {
                // The rest in a later turn, after what else waits.
                QMetaObject::invokeMethod(receiver_.get(), [this] { drain(); }, Qt::QueuedConnection);
                return;
            }
            next = std::move(inbox_->results.front());
            inbox_->results.pop_front();
        }
        next.first(next.second);
    }
}

void ThumbnailPool::waitForDone() { pool_->waitForDone(); }


ThumbnailPool* ThumbnailPool::shared() { return sharedPool.load(); }

void ThumbnailPool::setShared(ThumbnailPool* pool) { sharedPool.store(pool); }

} // namespace tallomer::thumbs
