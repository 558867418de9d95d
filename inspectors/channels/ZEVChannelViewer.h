#pragma once
// The Channels inspector, the least of it the Space asks for: its model lists the Channels of
// the Space, keeps the one its list has selected, names them, switches the Space to one and reads
// a Channel's presence and background at a cursor. The panel comes with the inspector framework.

#include "desk/background/ZEVChannelBackgrounds.h"
#include "inspectors/services/ZEVInspectorServices.h"
#include "space/ZEVSpaceParts.h"

#include <map>
#include <memory>

namespace tallomer {

class ZEVSpaceController;

class ZEVChannelClass final : public ZEVChannelClassServices {
public:
    // `space` is not owned and outlives the model. The selected row starts at the current Channel.
    explicit ZEVChannelClass(ZEVSpaceController& space);
    std::vector<KELI*> timeLineItems() override;
    KELI* currentChannel() override { return currentChannel_; }
    std::optional<std::string> nameOfCurrentChannel() override;
    std::string nameOfChannel(KELI* channel) override;
    bool selectChannel(KELI* channel) override;
    void selectChannelInt(KELId channelInt) override;
    bool siChannelActif(KELI* channel, KELICurseur* curseur) override;
    KELI* backItemForChannel(KELI* channel, KELICurseur* curseur) override;
    // The Space switched Channels: the list's selected row follows.
    void channelDidChange(KELId channelInt);

private:
    ZEVChannelBackgrounds* backgrounds(KELICurseur* curseur);
    std::optional<std::string> nom(KELI* channel);

    ZEVSpaceController& space_;
    KELI* currentChannel_ = nullptr; // links live for the run
    std::map<KELICurseur*, std::unique_ptr<ZEVChannelBackgrounds>> backgrounds_;
};

class ZEVChannelViewer final : public ZEVEntityViewer, public ZEVChannelViewerServices {
public:
    ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt) : ZEVEntityViewer(entityInt), model_(space) {}
    ZEVChannelClassServices* channelClass() override { return &model_; }
    void channelDidChangeWithIdentityInt(KELId identityInt) override { model_.channelDidChange(identityInt); }
    // The menus browse Spaces through the Space while they are open, panel or not.
    bool spaceBrowsing() override { return spaceBrowsing_; }
    void setSpaceBrowsing(bool browsing) override { spaceBrowsing_ = browsing; }

private:
    ZEVChannelClass model_;
    bool spaceBrowsing_ = false;
};

} // namespace tallomer
