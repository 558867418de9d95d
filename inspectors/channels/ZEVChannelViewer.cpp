#include "inspectors/channels/ZEVChannelViewer.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVChannelClass::ZEVChannelClass(ZEVSpaceController& space) : ZEVInspectClass(space)
{
    currentChannel_ = space_.channelForIdentityInt(space_.currentChannelInt());
}

ZEVChannelBackgrounds* ZEVChannelClass::backgrounds(KELICurseur* curseur)
{
    if (!curseur)
        return nullptr;
    auto& b = backgrounds_[curseur];
    if (!b)
        b = std::make_unique<ZEVChannelBackgrounds>(curseur, space_.tlCurseur());
    return b.get();
}

std::vector<KELI*> ZEVChannelClass::timeLineItems()
{
    ZEVChannelBackgrounds* b = backgrounds(space_.nowCurseur());
    return b ? b->timeLineItems() : std::vector<KELI*>();
}

std::optional<std::string> ZEVChannelClass::nom(KELI* channel)
{
    KELI* mot = channel ? channel->enfantDeRelInt(KELRELATION_IDENTITY_NAME, space_.nowCurseur()) : nullptr;
    const KELValue v = mot ? mot->base() : KELValue{};
    if (!std::holds_alternative<std::string>(v))
        return std::nullopt;
    return std::get<std::string>(v);
}

std::optional<std::string> ZEVChannelClass::nameOfCurrentChannel()
{
    if (!currentChannel_)
        return std::string();
    return nom(currentChannel_);
}

std::string ZEVChannelClass::nameOfChannel(KELI* channel) { return nom(channel).value_or(std::string()); }

bool ZEVChannelClass::selectChannel(KELI* channel)
{
    if (!channel || !space_.channelForIdentityInt(channel->idInt()))
        return false;
    currentChannel_ = channel;
    if (space_.currentChannelInt() != channel->idInt())
        space_.updateChannelWithIdentityInt(channel->idInt());
    return true;
}

void ZEVChannelClass::selectChannelInt(KELId channelInt)
{
    if (KELI* channel = KELServeurDeLiens::LienForInt(channelInt, space_.tlCurseur()))
        selectChannel(channel);
}

bool ZEVChannelClass::siChannelActif(KELI* channel, KELICurseur* curseur)
{
    ZEVChannelBackgrounds* b = backgrounds(curseur);
    return b && b->siChannelActif(channel);
}

KELI* ZEVChannelClass::backItemForChannel(KELI* channel, KELICurseur* curseur)
{
    ZEVChannelBackgrounds* b = backgrounds(curseur);
    return b ? b->backItemForChannel(channel) : nullptr;
}

void ZEVChannelClass::channelDidChange(KELId channelInt)
{
    if (channelInt)
        if (KELI* channel = space_.channelForIdentityInt(channelInt))
            currentChannel_ = channel;
}

} // namespace tallomer
