#include "space/ZEVSpacePreview.h"

namespace tallomer {

namespace {
constexpr char kStartPreview[] = "_startPreview";
constexpr char kSpaceKeyUp[] = "spaceKeyUp";
}

ZEVSpacePreview::ZEVSpacePreview(QWidget* over, std::function<void(bool)> showState)
    : over_(over), showState_(std::move(showState))
{
}

ZEVSpacePreview::~ZEVSpacePreview()
{
    if (window_) {
        // Its closing is no news to anyone by now.
        QObject::disconnect(window_, nullptr, nullptr, nullptr);
        if (ownsWindow_)
            delete window_.data();
    }
}

ZEVPreviewWindow* ZEVSpacePreview::ensureWindow()
{
    if (window_)
        return window_;
    window_ = new ZEVPreviewWindow(over_);
    ownsWindow_ = over_ == nullptr;
    // First over the middle of the window; then where the user leaves it.
    if (over_) {
        const QRect f = over_->frameGeometry();
        window_->move(f.center() - QPoint(window_->width() / 2, window_->height() / 2));
    }
    QObject::connect(window_, &ZEVPreviewWindow::visibilityChanged, window_,
                     [this](bool visible) { visibilityChanged(visible); });
    return window_;
}

void ZEVSpacePreview::setPreviewItems(std::vector<Item> items)
{
    items_ = std::move(items);
    if (items_.empty())
        return;
    siPreviousSame_ = items_.front().itemInt == previousItemInt_;
    previousItemInt_ = items_.front().itemInt;
}

void ZEVSpacePreview::loadItems()
{
    std::vector<ZEVPreviewEntry> entries;
    entries.reserve(items_.size());
    for (const Item& i : items_)
        entries.push_back(i.entry);
    window_->setEntries(std::move(entries));
    window_->reload();
}

void ZEVSpacePreview::reloadPreviewPanel()
{
    siStartPreview_ = false;
    if (window_ && window_->isVisible())
        loadItems();
}

void ZEVSpacePreview::orderOutPreviewPanel()
{
    if (siOrderOut_)
        return;
    siOrderOut_ = true;
    if (window_)
        window_->hide();
}

void ZEVSpacePreview::orderFrontPreviewPanel()
{
    ensureWindow();
    loadItems();
    if (window_->isVisible()) {
        window_->raise();
        return;
    }
    window_->show();
    // The preview has begun: held long enough, the space bar's release will close it.
    Scheduler::shared().cancel(this, kStartPreview);
    Scheduler::shared().perform(this, kStartPreview, kStartPreviewDelay, [this] { siStartPreview_ = true; });
}

bool ZEVSpacePreview::siVisible() const { return window_ && window_->isVisible(); }

void ZEVSpacePreview::step(int by)
{
    if (window_)
        window_->setCurrentIndex(window_->currentIndex() + by);
}

void ZEVSpacePreview::spaceKeyUp()
{
    if (siVisible() && (siPreviousSame_ || siStartPreview_)) {
        siPreviousSame_ = false;
        orderOutPreviewPanel();
    }
    Scheduler::shared().cancel(this, kStartPreview);
    siStartPreview_ = false;
}

bool ZEVSpacePreview::spaceKeyPressed(quint64 timestamp)
{
    const bool pending = Scheduler::shared().isPending(this, kSpaceKeyUp);
    Scheduler::shared().cancel(this, kSpaceKeyUp);
    // Only while the preview shows: elsewhere a held space bar may be typing spaces.
    if (timestamp != 0 && timestamp == lastRelease_ && siVisible())
        return true;
    // The user's own press: the release before it was one, and comes first.
    if (pending)
        spaceKeyUp();
    return false;
}

void ZEVSpacePreview::spaceKeyReleased(quint64 timestamp)
{
    lastRelease_ = timestamp;
    Scheduler::shared().cancel(this, kSpaceKeyUp);
    Scheduler::shared().perform(this, kSpaceKeyUp, kReleaseSettle, [this] { spaceKeyUp(); });
}

void ZEVSpacePreview::visibilityChanged(bool visible)
{
    // The window manager may show or hide it again on its own (a minimised Space window).
    if (visible == siControl_)
        return;
    if (visible)
        beginControl();
    else
        endControl();
}

void ZEVSpacePreview::beginControl()
{
    siControl_ = true;
    siOrderOut_ = false;
    siPreviousSame_ = false;
    siStartPreview_ = false;
    if (showState_)
        showState_(true);
}

void ZEVSpacePreview::endControl()
{
    siControl_ = false;
    Scheduler::shared().cancel(this, kStartPreview);
    siStartPreview_ = false;
    items_.clear();
    previousItemInt_ = 0;
    if (window_)
        window_->setEntries({});
    if (showState_)
        showState_(false);
}

} // namespace tallomer
