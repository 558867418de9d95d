#pragma once
// The Space window's hub as the main menu sees it: the receivers of its commands and the state
// its submenus show, read from the space controller and the parts it holds. The front answers
// only the commands the least front layer carries out; the Channels inspector's commands are
// absent, so their items stay disabled until they come. The inspector toggle bar opens, focuses
// and closes the panels of the entity items.

#include "app/menu/KELMenuHub.h"
#include "space/ZEVMenuPreview.h"

#include <functional>
#include <memory>
#include <vector>

class KELI;
class QMenu;

namespace tallomer {

class ZEVKeyDocumentController;
class ZEVSpaceController;

// Refills an Open With submenu with the applications that open these Objects.
void fillOpenWithMenu(QMenu* menu, ZEVSpaceController& space, const std::vector<KELI*>& items);

class KELSpaceMenuHub final : public KELMenuHub {
public:
    struct ApplicationHooks {
        std::function<void()> showPreferences;
        std::function<void()> showUserGuide;
        std::function<void()> toggleMenuBar;
        std::function<void()> exportAll;
        std::function<void()> importAll;
        std::function<void()> uninstall;
        // The KeyTime documents (not owned); their commands stay off without them.
        ZEVKeyDocumentController* keyTime = nullptr;
        // Start KeyTime / Stop KeyTime, and Add Step (ignored while playback runs); without them
        // Add Step goes straight to the documents and playback stays off.
        std::function<void()> keyTimeStartStop;
        std::function<void()> keyTimeAddStep;
        // Whether playback runs: Add Step is off meanwhile.
        std::function<bool()> keyTimeRunning;
    };
    // `space` is not owned and outlives the hub.
    KELSpaceMenuHub(ZEVSpaceController& space, ApplicationHooks hooks);
    ~KELSpaceMenuHub() override;

    KELMenuReceiver* receiver(KELMenuReceiverKind kind) override;
    KELMenuContextReceiver* contextViewer() override;
    ZEVMenuPreviewTarget& previewTarget() override { return preview_; }

    KELICurseur* actifCurseur() override;
    KELICurseur* nowCurseur() override;
    KELICurseur* searchCurseur() override;
    KELICurseur* tlCurseur() override;
    int frontMode() override;
    QString nameForFrontMode(int mode) override;
    KELId homeChannelInt() override;
    KELId zevFolderChannelInt() override;
    std::vector<KELI*> selectedItemsForCurrentChannel() override;
    std::vector<KELI*> selectionForFrontMode(int mode) override;

    std::vector<ZEVItemOption> visibleItemOptions() override;
    bool isTitleEditing() override;
    bool siNowItemExiste() override;
    bool siSelectionExiste() override;
    QString nowBackImageName() override;
    QIcon nowBackThumbnail() override;
    bool siRulerButton() override;
    bool siShowCalandar() override;
    bool siShowGoTo() override;
    bool siTimebarClosed() override;
    bool siTlineClosed() override;
    bool siTracksClosed() override;
    bool siToolbarClosed() override;
    bool siFullScreen() override;
    bool siFullWindow() override;
    bool siFrontSpace() override;
    bool siShowDesktop() override;
    bool siPresetWithStampInt(KELId stamp) override;
    QString presetNameWithStampInt(KELId stamp) override;
    QIcon presetImageWithStampInt(KELId stamp) override;
    int presetStateWithStampInt(KELId stamp) override;
    void fillOpenWith(QMenu* menu) override;
    void majImageForEditionMenu(QMenu* menu) override;
    void updateMenuObject(QMenu* menu) override;
    bool updateMenuEdit(QMenu* menu) override;
    void updateMenuMacForCurrentMode() override;

private:
    ZEVSpaceController& space_;
    ZEVSpacePreviewTarget preview_;
    std::unique_ptr<KELMenuReceiver> front_, rulerViewer_, rulerBar_, window_, spaceReceiver_, application_;
    std::unique_ptr<KELMenuReceiver> channel_;
    std::unique_ptr<KELMenuContextReceiver> context_;
};

} // namespace tallomer
