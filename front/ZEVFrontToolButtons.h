#pragma once
// The front toolbar's buttons at work: a short press pops the button's menu under it, a long
// press (or a drag resting on it) runs its direct action. The menus are filled as they open,
// preview the Channels, Spaces and history marks they list while the pointer rests on them, and
// put the buttons back as they close. The go buttons light while the user steps or browses, and
// go out 0.2 s after the last step.
//
// It also carries the toolbar's actions that several commands fall back to: the Space and Channel
// steps, previous and next change, the calendar and go-to panel toggles, the Home Time, the
// filters' OR and AND, the show-links button, and the Add Documents and new-folder panels.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class KELI;
class QMenu;

namespace tallomer {

class ZEVButton;
class ZEVFrontHeaderViews;
class ZEVFrontGoToPanel;
class ZEVFrontPanels;
class ZEVFrontToolbar;
class ZEVFrontViewer;
class ZEVMenuPreview;
class ZEVMenuPreviewTarget;
class ZEVSpaceController;

class ZEVFrontToolButtons final : public QObject {
public:
    // The popup menus of the toolbar's buttons.
    enum class Menu { Add, Open, Calendar, GoToPanel, Home, Clean, UpDown, Go, GotoSpace, Edit, Find, Toolbar, Count };
    // The direct action of a button, by its name.
    enum class Clique {
        None, HomeTime, ShowCalandar, GoToPanel, InspectPrevious, InspectNext, PreviousSpace, NextSpace,
        ChannelUp, ChannelDown, SpaceClean, AddDocuments, ActionOpen, InspectFind
    };
    static Clique cliqueFor(const QString& buttonName);
    // The calendar and go-to buttons keep the state their action sets instead of going back to
    // the one they had at the press.
    static bool cliqueCancelsGotoPrevious(Clique clique);
    // The menu a short press on the button pops up; Count for none.
    static Menu menuFor(const QString& buttonName);

    static constexpr double kGotoOffDelay = 0.2;

    // `front`, `space` are not owned and outlive the buttons; `headers` may be null.
    ZEVFrontToolButtons(ZEVFrontViewer& front, ZEVSpaceController& space, ZEVFrontHeaderViews* headers);
    ~ZEVFrontToolButtons() override;

    // Ties the toolbar's buttons to their menus and actions.
    void wire(ZEVFrontToolbar* toolbar);
    ZEVButton* button(const char* name) const;
    QMenu* menu(Menu m) const { return menus_[std::size_t(m)].get(); }

    // A button pressed: its menu under it for a short press; nothing more after a long one.
    void pressed(ZEVButton* b);
    void popUpMenu(Menu m);
    // The long press's action.
    void performClique(ZEVButton* b);
    // The number of menus closed so far (for the checks of their closing).
    int menusClosed() const { return menusClosed_; }

    // ---- lighting ----
    void selectionUp(KELId channelInt);
    void selectionDown(KELId channelInt);
    void selectionPreviousSpace(bool siHome);
    void selectionNextSpace(bool siHome);
    void selectionPreviousObject(bool siHome);
    void selectionNextObject(bool siHome);
    void selectionHome();
    void setGotoOff();
    void setChannelBrowsing(bool b) { siChannelBrowsing_ = b; }
    void setSpaceBrowsing(bool b) { siSpaceBrowsing_ = b; }
    void setZevstoryBrowsing(bool b) { siZevstoryBrowsing_ = b; }
    bool siChannelBrowsing() const { return siChannelBrowsing_; }
    bool siSpaceBrowsing() const { return siSpaceBrowsing_; }
    bool siZevstoryBrowsing() const { return siZevstoryBrowsing_; }
    // The desk goes home: the Home button lights.
    void userGoHome();

    // ---- actions ----
    void menuChannelUp();
    void menuChannelDown();
    void btnPreviousSpace();
    void btnNextSpace();
    void menuShowCalandar();
    void menuGoToPanel();
    // withSender: from a control, gliding over 1.5 s; from code, at once.
    void menuHomeTime(bool withSender);
    void buttonActionOrOperation();
    void buttonActionAndOperation();
    // Shows the selections' links when none show; hides them when they show.
    void buttonShowLink();
    void userAddDocuments();
    // Opened where that Object's file lies, as the front class places its panels.
    void userAddDocumentsWithItem(KELI* item);
    void userAddNewFolderWithItem(KELI* item);

    // The application lists the applications that open the Objects (the Open menu's items).
    using OpenWithFiller = std::function<void(QMenu* menu, const std::vector<KELI*>& items)>;
    void setOpenWithFiller(OpenWithFiller filler) { openWithFiller_ = std::move(filler); }
    // What the application fills into the menus as they open, as it does for its main menu: the
    // presets' titles, states and enabling (Calendar), the edit entries (Edit), and the images of
    // the holders' and kinds' finds (Find). Unset, the menus keep their own titles.
    struct AppFillers {
        std::function<void(QMenu*)> presets;
        std::function<void(QMenu*)> edit;
        std::function<void(QMenu*)> findImages;
    };
    void setAppFillers(AppFillers fillers) { appFillers_ = std::move(fillers); }
    // The Find button's menu entry that shows the list's search field (and the button's long press).
    void btnInspectFind(ZEVButton* b);

    ZEVFrontPanels& panels() { return *panels_; }
    ZEVFrontGoToPanel* goToPanel() const { return goToPanel_.get(); }

private:
    QMenu* makeMenu(Menu m, const char* name);
    void buildMenus();
    // The Find, Toolbar menus and the additions to the Calendar, Clean and Spaces menus
    // (ZEVFrontToolMenus.cpp).
    void buildMoreMenus();
    void willOpenMore(Menu m);
    void didCloseMore(Menu m);
    // The Now entry of the Spaces menu and the Clean menu's replace entry: the Now desk's
    // background thumbnail (and its name for the first).
    void majNowEntries(Menu m);
    void willOpen(Menu m);
    void didClose(Menu m);
    void setState(const char* name, int state);
    int lit() const;
    void scheduleGotoOff();
    void channelStep(bool up, KELId channelInt);
    void spaceStep(bool previous, bool siHome);
    void objectStep(bool previous, bool siHome);
    // The folder an Object's file lies in (its own for a folder), or Documents.
    QString folderForItem(KELI* item) const;

    ZEVFrontViewer& front_;           // not owned
    ZEVSpaceController& space_;       // not owned
    ZEVFrontHeaderViews* headers_;    // not owned
    QPointer<ZEVFrontToolbar> toolbar_;
    std::array<std::unique_ptr<QMenu>, std::size_t(Menu::Count)> menus_;
    std::unique_ptr<ZEVMenuPreviewTarget> previewTarget_;
    std::unique_ptr<ZEVMenuPreview> channelsPreview_, spacesPreview_, historyPreview_;
    std::unique_ptr<ZEVMenuPreview> cleanPreview_, toolbarPreview_;
    AppFillers appFillers_;
    std::unique_ptr<ZEVFrontPanels> panels_;
    std::unique_ptr<ZEVFrontGoToPanel> goToPanel_;
    OpenWithFiller openWithFiller_;
    bool siChannelBrowsing_ = false;
    bool siSpaceBrowsing_ = false;
    bool siZevstoryBrowsing_ = false;
    int menusClosed_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
