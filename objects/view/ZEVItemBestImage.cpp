// What an Object view shows of its Object: the best picture to be had at the icon's size (asked
// of the shared thumbnail pool, the newest request's only), the flicker that points at it, and
// its title edited in place.

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
#include <QEvent>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHash>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMovie>

#include <cmath>
#include <deque>

namespace tallomer {

namespace {
constexpr char kFlickIcon[] = "_flickIcon";
constexpr char kFlickTitle[] = "_flickTitle";

using Kind = thumbs::Request::Kind;

ZEVItemData& dataForChannel(KELId channel)
{
    if (ZEVItemData* d = channel ? ZEVItemDataChannels::ItemDataForChannelInt(channel) : nullptr)
        return *d;
    return ZEVItemData::Current();
}

bool extensionIs(const QString& path, const char* ext)
{
    return QFileInfo(path).suffix().compare(QLatin1String(ext), Qt::CaseInsensitive) == 0;
}

// The delayed requests of all views, asked in turns of bounded length: a desk that shows
// thousands of Objects at once must not hold the main thread while their files are looked up.
struct DelayedRequest {
    std::weak_ptr<char> alive;
    ZEVItemView* view;
    QString type;
};
std::deque<DelayedRequest>& delayedRequests()
{
    static std::deque<DelayedRequest> queue;
    return queue;
}
const char kDelayedRequestsTarget = 0;
constexpr char kDelayedRequests[] = "_betterImageRequests";
constexpr qint64 kRequestTurnMs = 8;

void askDelayedRequests()
{
    QElapsedTimer turn;
    turn.start();
    auto& queue = delayedRequests();
    while (!queue.empty() && turn.elapsed() < kRequestTurnMs) {
        const DelayedRequest r = queue.front();
        queue.pop_front();
        if (!r.alive.expired())
            r.view->betterImageForItemType(r.type);
    }
    if (!queue.empty() && Scheduler::hasShared())
        Scheduler::shared().perform(&kDelayedRequestsTarget, kDelayedRequests, 0, askDelayedRequests, true);
}

QImage iconOfWord(const QString& word)
{
    // Made from the theme on the main thread, once per word.
    static QHash<QString, QImage> cache;
    auto it = cache.find(word);
    if (it == cache.end())
        it = cache.insert(word, imageForFileType(word, 128));
    return *it;
}
} // namespace

// ---- the stand-in and its triggers ----

QImage ZEVItemView::placeholderImage() const
{
    // The Object's icon word names its icon; the empty word is a folder's.
    std::optional<std::string> word;
    if (itemViewer_ && itemViewer_->itemClass() && item_)
        word = itemViewer_->itemClass()->itemIconForItem(item_);
    return iconOfWord(word ? QString::fromStdString(*word) : iconWordForItemType(itemType_));
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

void ZEVItemView::askBetterImageSoon()
{
    auto& queue = delayedRequests();
    for (const DelayedRequest& r : queue)
        if (r.view == this && !r.alive.expired())
            return; // already waiting; it asks for the type of the moment
    queue.push_back({alive_, this, itemType_});
    if (queue.size() == 1 && Scheduler::hasShared())
        Scheduler::shared().perform(&kDelayedRequestsTarget, kDelayedRequests, 0, askDelayedRequests, true);
}

void ZEVItemView::setRetrieveIcon() { imageView_->setImage(placeholderImage()); }

void ZEVItemView::updateImage()
{
    if (!siItemOption(item_, ZEVOPTION_ANIMATE))
        stopMovie();
    betterImageForItemType(itemType_);
}

// ---- the request ----

void ZEVItemView::betterImageForItemType(const QString& type)
{
    if (!siBestImage())
        return;
    const float s = float(iconPosition_.size);
    if (!(s > 0) || !std::isfinite(s)) {
        logLine("ERROR _betterImageForItemType:");
        return;
    }
    // Whatever was asked before is older than what is asked now.
    ++imageGeneration_;
    if (type == QLatin1String("file") || type == QLatin1String("http")) {
        const QString path = dataForChannel(identityInt_).fileUrlForItem(item_);
        requestFilePicture(path, type == QLatin1String("http"));
    } else if (type == QLatin1String("zevp")) {
        const QString path = dataForChannel(identityInt_).zevpImageUrlForItem(item_);
        if (!siItemOption(item_, ZEVOPTION_ZEVP_IMAGE))
            addItemOption(item_, ZEVOPTION_ZEVP_IMAGE);
        addSticker(ZEVItemStickers::kZevp);
        if (!path.isEmpty())
            queuePicture(int(Kind::DeskImage), path, s);
    } else if (type == QLatin1String("ABPerson")) {
        ZEVSpaceForObjectViews* sp = space();
        ZEVPersonServices* persons = sp ? sp->personClass() : nullptr;
        const int side = int(std::lround(s));
        const QImage picture = persons ? persons->imageForItem(item_, identityInt_, QSize(side, side)) : QImage();
        if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
            // Until the Contacts model answers: the contact type's icon.
            setBetterImage(iconOfWord(QStringLiteral("vcf")));
            return;
        }
        queuePicture(int(Kind::Picture), QString(), s, picture);
    }
}

bool ZEVItemView::requestFilePicture(const QString& path, bool web)
{
    const float s = float(iconPosition_.size);
    if (path.isEmpty()) {
        if (web) {
            if (siItemOption(item_, ZEVOPTION_DOWNLOADING))
                addSticker(ZEVItemStickers::kDownloading);
            else if (siItemOption(item_, ZEVOPTION_ERROR))
                addSticker(ZEVItemStickers::kError);
            return false;
        }
        // A file last seen in the Trash is a missing file like any other: the Object and its
        // history are never erased from here.
        if (siItemOption(item_, ZEVOPTION_ERROR)) {
            addSticker(ZEVItemStickers::kError);
            return false;
        }
        if (siItemOption(item_, ZEVOPTION_MASK_BUSY))
            return false;
        if (!siItemOption(item_, ZEVOPTION_NOT_FOUND))
            addItemOption(item_, ZEVOPTION_NOT_FOUND);
        addSticker(ZEVItemStickers::kNotFound);
        return false;
    }
    if (!web) {
        if (siItemOption(item_, ZEVOPTION_NOT_FOUND))
            clearItemOption(item_, ZEVOPTION_NOT_FOUND);
        addSticker(ZEVItemStickers::kForOptions);
    }
    const bool gif = extensionIs(path, "gif");
    if (gif && !siItemOption(item_, ZEVOPTION_GIF))
        addItemOption(item_, ZEVOPTION_GIF);
    const bool qlIcon = siItemOption(item_, ZEVOPTION_QL_ICON);
    if (web && (extensionIs(path, "html") || extensionIs(path, "htm"))) {
        // No page is drawn here, so a page file shows its type's icon: the link keeps its own
        // (the web link's icon word) rather than look like a saved page.
        if (qlIcon)
            setBetterImage(placeholderImage());
        else
            queuePicture(int(Kind::Square), path, s);
        return true;
    }
    if (!qlIcon && gif && siItemOption(item_, ZEVOPTION_ANIMATE)) {
        showMovie(path, s);
        if (movie_)
            return true;
    }
    stopMovie();
    queuePicture(int(qlIcon ? Kind::IconSheet : Kind::File), path, s);
    return true;
}

void ZEVItemView::queuePicture(int kind, const QString& path, double s, const QImage& picture)
{
    thumbs::ThumbnailPool* pool = thumbs::ThumbnailPool::shared();
    if (!pool)
        return;
    ++imageGeneration_;
    thumbs::Request r;
    r.kind = Kind(kind);
    r.path = path;
    r.size = s;
    r.picture = picture;
    const std::weak_ptr<char> alive = alive_;
    const std::uint64_t generation = imageGeneration_;
    const bool fileKind = r.kind == Kind::File || r.kind == Kind::IconSheet || r.kind == Kind::Square;
    pool->request(std::move(r), [this, alive, generation, fileKind](thumbs::Result result) {
        // A view that is gone, or asked again since, takes nothing from this delivery.
        if (alive.expired() || generation != imageGeneration_)
            return;
        if (!result.image.isNull())
            setBetterImage(result.image, result.ratio);
        else if (fileKind)
            setBetterImage(placeholderImage());
    });
}

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

// ---- an animated GIF ----

void ZEVItemView::showMovie(const QString& path, double s)
{
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
            setBetterImage(frame);
        else
            imageView_->setImage(frame);
    });
    movie_ = std::move(movie);
    movie_->start();
}

void ZEVItemView::stopMovie() { movie_.reset(); }

// ---- flicker ----

void ZEVItemView::flick()
{
    ZEVSpaceForObjectViews* s = space();
    const bool titles = s && s->frontMode() == ZEVFrontModeTitles;
    // The counts are even, and a flick during a flicker keeps the total even: it ends as it began.
    if (titles) {
        if (flickTitleCount_ == 0) {
            flickTitleCount_ = 8;
            orderToFront();
            flickTitle();
        } else {
            flickTitleCount_ = 8 - flickTitleCount_;
        }
    } else {
        if (flickIconCount_ == 0) {
            flickIconCount_ = 6;
            flickIcon();
        } else {
            flickIconCount_ = 6 - flickIconCount_;
        }
    }
}

void ZEVItemView::flickIcon()
{
    if (flickIconCount_ <= 0) {
        flickIconCount_ = 0;
        return;
    }
    imageView_->setVisible(!imageView_->isVisible());
    --flickIconCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(cible(), kFlickIcon, kFlickStep, [this] { flickIcon(); }, true);
}

void ZEVItemView::flickTitle()
{
    if (flickTitleCount_ <= 0) {
        flickTitleCount_ = 0;
        return;
    }
    setSiFlickOn(!siFlickOn_);
    --flickTitleCount_;
    if (Scheduler::hasShared())
        Scheduler::shared().perform(cible(), kFlickTitle, kFlickStep, [this] { flickTitle(); }, true);
}

// ---- the title edited in place ----

std::optional<ZEVItemTitleColours> ZEVItemView::titleColours() const
{
    ZEVSpaceForObjectViews* s = space();
    if (!s)
        return std::nullopt;
    ZEVItemTitleState st;
    st.time = timeState();
    st.connecting = siConnecting_;
    st.edited = s->isTitleEditedForItem(item_);
    st.modifiable = siModifiableTitle();
    st.selected = s->isTitleSelectedForItem(item_);
    st.frontMode = s->frontMode();
    return titleColoursFor(st);
}

QRectF ZEVItemView::titleDeskRect() const
{
    const QRectF inView = titleView_->rectInView();
    // The view's own coordinates are y-down from its top: turned over into desk points.
    return QRectF(frame_.x() + inView.x(), frame_.y() + frame_.height() - inView.bottom(), inView.width(),
                  inView.height());
}

namespace {
// Return and Escape belong to the editor while it has the keyboard, before any shortcut.
class TitleKeys final : public QObject {
public:
    TitleKeys(QLineEdit* editor, ZEVItemView* view) : QObject(editor), view_(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        }
        if (event->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                view_->endTitleEdit(k != Qt::Key_Escape);
                return true;
            }
        }
        if (event->type() == QEvent::FocusOut) {
            // Leaving the editor keeps what was typed, as Return does.
            view_->endTitleEdit(true);
            return false;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ZEVItemView* view_;
};
} // namespace

bool ZEVItemView::editTitle()
{
    if (titleEditor_)
        return true;
    if (!siModifiableTitle() || !scene() || scene()->views().isEmpty() || !titleView_->isVisible())
        return false;
    QGraphicsView* canvas = scene()->views().constFirst();
    ZEVSpaceForObjectViews* s = space();
    if (s)
        s->editTitleForItem(item_);
    orderToFront();
    const QRect r = canvas->mapFromScene(titleView_->sceneBoundingRect()).boundingRect();
    titleEditor_ = new QLineEdit(canvas->viewport()); // owned by the viewport; deleted at the end
    titleEditor_->setObjectName(QStringLiteral("ZEVItemTitleEditor"));
    titleEditor_->setAlignment(Qt::AlignCenter);
    titleEditor_->setFrame(false);
    titleEditor_->setText(itemTitle_);
    titleEditor_->setGeometry(r.adjusted(0, -2, 0, 2));
    titleEditor_->selectAll();
    auto* keys = new TitleKeys(titleEditor_, this);
    keys->setObjectName(QStringLiteral("ZEVItemTitleKeys"));
    titleEditor_->installEventFilter(keys);
    titleView_->setVisible(false);
    titleEditor_->show();
    titleEditor_->setFocus(Qt::MouseFocusReason);
    return true;
}

void ZEVItemView::endTitleEdit(bool keep)
{
    QLineEdit* editor = titleEditor_;
    if (!editor)
        return;
    titleEditor_ = nullptr;
    // The editor goes later, once its events are out: its keys must not reach this view by then
    // (the view may be gone when the window closes).
    delete editor->findChild<QObject*>(QStringLiteral("ZEVItemTitleKeys"), Qt::FindDirectChildrenOnly);
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    titleView_->setVisible(true);
    ZEVSpaceForObjectViews* s = space();
    if (s)
        s->editTitleForItem(nullptr);
    if (keep && text != itemTitle_ && itemViewer_)
        itemViewer_->userChangeTitle(text, this);
    else
        titleView_->setText(itemTitle_);
    if (keep && text != itemTitle_)
        setItemTitle(text);
    setFocus(Qt::OtherFocusReason);
    update();
}

} // namespace tallomer
