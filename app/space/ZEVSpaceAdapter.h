#pragma once
// The Space as the application shell sees it: builds the space controller of the root Space with
// its two desks (Object factory, desk model, desk viewer and item viewer per cursor) and answers
// the shell's questions about it. The shell's controller owns one of these.

#include "app/ZEVSpaceControllerBase.h"
#include "desk/viewer/ZEVDeskSaveAs.h"
#include "platform/KeyLayout.h"
#include "space/ZEVSpaceParts.h"

#include <memory>

class KELICurseur;

namespace tallomer {

class KELApplication;
class UserDefaultsController;
class ZEVController;
class ZEVSpaceController;
class ZEVSpaceBridge;
class KELMainMenu;
class KELSpaceMenuHub;
class ZEVKeyTimeSpace;

class ZEVSpaceAdapter final : public ZEVSpaceControllerBase, public ZEVSpaceHost, private ZEVDeskSaveAs::Space {
public:
    // nullptr when the Space cannot be built (no timeline cursor, no such space object). The
    // controller's application and `defaults` are not owned and outlive the adapter.
    static std::unique_ptr<ZEVSpaceControllerBase> creer(KELId spaceInt, KELICurseur* tlCurseur,
                                                        ZEVController* controller, UserDefaultsController& defaults);

    ZEVSpaceAdapter(KELApplication* app, UserDefaultsController& defaults);
    ~ZEVSpaceAdapter() override;

    ZEVSpaceController* space() const { return space_.get(); }
    ZEVSpaceBridge* deskServices() const { return deskServices_.get(); }
    // The drop-folder watch, once the Space started it.
    ZEVDeskSaveAs* deskSaveAs() const { return deskSaveAs_.get(); }
    // The Space window's main menu, once the Space is built.
    KELMainMenu* mainMenu() const { return mainMenu_.get(); }
    // What the KeyTime windows read and move of the Space, once it is built.
    ZEVKeyTimeSpace* keyTimeSpace() const { return keyTimeSpace_.get(); }

    // ZEVSpaceControllerBase
    ZEVFrontViewerServices* frontViewer() override;
    QWidget* spaceWindow() override;
    KELICurseur* nowCurseur() override;
    KELICurseur* searchCurseur() override;
    KELICurseur* actifCurseur() override;
    KELId currentChannelInt() override;
    void volumeMountDidChange() override;
    ZEVZevpOpening openZevpURL(const QString& url, bool siHistory) override;
    void addFilenames(const QStringList& paths) override;
    void commitTyping() override;
    void updateTimeline() override;
    void updateActifCurseur(KELICurseur* curseur) override;
    void relancerLesCurseurs() override;
    void receiveFilesForURL(const QString& folder) override;
    void abortDownloads() override;
    void updateItemImagesOfCurrentChannel() override;

    // ZEVSpaceHost
    void referencerSpaceController(ZEVSpaceController* space) override;
    QString storeFolder() override;
    UserDefaultsController& defaults() override { return defaults_; }
    const KELSharedResources& sharedResources() override;
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* curseur, ZEVSpaceController& space) override;
    std::unique_ptr<ZEVRulerClassServices> creerRulerClass(ZEVSpaceController& space) override;
    std::unique_ptr<ZEVRulerViewerServices> creerRulerViewer(ZEVRulerClassServices& rulerClass,
                                                            ZEVSpaceController& space) override;
    std::unique_ptr<ZEVContextViewerServices> creerContextViewer(ZEVSpaceController& space) override;
    void ouvrirEntityWithInt(KELId entityInt) override;
    std::unique_ptr<ZEVFrontViewerServices> creerFrontViewer(ZEVSpaceController& space) override;
    std::unique_ptr<ZEVMarkHistoryServices> creerMarkHistoryViewer(ZEVSpaceController& space) override;
    void referencerItemDataSpace(ZEVSpaceController* space) override;
    KELI* sameItemForItem(KELI* item) override;
    void copyZevpPlace(const QString& zevpString, const QString& title, KELId channelInt,
                       const QImage& image) override;
    void setCurrentChannelInt(KELId channelInt) override;
    QString fileUrlForItem(KELI* item, KELId channelInt) override;
    void startDropFolderWatch(ZEVSpaceController& space) override;
    void setActifCurseurColorSiNow(bool siNow) override;
    bool siShowDesktop() override;
    void closeProgressPanel() override;
    void spaceWindowWillShow(ZEVSpaceController& space) override;
    void showWelcome() override;
    QCursor searchCursor() override;
    void menuAction(ZEVSpaceMenuAction action) override;
    void userQuit() override;
    void deleteItemData(KELI* item) override;
    void fullScreenDidChange() override;
    void actifCurseurDidChange() override;
    ZEVMenuCommands* menuCommands() override;

private:
    // The main menu over the Space's window and its keys by the current layout.
    void installMainMenu(ZEVSpaceController& space);
    void installToolbarFillers(ZEVSpaceController& space);
    void setKeyEquivalents();

    // ZEVDeskSaveAs::Space
    KELId zevFolderChannelInt() override;
    ZEVDeskViewer* nowDeskViewer() override;

    KELApplication* app_; // not owned
    UserDefaultsController& defaults_;
    // The desks' view of the space controller; declared before the controller, so it dies after it.
    std::unique_ptr<ZEVSpaceBridge> deskServices_;
    std::unique_ptr<ZEVSpaceController> space_;
    // The controller while it builds itself (space_ is set only once it is built); not owned.
    ZEVSpaceController* controller_ = nullptr;
    std::unique_ptr<ZEVDeskSaveAs> deskSaveAs_;
    std::unique_ptr<KELSpaceMenuHub> menuHub_;
    std::unique_ptr<ZEVKeyTimeSpace> keyTimeSpace_;
    std::unique_ptr<KELMainMenu> mainMenu_;
    KeyLayout keyLayout_;
};

} // namespace tallomer
