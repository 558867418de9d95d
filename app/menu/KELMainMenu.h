#pragma once
// The main menu of the Space window: a QMenuBar built from one table (menu tag, item tag, title,
// action), each action forwarded to its receiver with its argument, rule and delay, each submenu
// prepared as it opens (states, with a visible mark for the mixed state), and the Spaces,
// Channels and History menus previewing on the desk.
//
// Items are found by tag inside the menu of a tag, as the rest of the program looks them up; the
// item tag is the QAction's "tag" property. The bar shows while the user default ZEVShowMacMenu
// is on. Every action is also the window's own, so that its key works with the bar hidden; a
// key sequence set twice gives way on the later item, with a log line.

#include "app/menu/KELMenuHub.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tallomer {

class ZEVMenuPreview;

// The Object menu's option items over the Objects shown: 1 on, 0 off, -1 mixed.
struct KELObjectMenuStates {
    bool any = false; // some Object is shown
    int qlIcon = 0;
    int alwaysTitle = 0;
    int openOnClick = 0;
    int animated = 0;
    bool animatedEnabled = false;
};
KELObjectMenuStates objectMenuStates(const std::vector<ZEVItemOption>& options);

class KELMainMenu final : public QObject, public ZEVMenuCommands {
public:
    // Main-menu tags of the submenus.
    enum MenuTag : int {
        kMenuApplication = 1,
        kMenuFile = 2,
        kMenuEdit = 3,
        kMenuObject = 4,
        kMenuTime = 5,
        kMenuInspectors = 6,
        kMenuModes = 7,
        kMenuView = 8,
        kMenuSpaces = 9,
        kMenuChannels = 10,
        kMenuHistory = 13,
        kMenuHelp = 14,
    };

    struct Entry {
        int menu;            // the main-menu tag (or a submenu tag, as 4333) that holds it
        long tag;            // the item's tag; 0 for an untagged item
        const char* title;
        const char* action;  // nullptr for a separator; a submenu's entries name it in `menu`
        const char* outlet = nullptr; // the name the item is found by, where it has no tag
    };
    static const std::vector<Entry>& table();

    // `window` gets the bar (not owned; the bar becomes its child). `hub` is not owned and
    // outlives the menu. `quitAction`: the window's own Quit, reused by the Quit item.
    KELMainMenu(QWidget* window, KELMenuHub& hub, QAction* quitAction = nullptr);
    ~KELMainMenu() override;

    QMenuBar* menuBar() const { return bar_; }
    // The submenu of a main-menu tag (or of a submenu tag such as 4333); nullptr for none.
    QMenu* menuWithTag(int tag) const;
    // The item of that tag in that menu, or of that outlet name; nullptr for none.
    QAction* item(int menuTag, long tag) const;
    QAction* outlet(const char* name) const;

    // Runs an action as its item would (the sender's tag is the item's).
    void perform(const std::string& action, QAction* sender) override;
    // Whether the action's receiver exists and carries its command out.
    bool routable(const std::string& action) override;
    QMenu* objectMenu() override { return menuWithTag(kMenuObject); }
    QMenu* editMenu() override { return menuWithTag(kMenuEdit); }
    // Every item is enabled exactly when its action can reach its receiver.
    void updateEnabling();
    // Shows or hides the bar (the user default ZEVShowMacMenu).
    void setBarVisible(bool visible);

    // ---- the state of the submenus, as each opens ----
    void menuWillOpen(int menuTag);
    void menuDidClose(int menuTag);
    void updateMenuObject();
    void updateMenuOptions();
    void updateMenuPresets(QMenu* menu) override;
    // The edit entries' titles (by tag) and images: the main Edit menu's, and any menu that shows
    // the same entries.
    void updateMenuEdit(QMenu* menu);
    void updateMenuViewWithFrontMode(int mode);
    void actifCurseurDidChange();
    void fullScreenDidChange();

    // ---- key equivalents by physical key ----
    // One key of the table: the mac key code and its modifiers (the system's flags).
    struct KeyEntry {
        int menu;
        long tag;
        const char* outlet;
        int keyCode;
        std::uint32_t flags;
    };
    static const std::vector<KeyEntry>& keyTable();
    // Sets every item of the table its key from `keyForCode` (the Qt key the current layout gives
    // the physical key; nullopt keeps the key the item has); a sequence met a second time gives
    // way on the later item, with a log line.
    using KeyForCode = std::function<std::optional<int>(int keyCode)>;
    void setKeyEquivalents(const KeyForCode& keyForCode);
    // The View menu's per-mode key (key code 37).
    void setModeKey(std::optional<int> qtKey) { modeKey_ = qtKey; }

    // A preview of the Spaces, Channels or History menu (for tests).
    ZEVMenuPreview* preview(int menuTag) const;

protected:
    // A key without Ctrl, Alt or Meta goes to a text field that has the focus, never to an item.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Forward;
    static const std::map<std::string, Forward>& forwards();
    void build();
    QAction* addEntry(const Entry& e);
    void enable(QAction* a, bool rule);
    void setState(QAction* a, int state);
    // Whether the toggle bar shows any of the inspectors the Inspectors menu lists.
    bool anyInspectorShown();
    void openFirst(const char* command, const KELMenuArgument& arg, double delayIfOpened, double delayIfShown,
                   bool alwaysOpen, bool sendAtOnceWhenShown);
    KELMenuReceiver* receiverFor(const Forward& f);

    QWidget* window_;
    KELMenuHub& hub_;
    QAction* quitAction_;
    QMenuBar* bar_;
    std::map<int, QMenu*> menus_;
    std::map<std::string, QAction*> outlets_;
    std::vector<QAction*> actions_;
    std::map<int, std::unique_ptr<ZEVMenuPreview>> previews_;
    std::optional<int> modeKey_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
