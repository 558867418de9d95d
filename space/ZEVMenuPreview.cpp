#include "space/ZEVMenuPreview.h"

#include "engine/KELICurseur.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

namespace tallomer {

namespace {
constexpr const char* kGotoOff = "setGotoOff";
constexpr const char* kDidClose = "menuDidClose";
// The go buttons rest again this long after the last highlight.
constexpr double kGotoOffDelay = 0.2;
} // namespace

// ---- the Space's answer -----------------------------------------------------------------------

bool ZEVSpacePreviewTarget::siSearchActif() { return space_.siSearchActif(); }

void ZEVSpacePreviewTarget::storeSearchDate()
{
    if (KELICurseur* search = space_.searchCurseur())
        space_.userGotoSetDate(search->now());
}

KELId ZEVSpacePreviewTarget::currentChannelInt() { return space_.currentChannelInt(); }

void ZEVSpacePreviewTarget::fillSpaces(QMenu* menu, int startIndex, long maxPrev)
{
    ZEVChannelClassServices* channels = space_.channelClass();
    KELI* channel = channels ? channels->currentChannel() : nullptr;
    if (channel)
        space_.addSpacesToMenu(menu, ZEVSpaceController::SpacesMenuAction::GotoPrevSpace, startIndex, maxPrev, 0,
                               channel);
}

void ZEVSpacePreviewTarget::fillReplaceSpaces(QMenu* menu, int startIndex, long maxPrev)
{
    ZEVChannelClassServices* channels = space_.channelClass();
    if (KELI* channel = channels ? channels->currentChannel() : nullptr)
        space_.addSpacesToMenu(menu, ZEVSpaceController::SpacesMenuAction::ReplacePrevSpace, startIndex, maxPrev, 0,
                               channel);
}

void ZEVSpacePreviewTarget::fillChannels(QMenu* menu, int startIndex, bool siShowZevFolder)
{
    space_.addChannelsToMenu(menu, startIndex, siShowZevFolder);
}

void ZEVSpacePreviewTarget::fillHistory(QMenu* menu, int startIndex, unsigned max)
{
    space_.addZevStoryToMenu(menu, startIndex, max);
}

void ZEVSpacePreviewTarget::gotoSpace(long tag) { space_.userGotoPrevSpace(tag); }
void ZEVSpacePreviewTarget::gotoChannel(long channelInt) { space_.userGotoChannel(channelInt); }
void ZEVSpacePreviewTarget::scannHistory(long tag, bool outOfHistory) { space_.userScannHistory(tag, outOfHistory); }
void ZEVSpacePreviewTarget::historyDidClose() { space_.menuHistoryDidClose(); }

void ZEVSpacePreviewTarget::homeHighlighted()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    ZEVChannelViewerServices* channels = space_.channelViewerServices();
    if (space_.actifCurseur() == space_.nowCurseur()) {
        if (channels)
            channels->selectionHome();
        if (front)
            front->selectionHome();
        return;
    }
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    KELICurseur* actif = space_.actifCurseur();
    if (!ruler || !actif || !space_.nowCurseur() || !ruler->siAccepteDeplacement())
        return;
    const KELDate t0 = actif->now();
    ruler->userChangeActifCurseur(space_.nowCurseur());
    const KELDate t1 = space_.actifCurseur() ? space_.actifCurseur()->now() : t0;
    if (t1 > t0) {
        if (front)
            front->selectionNextSpace(true);
        if (channels)
            channels->selectionNextSpace(true);
    } else {
        if (front)
            front->selectionPreviousSpace(true);
        if (channels)
            channels->selectionPreviousSpace(true);
    }
}

void ZEVSpacePreviewTarget::setSpaceBrowsing(bool browsing)
{
    if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
        channels->setSpaceBrowsing(browsing);
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->setSpaceBrowsing(browsing);
}

void ZEVSpacePreviewTarget::setChannelBrowsing(bool browsing)
{
    if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
        channels->setChannelBrowsing(browsing);
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->setChannelBrowsing(browsing);
}

void ZEVSpacePreviewTarget::setGotoOff()
{
    if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
        channels->setGotoOff();
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->setGotoOff();
}

// ---- the preview ------------------------------------------------------------------------------

ZEVMenuPreview::ZEVMenuPreview(ZEVMenuPreviewTarget& target, Kind kind, int startIndex, long maxPrev,
                               bool siShowZevFolder)
    : target_(target), kind_(kind), startIndex_(startIndex), maxPrev_(maxPrev), siShowZevFolder_(siShowZevFolder)
{
}

ZEVMenuPreview::~ZEVMenuPreview() = default;

ZEVMenuPreview::Item ZEVMenuPreview::itemOf(const QAction* action, long* tag)
{
    if (!action)
        return Item::None;
    if (action->property("tag").toLongLong() == kHomeTag) {
        *tag = kHomeTag;
        return Item::Home;
    }
    if (action->isSeparator())
        return Item::Other;
    if (action->property("ZEVSpacesMenuAction").isValid()) {
        *tag = long(action->data().toLongLong());
        return Item::Space;
    }
    if (action->property("userGotoChannel").toBool()) {
        *tag = long(action->data().toLongLong());
        return Item::Channel;
    }
    if (action->property("userGotoHistory").toBool()) {
        *tag = long(action->data().toLongLong());
        return Item::History;
    }
    return Item::Other;
}

void ZEVMenuPreview::attach(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { willOpen(menu); });
    connect(menu, &QMenu::hovered, this, [this](QAction* action) {
        long tag = 0;
        const Item item = itemOf(action, &tag);
        highlight(item, tag);
    });
    connect(menu, &QMenu::triggered, this, [this](QAction*) { chosen_ = true; });
    // The trigger comes after the menu hid: the close is looked at on the next turn.
    connect(menu, &QMenu::aboutToHide, this, [this] {
        Scheduler::shared().cancel(this, kDidClose);
        Scheduler::shared().perform(this, kDidClose, 0, [this] { didClose(chosen_); });
    });
    menu->installEventFilter(this);
}

bool ZEVMenuPreview::eventFilter(QObject* watched, QEvent* event)
{
    // The pointer left the items, without a submenu open.
    if (event->type() == QEvent::Leave && open_) {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (menu && menu->isVisible())
            highlight(Item::None, 0);
    }
    return QObject::eventFilter(watched, event);
}

void ZEVMenuPreview::willOpen(QMenu* menu)
{
    Scheduler::shared().cancel(this, kDidClose);
    chosen_ = false;
    open_ = true;
    switch (kind_) {
    case Kind::Channels:
    case Kind::ToolbarChannels:
        target_.setChannelBrowsing(kind_ == Kind::Channels);
        target_.setGotoOff();
        previousChannelInt_ = target_.currentChannelInt();
        target_.fillChannels(menu, startIndex_, siShowZevFolder_);
        break;
    case Kind::Spaces:
    case Kind::CleanSpaces:
        if (target_.siSearchActif()) {
            gotoSpaceTag_ = -1;
            target_.storeSearchDate();
        } else {
            gotoSpaceTag_ = -2;
        }
        if (kind_ == Kind::Spaces)
            target_.fillSpaces(menu, startIndex_, maxPrev_);
        else
            target_.fillReplaceSpaces(menu, startIndex_, maxPrev_);
        // The Space controller moves the desk to a listed Space only while Spaces are browsed:
        // the Clean menu browses them too, or its previews would show nothing.
        target_.setSpaceBrowsing(true);
        target_.setGotoOff();
        break;
    case Kind::History:
        target_.fillHistory(menu, startIndex_, historyMax_);
        break;
    }
}

void ZEVMenuPreview::scheduleGotoOff()
{
    Scheduler::shared().cancel(this, kGotoOff);
    Scheduler::shared().perform(this, kGotoOff, kGotoOffDelay, [this] { target_.setGotoOff(); });
}

void ZEVMenuPreview::highlight(Item item, long tag)
{
    if (!open_)
        return;
    switch (kind_) {
    case Kind::History:
        if (item == Item::History)
            target_.scannHistory(tag, false);
        else
            target_.scannHistory(0, true);
        scheduleGotoOff();
        break;
    case Kind::Spaces:
        if (item == Item::Space) {
            target_.gotoSpace(tag);
            scheduleGotoOff();
        } else if (item == Item::Home) {
            target_.homeHighlighted();
            scheduleGotoOff();
        } else if (item == Item::None) {
            target_.gotoSpace(gotoSpaceTag_);
            Scheduler::shared().cancel(this, kGotoOff);
            target_.setGotoOff();
        }
        break;
    case Kind::CleanSpaces:
        // Any other entry of the Clean menu brings the desk back as well.
        if (item == Item::Space) {
            target_.gotoSpace(tag);
            scheduleGotoOff();
        } else {
            target_.gotoSpace(gotoSpaceTag_);
        }
        break;
    case Kind::Channels:
    case Kind::ToolbarChannels:
        if (item == Item::Channel) {
            target_.gotoChannel(tag);
            scheduleGotoOff();
        } else {
            target_.gotoChannel(long(previousChannelInt_));
            Scheduler::shared().cancel(this, kGotoOff);
            target_.setGotoOff();
        }
        break;
    }
}

void ZEVMenuPreview::didClose(bool chosen)
{
    Scheduler::shared().cancel(this, kDidClose);
    if (!open_)
        return;
    // A close without a choice leaves the items: the desk goes back before browsing ends.
    if (!chosen)
        highlight(Item::None, 0);
    open_ = false;
    chosen_ = false;
    switch (kind_) {
    case Kind::History:
        target_.historyDidClose();
        break;
    case Kind::Spaces:
    case Kind::CleanSpaces:
    case Kind::Channels:
    case Kind::ToolbarChannels:
        if (kind_ == Kind::Spaces || kind_ == Kind::CleanSpaces)
            target_.setSpaceBrowsing(false);
        else
            target_.setChannelBrowsing(false);
        Scheduler::shared().cancel(this, kGotoOff);
        target_.setGotoOff();
        break;
    }
}

} // namespace tallomer
