#pragma once
// The Channels inspector, the least of it the Space asks for: its model lists the Channels of
// the Space, keeps the one its list has selected, names them, switches the Space to one and reads
// a Channel's presence and background at a cursor; its panel opens, moves and closes.

#include "desk/background/ZEVChannelBackgrounds.h"
#include "inspectors/base/ZEVLeastInspector.h"
#include "inspectors/services/ZEVInspectorServices.h"

#include <map>
#include <memory>

namespace tallomer {

class ZEVSpaceController;

class ZEVChannelClass final : public ZEVInspectClass, public ZEVChannelClassServices {
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

    KELI* currentChannel_ = nullptr; // links live for the run
    std::map<KELICurseur*, std::unique_ptr<ZEVChannelBackgrounds>> backgrounds_;
};

class ZEVChannelViewer final : public ZEVInspectViewer, public ZEVChannelViewerServices {
public:
    ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt) : ZEVInspectViewer(space, entityInt), model_(space) {}
    ZEVChannelClassServices* channelClass() override { return &model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override
    {
        ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
        model_.channelDidChange(identityInt);
    }
    // Where the panel lies while it shows: its x, and its rows' rectangle within it.
    std::optional<ZEVChannelPanelSpan> channelViewIfOpen() override
    {
        ZEVInspectView* v = inspectViewIfBuilt();
        if (!siShowInspectView() || !v)
            return std::nullopt;
        const QRectF r = v->inspectRect();
        return ZEVChannelPanelSpan{v->frame().x(), r.x(), r.width()};
    }
    // The menus browse Spaces through the Space while they are open, panel or not.
    bool spaceBrowsing() override { return spaceBrowsing_; }
    void setSpaceBrowsing(bool browsing) override { spaceBrowsing_ = browsing; }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVChannelView>(*this); }

private:
    ZEVChannelClass model_;
    bool spaceBrowsing_ = false;
};

} // namespace tallomer
