#pragma once
// The Channels inspector's controller, the least of it that shows the list: it makes the model
// (rows filled and kept by the engine from creation on), builds the panel with the Channel list,
// wires the list to the model and forwards the pointer's moves over the list to it.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/services/ZEVInspectorServices.h"

#include <memory>

namespace tallomer {

class ZEVChannelTableView;

// The Channels panel, with the Channel list as its table.
class ZEVChannelView final : public ZEVInspectView {
public:
    explicit ZEVChannelView(ZEVInspectViewer& viewer);
    ZEVChannelTableView* channelTableView() const;
};

class ZEVChannelViewer final : public ZEVInspectViewer, public ZEVChannelViewerServices, public ZEVChannelClassOwner {
public:
    ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVChannelViewer() override;

    ZEVChannelClassServices* channelClass() override { return &model_; }
    ZEVChannelClass& channelModel() { return model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    // The list; nullptr until the panel was first shown.
    ZEVChannelTableView* channelTableView() const;
    void buttonInspectCancel() override { fermerParLaBarre(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void actifCurseurDidChange() override;
    // Where the panel lies while it shows: its x, and its rows' rectangle within it.
    std::optional<ZEVChannelPanelSpan> channelViewIfOpen() override;
    // The menus browse Spaces through the Space while they are open, panel or not.
    bool spaceBrowsing() override { return spaceBrowsing_; }
    void setSpaceBrowsing(bool browsing) override { spaceBrowsing_ = browsing; }
    void majInspectView() override;
    // The list's own Deselect: the panel's field follows the selection; the rows stay, since the
    // selected row is the Space's Channel.
    void userDeselect() override { majInspectField(); }
    void userWillCleanAndReplace() override { cleanAndReplaceLit_ = true; }
    void userDidCleanAndReplace() override { cleanAndReplaceLit_ = false; }
    bool siCleanAndReplaceLit() override { return cleanAndReplaceLit_; }
    bool menuInspectCancelRename() override;

    // ---- ZEVChannelClassOwner ----
    void moteurChangeChannel() override { majInspectView(); }
    void searchingDidFinish() override { ZEVInspectViewer::searchingDidFinish(); }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVChannelView>(*this); }
    void awakeFromNib() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZEVChannelClass model_;
    bool spaceBrowsing_ = false;
    bool cleanAndReplaceLit_ = false;
};

} // namespace tallomer
