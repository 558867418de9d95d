#include "front/ZEVFrontToolButtons.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVMenuPreview.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalBlocker>

#include <map>

namespace tallomer {

namespace {

constexpr const char* kGotoOff = "setGotoOff";
constexpr KELId kNowTag = 2000009;

// The toolbar's buttons this class drives, by name.
const std::vector<const char*>& drivenButtons()
{
    static const std::vector<const char*> names = {
        "btnAddItems",     "btnActionOpen",   "btnCalandarPanel", "btnGoToPanel",          "btnDeskHome",
        "btnDeskClean",    "btnChannelUp",    "btnChannelDown",   "btnGotoPrevious",       "btnGotoNext",
        "btnGotoPreviousSpace", "btnGotoNextSpace", "btnActionEdit", "btnActionOr", "btnActionAnd", "btnChannelBack",
        // The toolbar's search button is its Find button.
        "searchButton"};
    return names;
}

QAction* addItem(QMenu* menu, const QString& title, long tag, std::function<void()> fn)
{
    QAction* a = menu->addAction(title);
    a->setProperty("tag", qlonglong(tag));
    QObject::connect(a, &QAction::triggered, menu, [fn = std::move(fn)] { fn(); });
    return a;
}

QAction* itemWithTag(QMenu* menu, long tag)
{
    for (QAction* a : menu->actions())
        if (a->property("tag").toLongLong() == tag)
            return a;
    return nullptr;
}

} // namespace

ZEVFrontToolButtons::Clique ZEVFrontToolButtons::cliqueFor(const QString& name)
{
    static const std::map<QString, Clique> table = {
        {QStringLiteral("btnDeskHome"), Clique::HomeTime},
        {QStringLiteral("btnCalandarPanel"), Clique::ShowCalandar},
        {QStringLiteral("btnGoToPanel"), Clique::GoToPanel},
        {QStringLiteral("btnGotoPrevious"), Clique::InspectPrevious},
        {QStringLiteral("btnGotoNext"), Clique::InspectNext},
        {QStringLiteral("btnGotoPreviousSpace"), Clique::PreviousSpace},
        {QStringLiteral("btnGotoNextSpace"), Clique::NextSpace},
        {QStringLiteral("btnChannelUp"), Clique::ChannelUp},
        {QStringLiteral("btnChannelDown"), Clique::ChannelDown},
        {QStringLiteral("btnDeskClean"), Clique::SpaceClean},
        {QStringLiteral("btnAddItems"), Clique::AddDocuments},
        {QStringLiteral("btnActionOpen"), Clique::ActionOpen},
        {QStringLiteral("searchButton"), Clique::InspectFind},
    };
    const auto it = table.find(name);
    return it == table.end() ? Clique::None : it->second;
}

bool ZEVFrontToolButtons::cliqueCancelsGotoPrevious(Clique c)
{
    return c == Clique::ShowCalandar || c == Clique::GoToPanel;
}

ZEVFrontToolButtons::Menu ZEVFrontToolButtons::menuFor(const QString& name)
{
    static const std::map<QString, Menu> table = {
        {QStringLiteral("btnAddItems"), Menu::Add},
        {QStringLiteral("btnActionOpen"), Menu::Open},
        {QStringLiteral("btnCalandarPanel"), Menu::Calendar},
        {QStringLiteral("btnGoToPanel"), Menu::GoToPanel},
        {QStringLiteral("btnDeskHome"), Menu::Home},
        {QStringLiteral("btnDeskClean"), Menu::Clean},
        {QStringLiteral("btnChannelUp"), Menu::UpDown},
        {QStringLiteral("btnChannelDown"), Menu::UpDown},
        {QStringLiteral("btnGotoPrevious"), Menu::Go},
        {QStringLiteral("btnGotoNext"), Menu::Go},
        {QStringLiteral("btnGotoPreviousSpace"), Menu::GotoSpace},
        {QStringLiteral("btnGotoNextSpace"), Menu::GotoSpace},
        {QStringLiteral("btnActionEdit"), Menu::Edit},
        {QStringLiteral("searchButton"), Menu::Find},
    };
    const auto it = table.find(name);
    return it == table.end() ? Menu::Count : it->second;
}

ZEVFrontToolButtons::ZEVFrontToolButtons(ZEVFrontViewer& front, ZEVSpaceController& space, ZEVFrontHeaderViews* headers)
    : front_(front), space_(space), headers_(headers), previewTarget_(std::make_unique<ZEVSpacePreviewTarget>(space)),
      panels_(std::make_unique<ZEVFrontPanels>(space))
{
    buildMenus();
}

ZEVFrontToolButtons::~ZEVFrontToolButtons()
{
    // The previews are tied to the menus' signals: they go first.
    channelsPreview_.reset();
    spacesPreview_.reset();
    historyPreview_.reset();
    cleanPreview_.reset();
    toolbarPreview_.reset();
}

ZEVButton* ZEVFrontToolButtons::button(const char* name) const
{
    return toolbar_ ? toolbar_->button(QString::fromLatin1(name)) : nullptr;
}

void ZEVFrontToolButtons::setState(const char* name, int state)
{
    if (ZEVButton* b = button(name))
        b->setState(state);
}

int ZEVFrontToolButtons::lit() const { return front_.siFocus() ? 1 : -1; }

// ---- wiring -------------------------------------------------------------------------------------

void ZEVFrontToolButtons::wire(ZEVFrontToolbar* toolbar)
{
    toolbar_ = toolbar;
    if (toolbar) {
        // The toolbar's own menu: the header views' switches and the Channels.
        toolbar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(toolbar, &QWidget::customContextMenuRequested, this, [this] { popUpMenu(Menu::Toolbar); });
    }
    for (const char* name : drivenButtons()) {
        ZEVButton* b = button(name);
        if (!b)
            continue;
        // The buttons show the state their action or menu sets; a click alone changes nothing.
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setCliqueTarget(&front_, [this](ZEVButton* sender) { performClique(sender); });
        connect(b, &ZEVButton::clicked, this, [this, b] { pressed(b); });
        // The step buttons act on a click; their menus come with the right button.
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this, [this, b] {
            const Menu m = menuFor(b->objectName());
            if (m != Menu::Count)
                popUpMenu(m);
        });
    }
}

void ZEVFrontToolButtons::pressed(ZEVButton* b)
{
    const QString name = b->objectName();
    if (name == QLatin1String("btnActionOr")) {
        buttonActionOrOperation();
        return;
    }
    if (name == QLatin1String("btnActionAnd")) {
        buttonActionAndOperation();
        return;
    }
    // A long press ran the button's action already.
    if (b->siClickLong())
        return;
    if (name == QLatin1String("btnGotoPreviousSpace"))
        btnPreviousSpace();
    else if (name == QLatin1String("btnGotoNextSpace"))
        btnNextSpace();
    else if (name == QLatin1String("btnGotoPrevious"))
        front_.btnInspectPrevious();
    else if (name == QLatin1String("btnGotoNext"))
        front_.btnInspectNext();
    else if (name == QLatin1String("btnChannelBack"))
        menuChannelUp();
    else if (name == QLatin1String("searchButton"))
        btnInspectFind(b);
    else if (const Menu m = menuFor(name); m != Menu::Count)
        popUpMenu(m);
}

void ZEVFrontToolButtons::popUpMenu(Menu m)
{
    QMenu* menu = this->menu(m);
    if (!menu)
        return;
    static const std::map<Menu, const char*> anchors = {
        {Menu::Add, "btnAddItems"},           {Menu::Open, "btnActionOpen"},   {Menu::Calendar, "btnCalandarPanel"},
        {Menu::GoToPanel, "btnGoToPanel"},    {Menu::Home, "btnDeskHome"},     {Menu::Clean, "btnDeskClean"},
        // The Channels menu always opens at the Channel-down button.
        {Menu::UpDown, "btnChannelDown"},     {Menu::Go, "btnGotoPrevious"},   {Menu::GotoSpace, "btnGotoPreviousSpace"},
        {Menu::Edit, "btnActionEdit"},      {Menu::Find, "searchButton"}};
    // The toolbar's own menu opens where it was asked for, under the pointer.
    if (m == Menu::Toolbar) {
        menu->popup(QCursor::pos());
        return;
    }
    ZEVButton* at = button(anchors.at(m));
    const QPoint where = at ? at->mapToGlobal(QPoint(0, at->height())) : QPoint();
    menu->popup(where);
}

void ZEVFrontToolButtons::performClique(ZEVButton* b)
{
    const Clique c = cliqueFor(b->objectName());
    switch (c) {
    case Clique::None:
        return;
    case Clique::HomeTime:
        menuHomeTime(true);
        break;
    case Clique::ShowCalandar:
        menuShowCalandar();
        break;
    case Clique::GoToPanel:
        menuGoToPanel();
        break;
    case Clique::InspectPrevious:
        front_.btnInspectPrevious();
        break;
    case Clique::InspectNext:
        front_.btnInspectNext();
        break;
    case Clique::PreviousSpace:
        btnPreviousSpace();
        break;
    case Clique::NextSpace:
        btnNextSpace();
        break;
    case Clique::ChannelUp:
        menuChannelUp();
        break;
    case Clique::ChannelDown:
        menuChannelDown();
        break;
    case Clique::SpaceClean:
        front_.userSpaceCleanAll();
        break;
    case Clique::AddDocuments:
        userAddDocuments();
        break;
    case Clique::ActionOpen:
        front_.userOpen();
        break;
    case Clique::InspectFind:
        front_.menuInspectFind();
        break;
    }
    if (cliqueCancelsGotoPrevious(c))
        Scheduler::shared().cancel(b, "_gotoPrevious");
}

// ---- the menus ----------------------------------------------------------------------------------

QMenu* ZEVFrontToolButtons::makeMenu(Menu m, const char* name)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QString::fromLatin1(name));
    QMenu* raw = menu.get();
    connect(raw, &QMenu::aboutToShow, this, [this, m] { willOpen(m); });
    connect(raw, &QMenu::aboutToHide, this, [this, m] { didClose(m); });
    menus_[std::size_t(m)] = std::move(menu);
    return raw;
}

void ZEVFrontToolButtons::buildMenus()
{
    auto make = [this](Menu m, const char* name) { return makeMenu(m, name); };
    QMenu* add = make(Menu::Add, "menuBtnAddItems");
    addItem(add, tr("Add Documents\u2026"), 1, [this] { userAddDocuments(); });
    addItem(add, tr("New Folder\u2026"), 2, [this] { userAddNewFolderWithItem(nullptr); });

    QMenu* open = make(Menu::Open, "menuBtnOpen");
    addItem(open, tr("Open"), 1, [this] { front_.menuOpen(); });

    QMenu* calendar = make(Menu::Calendar, "menuBtnCalandarPanel");
    addItem(calendar, tr("Calendar"), 0, [this] { menuShowCalandar(); })->setCheckable(true);
    addItem(calendar, tr("Time Bar"), 2, [this] { front_.userToggleTimebar(); })->setCheckable(true);

    QMenu* goTo = make(Menu::GoToPanel, "menuBtnGoToPanel");
    addItem(goTo, tr("Go To\u2026"), 0, [this] { menuGoToPanel(); })->setCheckable(true);
    addItem(goTo, tr("Timeline"), 2, [this] { front_.userToggleTline(); })->setCheckable(true);

    QMenu* home = make(Menu::Home, "menuBtnDeskHome");
    addItem(home, tr("Home Time"), 1, [this] { menuHomeTime(true); });
    addItem(home, tr("Now"), kNowTag, [this] { front_.userGoNow(); });
    addItem(home, tr("Home Channel"), 2000018, [this] { space_.updateChannelWithIdentityInt(space_.homeChannelInt()); });
    addItem(home, tr("Home Time and Channel"), 2, [this] {
        space_.updateChannelWithIdentityInt(space_.homeChannelInt());
        menuHomeTime(true);
    });
    home->addSeparator();
    historyPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::History, 5);
    // Fewer marks than the History menu's: this one opens under a button, down the window.
    historyPreview_->setHistoryMax(50);
    historyPreview_->attach(home);

    QMenu* clean = make(Menu::Clean, "menuBtnClean");
    addItem(clean, tr("Clean"), 40, [this] { front_.userSpaceCleanAll(); });
    addItem(clean, tr("Clean and Recall"), 41, [this] { front_.userSpaceCleanAndRecall(); });
    addItem(clean, tr("Clean and Recall Back"), 44, [this] { front_.userSpaceCleanAndRecallBack(); });
    addItem(clean, tr("Clean and Replace"), 43, [this] { front_.userSpaceCleanAndReplace(); });

    QMenu* upDown = make(Menu::UpDown, "menuBtnUpDown");
    channelsPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::Channels, 0, 0, false);
    channelsPreview_->attach(upDown);

    QMenu* go = make(Menu::Go, "menuBtnGoto");
    // The menu's steps keep to the Space.
    addItem(go, tr("Previous Change"), 1, [this] { front_.menuInspectPrevious(false); });
    addItem(go, tr("Next Change"), 2, [this] { front_.menuInspectNext(false); });

    QMenu* spaces = make(Menu::GotoSpace, "menuBtnGotoSpace");
    addItem(spaces, tr("Now  --  "), kNowTag, [this] { front_.userGoNow(); });
    spacesPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::Spaces, 1, 15);
    spacesPreview_->attach(spaces);

    QMenu* edit = make(Menu::Edit, "menuBtnEdit");
    addItem(edit, tr("Recall Now"), 6, [this] { front_.menuEditRecallNow(); });
    addItem(edit, tr("Retain Now"), 65, [this] { front_.menuEditRetain(); });
    addItem(edit, tr("Release Now"), 62, [this] { front_.menuEditRelease(); });
    addItem(edit, tr("Forget Now"), 63, [this] { front_.menuEditForget(); });
    edit->addSeparator();
    addItem(edit, tr("Recall"), 4, [this] { front_.menuEditRecall(); });
    addItem(edit, tr("Retain"), 5, [this] { front_.menuEditRetain(); });
    addItem(edit, tr("Release"), 2, [this] { front_.menuEditRelease(); });
    addItem(edit, tr("Forget"), 3, [this] { front_.menuEditForget(); });
    edit->addSeparator();
    addItem(edit, tr("Show Tracks"), 103, [this] { front_.userToggleTracks(); });
    addItem(edit, tr("Deselect All"), 104, [this] { front_.userDeselectAll(); });
    addItem(edit, tr("Show Links"), 105, [this] { buttonShowLink(); });

    buildMoreMenus();
}

void ZEVFrontToolButtons::willOpen(Menu m)
{
    QMenu* menu = this->menu(m);
    KELICurseur* actif = space_.actifCurseur();
    switch (m) {
    case Menu::Add:
        setState("btnAddItems", 1);
        break;
    case Menu::Open: {
        setState("btnActionOpen", 1);
        const std::vector<KELI*> items = front_.modeSelectionItems();
        if (openWithFiller_)
            openWithFiller_(menu, items);
        else if (QAction* open = itemWithTag(menu, 1))
            open->setEnabled(!items.empty());
        break;
    }
    case Menu::Calendar:
        setState("btnCalandarPanel", 1);
        itemWithTag(menu, 0)->setChecked(headers_ && headers_->siShowRulerPickerPanel());
        itemWithTag(menu, 2)->setChecked(!front_.siTimebarClosed());
        if (appFillers_.presets)
            appFillers_.presets(menu);
        break;
    case Menu::GoToPanel:
        setState("btnGoToPanel", 1);
        itemWithTag(menu, 0)->setChecked(goToPanel_ && goToPanel_->isVisible());
        itemWithTag(menu, 2)->setChecked(front_.siTlineOpened());
        break;
    case Menu::Home: {
        setState("btnDeskHome", 1);
        setZevstoryBrowsing(true);
        const bool nowActif = actif && actif == space_.nowCurseur();
        const bool home = front_.siCurseurAtHome();
        itemWithTag(menu, 1)->setEnabled(!(nowActif && home));
        itemWithTag(menu, kNowTag)->setEnabled(nowActif && !home);
        const bool away = space_.homeChannelInt() != space_.currentChannelInt();
        itemWithTag(menu, 2000018)->setEnabled(away);
        itemWithTag(menu, 2)->setEnabled(away);
        break;
    }
    case Menu::Clean: {
        setState("btnDeskClean", 1);
        const bool search = actif && actif == space_.searchCurseur();
        ZEVDeskViewer* dv = space_.deskViewerForCurseur(actif);
        itemWithTag(menu, 40)->setEnabled(!search && dv && !dv->itemViewSet().empty());
        // A selection of the mode on the Now desk, or else on the Search one.
        const int mode = front_.frontMode();
        ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(space_.nowCurseur());
        ZEVDeskViewer* searchDesk = space_.deskViewerForCurseur(space_.searchCurseur());
        itemWithTag(menu, 41)->setEnabled((nowDesk && nowDesk->siSelectionExiste(mode)) ||
                                          (searchDesk && searchDesk->siSelectionExiste(mode)));
        itemWithTag(menu, 44)->setEnabled(search);
        itemWithTag(menu, 43)->setEnabled(search);
        majNowEntries(m);
        break;
    }
    case Menu::Go:
        setState("btnGotoPrevious", -1);
        setState("btnGotoNext", -1);
        break;
    case Menu::Edit: {
        // The application titles the edit entries as it does the main Edit menu's, and colours them.
        if (appFillers_.edit)
            appFillers_.edit(menu);
        else
            front_.majImageForEditionMenu1(menu);
        itemWithTag(menu, 103)->setText(front_.siTracksClosed() ? tr("Show Tracks") : tr("Hide Tracks"));
        itemWithTag(menu, 104)->setEnabled(front_.nbOfIcons() + front_.nbOfTitles() + front_.nbOfFilters() +
                                               front_.nbOfLinks() + front_.nbOfNodes() > 0);
        itemWithTag(menu, 105)->setText(space_.displayOptions().siShowLinks() ? tr("Hide Links") : tr("Show Links"));
        setState("btnActionEdit", 1);
        break;
    }
    case Menu::GotoSpace:
        majNowEntries(m);
        break;
    case Menu::Find:
    case Menu::Toolbar:
        willOpenMore(m);
        break;
    case Menu::UpDown:
    case Menu::Count:
        break;
    }
}

void ZEVFrontToolButtons::didClose(Menu m)
{
    ++menusClosed_;
    switch (m) {
    case Menu::Add:
        setState("btnAddItems", 0);
        break;
    case Menu::Open:
        setState("btnActionOpen", 0);
        break;
    case Menu::Calendar:
        setState("btnCalandarPanel", headers_ && headers_->siShowRulerPickerPanel() ? 1 : 0);
        break;
    case Menu::GoToPanel:
        setState("btnGoToPanel", goToPanel_ && goToPanel_->isVisible() ? 1 : 0);
        break;
    case Menu::Home:
        setState("btnDeskHome", 0);
        setZevstoryBrowsing(false);
        break;
    case Menu::Clean:
        setState("btnDeskClean", 0);
        break;
    case Menu::Go:
        setState("btnGotoPrevious", 0);
        setState("btnGotoNext", 0);
        break;
    case Menu::Edit:
        setState("btnActionEdit", 0);
        break;
    case Menu::Find:
    case Menu::Toolbar:
        didCloseMore(m);
        break;
    case Menu::UpDown:
    case Menu::GotoSpace:
    case Menu::Count:
        break;
    }
    // Whatever menu it was, the list's right-clicked row is no longer the one acted on.
    if (ZEVTableView* t = front_.selectionTableView())
        t->disableRightSelectedRow();
}

// ---- lighting -----------------------------------------------------------------------------------

void ZEVFrontToolButtons::scheduleGotoOff()
{
    Scheduler::shared().cancel(this, kGotoOff);
    Scheduler::shared().perform(this, kGotoOff, kGotoOffDelay, [this] { setGotoOff(); });
}

void ZEVFrontToolButtons::channelStep(bool up, KELId channelInt)
{
    setState(up ? "btnChannelUp" : "btnChannelDown", siChannelBrowsing_ ? 1 : lit());
    setState(up ? "btnChannelDown" : "btnChannelUp", siChannelBrowsing_ ? -1 : 0);
    setState("btnDeskHome", channelInt == space_.homeChannelInt() ? -1 : 0);
    scheduleGotoOff();
}

void ZEVFrontToolButtons::spaceStep(bool previous, bool siHome)
{
    setState(previous ? "btnGotoPreviousSpace" : "btnGotoNextSpace", siSpaceBrowsing_ ? 1 : lit());
    setState(previous ? "btnGotoNextSpace" : "btnGotoPreviousSpace", siSpaceBrowsing_ ? -1 : 0);
    setState("btnDeskHome", siHome ? -1 : 0);
    scheduleGotoOff();
}

void ZEVFrontToolButtons::objectStep(bool previous, bool siHome)
{
    setState(previous ? "btnGotoPrevious" : "btnGotoNext", lit());
    setState(previous ? "btnGotoNext" : "btnGotoPrevious", 0);
    setState("btnDeskHome", siHome ? -1 : 0);
    scheduleGotoOff();
}

void ZEVFrontToolButtons::selectionUp(KELId channelInt) { channelStep(true, channelInt); }
void ZEVFrontToolButtons::selectionDown(KELId channelInt) { channelStep(false, channelInt); }
void ZEVFrontToolButtons::selectionPreviousSpace(bool siHome) { spaceStep(true, siHome); }
void ZEVFrontToolButtons::selectionNextSpace(bool siHome) { spaceStep(false, siHome); }
void ZEVFrontToolButtons::selectionPreviousObject(bool siHome) { objectStep(true, siHome); }
void ZEVFrontToolButtons::selectionNextObject(bool siHome) { objectStep(false, siHome); }
void ZEVFrontToolButtons::selectionHome() { setState("btnDeskHome", -1); }

void ZEVFrontToolButtons::setGotoOff()
{
    Scheduler::shared().cancel(this, kGotoOff);
    setState("btnGotoPrevious", 0);
    setState("btnGotoNext", 0);
    setState("btnGotoPreviousSpace", siSpaceBrowsing_ ? -1 : 0);
    setState("btnGotoNextSpace", siSpaceBrowsing_ ? -1 : 0);
    setState("btnChannelUp", siChannelBrowsing_ ? -1 : 0);
    setState("btnChannelDown", siChannelBrowsing_ ? -1 : 0);
    // While a menu browses, the Home button shows what the browse shows.
    if (!siChannelBrowsing_ && !siSpaceBrowsing_ && !siZevstoryBrowsing_)
        setState("btnDeskHome", 0);
}

void ZEVFrontToolButtons::userGoHome() { setState("btnDeskHome", 1); }

// ---- actions ------------------------------------------------------------------------------------

void ZEVFrontToolButtons::menuChannelUp()
{
    setState("btnChannelUp", 1);
    space_.menuChannelUp();
    scheduleGotoOff();
}

void ZEVFrontToolButtons::menuChannelDown()
{
    setState("btnChannelDown", 1);
    space_.menuChannelDown();
    scheduleGotoOff();
}

void ZEVFrontToolButtons::btnPreviousSpace()
{
    Scheduler::shared().cancel(this, kGotoOff);
    setState("btnGotoNextSpace", 0);
    setState("btnGotoPreviousSpace", 1);
    space_.userGotoPreviousSiDistinct(false, false);
    scheduleGotoOff();
}

void ZEVFrontToolButtons::btnNextSpace()
{
    Scheduler::shared().cancel(this, kGotoOff);
    setState("btnGotoPreviousSpace", 0);
    setState("btnGotoNextSpace", 1);
    space_.userGotoNextSiDistinct(false, false);
    scheduleGotoOff();
}

void ZEVFrontToolButtons::menuShowCalandar()
{
    if (!headers_)
        return;
    headers_->userShowRulerPickerPanel(!headers_->siShowRulerPickerPanel());
}

void ZEVFrontToolButtons::menuGoToPanel()
{
    if (!goToPanel_) {
        goToPanel_ = std::make_unique<ZEVFrontGoToPanel>(space_, headers_, space_.spaceWindow());
        goToPanel_->setOnClose([this] {
            setState("btnGoToPanel", 0);
            space_.setSiGoToMode(false);
            if (space_.goToTag() != 1)
                space_.setGoToTag(2);
        });
        goToPanel_->setOnForgetLego([this] { front_.forgetDraggingLego(); });
    }
    if (goToPanel_->isVisible()) {
        goToPanel_->hide();
        return;
    }
    if (QWidget* w = space_.spaceWindow()) {
        // Over the desk's top right corner, clear of the toolbar's buttons.
        const QPoint corner = w->mapToGlobal(QPoint(w->width() - 400, 160));
        placement::placeAt(goToPanel_.get(), corner);
    }
    goToPanel_->show();
    setState("btnGoToPanel", 1);
    space_.setSiGoToMode(true);
}

void ZEVFrontToolButtons::menuHomeTime(bool withSender)
{
    if (headers_)
        headers_->menuHomeTimeWithDuration(withSender ? 1.5f : 0.0f);
}

void ZEVFrontToolButtons::buttonActionOrOperation()
{
    space_.userChangeFilterToOrOperation();
    front_.filterOperationDidChange();
}

void ZEVFrontToolButtons::buttonActionAndOperation()
{
    space_.userChangeFilterToAndOperation();
    front_.filterOperationDidChange();
}

void ZEVFrontToolButtons::buttonShowLink() { front_.buttonShowLink(); }

QString ZEVFrontToolButtons::folderForItem(KELI* item) const
{
    if (item) {
        const QFileInfo info(space_.host().fileUrlForItem(item, item->channelInt()));
        if (info.isDir())
            return info.absoluteFilePath();
        if (info.exists())
            return info.absolutePath();
    }
    const QString docs = QDir::homePath() + QStringLiteral("/Documents");
    return QFileInfo(docs).isDir() ? docs : QDir::homePath();
}

void ZEVFrontToolButtons::userAddDocuments()
{
    setState("btnAddItems", 1);
    panels_->buttonAddWithUrl(folderForItem(nullptr));
    setState("btnAddItems", 0);
}

void ZEVFrontToolButtons::userAddDocumentsWithItem(KELI* item)
{
    ZEVFrontClass* front = ZEVFrontClass::shared();
    if (!item || !front)
        return userAddDocuments();
    setState("btnAddItems", 1);
    panels_->buttonAddWithUrl(front->openPanelFolderUrlWithItem(item));
    setState("btnAddItems", 0);
}

void ZEVFrontToolButtons::userAddNewFolderWithItem(KELI* item) { panels_->addNewFolder(folderForItem(item)); }

// ---- the front viewer's answers, through its buttons -----------------------------------------------

bool ZEVFrontViewer::siGoToPanelVisible() { return tools_ && tools_->goToPanel() && tools_->goToPanel()->isVisible(); }

void ZEVFrontViewer::majGoToDurationButtons()
{
    if (tools_ && tools_->goToPanel())
        tools_->goToPanel()->majGoToDurationButtons();
}

void ZEVFrontViewer::setGotoOff()
{
    if (tools_)
        tools_->setGotoOff();
}

void ZEVFrontViewer::selectionPreviousSpace(bool siNow)
{
    if (tools_)
        tools_->selectionPreviousSpace(siNow);
}

void ZEVFrontViewer::selectionNextSpace(bool siNow)
{
    if (tools_)
        tools_->selectionNextSpace(siNow);
}

void ZEVFrontViewer::selectionHome()
{
    if (tools_)
        tools_->selectionHome();
}

void ZEVFrontViewer::selectionDown(KELId channelInt)
{
    if (tools_)
        tools_->selectionDown(channelInt);
}

void ZEVFrontViewer::selectionUp(KELId channelInt)
{
    if (tools_)
        tools_->selectionUp(channelInt);
}

void ZEVFrontViewer::setSpaceBrowsing(bool browsing)
{
    if (tools_)
        tools_->setSpaceBrowsing(browsing);
}

void ZEVFrontViewer::setChannelBrowsing(bool browsing)
{
    if (tools_)
        tools_->setChannelBrowsing(browsing);
}

void ZEVFrontViewer::setZevstoryBrowsing(bool browsing)
{
    if (tools_)
        tools_->setZevstoryBrowsing(browsing);
}

// ---- the front viewer's show-links button ----------------------------------------------------------

void ZEVFrontViewer::buttonShowLink()
{
    const int m = currentFrontMode_;
    if (!space_.displayOptions().siShowLinks()) {
        space_.setSiShowLinksForSelections(true);
        if (m >= 0 && m < 4 && showSelectionItems_[m]) {
            const QSignalBlocker quiet(showSelectionItems_[m]);
            showSelectionItems_[m]->setChecked(true);
        }
    } else {
        // Links showing, in whichever form: the button hides them, and the mode's two show-links
        // items say so.
        space_.setSiShowLinksForAllObjects(false);
        space_.setSiShowLinksForSelections(false);
        if (m >= 0 && m < 4)
            for (QAction* a : {showAllItems_[m], showSelectionItems_[m]})
                if (a) {
                    const QSignalBlocker quiet(a);
                    a->setChecked(false);
                }
    }
    displayFrontView();
}

} // namespace tallomer
