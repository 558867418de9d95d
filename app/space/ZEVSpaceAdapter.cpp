#include "app/space/ZEVSpaceAdapter.h"

#include "app/KELApplication.h"
#include "app/ZEVController.h"
#include "app/KELApplicationDelegate.h"
#include "app/menu/KELMainMenu.h"
#include "app/space/KELSpaceMenuHub.h"
#include "app/space/ZEVKeyTimeSpaceAnswer.h"
#include "app/space/ZEVSpaceFront.h"
#include "front/ZEVFrontToolButtons.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "app/store/KELResources.h"
#include "app/widgets/ZEVFilePanel.h"
#include "widgets/ZEVAlert.h"
#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskDownloads.h"
#include "desk/viewer/ZEVDeskOfCursor.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVSpaceBridge.h"
#include "runtime/Log.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/AppId.h"
#include "platform/KeyLayout.h"
#include "platform/desktop/Desktop.h"
#include "ruler/ZEVMarkHistoryViewer.h"
#include "ruler/ZEVRulerClass.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <map>
#include <optional>

namespace tallomer {

namespace {

// A cursor's desk with the application's own item viewer, which the desk library cannot name.
class AppCursorDesk final : public ZEVDeskOfCursor {
public:
    AppCursorDesk(ZEVSpaceController& space, KELICurseur* curseur, ZEVSpaceBridge* services)
        : ZEVDeskOfCursor(space, curseur, services,
                          [services](KELICurseur* c, ZEVDeskClass* deskClass, ZEVDeskViewer* deskViewer,
                                     ZEVItemClass* itemClass) {
                              auto viewer = std::make_unique<ZEVItemViewer>(c, services, deskViewer);
                              viewer->referencerItemClass(itemClass, deskClass);
                              return viewer;
                          })
    {
    }

    // The maker above is the only one this desk has.
    ZEVItemViewer* itemViewer() override { return static_cast<ZEVItemViewer*>(itemViewerServices()); }
};

} // namespace

std::unique_ptr<ZEVSpaceControllerBase> ZEVSpaceAdapter::creer(KELId spaceInt, KELICurseur* tlCurseur,
                                                             ZEVController* controller,
                                                             UserDefaultsController& defaults)
{
    auto adapter = std::make_unique<ZEVSpaceAdapter>(controller ? controller->application() : nullptr, defaults);
    adapter->space_ = ZEVSpaceController::initSpaceControllerWithSpaceInt(spaceInt, *adapter, tlCurseur);
    if (!adapter->space_)
        return nullptr;
    return adapter;
}

ZEVSpaceAdapter::ZEVSpaceAdapter(KELApplication* app, UserDefaultsController& defaults)
    : app_(app), defaults_(defaults)
{
}

ZEVSpaceAdapter::~ZEVSpaceAdapter()
{
    if (app_) {
        app_->setKeyEquivalentSetter({});
        app_->setFullScreenDidChange({});
    }
    // The menu's bar and items are the window's: they go before the window.
    mainMenu_.reset();
    menuHub_.reset();
    keyTimeSpace_.reset();
    if (ZEVItemDataChannels::SpaceController() == deskServices_.get())
        ZEVItemDataChannels::ReferencerSpaceController(nullptr);
    // The watch asks the desks; the desks go with the controller, before the services they were
    // given.
    deskSaveAs_.reset();
    controller_ = nullptr;
    space_.reset();
}

ZEVFrontViewerServices* ZEVSpaceAdapter::frontViewer() { return space_ ? space_->frontViewer() : nullptr; }
QWidget* ZEVSpaceAdapter::spaceWindow() { return space_ ? space_->spaceWindow() : nullptr; }
KELICurseur* ZEVSpaceAdapter::nowCurseur() { return space_ ? space_->nowCurseur() : nullptr; }
KELICurseur* ZEVSpaceAdapter::searchCurseur() { return space_ ? space_->searchCurseur() : nullptr; }
KELICurseur* ZEVSpaceAdapter::actifCurseur() { return space_ ? space_->actifCurseur() : nullptr; }
KELId ZEVSpaceAdapter::currentChannelInt() { return space_ ? space_->currentChannelInt() : 0; }

void ZEVSpaceAdapter::volumeMountDidChange()
{
    if (space_)
        space_->volumeMountDidChange();
}

ZEVZevpOpening ZEVSpaceAdapter::openZevpURL(const QString& url, bool siHistory)
{
    return space_ ? space_->openZevpURL(url, siHistory) : ZEVZevpOpening{true, QStringLiteral("the Space is not there")};
}

void ZEVSpaceAdapter::addFilenames(const QStringList& paths)
{
    if (space_)
        space_->addFilenames(paths);
}

void ZEVSpaceAdapter::commitTyping()
{
    auto* ruler = space_ ? dynamic_cast<ZEVRulerViewer*>(space_->rulerViewer()) : nullptr;
    if (ZEVRulerViewbarServices* bar = ruler ? ruler->rulerViewbar() : nullptr) {
        bar->menuPresetDidRename();
        bar->entrerLesDatesTapees();
    }
}

void ZEVSpaceAdapter::updateTimeline()
{
    if (ZEVRulerClassServices* ruler = space_ ? space_->rulerClass() : nullptr)
        ruler->updateTimeline();
}

void ZEVSpaceAdapter::updateActifCurseur(KELICurseur* curseur)
{
    if (space_)
        space_->updateActifCurseur(curseur);
}

void ZEVSpaceAdapter::relancerLesCurseurs()
{
    if (space_)
        space_->relancerLesCurseurs();
}

void ZEVSpaceAdapter::receiveFilesForURL(const QString& folder)
{
    if (deskSaveAs_)
        deskSaveAs_->receiveFilesForURL(folder);
}

void ZEVSpaceAdapter::abortDownloads()
{
    if (!space_)
        return;
    for (KELICurseur* c : {space_->searchCurseur(), space_->nowCurseur()})
        if (ZEVDeskViewer* desk = c ? space_->deskViewerForCurseur(c) : nullptr)
            desk->downloads().abortAll();
    // The Files panel's imports download on their own delegate: they stop with the desks'.
    if (auto* files = dynamic_cast<ZEVFileViewer*>(space_->viewerForEntityClassName("ZEVFileViewer")))
        files->fileClass().downloads().abortAll();
}

void ZEVSpaceAdapter::startDropFolderWatch(ZEVSpaceController& space)
{
    controller_ = &space;
    if (deskSaveAs_ || !app_ || app_->zevFolderURL().isEmpty())
        return;
    ZEVDeskSaveAs::Space& asked = *this;
    deskSaveAs_ = std::make_unique<ZEVDeskSaveAs>(asked, std::make_unique<InotifyDirectoryWatch>(app_->zevFolderURL()));
    deskSaveAs_->startToListen();
}

// The first scan runs while the controller still builds itself: it is asked, not space_.
KELId ZEVSpaceAdapter::zevFolderChannelInt() { return controller_ ? controller_->zevFolderChannelInt() : 0; }

ZEVDeskViewer* ZEVSpaceAdapter::nowDeskViewer()
{
    KELICurseur* now = controller_ ? controller_->nowCurseur() : nullptr;
    return now ? controller_->deskViewerForCurseur(now) : nullptr;
}

void ZEVSpaceAdapter::updateItemImagesOfCurrentChannel()
{
    if (space_)
        space_->updateItemImagesOfCurrentChannel();
}

void ZEVSpaceAdapter::referencerSpaceController(ZEVSpaceController* space)
{
    deskServices_ = std::make_unique<ZEVSpaceBridge>(*space);
    // The wallpapers of a first run come from the program's own copies.
    const QString wallpaper = KELResources::wallpaperPath(QStringLiteral("zevWallpaperGrey"));
    if (!wallpaper.isEmpty())
        deskServices_->setWallpaperResourceFolder(QFileInfo(wallpaper).absolutePath());
    // The address book lies where the user keeps contacts, if not in the usual folder.
    if (const QString contacts = defaults_.values(QStringLiteral("ZEVContactsFolder")).toString(); !contacts.isEmpty())
        deskServices_->setContactsFolder(contacts);
}

QString ZEVSpaceAdapter::storeFolder() { return app_ ? app_->zevDirURL() : QString(); }

const KELSharedResources& ZEVSpaceAdapter::sharedResources() { return app_->resources(); }

std::unique_ptr<ZEVCursorDesk> ZEVSpaceAdapter::creerDesk(KELICurseur* curseur, ZEVSpaceController& space)
{
    return std::make_unique<AppCursorDesk>(space, curseur, deskServices_.get());
}

std::unique_ptr<ZEVRulerClassServices> ZEVSpaceAdapter::creerRulerClass(ZEVSpaceController& space)
{
    return std::make_unique<ZEVRulerClass>(space.spaceClass() ? space.spaceClass()->ruler() : nullptr,
                                           space.tlCurseur());
}

std::unique_ptr<ZEVRulerViewerServices> ZEVSpaceAdapter::creerRulerViewer(ZEVRulerClassServices& rulerClass,
                                                                         ZEVSpaceController& space)
{
    auto viewer = std::make_unique<ZEVRulerViewer>(rulerClass, space, KELResources::directory());
    // Home Time is saved by the bar, as its first button's menu does.
    ZEVRulerViewer* v = viewer.get();
    viewer->setPresetHooks(
        [v] {
            if (auto* bar = dynamic_cast<ZEVRulerViewbar*>(v->rulerViewbar()))
                bar->userPresetSaveHome();
        },
        [&space](KELId stamp) { space.userChangePresetWithStampInt(stamp); });
    return viewer;
}

std::unique_ptr<ZEVMarkHistoryServices> ZEVSpaceAdapter::creerMarkHistoryViewer(ZEVSpaceController& space)
{
    return std::make_unique<ZEVMarkHistoryViewer>(space);
}

std::unique_ptr<ZEVContextViewerServices> ZEVSpaceAdapter::creerContextViewer(ZEVSpaceController& space)
{
    return std::make_unique<ZEVContextViewer>(space);
}

void ZEVSpaceAdapter::ouvrirEntityWithInt(KELId entityInt)
{
    ZEVSpaceController* s = space_ ? space_.get() : controller_;
    if (ZEVContextViewerServices* c = s ? s->contextViewer() : nullptr)
        c->ouvrirEntityWithInt(entityInt);
}

std::unique_ptr<ZEVFrontViewerServices> ZEVSpaceAdapter::creerFrontViewer(ZEVSpaceController& space)
{
    ZEVFrontClass::setFileTypeIcons(&KELApplication::iconForFileType);
    ZEVFrontClass::setFolderPanel([](const QString& title, const QString& prompt, const QString& message,
                                     const QString& start) {
        ZEVFilePanelRequest r;
        r.kind = ZEVFilePanelRequest::Kind::Folder;
        r.title = title;
        r.prompt = prompt;
        r.message = message;
        r.directory = start;
        return ZEVFilePanel::run(r);
    });
    ZEVFrontClass::setSavePanel([](const QString& title, const QString& prompt, const QString& message,
                                   const QString& name, const QString& start) {
        ZEVFilePanelRequest r;
        r.kind = ZEVFilePanelRequest::Kind::Save;
        r.title = title;
        r.prompt = prompt;
        r.message = message;
        r.name = name;
        r.directory = start;
        r.noOverwriteQuestion = true;
        return ZEVFilePanel::run(r);
    });
    auto front = std::make_unique<ZEVFrontViewer>(space, std::make_unique<ZEVSpaceFront>(space, defaults_));
    if (ZEVFrontToolButtons* tools = front->tools())
        tools->setOpenWithFiller([&space](QMenu* menu, const std::vector<KELI*>& items) {
            fillOpenWithMenu(menu, space, items);
        });
    return front;
}

void ZEVSpaceAdapter::referencerItemDataSpace(ZEVSpaceController*)
{
    ZEVItemDataChannels::ReferencerSpaceController(deskServices_.get());
}

KELI* ZEVSpaceAdapter::sameItemForItem(KELI* item) { return ZEVItemData::Current().matchingItem(item); }

void ZEVSpaceAdapter::copyZevpPlace(const QString& zevpString, const QString& title, KELId channelInt,
                                    const QImage& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    ZEVItemPB record(nullptr, zevpString, title, QStringLiteral("zevp"), channelInt);
    record.setZevpImage(image);
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive({record}));
    data->setText(zevpString);
    clipboard->setMimeData(data.release());
}

void ZEVSpaceAdapter::setCurrentChannelInt(KELId channelInt) { ZEVItemDataChannels::SetCurrentChannelInt(channelInt); }

QString ZEVSpaceAdapter::fileUrlForItem(KELI* item, KELId channelInt)
{
    return ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(channelInt).fileUrlForItem(item);
}

void ZEVSpaceAdapter::setActifCurseurColorSiNow(bool siNow)
{
    if (app_)
        app_->setActifCurseurColorSiNow(siNow);
}

bool ZEVSpaceAdapter::siShowDesktop() { return KELApplication::siShowDesktop(); }

void ZEVSpaceAdapter::closeProgressPanel()
{
    if (app_ && app_->progressPanel())
        app_->progressPanel()->close();
}

namespace {
// The user guide is ours, opened with the desktop's viewer.
void openUserGuide()
{
    const QString guide = KELResources::pathForResource(QStringLiteral("guide"), QStringLiteral("html"));
    const auto failed = [guide](const QString& why) {
        logFormat("KELApplication menuHelpShowUserGuide: the user guide could not be opened (%s): %s",
                  qUtf8Printable(guide), qUtf8Printable(why));
        ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("The User Guide could not be opened."),
                                             why.left(1).toUpper() + why.mid(1) + QLatin1Char('.'));
    };
    if (guide.isEmpty())
        failed(QStringLiteral("it is not installed with this Tallomer"));
    else if (Desktop* d = Desktop::shared())
        d->openUrl(QUrl::fromLocalFile(guide), failed);
    else
        failed(QStringLiteral("the desktop's services are not there"));
}

} // namespace

void ZEVSpaceAdapter::spaceWindowWillShow(ZEVSpaceController& space) { installMainMenu(space); }

void ZEVSpaceAdapter::installMainMenu(ZEVSpaceController& space)
{
    ZEVSpaceWindow* window = space.spaceWindow();
    if (!window || mainMenu_)
        return;
    KELSpaceMenuHub::ApplicationHooks hooks;
    KELApplication* app = app_;
    hooks.showPreferences = [app] {
        if (app && app->delegate())
            app->delegate()->showPreferences();
    };
    hooks.showUserGuide = [] { openUserGuide(); };
    if (app) {
        hooks.exportAll = [app] { app->menuTallomerExportAll(); };
        hooks.importAll = [app] { app->menuTallomerImportAll(); };
        hooks.uninstall = [app] { app->menuTallomerQuitUninstall(); };
    }
    hooks.toggleMenuBar = [this] {
        const QString key = QStringLiteral("ZEVShowMacMenu");
        defaults_.setValue(key, !defaults_.values(key).toBool());
    };
    hooks.keyTime = app_ ? &app_->keyTime() : nullptr;
    if (app) {
        hooks.keyTimeStartStop = [app] { app->keyTimeStartStop(); };
        hooks.keyTimeAddStep = [app] { app->keyTimeAddStep(); };
        hooks.keyTimeRunning = [app] { return app->isKeyTimeRunning(); };
    }
    keyTimeSpace_ = std::make_unique<ZEVKeyTimeSpaceAnswer>(space);
    menuHub_ = std::make_unique<KELSpaceMenuHub>(space, std::move(hooks));
    mainMenu_ = std::make_unique<KELMainMenu>(window, *menuHub_, window->quitAction());
    window->setMenuBar(mainMenu_->menuBar());
    installToolbarFillers(space);
    if (app_)
        app_->setMenuKeyTimeStart(mainMenu_->outlet("_menuKeyTimeStart"));
    // The bar shows or hides as the front viewer says (it alone follows ZEVShowMacMenu).
    setKeyEquivalents();
    if (app_) {
        // The layout-change hook of the application reruns the keys.
        app_->setKeyEquivalentSetter([this] { setKeyEquivalents(); });
        app_->setFullScreenDidChange([this] {
            if (mainMenu_)
                mainMenu_->fullScreenDidChange();
        });
    }
}

void ZEVSpaceAdapter::installToolbarFillers(ZEVSpaceController& space)
{
    auto* front = dynamic_cast<ZEVFrontViewer*>(space.frontViewer());
    ZEVFrontToolButtons* tools = front ? front->tools() : nullptr;
    if (!tools)
        return;
    // The toolbar's menus show the presets and edit entries as the main menu does, by the same code.
    ZEVFrontToolButtons::AppFillers fillers;
    fillers.presets = [this](QMenu* menu) {
        if (mainMenu_)
            mainMenu_->updateMenuPresets(menu);
    };
    fillers.edit = [this](QMenu* menu) {
        if (mainMenu_)
            mainMenu_->updateMenuEdit(menu);
    };
    KELApplication* app = app_;
    fillers.findImages = [app](QMenu* menu) {
        std::map<long, QIcon> icons = {{22020, findIconForFileType(QString())},
                                       {22021, findIconForFileType(QStringLiteral("vcf"))},
                                       {22022, findIconForFileType(QStringLiteral("eml"))},
                                       {22023, findIconForFileType(QStringLiteral("webloc"))}};
        if (app) {
            icons[22001] = QIcon(app->resources().holdByZevImage());
            icons[22004] = QIcon(app->resources().holdByZevFolderImage());
            icons[22002] = QIcon(app->resources().holdByMacImage());
            icons[22003] = QIcon(app->resources().holdByExternImage());
        }
        for (QAction* a : menu->actions())
            if (const auto it = icons.find(long(a->property("tag").toLongLong())); it != icons.end())
                a->setIcon(it->second);
    };
    tools->setAppFillers(std::move(fillers));
}

void ZEVSpaceAdapter::setKeyEquivalents()
{
    if (!mainMenu_)
        return;
    // A layout that cannot be read keeps the keys it had, and so do the items.
    keyLayout_.reload();
    mainMenu_->setKeyEquivalents([this](int code) -> std::optional<int> {
        const KeyLayout::Key key = keyLayout_.key(code);
        return key.isNull() ? std::nullopt : std::optional<int>(key.qtKey);
    });
}

void ZEVSpaceAdapter::actifCurseurDidChange()
{
    if (mainMenu_)
        mainMenu_->actifCurseurDidChange();
}

void ZEVSpaceAdapter::showWelcome()
{
    const bool read = ZEVAlert::ShowYesNoAlertWithTitle(
        QStringLiteral("Welcome to Tallomer"), QStringLiteral("Your desk now keeps its past."),
        QStringLiteral("Drop files, folders, pictures and web links on the desk: every change is kept with its "
                       "date, and the Search cursor shows the desk at any past moment.\n\n"
                       "Would you like to read the user guide?"));
    if (!read)
        return;
    openUserGuide();
}

QCursor ZEVSpaceAdapter::searchCursor()
{
    return ZEVSpaceController::SearchCursor(app_ ? app_->resources().searchCursor() : QPixmap());
}

void ZEVSpaceAdapter::deleteItemData(KELI* item)
{
    if (!item)
        return;
    // The store of the Object's own Channel holds its records.
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt());
    (store ? *store : ZEVItemData::Current()).deleteItem(item);
}

ZEVMenuCommands* ZEVSpaceAdapter::menuCommands() { return mainMenu_.get(); }

void ZEVSpaceAdapter::fullScreenDidChange()
{
    if (app_)
        app_->fullScreenDidChange();
}

void ZEVSpaceAdapter::menuAction(ZEVSpaceMenuAction action)
{
    // The Channel arrows; the go-to and clean arrows wait for the main menu's commands.
    if (!space_)
        return;
    if (action == ZEVSpaceMenuAction::ChannelUp)
        space_->menuChannelUp();
    else if (action == ZEVSpaceMenuAction::ChannelDown)
        space_->menuChannelDown();
}

void ZEVSpaceAdapter::userQuit()
{
    if (KELApplication* app = KELApplication::shared())
        app->terminate(nullptr);
}

} // namespace tallomer
