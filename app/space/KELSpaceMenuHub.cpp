#include "app/space/KELSpaceMenuHub.h"

#include "app/KELApplication.h"
#include "app/space/KELSpaceAdd.h"
#include "app/space/KELSpaceImport.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVNowThumbnail.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "engine/KELLien.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "platform/MenuText.h"
#include "platform/desktop/AppRegistry.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVStampClass.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVAlert.h"
#include "space/ZEVSpaceWindow.h"

#include <QAction>
#include <QMenu>
#include <QUrl>

#include <map>

namespace tallomer {

namespace {

using Arg = KELMenuArgument;

// A receiver that carries out a fixed set of commands, each a function of the argument.
class TableReceiver final : public KELMenuReceiver {
public:
    using Fn = std::function<void(const Arg&)>;
    explicit TableReceiver(std::map<std::string, Fn, std::less<>> commands,
                           std::function<bool(std::string_view)> handles = {})
        : commands_(std::move(commands)), handles_(std::move(handles))
    {
    }
    bool handlesCommand(std::string_view command) override
    {
        if (commands_.find(command) == commands_.end())
            return false;
        return !handles_ || handles_(command);
    }
    void performCommand(std::string_view command, const Arg& argument) override
    {
        if (const auto it = commands_.find(command); it != commands_.end())
            it->second(argument);
    }

private:
    std::map<std::string, Fn, std::less<>> commands_;
    std::function<bool(std::string_view)> handles_;
};

ZEVRulerViewer* rulerOf(ZEVSpaceController& space) { return dynamic_cast<ZEVRulerViewer*>(space.rulerViewer()); }

// The entity toggle bar, for the entity items and Close All.
class ContextReceiver final : public KELMenuContextReceiver {
public:
    explicit ContextReceiver(ZEVSpaceController& space) : space_(space) {}
    bool handlesCommand(std::string_view c) override
    {
        return space_.contextViewer() &&
               (c == "ouvrirEntityWithInt" || c == "fermerEntityWithInt" || c == "userCloseAllEntities");
    }
    void performCommand(std::string_view c, const Arg& a) override
    {
        ZEVContextViewerServices* bar = space_.contextViewer();
        if (!bar)
            return;
        if (c == "ouvrirEntityWithInt")
            bar->ouvrirEntityWithInt(KELId(a.value));
        else if (c == "fermerEntityWithInt")
            bar->fermerEntityWithInt(KELId(a.value));
        else if (c == "userCloseAllEntities")
            bar->userCloseAllEntities();
    }
    bool isShowedEntityWithInt(KELId e) override
    {
        ZEVContextViewerServices* bar = space_.contextViewer();
        return bar && bar->isShowedEntityWithInt(e);
    }
    bool isFocusedEntityWithInt(KELId e) override
    {
        ZEVContextViewerServices* bar = space_.contextViewer();
        return bar && bar->isFocusedEntityWithInt(e);
    }

private:
    ZEVSpaceController& space_;
};

ZEVRulerViewbarServices* barOf(ZEVSpaceController& space)
{
    ZEVRulerViewer* ruler = rulerOf(space);
    return ruler ? ruler->rulerViewbar() : nullptr;
}

} // namespace

KELSpaceMenuHub::KELSpaceMenuHub(ZEVSpaceController& space, ApplicationHooks hooks) : space_(space), preview_(space)
{
    ZEVSpaceController* s = &space_;
    // The front viewer's commands; it tells which of them it carries out.
    auto front = [s] { return s->frontViewer(); };
    std::map<std::string, TableReceiver::Fn, std::less<>> frontCommands;
    const std::vector<std::pair<const char*, void (ZEVFrontViewerServices::*)()>> plain = {
        {"userCopy", &ZEVFrontViewerServices::userCopy},
        {"userCut", &ZEVFrontViewerServices::userCut},
        {"userPaste", &ZEVFrontViewerServices::userPaste},
        {"userSelectAll", &ZEVFrontViewerServices::userSelectAll},
        {"userDeselectAll", &ZEVFrontViewerServices::userDeselectAll},
        {"userSelectNext", &ZEVFrontViewerServices::userSelectNext},
        {"userSelectPrevious", &ZEVFrontViewerServices::userSelectPrevious},
        {"userEditTitle", &ZEVFrontViewerServices::userEditTitle},
        {"userRecallNow", &ZEVFrontViewerServices::userRecallNow},
        {"userRetainNow", &ZEVFrontViewerServices::userRetainNow},
        {"userReleaseNow", &ZEVFrontViewerServices::userReleaseNow},
        {"userForgetNow", &ZEVFrontViewerServices::userForgetNow},
        {"userRecallSearch", &ZEVFrontViewerServices::userRecallSearch},
        {"userRetainSearch", &ZEVFrontViewerServices::userRetainSearch},
        {"userReleaseSearch", &ZEVFrontViewerServices::userReleaseSearch},
        {"userForgetSearch", &ZEVFrontViewerServices::userForgetSearch},
        {"userStepBack", &ZEVFrontViewerServices::userStepBack},
        {"userToggleQL", &ZEVFrontViewerServices::userToggleQL},
        {"userToggleTimebar", &ZEVFrontViewerServices::userToggleTimebar},
        {"userToggleTline", &ZEVFrontViewerServices::userToggleTline},
        {"userToggleTracks", &ZEVFrontViewerServices::userToggleTracks},
        {"userToggleToolbar", &ZEVFrontViewerServices::userToggleToolbar},
        {"userToggleFullScreen", &ZEVFrontViewerServices::userToggleFullScreen},
        {"userFilter", &ZEVFrontViewerServices::userFilter},
        {"userOpen", &ZEVFrontViewerServices::userOpen},
        {"userGetInfo", &ZEVFrontViewerServices::userGetInfo},
        {"userSpaceStartHome", &ZEVFrontViewerServices::userSpaceStartHome},
        {"userSpaceCleanAll", &ZEVFrontViewerServices::userSpaceCleanAll},
        {"userSpaceCleanAndRecall", &ZEVFrontViewerServices::userSpaceCleanAndRecall},
        {"userSpaceCleanAndRecallBack", &ZEVFrontViewerServices::userSpaceCleanAndRecallBack},
        {"userSpaceCleanAndReplace", &ZEVFrontViewerServices::userSpaceCleanAndReplace},
        {"menuModeIcon", &ZEVFrontViewerServices::menuModeIcon},
        {"menuModeTitle", &ZEVFrontViewerServices::menuModeTitle},
        {"menuModeFilter", &ZEVFrontViewerServices::menuModeFilter},
        {"menuModeLink", &ZEVFrontViewerServices::menuModeLink},
        {"userShowTitle", &ZEVFrontViewerServices::userShowTitle},
        {"userShowQLIcon", &ZEVFrontViewerServices::userShowQLIcon},
        {"userOpenOnClick", &ZEVFrontViewerServices::userOpenOnClick},
        {"userAnimate", &ZEVFrontViewerServices::userAnimate},
        {"userSendToBack", &ZEVFrontViewerServices::userSendToBack},
        {"userSendToFront", &ZEVFrontViewerServices::userSendToFront},
        {"userDelete", &ZEVFrontViewerServices::userDelete},
        {"userShowOriginal", &ZEVFrontViewerServices::userShowOriginal},
        {"userSwap", &ZEVFrontViewerServices::userSwap},
        {"userSwapIcons", &ZEVFrontViewerServices::userSwapIcons},
        {"userSwapTitles", &ZEVFrontViewerServices::userSwapTitles},
        {"userGoNow", &ZEVFrontViewerServices::userGoNow},
        {"userOpenOverfly", &ZEVFrontViewerServices::userOpenOverfly},
        {"userMoveTo", &ZEVFrontViewerServices::userMoveTo},
        {"userMoveToSpace", &ZEVFrontViewerServices::userMoveToSpace},
        {"userCopyTo", &ZEVFrontViewerServices::userCopyTo},
        {"userCopyToSpace", &ZEVFrontViewerServices::userCopyToSpace},
        {"userDuplicateTo", &ZEVFrontViewerServices::userDuplicateTo},
        {"userDuplicateToSpace", &ZEVFrontViewerServices::userDuplicateToSpace},
        {"userFind", &ZEVFrontViewerServices::userFind},
        {"userFindTextInChannels", &ZEVFrontViewerServices::userFindTextInChannels},
        {"userGotoPrevious", &ZEVFrontViewerServices::userGotoPrevious},
        {"userGotoNext", &ZEVFrontViewerServices::userGotoNext},
    };
    for (const auto& [name, fn] : plain) {
        auto m = fn;
        frontCommands[name] = [front, m](const Arg&) {
            if (ZEVFrontViewerServices* f = front())
                (f->*m)();
        };
    }
    // Add, Add Documents and New Folder: the front layer's panels; without its toolbar, the plain
    // panels here.
    auto tools = [s]() -> ZEVFrontToolButtons* {
        auto* f = dynamic_cast<ZEVFrontViewer*>(s->frontViewer());
        return f ? f->tools() : nullptr;
    };
    frontCommands["userAdd"] = [s, tools](const Arg&) {
        // The panel that has the keys adds its own kind ("Add Images…").
        for (ZEVEntityViewer* v : s->entityViewerSet())
            if (auto* iv = dynamic_cast<ZEVInspectViewer*>(v); iv && iv->siFirstResponder()) {
                iv->userAdd();
                return;
            }
        if (ZEVFrontToolButtons* t = tools())
            t->userAddDocuments();
        else
            userAdd(*s, false);
    };
    frontCommands["userAddDocuments"] = [s, tools](const Arg&) {
        if (ZEVFrontToolButtons* t = tools())
            t->userAddDocuments();
        else
            userAdd(*s, true);
    };
    frontCommands["userAddNewFolderWithItem"] = [s, tools](const Arg&) {
        if (ZEVFrontToolButtons* t = tools())
            t->userAddNewFolderWithItem(nullptr);
        else
            userAddNewFolderWithItem(*s);
    };
    // The calendar and the go-to panel toggles of the View menu.
    frontCommands["menuShowCalandar"] = [tools](const Arg&) {
        if (ZEVFrontToolButtons* t = tools())
            t->menuShowCalandar();
    };
    frontCommands["menuGoToPanel"] = [tools](const Arg&) {
        if (ZEVFrontToolButtons* t = tools())
            t->menuGoToPanel();
    };
    // The desk's Find Object: the selection list's search field, whichever panel has the keys.
    frontCommands["userFindObject"] = [front](const Arg&) {
        if (ZEVFrontViewerServices* f = front())
            f->menuInspectFind();
    };
    frontCommands["userFindInChannels"] = [front](const Arg&) {
        if (ZEVFrontViewerServices* f = front())
            f->userFindInChannels();
    };
    // The main menu's same-Space steps send no sender: they always keep to the Space.
    frontCommands["menuInspectPrevious"] = [front](const Arg& a) {
        if (ZEVFrontViewerServices* f = front())
            f->menuInspectPrevious(a.kind != Arg::Kind::Nil);
    };
    frontCommands["menuInspectNext"] = [front](const Arg& a) {
        if (ZEVFrontViewerServices* f = front())
            f->menuInspectNext(a.kind != Arg::Kind::Nil);
    };
    front_ = std::make_unique<TableReceiver>(std::move(frontCommands), [front](std::string_view c) {
        ZEVFrontViewerServices* f = front();
        return f && (isAddCommand(c) || c == "menuShowCalandar" || c == "menuGoToPanel" || c == "userFindObject" ||
                     f->handlesCommand(c));
    });

    // The ruler viewer's zooms.
    std::map<std::string, TableReceiver::Fn, std::less<>> zooms;
    const std::vector<std::pair<const char*, ZEVZoomFamille>> familles = {
        {"This", ZEVZoomFamille::This}, {"Prev", ZEVZoomFamille::Prev}, {"Next", ZEVZoomFamille::Next}};
    const std::vector<std::pair<const char*, ZEVZoomUnite>> unites = {
        {"Minute", ZEVZoomUnite::Minute}, {"Hour", ZEVZoomUnite::Heure},       {"Day", ZEVZoomUnite::Jour},
        {"Week", ZEVZoomUnite::Semaine},  {"Month", ZEVZoomUnite::Mois},       {"Quarter", ZEVZoomUnite::Trimestre},
        {"6Months", ZEVZoomUnite::SixMois}, {"Year", ZEVZoomUnite::Annee}};
    for (const auto& [fn, f] : familles)
        for (const auto& [un, u] : unites) {
            const ZEVZoomFamille ff = f;
            const ZEVZoomUnite uu = u;
            zooms[std::string("userZoom") + fn + un + "WithCurseur"] = [s, ff, uu](const Arg& a) {
                if (ZEVRulerViewer* r = rulerOf(*s))
                    r->userZoom(ff, uu, a.curseur);
            };
        }
    rulerViewer_ = std::make_unique<TableReceiver>(std::move(zooms), [s](std::string_view) { return rulerOf(*s); });

    rulerBar_ = std::make_unique<TableReceiver>(
        std::map<std::string, TableReceiver::Fn, std::less<>>{
            {"menuNowCurseur", [s](const Arg&) { if (auto* b = barOf(*s)) b->menuNowCurseur(KELApplication::shared()); }},
            {"menuSearchCurseur",
             [s](const Arg&) { if (auto* b = barOf(*s)) b->menuSearchCurseur(KELApplication::shared()); }},
            {"menuRuler", [s](const Arg&) { if (auto* b = barOf(*s)) b->menuRuler(KELApplication::shared()); }},
            {"userPresetSaveHome", [s](const Arg&) { if (auto* r = rulerOf(*s)) r->menuPresetSaveHome(); }},
        },
        [s](std::string_view) { return barOf(*s) != nullptr; });

    window_ = std::make_unique<TableReceiver>(std::map<std::string, TableReceiver::Fn, std::less<>>{
        {"close", [s](const Arg&) { if (s->spaceWindow()) s->spaceWindow()->close(); }},
        {"miniaturize", [s](const Arg&) { if (s->spaceWindow()) s->spaceWindow()->showMinimized(); }},
    });

    // The Channels inspector's navigation; it lives from the Space's start on.
    auto canaux = [s] { return dynamic_cast<ZEVChannelViewer*>(s->channelViewer()); };
    auto commande = [canaux](void (ZEVChannelViewer::*f)()) {
        return [canaux, f](const Arg&) {
            if (ZEVChannelViewer* c = canaux())
                (c->*f)();
        };
    };
    channel_ = std::make_unique<TableReceiver>(
        std::map<std::string, TableReceiver::Fn, std::less<>>{
            {"menuChannelUp", commande(&ZEVChannelViewer::menuChannelUp)},
            {"menuChannelDown", commande(&ZEVChannelViewer::menuChannelDown)},
            {"menuPreviousSpace", commande(&ZEVChannelViewer::menuPreviousSpace)},
            {"menuNextSpace", commande(&ZEVChannelViewer::menuNextSpace)},
            {"menuPreviousSpaceDistinct", commande(&ZEVChannelViewer::menuPreviousSpaceDistinct)},
            {"menuNextSpaceDistinct", commande(&ZEVChannelViewer::menuNextSpaceDistinct)},
            {"userChannelRename", commande(&ZEVChannelViewer::userChannelRename)},
            {"userSpaceRename", commande(&ZEVChannelViewer::userSpaceRename)},
            {"menuInspectAdd", commande(&ZEVChannelViewer::menuInspectAdd)},
            {"userSpaceAdd", commande(&ZEVChannelViewer::userSpaceAdd)},
            {"userChannelSelectInt",
             [canaux](const Arg& a) { if (ZEVChannelViewer* c = canaux()) c->userChannelSelectInt(KELId(a.value)); }},
            {"selectChannelInt",
             [canaux](const Arg& a) { if (ZEVChannelViewer* c = canaux()) c->channelModel().selectChannelInt(KELId(a.value)); }},
        },
        [canaux](std::string_view) { return canaux() != nullptr; });

    spaceReceiver_ = std::make_unique<TableReceiver>(std::map<std::string, TableReceiver::Fn, std::less<>>{
        {"setHomeChannelInt",
         [s](const Arg& a) {
             if (!s->setHomeChannelInt(KELId(a.value)))
                 ZEVAlert::ShowSimpleAlertWithMessage(
                     QStringLiteral("The home Channel could not be saved."),
                     QStringLiteral("Tallomer could not write its settings file, so the home Channel stays as it was."));
         }},
        {"setZevFolderChannelInt",
         [s](const Arg& a) {
             if (!s->setZevFolderChannelInt(KELId(a.value)))
                 ZEVAlert::ShowSimpleAlertWithMessage(
                     QStringLiteral("The drop folder could not be bound to this Channel."),
                     QStringLiteral("Tallomer could not write its settings file, so the drop folder stays bound to "
                                    "the Channel it was bound to."));
         }},
        {"userChangePresetWithStampInt", [s](const Arg& a) { s->userChangePresetWithStampInt(KELId(a.value)); }},
        {"userChangePresetHome", [s](const Arg&) { s->userChangePresetHome(); }},
        {"userToggleFrontSpace", [s](const Arg&) { s->userToggleFrontSpace(); }},
        {"copyZevpUrlForItems", [s](const Arg& a) { s->copyZevpUrlForItems(a.items, a.flag); }},
        {"menuHistoryPrevious", [s](const Arg&) { s->menuHistoryPrevious(); }},
        {"menuHistoryNext", [s](const Arg&) { s->menuHistoryNext(); }},
        {"userDeleteHistory", [s](const Arg&) { s->userDeleteHistory(); }},
        {"menuActionImport", [s](const Arg&) { menuActionImport(*s); }},
    });

    // The application's own: Hide Others and Add Person stay out (the desktop lets no program
    // hide the others, and there is no person picker).
    std::map<std::string, TableReceiver::Fn, std::less<>> app;
    if (hooks.showPreferences)
        app["showPreferences"] = [h = hooks.showPreferences](const Arg&) { h(); };
    if (hooks.showUserGuide)
        app["menuHelpShowUserGuide"] = [h = hooks.showUserGuide](const Arg&) { h(); };
    if (hooks.toggleMenuBar)
        app["menuToggleMacMenu"] = [h = hooks.toggleMenuBar](const Arg&) { h(); };
    if (hooks.exportAll)
        app["menuExport"] = [h = hooks.exportAll](const Arg&) { h(); };
    if (hooks.importAll)
        app["menuImport"] = [h = hooks.importAll](const Arg&) { h(); };
    if (hooks.uninstall)
        app["menuUninstall"] = [h = hooks.uninstall](const Arg&) { h(); };
    // KeyTime: Save, Save As and Add Step act on the current document and wait for one.
    ZEVKeyDocumentController* keyTime = hooks.keyTime;
    if (keyTime) {
        app["newKeyTimeDocument"] = [keyTime](const Arg&) { keyTime->newDocument(); };
        app["openKeyTimeDocument"] = [keyTime](const Arg&) { keyTime->openDocument(); };
        app["saveKeyTimeDocument"] = [keyTime](const Arg&) { keyTime->saveDocument(keyTime->currentDocument()); };
        app["saveKeyTimeDocumentAs"] = [keyTime](const Arg&) { keyTime->saveDocumentAs(keyTime->currentDocument()); };
        app["keyTimeAddStep"] = [keyTime](const Arg&) { keyTime->addStep(); };
        if (hooks.keyTimeAddStep)
            app["keyTimeAddStep"] = [h = hooks.keyTimeAddStep](const Arg&) { h(); };
        if (hooks.keyTimeStartStop)
            app["keyTimeStartStop"] = [h = hooks.keyTimeStartStop](const Arg&) { h(); };
    }
    // Start KeyTime plays the current document, and Add Step is ignored while playback runs: the
    // items are off where they would do nothing.
    std::function<bool()> running = hooks.keyTimeRunning;
    application_ = std::make_unique<TableReceiver>(std::move(app), [keyTime, running](std::string_view c) {
        const bool playing = running && running();
        if (c == "saveKeyTimeDocument" || c == "saveKeyTimeDocumentAs")
            return keyTime && keyTime->currentDocument();
        if (c == "keyTimeAddStep")
            return keyTime && keyTime->currentDocument() && !playing;
        if (c == "keyTimeStartStop")
            return playing || (keyTime && keyTime->currentDocument());
        return true;
    });
}

KELSpaceMenuHub::~KELSpaceMenuHub() = default;

KELMenuContextReceiver* KELSpaceMenuHub::contextViewer()
{
    if (!space_.contextViewer())
        return nullptr;
    if (!context_)
        context_ = std::make_unique<ContextReceiver>(space_);
    return context_.get();
}

KELMenuReceiver* KELSpaceMenuHub::receiver(KELMenuReceiverKind kind)
{
    switch (kind) {
    case KELMenuReceiverKind::Front:
        return space_.frontViewer() ? front_.get() : nullptr;
    case KELMenuReceiverKind::RulerViewer:
        return rulerOf(space_) ? rulerViewer_.get() : nullptr;
    case KELMenuReceiverKind::RulerBar:
        return barOf(space_) ? rulerBar_.get() : nullptr;
    case KELMenuReceiverKind::Window:
        return window_.get();
    case KELMenuReceiverKind::Space:
        return spaceReceiver_.get();
    case KELMenuReceiverKind::Application:
        return application_.get();
    case KELMenuReceiverKind::Channel:
        return dynamic_cast<ZEVChannelViewer*>(space_.channelViewer()) ? channel_.get() : nullptr;
    case KELMenuReceiverKind::Context:
        // The toggle bar answers through contextViewer().
        return nullptr;
    }
    return nullptr;
}

KELICurseur* KELSpaceMenuHub::actifCurseur() { return space_.actifCurseur(); }
KELICurseur* KELSpaceMenuHub::nowCurseur() { return space_.nowCurseur(); }
KELICurseur* KELSpaceMenuHub::searchCurseur() { return space_.searchCurseur(); }
KELICurseur* KELSpaceMenuHub::tlCurseur() { return space_.tlCurseur(); }
QString KELSpaceMenuHub::nameForFrontMode(int mode)
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->nameForFrontMode(mode) : QString();
}

int KELSpaceMenuHub::frontMode() { return space_.frontViewer() ? space_.frontViewer()->frontMode() : 0; }
KELId KELSpaceMenuHub::homeChannelInt() { return space_.homeChannelInt(); }
KELId KELSpaceMenuHub::zevFolderChannelInt() { return space_.zevFolderChannelInt(); }

std::vector<KELI*> KELSpaceMenuHub::selectedItemsForCurrentChannel()
{
    return space_.selections().selectedItemsForChannelInt(space_.currentChannelInt());
}

std::vector<KELI*> KELSpaceMenuHub::selectionForFrontMode(int mode)
{
    ZEVSelections& s = space_.selections();
    switch (mode) {
    case 0:
        return s.selectedIconItems();
    case 1:
        return s.selectedTitleItems();
    case 2:
        return s.selectedFilterItems();
    case 3:
        return s.selectedNodeItemSet();
    default:
        return {};
    }
}

std::vector<ZEVItemOption> KELSpaceMenuHub::visibleItemOptions()
{
    std::vector<ZEVItemOption> out;
    ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur());
    if (!desk)
        return out;
    for (ZEVItemViewForDesks* v : desk->visibleItemViewsForMode(frontMode()))
        if (v && v->item())
            out.push_back(itemOptions(v->item()));
    return out;
}

bool KELSpaceMenuHub::isTitleEditing() { return space_.selections().isTitleEditing(); }

bool KELSpaceMenuHub::siNowItemExiste()
{
    ZEVDeskViewer* now = space_.deskViewerForCurseur(space_.nowCurseur());
    return now && now->siItemExiste();
}

bool KELSpaceMenuHub::siSelectionExiste()
{
    const int mode = frontMode();
    ZEVDeskViewer* now = space_.deskViewerForCurseur(space_.nowCurseur());
    if (now && now->siSelectionExiste(mode))
        return true;
    ZEVDeskViewer* search = space_.deskViewerForCurseur(space_.searchCurseur());
    return search && search->siSelectionExiste(mode);
}

QString KELSpaceMenuHub::nowBackImageName()
{
    ZEVCursorDesk* now = space_.deskForCurseur(space_.nowCurseur());
    return now ? QString::fromStdString(now->currentBackImageItemName()) : QString();
}

QIcon KELSpaceMenuHub::nowBackThumbnail() { return ZEVNowBackThumbnail(space_); }

bool KELSpaceMenuHub::siRulerButton()
{
    ZEVRulerViewbarServices* bar = barOf(space_);
    return bar && bar->stateOfRulerButton();
}

bool KELSpaceMenuHub::siShowCalandar()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    return front && front->siShowCalandar();
}

bool KELSpaceMenuHub::siShowGoTo()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    return front && front->siGoToPanelVisible();
}

bool KELSpaceMenuHub::siTimebarClosed() { return !space_.frontViewer() || space_.frontViewer()->siTimebarClosed(); }
bool KELSpaceMenuHub::siTlineClosed() { return !space_.frontViewer() || space_.frontViewer()->siTlineClosed(); }
bool KELSpaceMenuHub::siTracksClosed() { return !space_.frontViewer() || space_.frontViewer()->siTracksClosed(); }
bool KELSpaceMenuHub::siToolbarClosed() { return !space_.frontViewer() || space_.frontViewer()->siToolbarClosed(); }
bool KELSpaceMenuHub::siFullScreen() { return space_.spaceWindow() && space_.spaceWindow()->siFullScreen(); }
bool KELSpaceMenuHub::siFullWindow() { return space_.frontViewer() && space_.frontViewer()->siFullWindow(); }
bool KELSpaceMenuHub::siFrontSpace() { return space_.siFrontSpace(); }
bool KELSpaceMenuHub::siShowDesktop() { return KELApplication::siShowDesktop(); }

bool KELSpaceMenuHub::siPresetWithStampInt(KELId stamp)
{
    ZEVRulerViewer* ruler = rulerOf(space_);
    auto* stamps = ruler ? dynamic_cast<ZEVStampClass*>(ruler->stampClass()) : nullptr;
    return stamps && stamps->siPresetWithStampInt(stamp);
}

QString KELSpaceMenuHub::presetNameWithStampInt(KELId stamp)
{
    ZEVRulerViewer* ruler = rulerOf(space_);
    ZEVStampServices* stamps = ruler ? ruler->stampClass() : nullptr;
    return stamps ? QString::fromStdString(stamps->nameWithStampInt(stamp)) : QString();
}

QIcon KELSpaceMenuHub::presetImageWithStampInt(KELId stamp)
{
    ZEVRulerViewer* ruler = rulerOf(space_);
    ZEVStampServices* stamps = ruler ? ruler->stampClass() : nullptr;
    return stamps ? ZEVRulerPresetButton::imageNamed(stamps->imageNameWithStampInt(stamp)) : QIcon();
}

int KELSpaceMenuHub::presetStateWithStampInt(KELId stamp)
{
    ZEVRulerViewer* ruler = rulerOf(space_);
    ZEVStampServices* stamps = ruler ? ruler->stampClass() : nullptr;
    if (!stamps)
        return 0;
    if (siRulerButton())
        return stamps->stateOfRulerPresetWithStampInt(stamp);
    if (space_.actifCurseur() == space_.nowCurseur())
        return stamps->stateOfNowPresetWithStampInt(stamp);
    return stamps->stateOfSearchPresetWithStampInt(stamp);
}

void KELSpaceMenuHub::majImageForEditionMenu(QMenu* menu)
{
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu1(menu);
}

void KELSpaceMenuHub::updateMenuObject(QMenu* menu)
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (v->siFirstResponder()) {
            v->updateMenuObject(menu);
            return;
        }
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->updateMenuObject(menu);
}

bool KELSpaceMenuHub::updateMenuEdit(QMenu* menu)
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        if (v->siFirstResponder()) {
            v->updateMenuEdit(menu);
            if (ZEVFrontViewerServices* f = space_.frontViewer())
                f->majImageForEditionMenu2(menu);
            return true;
        }
    // Without a panel holding the keys, the Icons panel, while it shows, words the items for the
    // desk's selection; the caller then gives them the desk's images.
    if (ZEVContextViewerServices* context = space_.contextViewer(); context && context->isShowedEntityWithInt(2000003))
        if (ZEVEntityViewer* icons = space_.viewerForEntityClassName("ZEVIconViewer"))
            icons->updateMenuEdit(menu);
    return false;
}

void KELSpaceMenuHub::updateMenuMacForCurrentMode()
{
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->updateMenuMacForMode(front->frontMode());
}

void KELSpaceMenuHub::fillOpenWith(QMenu* menu)
{
    // The Objects the Object menu acts on.
    std::vector<KELI*> items;
    if (ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur()))
        for (ZEVItemViewForDesks* v : desk->visibleItemViewsForMode(frontMode()))
            if (v && v->item())
                items.push_back(v->item());
    fillOpenWithMenu(menu, space_, items);
}

void fillOpenWithMenu(QMenu* menu, ZEVSpaceController& space, const std::vector<KELI*>& items)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        menu->removeAction(a);
        a->deleteLater();
    }
    // Each Object as the registry sees it.
    QList<OpenWithSubject> subjects;
    QList<QUrl> urls;
    ZEVItemClass* itemClass = space.itemClassForCurseur(space.actifCurseur());
    if (itemClass)
        for (KELI* item : items) {
            if (!item)
                continue;
            const std::string type = itemClass->itemTypeForItem(item).value_or(std::string());
            ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt());
            QString file = (store ? *store : ZEVItemData::Current()).fileUrlForItem(item);
            if (file.startsWith(QLatin1String("file:")))
                file = QUrl(file).toLocalFile();
            OpenWithSubject subject;
            if (type == "file" || type == "http")
                subject.kind = OpenWithSubject::Kind::File;
            else if (type == "ABPerson")
                subject.kind = OpenWithSubject::Kind::Contact;
            else if (type == "message")
                subject.kind = OpenWithSubject::Kind::Mail;
            subject.path = subject.kind == OpenWithSubject::Kind::Other ? QString() : file;
            subjects.push_back(subject);
            if (!subject.path.isEmpty())
                urls.push_back(QUrl::fromLocalFile(subject.path));
        }
    const OpenWithMenu built = subjects.isEmpty() ? OpenWithMenu() : AppRegistry().openWith(subjects);
    auto add = [menu, urls](const OpenWithChoice& choice, const QString& title) {
        QAction* a = menu->addAction(menuText(title));
        // The item keeps its own application and files: a later build cannot change what it opens.
        const Application app = choice.application;
        QObject::connect(a, &QAction::triggered, menu, [app, urls] {
            QString error;
            if (!AppRegistry::open(app, urls, &error)) {
                Sound::shared().beep();
                logFormat("KELApplication openWith: %s could not open the files (%s)", qUtf8Printable(app.id),
                          qUtf8Printable(error));
            }
        });
    };
    if (built.defaultChoice) {
        add(*built.defaultChoice, QStringLiteral("%1 (default)").arg(built.defaultChoice->title));
        menu->addSeparator();
    }
    for (const OpenWithChoice& c : built.choices)
        add(c, c.title);
    // Below the default too: no other application serves every Object.
    if (built.choices.isEmpty())
        menu->addAction(QStringLiteral("<None>"))->setEnabled(false);
}

} // namespace tallomer
