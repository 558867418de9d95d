// What an Object view shows of its Object: its type's icon until the best picture to be had at
// the icon's size comes (asked of the shared thumbnail pool, the newest request's only), or the
// animated GIF.

#include "objects/view/ZEVItemBestImage.h"

#include "objects/view/ZEVItemView.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/thumbs/Thumbnails.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVPersonServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "widgets/FileTypeIcon.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMovie>

#include <cmath>
#include <deque>

namespace tallomer {

namespace {

using Kind = thumbs::Request::Kind;


bool extensionIs(const QString& path, const char* ext)
{
    return QFileInfo(path).suffix().compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
}

// The delayed requests of all views, asked in turns of bounded length: a desk that shows
// thousands of Objects at once must not hold the main thread while their files are looked up.
const char kDelayedRequestsTarget = 0;
constexpr char kDelayedRequests[] = "_betterImageRequests";
constexpr qint64 kRequestTurnMs = 8;

// The side type icons are drawn at for Object views, which scale them to the icon's size.
constexpr int kTypeIconSide = 128;

QImage iconOfWord(const QString& word) { return imageForFileType(word, kTypeIconSide); }

// Whether the icon theme (with the program's fallback) has an icon of that name.
bool hasThemeIcon(const QString& name)
{
    installIconThemeFallback();
    return QIcon::hasThemeIcon(name);
}
} // namespace

// ---- the stand-in and its triggers ----

QString ZEVItemView::iconWordForItemType(const QString& type)
{
    // The icon word each kind of Object is made with, for an Object that has none.
    static const QHash<QString, QString> words = {
        {QStringLiteral("http"), QStringLiteral("webloc")},
        {QStringLiteral("zevp"), QStringLiteral("jpeg")},
        {QStringLiteral("ABPerson"), QStringLiteral("vcf")},
        {QStringLiteral("message"), QStringLiteral("eml")},
        {QStringLiteral("folder"), QString()},
    };
    if (auto it = words.find(type); it != words.end())
        return *it;
    // A file of no known type, or no type yet: a document, never the folder the empty word is.
    if (type.isEmpty() || type == QLatin1String("file"))
        return QStringLiteral("application/octet-stream");
    return type;
}

QImage ZEVItemView::imageDuType(const QString& type) { return iconOfWord(iconWordForItemType(type)); }

QImage ZEVItemView::placeholderImage() const
{
    // The Object's icon word names its icon; the empty word is a folder's.
    std::optional<std::string> word;
    if (itemViewer_ && itemViewer_->itemClass() && item_)
        word = itemViewer_->itemClass()->itemIconForItem(item_);
    return word ? iconOfWord(QString::fromStdString(*word)) : imageDuType(itemType_);
}

void ZEVItemView::setItemIconImage()
{
    if (!imageView_->image().isNull())
        return;
    if (!siBestImage()) {
        imageView_->setImage(placeholderImage());
        return;
    }
    imageView_->setImage(placeholderImage());
    if (!Scheduler::hasShared())
        return;
    Scheduler::shared().cancel(cible(), kBetterImageName);
    Scheduler::shared().perform(cible(), kBetterImageName, kBetterImageDelay, [this] { askBetterImageSoon(); }, true);
}

void ZEVItemView::setRetrieveIcon() { imageView_->setImage(placeholderImage()); }

void ZEVItemView::updateImage()
{
    if (!siItemOption(item_, ZEVOPTION_ANIMATE))
        bestImage_.stopMovie();
    betterImageForItemType(itemType_);
}

// ---- a delivered picture ----

void ZEVItemView::setBetterImage(const QImage& image, float exact)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return;
    const float old = imageSizeRatio_;
    const float ratio = exact > 0 && std::isfinite(exact) ? exact : float(image.height()) / float(image.width());
    if (!std::isfinite(ratio) || !(ratio > 0))
        return;
    imageSizeRatio_ = ratio;
    ZEVSpaceForObjectViews* s = space();
    // The link lines end at the icon's edge: they follow a change of shape that shows.
    if (s && s->siShowLinks() && std::fabs(old - ratio) > 0.03f && itemViewer_ && itemViewer_->deskViewer())
        itemViewer_->deskViewer()->majConnexion();
    setIconPosition(iconPosition_, 0.01);
    imageView_->setImage(image);
}

// ---- the picture asked ----

ZEVItemBestImage::ZEVItemBestImage(ZEVItemView& view) : view_(view) {}

ZEVItemBestImage::~ZEVItemBestImage() = default;

struct ZEVItemBestImage::Delayed {
    std::weak_ptr<char> alive;
    ZEVItemBestImage* asker;
    QString type;
};

std::deque<ZEVItemBestImage::Delayed>& ZEVItemBestImage::delayed()
{
    static std::deque<Delayed> queue;
    return queue;
}

void ZEVItemBestImage::askDelayed()
{
    QElapsedTimer turn;
    turn.start();
    auto& queue = delayed();
    while (!queue.empty() && turn.elapsed() < kRequestTurnMs) {
        const Delayed r = queue.front();
        queue.pop_front();
        if (r.alive.expired())
            continue;
        // Cleared first: the request may queue the view again.
        r.asker->queued_ = false;
        r.asker->view_.betterImageForItemType(r.type);
    }
    if (!queue.empty() && Scheduler::hasShared())
        Scheduler::shared().perform(&kDelayedRequestsTarget, kDelayedRequests, 0, askDelayed, true);
}

void ZEVItemBestImage::askSoon()
{
    // Already waiting: a desk's start queues every view at once, and a search of the queue for
    // each of them would cost the square of their number.
    if (queued_)
        return;
    queued_ = true;
    auto& queue = delayed();
    queue.push_back({alive_, this, view_.itemType_});
    if (queue.size() == 1 && Scheduler::hasShared())
        Scheduler::shared().perform(&kDelayedRequestsTarget, kDelayedRequests, 0, askDelayed, true);
}

// ---- the request ----

void ZEVItemBestImage::request(const QString& type)
{
    if (!view_.siBestImage())
        return;
    const float s = float(view_.iconPosition_.size);
    if (!(s > 0) || !std::isfinite(s)) {
        logLine("ERROR _betterImageForItemType:");
        return;
    }
    // Whatever was asked before is older than what is asked now.
    ++generation_;
    if (type == QLatin1String("file") || type == QLatin1String("http")) {
        const QString path = ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(view_.identityInt_).fileUrlForItem(view_.item_);
        requestFilePicture(path, type == QLatin1String("http"));
    } else if (type == QLatin1String("zevp")) {
        const QString path = ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(view_.identityInt_).zevpImageUrlForItem(view_.item_);
        if (!siItemOption(view_.item_, ZEVOPTION_ZEVP_IMAGE))
            addItemOption(view_.item_, ZEVOPTION_ZEVP_IMAGE);
        view_.addSticker(ZEVItemStickers::kZevp);
        if (!path.isEmpty())
            queuePicture(int(Kind::DeskImage), path, s);
    } else if (type == QLatin1String("ABPerson")) {
        ZEVSpaceForObjectViews* sp = view_.space();
        ZEVPersonServices* persons = sp ? sp->personClass() : nullptr;
        const int side = int(std::lround(s));
        const QImage picture =
            persons ? persons->imageForItem(view_.item_, view_.identityInt_, QSize(side, side)) : QImage();
        if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
            // Until the Contacts model answers: the contact type's icon.
            view_.setBetterImage(ZEVItemView::imageDuType(QStringLiteral("ABPerson")));
            return;
        }
        queuePicture(int(Kind::Picture), QString(), s, picture);
    }
}

bool ZEVItemBestImage::requestFilePicture(const QString& path, bool web)
{
    const float s = float(view_.iconPosition_.size);
    if (path.isEmpty()) {
        if (web) {
            if (siItemOption(view_.item_, ZEVOPTION_DOWNLOADING))
                view_.addSticker(ZEVItemStickers::kDownloading);
            else if (siItemOption(view_.item_, ZEVOPTION_ERROR))
                view_.addSticker(ZEVItemStickers::kError);
            return false;
        }
        // A file last seen in the Trash is a missing file like any other: the Object and its
        // history are never erased from here.
        if (siItemOption(view_.item_, ZEVOPTION_ERROR)) {
            view_.addSticker(ZEVItemStickers::kError);
            return false;
        }
        if (siItemOption(view_.item_, ZEVOPTION_MASK_BUSY))
            return false;
        if (!siItemOption(view_.item_, ZEVOPTION_NOT_FOUND))
            addItemOption(view_.item_, ZEVOPTION_NOT_FOUND);
        view_.addSticker(ZEVItemStickers::kNotFound);
        return false;
    }
    if (!web) {
        if (siItemOption(view_.item_, ZEVOPTION_NOT_FOUND))
            clearItemOption(view_.item_, ZEVOPTION_NOT_FOUND);
        view_.addSticker(ZEVItemStickers::kForOptions);
    }
    const bool gif = extensionIs(path, "gif");
    if (gif && !siItemOption(view_.item_, ZEVOPTION_GIF))
        addItemOption(view_.item_, ZEVOPTION_GIF);
    const bool qlIcon = siItemOption(view_.item_, ZEVOPTION_QL_ICON);
    if (web && (extensionIs(path, "html") || extensionIs(path, "htm"))) {
        // No page is drawn here, so a page file shows its type's icon: the link keeps its own
        // (the web link's icon word) rather than look like a saved page.
        if (qlIcon)
            view_.setBetterImage(view_.placeholderImage());
        else
            queuePicture(int(Kind::Square), path, s);
        return true;
    }
    if (!qlIcon && gif && siItemOption(view_.item_, ZEVOPTION_ANIMATE)) {
        showMovie(path, s);
        if (movie_)
            return true;
    }
    stopMovie();
    queuePicture(int(qlIcon ? Kind::IconSheet : Kind::File), path, s);
    return true;
}

void ZEVItemBestImage::queuePicture(int kind, const QString& path, double s, const QImage& picture)
{
    thumbs::ThumbnailPool* pool = thumbs::ThumbnailPool::shared();
    if (!pool)
        return;
    ++generation_;
    thumbs::Request r;
    r.kind = Kind(kind);
    r.path = path;
    r.size = s;
    r.picture = picture;
    const std::weak_ptr<char> alive = alive_;
    const std::uint64_t generation = generation_;
    const bool fileKind = r.kind == Kind::File || r.kind == Kind::IconSheet || r.kind == Kind::Square;
    // A web page not drawn keeps the link's own icon rather than look like a saved page.
    const bool byType = r.kind == Kind::File || r.kind == Kind::IconSheet;
    pool->request(std::move(r), [this, alive, generation, fileKind, byType](thumbs::Result result) {
        // A view that is gone, or asked again since, takes nothing from this delivery.
        if (alive.expired() || generation != generation_)
            return;
        if (!result.image.isNull())
            view_.setBetterImage(result.image, result.ratio);
        else if (byType && !result.iconName.isEmpty() && hasThemeIcon(result.iconName))
            view_.setBetterImage(imageOfIcon(QIcon::fromTheme(result.iconName), kTypeIconSide));
        else if (fileKind)
            // No picture of the file: the icon of what the file is, which its name may not tell
            // (a folder and a file without an extension share the empty word).
            view_.setBetterImage(byType && !result.fileType.isEmpty() ? iconOfWord(result.fileType)
                                                                       : view_.placeholderImage());
    });
}

// ---- an animated GIF ----

void ZEVItemBestImage::showMovie(const QString& path, double s)
{
    // Read here on the main thread: a named pipe opened would hold the whole program until
    // something wrote to it.
    if (!QFileInfo(path).isFile()) {
        stopMovie();
        return;
    }
    QImageReader probe(path);
    probe.setAllocationLimit(thumbs::kAllocationLimitMB);
    QSize full = probe.size();
    // Some formats tell their size only with their first frame, read within the bound.
    if (!full.isValid())
        full = probe.read().size();
    const QSizeF fitted = thumbs::fittedSize(full, s);
    if (fitted.isEmpty() || std::int64_t(full.width()) * full.height() > thumbs::kMaxSourcePixels) {
        stopMovie();
        return;
    }
    if (movie_ && movie_->fileName() == path) {
        movie_->setScaledSize(fitted.toSize());
        return;
    }
    auto movie = std::make_unique<QMovie>(path);
    if (!movie->isValid()) {
        stopMovie();
        return;
    }
    movie->setScaledSize(fitted.toSize());
    QMovie* m = movie.get();
    QObject::connect(m, &QMovie::frameChanged, m, [this, m](int) {
        const QImage frame = m->currentImage();
        if (frame.isNull())
            return;
        if (m->currentFrameNumber() == 0)
            view_.setBetterImage(frame);
        else
            view_.imageView_->setImage(frame);
    });
    movie_ = std::move(movie);
    movie_->start();
}

void ZEVItemBestImage::stopMovie() { movie_.reset(); }

} // namespace tallomer
