#pragma once
// The Icons inspector, the least of it the Space asks for: its model answers whether an Object's
// icon lies on the active desk or on the Now desk, and the Object's title there; its panel opens,
// moves and closes. Its rows come with the Icons inspector itself.

#include "inspectors/base/ZEVLeastInspector.h"
#include "inspectors/services/ZEVInspectorServices.h"

#include <cstdint>

namespace tallomer {

class ZEVFrontClass;
class ZEVSpaceController;

class ZEVIconClass final : public ZEVInspectClass, public ZEVIconClassServices {
public:
    // `space` is not owned and outlives the model.
    explicit ZEVIconClass(ZEVSpaceController& space) : ZEVInspectClass(space) {}
    std::optional<std::string> itemTitleForItem(KELI* item) override;
    bool isItemActif(KELI* item) override;
    bool isItemActifNow(KELI* item) override;
    // Every Object that has lain on a desk of the current Channel, at any time, in the order its
    // first icon came.
    std::vector<KELI*> timeLineItems() override;
    bool findInChannelsForItems(const std::vector<KELI*>& items, bool textual);

private:
    bool siIconAuCurseur(KELI* item, KELICurseur* curseur);
};

class ZEVIconViewer final : public ZEVInspectViewer, public ZEVIconViewerServices {
public:
    ZEVIconViewer(ZEVSpaceController& space, KELId entityInt) : ZEVInspectViewer(space, entityInt), model_(space) {}
    ZEVIconClassServices* iconClass() override { return &model_; }
    ZEVInspectClass* inspectClass() override { return &model_; }
    void buttonInspectCancel() override { fermerParLaBarre(); }
    // The front mode's selected Objects deleted for good (every link, data file and view).
    void userDelete() override;
    // The first Object of the mode's selection shown in the file manager.
    void userShowOriginal() override;
    // The Search cursor to the previous or next change of the mode's selected Objects while the
    // tracks are open, else of the desk; with `siSame` only within the current Space. True when
    // the step showed the Now cursor instead; a beep and false when there is no such change.
    bool userGotoPreviousItemSiSame(bool siSame) override { return allerAuChangement(true, siSame); }
    bool userGotoNextItemSiSame(bool siSame) override { return allerAuChangement(false, siSame); }
    // The main menu's Object and Edit items enabled by the mode's selection (0 to 3).
    void updateMenuMacForMode(int frontMode) override;
    // The Object menu's Remove item titled by the mode's Objects, and the items that need some
    // enabled by them (Link mode's links are the front layer's to title).
    void updateMenuObject(QMenu* menu) override;
    bool findInChannelsForItems(const std::vector<KELI*>& items, bool textual) override
    {
        return model_.findInChannelsForItems(items, textual);
    }
    // The mode's Objects the file jobs may take go to the front class's transfer queue.
    void userMoveTo() override;
    void userMoveToSpace() override;
    void userCopyTo() override;
    void userCopyToSpace() override;
    void userDuplicateTo() override;
    void userDuplicateToSpace() override;
    // The mode's Objects on the active desk whose files the program holds (0x20), the drop folder
    // holds (0x20000), lie on the computer's own disks outside both, or on an external volume
    // (0x200) become the mode's selection.
    void menuFindZevHeld() override;
    void menuFindZevFolderHeld() override;
    void menuFindMacHeld() override;
    void menuFindExtHeld() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override
    {
        ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
        model_.channelDidChangeWithIdentityInt(identityInt);
    }

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVIconView>(*this); }

private:
    bool allerAuChangement(bool versLePasse, bool siSame);
    void selectHeld(bool (*test)(std::uint64_t options));
    void transfer(bool (*eligible)(KELI*), void (ZEVFrontClass::*to)(const std::vector<KELI*>&));
    void duplicate(void (ZEVFrontClass::*to)(const std::vector<KELI*>&));

    ZEVIconClass model_;
};

} // namespace tallomer
