#include "app/menu/KELMainMenu.h"

#include "engine/KELICurseur.h"
#include "platform/Keys.h"
#include "platform/MenuText.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "space/ZEVMenuPreview.h"
#include "widgets/TextEntry.h"
#include "widgets/ZEVMixedMark.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <set>

namespace tallomer {

namespace {

using R = KELMenuReceiverKind;
using A = KELMenuArgument::Kind;

constexpr KELId kChannelsEntity = 2000194;
constexpr KELId kImagesEntity = 2000007;
// How long a command waits for the Channels inspector it just opened.
constexpr double kAfterOpening = 0.7;

// What an action does besides sending its command.
enum class Rule {
    Plain,
    RecallNow,       // then item 6 of the Edit menu is enabled
    OpenFirst,       // Channels inspector opened first; always delayed: 0.7 s after opening, else next turn
    SpaceNew,        // always opens; 0.7 s when it was not shown, 0.1 s when it was
    OpenFirstOrNow,  // opened first and 0.7 s later; sent at once when it was shown
    WaitUnlessShown, // never opens; 0.7 s when not shown, at once when shown
    SenderTag,       // the sender's tag as the value
    CurrentChannel,  // the current Channel as the value
    HomeChannel,     // the home Channel as the value
    Zoom,            // the active cursor below tag 301, else the timeline cursor
    CopyZevTime,
    CopyZevSpace,
    EntityOpen,
    ImagesEntity,    // the Images inspector's id as the value
};

long tagOf(const QAction* a) { return a ? long(a->property("tag").toLongLong()) : 0; }

} // namespace

struct KELMainMenu::Forward {
    R receiver;
    const char* command;
    A arg;
    Rule rule = Rule::Plain;
};

const std::map<std::string, KELMainMenu::Forward>& KELMainMenu::forwards()
{
    static const std::map<std::string, Forward> table = [] {
        std::map<std::string, Forward> t = {
            // The front layer.
            {"menuViewCalandar:", {R::Front, "menuShowCalandar", A::Application}},
            {"menuTimeGoTo:", {R::Front, "menuGoToPanel", A::Application}},
            {"menuTimeGoNow:", {R::Front, "userGoNow", A::None}},
            {"menuModeIcon:", {R::Front, "menuModeIcon", A::Nil}},
            {"menuModeTitle:", {R::Front, "menuModeTitle", A::Nil}},
            {"menuModeLink:", {R::Front, "menuModeLink", A::Nil}},
            {"menuModeFilter:", {R::Front, "menuModeFilter", A::Application}},
            {"menuActionOpen:", {R::Front, "userOpen", A::None}},
            {"menuActionOpenOverfly:", {R::Front, "userOpenOverfly", A::None}},
            {"menuActionOpenQL:", {R::Front, "userToggleQL", A::None}},
            {"menuActionGetInfo:", {R::Front, "userGetInfo", A::None}},
            {"menuActionAdd:", {R::Front, "userAdd", A::None}},
            {"menuAddDocuments:", {R::Front, "userAddDocuments", A::None}},
            {"menuAddFolder:", {R::Front, "userAddNewFolderWithItem", A::Nil}},
            {"menuActionFind:", {R::Front, "userFind", A::None}},
            // The desk's own: Add Object, Find Object and Change Background.
            {"menuAddObject:", {R::Front, "userAddDocuments", A::None}},
            {"menuFindObject:", {R::Front, "userFindObject", A::None}},
            {"menuChangeBackImage:", {R::Context, "ouvrirEntityWithInt", A::Value, Rule::ImagesEntity}},
            {"menuActionFindInChannels:", {R::Front, "userFindInChannels", A::None}},
            {"menuActionFindTextInChannels:", {R::Front, "userFindTextInChannels", A::None}},
            {"menuActionFilter:", {R::Front, "userFilter", A::None}},
            {"menuActionGotoPrevious:", {R::Front, "userGotoPrevious", A::None}},
            {"menuActionGotoPreviousSameSpace:", {R::Front, "menuInspectPrevious", A::Nil}},
            {"menuActionGotoNext:", {R::Front, "userGotoNext", A::None}},
            {"menuActionGotoNextSameSpace:", {R::Front, "menuInspectNext", A::Nil}},
            {"menuActionMoveTo:", {R::Front, "userMoveTo", A::None}},
            {"menuActionMoveToSpace:", {R::Front, "userMoveToSpace", A::None}},
            {"menuActionCopyTo:", {R::Front, "userCopyTo", A::None}},
            {"menuActionCopyToSpace:", {R::Front, "userCopyToSpace", A::None}},
            {"menuActionDuplicateTo:", {R::Front, "userDuplicateTo", A::None}},
            {"menuActionDuplicateToSpace:", {R::Front, "userDuplicateToSpace", A::None}},
            {"menuActionShowOriginal:", {R::Front, "userShowOriginal", A::None}},
            {"menuActionDelete:", {R::Front, "userDelete", A::None}},
            {"menuOptionShowTitle:", {R::Front, "userShowTitle", A::None}},
            {"menuOptionQLIcon:", {R::Front, "userShowQLIcon", A::None}},
            {"menuOptionEditTitle:", {R::Front, "userEditTitle", A::None}},
            {"menuOptionIsAnimated:", {R::Front, "userAnimate", A::None}},
            {"menuOptionOpenOnClick:", {R::Front, "userOpenOnClick", A::None}},
            {"menuSendToBack:", {R::Front, "userSendToBack", A::None}},
            {"menuSendToFront:", {R::Front, "userSendToFront", A::None}},
            {"menuToggleFullScreen:", {R::Front, "userToggleFullScreen", A::None}},
            {"menuSpaceStepBack:", {R::Front, "userStepBack", A::None}},
            {"menuSpaceStart:", {R::Front, "userSpaceStartHome", A::None}},
            {"menuSpaceClean:", {R::Front, "userSpaceCleanAll", A::None}},
            {"menuSpaceCleanAndRecall:", {R::Front, "userSpaceCleanAndRecall", A::None}},
            {"menuSpaceCleanAndRecallBack:", {R::Front, "userSpaceCleanAndRecallBack", A::None}},
            {"menuSpaceCleanAndReplace:", {R::Front, "userSpaceCleanAndReplace", A::None}},
            {"paste:", {R::Front, "userPaste", A::None}},
            {"copy:", {R::Front, "userCopy", A::None}},
            {"cut:", {R::Front, "userCut", A::None}},
            // The platform's Select All, which the front layer hands to the active desk.
            {"selectAll:", {R::Front, "userSelectAll", A::None}},
            {"menuDeselect:", {R::Front, "userDeselectAll", A::None}},
            {"menuSelectNext:", {R::Front, "userSelectNext", A::None}},
            {"menuSelectPrevious:", {R::Front, "userSelectPrevious", A::None}},
            {"menuSwap:", {R::Front, "userSwap", A::None}},
            {"menuSwapIcons:", {R::Front, "userSwapIcons", A::None}},
            {"menuSwapTitles:", {R::Front, "userSwapTitles", A::None}},
            {"menuActionRecallNow:", {R::Front, "userRecallNow", A::None, Rule::RecallNow}},
            {"menuActionRetainNow:", {R::Front, "userRetainNow", A::None}},
            {"menuActionReleaseNow:", {R::Front, "userReleaseNow", A::None}},
            {"menuActionForgetNow:", {R::Front, "userForgetNow", A::None}},
            {"menuActionRecallSearch:", {R::Front, "userRecallSearch", A::None}},
            {"menuActionRetainSearch:", {R::Front, "userRetainSearch", A::None}},
            {"menuActionReleaseSearch:", {R::Front, "userReleaseSearch", A::None}},
            {"menuActionForgetSearch:", {R::Front, "userForgetSearch", A::None}},
            {"menuToggleTimebar:", {R::Front, "userToggleTimebar", A::None}},
            {"menuToggleTline:", {R::Front, "userToggleTline", A::None}},
            {"menuToggleTracks:", {R::Front, "userToggleTracks", A::None}},
            {"menuToggleToolbar:", {R::Front, "userToggleToolbar", A::None}},
            // The Channels inspector.
            {"menuChannelAdd:", {R::Channel, "menuInspectAdd", A::Application, Rule::OpenFirst}},
            {"menuChannelRename:", {R::Channel, "userChannelRename", A::None, Rule::OpenFirst}},
            {"menuSpaceNew:", {R::Channel, "userSpaceAdd", A::None, Rule::SpaceNew}},
            {"menuSpaceCleanPreviousDistinct:", {R::Channel, "menuPreviousSpaceDistinct", A::None, Rule::OpenFirstOrNow}},
            {"menuSpaceCleanNextDistinct:", {R::Channel, "menuNextSpaceDistinct", A::None, Rule::OpenFirstOrNow}},
            {"menuSpaceRename:", {R::Channel, "userSpaceRename", A::None, Rule::OpenFirstOrNow}},
            {"menuSpaceCleanPrevious:", {R::Channel, "menuPreviousSpace", A::Application, Rule::WaitUnlessShown}},
            {"menuSpaceCleanNext:", {R::Channel, "menuNextSpace", A::Application, Rule::WaitUnlessShown}},
            {"menuActionChannelDown:", {R::Channel, "menuChannelDown", A::Application}},
            {"menuActionChannelUp:", {R::Channel, "menuChannelUp", A::Application}},
            {"menuActionChannelSelect:", {R::Channel, "userChannelSelectInt", A::Value, Rule::SenderTag}},
            {"menuChannelSelectHome:", {R::Channel, "selectChannelInt", A::Value, Rule::HomeChannel}},
            // The space controller.
            {"menuChannelSetAsHome:", {R::Space, "setHomeChannelInt", A::Value, Rule::CurrentChannel}},
            {"menuChannelSetAsZevFolder:", {R::Space, "setZevFolderChannelInt", A::Value, Rule::CurrentChannel}},
            {"menuPreset:", {R::Space, "userChangePresetWithStampInt", A::Value, Rule::SenderTag}},
            {"menuPresetHome:", {R::Space, "userChangePresetHome", A::None}},
            {"menuActionImport:", {R::Space, "menuActionImport", A::None}},
            {"menuToggleFront:", {R::Space, "userToggleFrontSpace", A::None}},
            {"menuCopyZevTime:", {R::Space, "copyZevpUrlForItems", A::Items, Rule::CopyZevTime}},
            {"menuCopyZevSpace:", {R::Space, "copyZevpUrlForItems", A::Items, Rule::CopyZevSpace}},
            {"menuHistoryPrevious:", {R::Space, "menuHistoryPrevious", A::None}},
            {"menuHistoryNext:", {R::Space, "menuHistoryNext", A::None}},
            {"menuHistoryDelete:", {R::Space, "userDeleteHistory", A::Sender}},
            // The ruler bar and the ruler viewer.
            {"menuTLNow:", {R::RulerBar, "menuNowCurseur", A::Application}},
            {"menuTLSearch:", {R::RulerBar, "menuSearchCurseur", A::Application}},
            {"menuTLRuler:", {R::RulerBar, "menuRuler", A::Application}},
            {"menuPresetSaveHome:", {R::RulerBar, "userPresetSaveHome", A::None}},
            // The inspector toggle bar.
            {"menuEntityOpen:", {R::Context, "ouvrirEntityWithInt", A::Value, Rule::EntityOpen}},
            {"menuEntityCloseAll:", {R::Context, "userCloseAllEntities", A::None}},
            // The Space window.
            {"menuClose:", {R::Window, "close", A::None}},
            {"menuMiniaturize:", {R::Window, "miniaturize", A::Application}},
            // The application itself.
            {"showPreferences:", {R::Application, "showPreferences", A::None}},
            {"terminate:", {R::Application, "terminate", A::None}},
            {"hideOtherApplications:", {R::Application, "hideOtherApplications", A::None}},
            {"menuHelpShowUserGuide:", {R::Application, "menuHelpShowUserGuide", A::None}},
            {"menuAddPerson:", {R::Application, "menuAddPerson", A::None}},
            {"menuToggleMacMenu:", {R::Application, "menuToggleMacMenu", A::None}},
            // KeyTime documents.
            {"newKeyTimeDocument:", {R::Application, "newKeyTimeDocument", A::None}},
            {"openKeyTimeDocument:", {R::Application, "openKeyTimeDocument", A::None}},
            {"saveKeyTimeDocument:", {R::Application, "saveKeyTimeDocument", A::None}},
            {"saveKeyTimeDocumentAs:", {R::Application, "saveKeyTimeDocumentAs", A::None}},
            {"keyTimeAddStep:", {R::Application, "keyTimeAddStep", A::None}},
            {"keyTimeStartStop:", {R::Application, "keyTimeStartStop", A::None}},
            // The whole store's export, import and uninstall.
            {"menuExport:", {R::Application, "menuExport", A::None}},
            {"menuImport:", {R::Application, "menuImport", A::None}},
            {"menuUninstall:", {R::Application, "menuUninstall", A::None}},
        };
        // The zooms: the ruler viewer's command is the action's name with "menu" made "user" and
        // "WithCurseur" added, but for the six months.
        for (const char* famille : {"This", "Prev", "Next"})
            for (const char* unite : {"Minute", "Hour", "Day", "Week", "Month", "Quarter", "SixMonth", "Year"}) {
                const std::string f = famille, u = unite;
                if ((f == "This" && u == "SixMonth") || (f != "This" && u == "Quarter"))
                    continue;
                const std::string action = "menuZoom" + f + u + ":";
                const std::string command =
                    "userZoom" + f + (u == "SixMonth" ? std::string("6Months") : u) + "WithCurseur";
                static std::set<std::string> noms;
                const char* c = noms.insert(command).first->c_str();
                t[action] = Forward{R::RulerViewer, c, A::Curseur, Rule::Zoom};
            }
        return t;
    }();
    return table;
}

KELObjectMenuStates objectMenuStates(const std::vector<ZEVItemOption>& options)
{
    KELObjectMenuStates s;
    s.any = !options.empty();
    if (!s.any)
        return s;
    auto three = [&](ZEVItemOption bit, auto keep) {
        bool some = false, all = true;
        for (ZEVItemOption o : options) {
            if (!keep(o))
                continue;
            const bool has = (o & bit) != 0;
            some = some || has;
            all = all && has;
            if (some && !all)
                return -1; // both seen: mixed
        }
        return some ? 1 : 0;
    };
    auto every = [](ZEVItemOption) { return true; };
    s.qlIcon = three(ZEVOPTION_QL_ICON, every);
    s.alwaysTitle = three(ZEVOPTION_SHOW_TITLE, every);
    s.openOnClick = three(ZEVOPTION_OPEN_ON_CLICK, every);
    // Only the GIFs animate: the others do not count.
    s.animated = three(ZEVOPTION_ANIMATE, [](ZEVItemOption o) { return (o & ZEVOPTION_GIF) != 0; });
    for (ZEVItemOption o : options)
        s.animatedEnabled = s.animatedEnabled || (o & ZEVOPTION_GIF) != 0;
    return s;
}

KELMainMenu::KELMainMenu(QWidget* window, KELMenuHub& hub, QAction* quitAction)
    : window_(window), hub_(hub), quitAction_(quitAction), bar_(new QMenuBar(window))
{
    bar_->setObjectName(QStringLiteral("mainMenu"));
    // The bar is the window's own, inside it: the desktop has no global menu bar to give.
    bar_->setNativeMenuBar(false);
    build();
    if (window_ && window_->layout())
        window_->layout()->setMenuBar(bar_);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
    updateEnabling();
}

KELMainMenu::~KELMainMenu()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    for (QAction* a : actions_)
        if (window_)
            window_->removeAction(a);
}

void KELMainMenu::build()
{
    const std::vector<std::pair<int, const char*>> top = {
        {kMenuApplication, "Tallomer"}, {kMenuFile, "File"},   {kMenuEdit, "Edit"},    {kMenuObject, "Object"},
        {kMenuTime, "Time"},            {kMenuInspectors, "Inspectors"}, {kMenuModes, "Tools"},
        {kMenuView, "View"},            {kMenuSpaces, "Spaces"}, {kMenuChannels, "Channels"},
        {kMenuHistory, "History"},      {kMenuHelp, "Help"}};
    for (const auto& [tag, title] : top) {
        QMenu* m = bar_->addMenu(QString::fromUtf8(title));
        m->menuAction()->setProperty("tag", tag);
        menus_[tag] = m;
    }
    // Submenus inside the menus: the item of that tag in its menu holds them.
    const std::vector<std::tuple<int, long, int>> inner = {
        {kMenuObject, 4333, 4333}, {kMenuObject, 4321, 4321}, {kMenuTime, 31, 300}, {kMenuTime, 32, 301}};
    for (const Entry& e : table()) {
        bool holder = false;
        for (const auto& [parent, tag, sub] : inner)
            if (parent == e.menu && tag == e.tag && !e.action) {
                QMenu* m = menus_.at(parent)->addMenu(QString::fromUtf8(e.title));
                m->menuAction()->setProperty("tag", qlonglong(tag));
                menus_[sub] = m;
                holder = true;
            }
        if (!holder)
            addEntry(e);
    }
    // Open With is filled by the Object menus for the Objects they show; empty, it says so.
    if (QMenu* openWith = menuWithTag(4321)) {
        QAction* none = openWith->addAction(QStringLiteral("<None>"));
        none->setEnabled(false);
    }

    // Each menu is prepared as it opens and after it closes.
    for (const auto& [tag, m] : menus_) {
        const int t = tag;
        connect(m, &QMenu::aboutToShow, this, [this, t] { menuWillOpen(t); });
        connect(m, &QMenu::aboutToHide, this, [this, t] { menuDidClose(t); });
    }
    // The previews.
    ZEVMenuPreviewTarget& target = hub_.previewTarget();
    previews_[kMenuSpaces] = std::make_unique<ZEVMenuPreview>(target, ZEVMenuPreview::Kind::Spaces, 12, 30);
    // Like every other Channels menu, it marks the home Channel only: the drop folder's is not named here.
    previews_[kMenuChannels] = std::make_unique<ZEVMenuPreview>(target, ZEVMenuPreview::Kind::Channels, 6, 0, false);
    previews_[kMenuHistory] = std::make_unique<ZEVMenuPreview>(target, ZEVMenuPreview::Kind::History, 0);
    for (auto& [tag, p] : previews_)
        p->attach(menus_.at(tag));

    // The standard keys of the edit commands.
    auto keysOf = [](QKeySequence::StandardKey k, QKeySequence fallback) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(k);
        if (!keys.contains(fallback))
            keys.prepend(fallback);
        return keys;
    };
    item(kMenuEdit, 100)->setShortcuts(keysOf(QKeySequence::Cut, QKeySequence(Qt::CTRL | Qt::Key_X)));
    item(kMenuEdit, 101)->setShortcuts(keysOf(QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_C)));
    item(kMenuEdit, 102)->setShortcuts(keysOf(QKeySequence::Paste, QKeySequence(Qt::CTRL | Qt::Key_V)));
    item(kMenuEdit, 103)->setShortcuts(keysOf(QKeySequence::SelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)));
}

QAction* KELMainMenu::addEntry(const Entry& e)
{
    QMenu* m = menuWithTag(e.menu);
    if (!m)
        return nullptr;
    if (!e.action) {
        if (e.title) {
            // A heading of the View menu's per-mode items.
            QAction* h = m->addAction(QString::fromUtf8(e.title));
            h->setProperty("tag", qlonglong(e.tag));
            h->setEnabled(false);
            return h;
        }
        m->addSeparator();
        return nullptr;
    }
    QAction* a = nullptr;
    if (std::string(e.action) == "terminate:" && quitAction_) {
        // The window's own Quit, so that Ctrl+Q stays one shortcut.
        // It stays enabled whatever the receivers: it is not among the forwarded items.
        a = quitAction_;
        a->setText(QString::fromUtf8(e.title));
        m->addAction(a);
        a->setProperty("tag", qlonglong(e.tag));
        return a;
    } else {
        a = m->addAction(QString::fromUtf8(e.title));
        const std::string action = e.action;
        connect(a, &QAction::triggered, this, [this, action, a] { perform(action, a); });
        if (window_)
            window_->addAction(a);
        // Keys stay with the window: a menu item's key never reaches a popup of another widget.
        a->setShortcutContext(Qt::WindowShortcut);
    }
    a->setProperty("tag", qlonglong(e.tag));
    a->setProperty("action", QString::fromLatin1(e.action));
    if (e.outlet) {
        a->setObjectName(QString::fromLatin1(e.outlet));
        outlets_[e.outlet] = a;
    }
    actions_.push_back(a);
    return a;
}

QMenu* KELMainMenu::menuWithTag(int tag) const
{
    const auto it = menus_.find(tag);
    return it == menus_.end() ? nullptr : it->second;
}

QAction* KELMainMenu::item(int menuTag, long tag) const
{
    QMenu* m = menuWithTag(menuTag);
    if (!m)
        return nullptr;
    for (QAction* a : m->actions())
        if (!a->isSeparator() && tagOf(a) == tag)
            return a;
    return nullptr;
}

QAction* KELMainMenu::outlet(const char* name) const
{
    const auto it = outlets_.find(name);
    return it == outlets_.end() ? nullptr : it->second;
}

ZEVMenuPreview* KELMainMenu::preview(int menuTag) const
{
    const auto it = previews_.find(menuTag);
    return it == previews_.end() ? nullptr : it->second.get();
}

KELMenuReceiver* KELMainMenu::receiverFor(const Forward& f)
{
    if (f.receiver == R::Context)
        return hub_.contextViewer();
    return hub_.receiver(f.receiver);
}

bool KELMainMenu::routable(const std::string& action)
{
    const auto it = forwards().find(action);
    if (it == forwards().end())
        return false;
    const Forward& f = it->second;
    KELMenuReceiver* r = receiverFor(f);
    if (!r || !r->handlesCommand(f.command))
        return false;
    switch (f.rule) {
    case Rule::OpenFirst:
    case Rule::SpaceNew:
    case Rule::OpenFirstOrNow:
    case Rule::WaitUnlessShown: {
        // These look at the Channels inspector first, through the toggle bar.
        KELMenuContextReceiver* context = hub_.contextViewer();
        return context && context->handlesCommand("ouvrirEntityWithInt");
    }
    case Rule::EntityOpen: {
        KELMenuContextReceiver* context = hub_.contextViewer();
        return context && context->handlesCommand("fermerEntityWithInt");
    }
    default:
        return true;
    }
}

void KELMainMenu::openFirst(const char* command, const KELMenuArgument& arg, double delayIfOpened,
                            double delayIfShown, bool alwaysOpen, bool sendAtOnceWhenShown)
{
    KELMenuContextReceiver* context = hub_.contextViewer();
    if (!context)
        return;
    const bool shown = context->isShowedEntityWithInt(kChannelsEntity);
    if (!shown || alwaysOpen) {
        KELMenuArgument open;
        open.kind = A::Value;
        open.value = qint64(kChannelsEntity);
        context->performCommand("ouvrirEntityWithInt", open);
    }
    if (shown && sendAtOnceWhenShown) {
        if (KELMenuReceiver* channel = hub_.receiver(R::Channel))
            channel->performCommand(command, arg);
        return;
    }
    const double delay = shown ? delayIfShown : delayIfOpened;
    const std::string name = command;
    Scheduler::shared().cancel(this, name);
    Scheduler::shared().perform(this, name, delay, [this, name, arg] {
        if (KELMenuReceiver* channel = hub_.receiver(R::Channel))
            channel->performCommand(name, arg);
    });
}

bool KELMainMenu::anyInspectorShown()
{
    KELMenuContextReceiver* context = hub_.contextViewer();
    QMenu* inspectors = menuWithTag(kMenuInspectors);
    if (!context || !inspectors)
        return false;
    for (QAction* a : inspectors->actions()) {
        const long t = tagOf(a);
        if (!a->isSeparator() && t != 0 && t != 50 && context->isShowedEntityWithInt(KELId(t)))
            return true;
    }
    return false;
}

void KELMainMenu::perform(const std::string& action, QAction* sender)
{
    const auto it = forwards().find(action);
    if (it == forwards().end() || !routable(action))
        return;
    const Forward& f = it->second;
    KELMenuArgument arg;
    arg.kind = f.arg;
    arg.sender = sender;
    switch (f.rule) {
    case Rule::SenderTag:
        arg.value = tagOf(sender);
        break;
    case Rule::CurrentChannel:
        arg.value = qint64(hub_.previewTarget().currentChannelInt());
        break;
    case Rule::HomeChannel:
        arg.value = qint64(hub_.homeChannelInt());
        break;
    case Rule::ImagesEntity:
        arg.value = qint64(kImagesEntity);
        break;
    case Rule::Zoom:
        arg.curseur = tagOf(sender) < 301 ? hub_.actifCurseur() : hub_.tlCurseur();
        break;
    case Rule::CopyZevTime:
        arg.items = hub_.selectedItemsForCurrentChannel();
        arg.flag = false;
        break;
    case Rule::CopyZevSpace: {
        const int mode = hub_.frontMode();
        if (mode < 0 || mode > 3)
            return;
        arg.items = hub_.selectionForFrontMode(mode);
        arg.flag = true;
        break;
    }
    default:
        break;
    }
    // Close All with no inspector open does nothing: its key, typed while the menu is closed, beeps
    // as the key of the item the open menu shows disabled does.
    if (action == "menuEntityCloseAll:" && !anyInspectorShown()) {
        Sound::shared().beep();
        return;
    }
    KELMenuReceiver* r = receiverFor(f);
    switch (f.rule) {
    case Rule::OpenFirst:
        openFirst(f.command, arg, kAfterOpening, 0.0, false, false);
        return;
    case Rule::SpaceNew:
        openFirst(f.command, arg, kAfterOpening, 0.1, true, false);
        return;
    case Rule::OpenFirstOrNow:
        openFirst(f.command, arg, kAfterOpening, 0.0, false, true);
        return;
    case Rule::WaitUnlessShown: {
        KELMenuContextReceiver* context = hub_.contextViewer();
        if (context->isShowedEntityWithInt(kChannelsEntity)) {
            r->performCommand(f.command, arg);
            return;
        }
        const std::string name = f.command;
        Scheduler::shared().cancel(this, name);
        Scheduler::shared().perform(this, name, kAfterOpening, [this, name, arg] {
            if (KELMenuReceiver* channel = hub_.receiver(R::Channel))
                channel->performCommand(name, arg);
        });
        return;
    }
    case Rule::EntityOpen: {
        KELMenuContextReceiver* context = hub_.contextViewer();
        const KELId entity = KELId(tagOf(sender));
        arg.value = qint64(entity);
        if (context->isShowedEntityWithInt(entity) && context->isFocusedEntityWithInt(entity)) {
            setState(sender, 0);
            context->performCommand("fermerEntityWithInt", arg);
        } else {
            context->performCommand("ouvrirEntityWithInt", arg);
            setState(sender, 1);
        }
        return;
    }
    default:
        r->performCommand(f.command, arg);
        break;
    }
    if (f.rule == Rule::RecallNow)
        if (QAction* recall = item(kMenuEdit, 6))
            recall->setEnabled(true);
}

void KELMainMenu::enable(QAction* a, bool rule)
{
    if (!a)
        return;
    const QString action = a->property("action").toString();
    a->setEnabled(rule && !action.isEmpty() && routable(action.toStdString()));
}

void KELMainMenu::updateEnabling()
{
    for (QAction* a : actions_)
        enable(a, true);
}

void KELMainMenu::setState(QAction* a, int state)
{
    if (!a)
        return;
    a->setProperty("state", state);
    a->setCheckable(state != -1);
    a->setChecked(state == 1);
    // Qt draws no mixed state: a dash stands for it.
    a->setIcon(state == -1 ? ZEVMixedMark() : QIcon());
    a->setIconVisibleInMenu(state == -1);
}

void KELMainMenu::setBarVisible(bool visible) { bar_->setVisible(visible); }

// ---- the state of the submenus ---------------------------------------------------------------

void KELMainMenu::menuWillOpen(int tag)
{
    // Receivers may have come since the last time.
    QMenu* m = menuWithTag(tag);
    if (m)
        for (QAction* a : m->actions())
            if (!a->property("action").toString().isEmpty())
                enable(a, true);
    // The items the front layer enables for its mode: set again over the pass above, and still
    // only where a receiver carries them out.
    if (m && (tag == kMenuEdit || tag == kMenuObject || tag == 4333 || tag == kMenuSpaces)) {
        // The Handle submenu opens inside the open Object menu, whose items stay as its own
        // opening set them (in Link mode Remove counts the links, which the pass does not).
        std::vector<std::pair<QAction*, bool>> parent;
        if (QMenu* object = tag == 4333 ? menuWithTag(kMenuObject) : nullptr)
            for (QAction* a : object->actions())
                parent.emplace_back(a, a->isEnabled());
        hub_.updateMenuMacForCurrentMode();
        for (QAction* a : m->actions())
            if (a->isEnabled() && !a->property("action").toString().isEmpty() &&
                !routable(a->property("action").toString().toStdString()))
                a->setEnabled(false);
        for (const auto& [a, enabled] : parent)
            a->setEnabled(enabled);
    }
    switch (tag) {
    case kMenuObject:
        updateMenuObject();
        break;
    case 4321:
        hub_.fillOpenWith(menuWithTag(4321));
        break;
    case kMenuSpaces: {
        const bool search = hub_.actifCurseur() && hub_.actifCurseur() == hub_.searchCurseur();
        enable(item(kMenuSpaces, 40), !search && hub_.siNowItemExiste());
        enable(item(kMenuSpaces, 41), hub_.siSelectionExiste());
        enable(item(kMenuSpaces, 43), search);
        enable(item(kMenuSpaces, 44), search);
        if (QAction* now = item(kMenuSpaces, 2000009)) {
            now->setText(QStringLiteral("Now  --  %1").arg(menuText(hub_.nowBackImageName())));
            now->setIcon(hub_.nowBackThumbnail());
        }
        break;
    }
    case kMenuEdit:
        updateMenuEdit(menuWithTag(kMenuEdit));
        break;
    case kMenuTime: {
        const bool r = hub_.siRulerButton();
        const int s = r ? -1 : 1;
        KELICurseur* actif = hub_.actifCurseur();
        const int now = actif && actif == hub_.nowCurseur() ? s : 0;
        const int search = actif && actif == hub_.searchCurseur() ? s : 0;
        setState(item(kMenuTime, 1), now);
        for (long t : {11L, 12L, 13L})
            enable(item(kMenuTime, t), now != 0);
        setState(item(kMenuTime, 2), search);
        for (long t : {21L, 22L})
            enable(item(kMenuTime, t), search != 0);
        setState(item(kMenuTime, 24), hub_.siShowCalandar() ? 1 : 0);
        setState(item(kMenuTime, 26), hub_.siShowGoTo() ? 1 : 0);
        setState(item(kMenuTime, 3), r ? 1 : 0);
        updateMenuPresets(menuWithTag(kMenuTime));
        break;
    }
    case 300: {
        // The Search cursor has no future side: the Next zooms would do nothing to it.
        KELICurseur* actif = hub_.actifCurseur();
        const bool search = actif && actif == hub_.searchCurseur();
        for (QAction* a : m ? m->actions() : QList<QAction*>())
            if (a->property("action").toString().startsWith(QLatin1String("menuZoomNext")))
                enable(a, !search);
        break;
    }
    case kMenuInspectors: {
        KELMenuContextReceiver* context = hub_.contextViewer();
        bool any = false;
        for (QAction* a : menuWithTag(kMenuInspectors)->actions()) {
            const long t = tagOf(a);
            if (a->isSeparator() || t == 0 || t == 50)
                continue;
            const bool shown = context && context->isShowedEntityWithInt(KELId(t));
            any = any || shown;
            setState(a, !shown ? 0 : context->isFocusedEntityWithInt(KELId(t)) ? 1 : -1);
        }
        QAction* closeAll = item(kMenuInspectors, 50);
        setState(closeAll, any ? 1 : 0);
        enable(closeAll, any);
        break;
    }
    case kMenuChannels: {
        // Making the home Channel its own home again, or binding the drop folder where it is
        // bound, would change nothing.
        const KELId current = hub_.previewTarget().currentChannelInt();
        for (QAction* a : menuWithTag(kMenuChannels)->actions()) {
            const QString action = a->property("action").toString();
            if (action == QLatin1String("menuChannelSetAsHome:"))
                enable(a, current != hub_.homeChannelInt());
            else if (action == QLatin1String("menuChannelSetAsZevFolder:"))
                enable(a, current != hub_.zevFolderChannelInt());
        }
        break;
    }
    case kMenuModes: {
        const int m = hub_.frontMode();
        for (long t = 1; t <= 4; ++t)
            if (QAction* a = item(kMenuModes, t)) {
                setState(a, m == int(t - 1) ? 1 : 0);
                const QString name = hub_.nameForFrontMode(int(t - 1));
                if (!name.isEmpty())
                    a->setText(name);
            }
        break;
    }
    case kMenuView: {
        setState(item(kMenuView, 2), hub_.siTimebarClosed() ? 0 : 1);
        setState(item(kMenuView, 3), hub_.siTlineClosed() ? 0 : 1);
        setState(item(kMenuView, 4), hub_.siTracksClosed() ? 0 : 1);
        setState(item(kMenuView, 5), hub_.siToolbarClosed() ? 0 : 1);
        KELMenuContextReceiver* context = hub_.contextViewer();
        setState(item(kMenuView, 2000194), context && context->isShowedEntityWithInt(kChannelsEntity) ? 1 : 0);
        const int m = hub_.frontMode();
        const std::vector<std::pair<long, int>> heads = {{10, 0}, {20, 1}, {30, 3}, {40, 2}};
        for (const auto& [t, mode] : heads)
            if (QAction* a = item(kMenuView, t))
                a->setVisible(m == mode);
        updateMenuViewWithFrontMode(m);
        fullScreenDidChange();
        break;
    }
    default:
        break;
    }
}

void KELMainMenu::menuDidClose(int tag)
{
    if (tag == kMenuObject) {
        updateMenuOptions();
        enable(outlet("_menuObjectOpenOverfly"), true);
    } else if (tag == kMenuInspectors) {
        enable(item(kMenuInspectors, 50), true);
    } else if (tag == kMenuTime) {
        // The opening judged the presets of that moment only: a preset saved on the bar since is
        // called by its key, and an empty one beeps at its command, as the bar's button does.
        for (long t = 2000010; t <= 2000017; ++t)
            enable(item(kMenuTime, t), true);
    }
}

void KELMainMenu::updateMenuObject()
{
    KELMenuContextReceiver* context = hub_.contextViewer();
    setState(item(kMenuObject, 2000003), context && context->isShowedEntityWithInt(2000003) ? 1 : 0);
    setState(item(kMenuObject, 2000004), context && context->isShowedEntityWithInt(2000004) ? 1 : 0);
    const std::vector<ZEVItemOption> options = hub_.visibleItemOptions();
    const KELObjectMenuStates s = objectMenuStates(options);
    QAction* ql = outlet("_menuObjectOptionQLIcon");
    QAction* title = outlet("_menuObjectOptionAlwaysTitle");
    QAction* animated = outlet("_menuObjectOptionIsAnimated");
    QAction* onClick = outlet("_menuObjectOptionOpenOnClick");
    if (!s.any) {
        enable(outlet("_menuObjectGetInfo"), false);
        for (QAction* a : {ql, title, animated, onClick}) {
            enable(a, false);
            setState(a, 0);
        }
    } else {
        setState(ql, s.qlIcon);
        setState(title, s.alwaysTitle);
        setState(animated, s.animated);
        setState(onClick, s.openOnClick);
        enable(ql, true);
        enable(title, true);
        enable(onClick, true);
        enable(animated, s.animatedEnabled);
    }
    QAction* edit = outlet("_menuObjectOptionEditTitle");
    const bool editing = hub_.isTitleEditing();
    setState(edit, editing ? 1 : 0);
    enable(edit, options.size() == 1 || editing);
    if (QAction* overfly = outlet("_menuObjectOpenOverfly"))
        overfly->setEnabled(false);
    hub_.updateMenuObject(menuWithTag(kMenuObject));
}

void KELMainMenu::updateMenuOptions()
{
    for (const char* name : {"_menuObjectGetInfo", "_menuObjectOptionQLIcon", "_menuObjectOptionAlwaysTitle",
                             "_menuObjectOptionEditTitle", "_menuObjectOptionIsAnimated", "_menuObjectFilter",
                             "_menuObjectOpenOverfly"})
        enable(outlet(name), true);
}

void KELMainMenu::updateMenuEdit(QMenu* menu)
{
    if (!menu)
        return;
    // Away from Now, Recall Now always acts: with nothing to recall it still brings the Now cursor
    // back. It is offered at every opening then, whatever the mode's pass made of it.
    const bool search = hub_.actifCurseur() && hub_.actifCurseur() == hub_.searchCurseur();
    for (const auto& [t, title] : std::vector<std::pair<long, const char*>>{
             {6, "Recall Now"}, {65, "Retain Now"}, {62, "Release Now"}, {63, "Forget Now"},
             {4, "Recall Search"}, {5, "Retain Search"}, {2, "Release Search"}, {3, "Forget Search"}})
        for (QAction* a : menu->actions())
            if (tagOf(a) == t) {
                a->setText(QString::fromUtf8(title));
                // A focused inspector may have hidden Recall Now the last time.
                a->setVisible(true);
                if (t == 6 && search)
                    enable(a, true);
            }
    // Another menu of the same commands (the toolbar's) is enabled as the menu bar's items are,
    // so that a command offered in one is offered in the other.
    if (QMenu* bar = menuWithTag(kMenuEdit); bar && menu != bar) {
        hub_.updateMenuMacForCurrentMode();
        if (search)
            enable(item(kMenuEdit, 6), true);
        for (long t : {6L, 65L, 62L, 63L, 4L, 5L, 2L, 3L})
            if (QAction* own = item(kMenuEdit, t))
                for (QAction* a : menu->actions())
                    if (tagOf(a) == t)
                        a->setEnabled(own->isEnabled());
    }
    // A focused inspector panel words the items for its own Objects; else the desk's images.
    if (!hub_.updateMenuEdit(menu))
        hub_.majImageForEditionMenu(menu);
}

void KELMainMenu::updateMenuPresets(QMenu* menu)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        const long t = tagOf(a);
        if (t < 2000009 || t > 2000017)
            continue;
        const int state = hub_.presetStateWithStampInt(KELId(t));
        setState(a, state);
        if (t == 2000009) {
            enable(a, true);
            continue;
        }
        enable(a, hub_.siPresetWithStampInt(KELId(t)));
        // Stored or not, each item shows the preset's name and the image of its kind, as its
        // button does: a cleared preset its name back to the default, a renamed one its name (its
        // place's title when that name is empty). The mixed state's dash goes over the image.
        const QString name = hub_.presetNameWithStampInt(KELId(t));
        a->setText(name.isEmpty() ? QStringLiteral("Preset %1").arg(t - 2000008) : menuText(name));
        QPixmap image = hub_.presetImageWithStampInt(KELId(t)).pixmap(32, 32);
        if (state == -1 && !image.isNull()) {
            QPainter painter(&image);
            painter.drawPixmap(QRect(16, 16, 16, 16), ZEVMixedMark().pixmap(16, 16));
        }
        a->setIcon(image.isNull() ? QIcon() : QIcon(image));
        a->setIconVisibleInMenu(true);
    }
}

void KELMainMenu::updateMenuViewWithFrontMode(int mode)
{
    struct Row {
        std::vector<long> visible;
        long keyed;
    };
    static const std::map<int, Row> rows = {
        {0, {{51, 52}, 52}}, {1, {{53, 54}, 54}}, {2, {{57, 58}, 58}}, {3, {{55}, 0}}};
    const auto it = rows.find(mode);
    if (it == rows.end())
        return;
    for (long t : {51L, 52L, 53L, 54L, 55L, 57L, 58L}) {
        QAction* a = item(kMenuView, t);
        if (!a)
            continue;
        const auto& v = it->second.visible;
        a->setVisible(std::find(v.begin(), v.end(), t) != v.end());
        if (t == 52 || t == 54 || t == 58)
            a->setShortcut(t == it->second.keyed && modeKey_ ? QKeySequence(*modeKey_) : QKeySequence());
    }
}

void KELMainMenu::actifCurseurDidChange()
{
    enable(item(kMenuSpaces, 40), hub_.actifCurseur() && hub_.actifCurseur() == hub_.nowCurseur());
}

void KELMainMenu::fullScreenDidChange()
{
    const bool f = hub_.siFullScreen();
    const bool w = hub_.siFullWindow();
    if (QAction* a = item(kMenuView, 5732)) {
        setState(a, w ? 1 : 0);
        enable(a, w || !f);
    }
    if (QAction* a = item(kMenuView, 5733)) {
        a->setVisible(!f);
        enable(a, !f && !hub_.siShowDesktop());
        setState(a, a->isEnabled() ? 0 : 1);
    }
    if (QAction* a = item(kMenuView, 5734)) {
        setState(a, hub_.siFrontSpace() ? 1 : 0);
        a->setVisible(!f);
    }
    enable(item(kMenuView, 1), w);
}

// ---- keys -----------------------------------------------------------------------------------

void KELMainMenu::setKeyEquivalents(const KeyForCode& keyForCode)
{
    std::map<QKeySequence, QAction*> taken;
    // The edit items' standard keys come first: nothing may take them.
    for (long t : {100L, 101L, 102L, 103L})
        if (QAction* a = item(kMenuEdit, t))
            for (const QKeySequence& k : a->shortcuts())
                taken[k] = a;
    if (quitAction_)
        for (const QKeySequence& k : quitAction_->shortcuts())
            taken[k] = quitAction_;
    for (const KeyEntry& e : keyTable()) {
        QAction* a = e.outlet ? outlet(e.outlet) : item(e.menu, e.tag);
        if (!a)
            continue;
        const std::optional<int> key = keyForCode(e.keyCode);
        if (!key) {
            // A layout without data for the key: the item keeps the key it had.
            if (!a->shortcut().isEmpty())
                taken[a->shortcut()] = a;
            continue;
        }
        const QKeySequence seq(QKeyCombination(keys::modifiersFromFlags(e.flags), Qt::Key(*key)));
        if (const auto it = taken.find(seq); it != taken.end() && it->second != a) {
            logFormat("KELMainMenu setKeyEquivalents: %s is %s's already; %s goes without",
                      qUtf8Printable(seq.toString()), qUtf8Printable(it->second->text()), qUtf8Printable(a->text()));
            a->setShortcut(QKeySequence());
            continue;
        }
        a->setShortcut(seq);
        taken[seq] = a;
        if (e.menu == kMenuView && e.tag == 52)
            modeKey_ = *key;
    }
    updateMenuViewWithFrontMode(hub_.frontMode());
}

bool KELMainMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        QWidget* focus = QApplication::focusWidget();
        // A plain key typed into a text field is text, never an item's key.
        if (!(k->modifiers() & commands) && focus && isTextEntry(focus) && focus->window() == window_) {
            k->accept();
            return false;
        }
    }
    // The key of an item the menu offers not: nothing in the window took it, and the window says
    // so rather than stay silent.
    if (event->type() == QEvent::KeyPress && watched == window_) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QKeySequence typed(k->keyCombination());
        for (QAction* a : actions_)
            if (!a->isEnabled() && a->shortcuts().contains(typed)) {
                Sound::shared().beep();
                k->accept();
                return true;
            }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tallomer
