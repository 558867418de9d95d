#include "desk/viewer/ZEVDeskMenus.h"

#include "engine/KELICurseur.h"
#include "platform/MenuText.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVMixedMark.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <iterator>

namespace tallomer {

namespace {

struct Titles {
    const char* plain;
    const char* active;
};
// Icon, title, link, filter: in front modes 0, 1, 3, 2.
constexpr Titles kTools[4] = {{"Icon", "Icon Tool"}, {"Title", "Title Tool"}, {"Link", "Link Tool"},
                              {"Filter", "Filter Tool"}};
constexpr int kToolModes[4] = {0, 1, 3, 2};
constexpr Titles kTimes[3] = {{"Now", "Now TimeCursor"}, {"Search", "Search TimeCursor"}, {"Ruler", "Ruler TimeLine"}};
constexpr Titles kEntities[4] = {{"Channels\u2026", "Channels\u2026"},
                                 {"Files\u2026", "Files Window\u2026"},
                                 {"Contacts\u2026", "Contacts Window\u2026"},
                                 {"Images\u2026", "Images Window\u2026"}};
constexpr KELId kEntityIds[4] = {2000194, 2000005, 2000006, 2000007};
constexpr long kTagCalendar = 26;
constexpr long kTagGoTo = 27;

// Any mode outside 0 to 3 is none.
int ZEVNormalisedMode(int mode) { return mode >= 0 && mode <= 3 ? mode : 4; }

} // namespace

ZEVDeskMenus::ZEVDeskMenus(ZEVSpaceController& space) : space_(space), target_(space) { build(); }

ZEVDeskMenus::~ZEVDeskMenus() = default;

QAction* ZEVDeskMenus::routed(QMenu* into, const QString& title, const char* action, long tag)
{
    QAction* a = into->addAction(title);
    a->setProperty("action", QString::fromLatin1(action));
    if (tag)
        a->setProperty("tag", qlonglong(tag));
    const std::string name = action;
    connect(a, &QAction::triggered, this, [this, name, a] {
        if (ZEVMenuCommands* commands = space_.host().menuCommands())
            commands->perform(name, a);
    });
    routed_.push_back(a);
    return a;
}

void ZEVDeskMenus::build()
{
    menuFrontView_ = std::make_unique<QMenu>();
    menuFrontView_->setObjectName(QStringLiteral("menuFrontView"));
    QMenu* m = menuFrontView_.get();
    // Every item but AND and OR runs the main menu's command of the same name.
    constexpr const char* kToolActions[4] = {"menuModeIcon:", "menuModeTitle:", "menuModeLink:", "menuModeFilter:"};
    for (int i = 0; i < 4; ++i) {
        tools_[i] = routed(m, QString::fromUtf8(kTools[i].plain), kToolActions[i]);
        tools_[i]->setCheckable(true);
    }
    m->addSeparator();
    constexpr const char* kTimeActions[3] = {"menuTLNow:", "menuTLSearch:", "menuTLRuler:"};
    for (int i = 0; i < 3; ++i) {
        times_[i] = routed(m, QString::fromUtf8(kTimes[i].plain), kTimeActions[i]);
        times_[i]->setCheckable(true);
    }
    calendar_ = routed(m, QStringLiteral("Calendar"), "menuViewCalandar:", kTagCalendar);
    calendar_->setCheckable(true);
    goTo_ = routed(m, QStringLiteral("Go To\u2026"), "menuTimeGoTo:", kTagGoTo);
    goTo_->setCheckable(true);
    m->addSeparator();
    for (int i = 0; i < 4; ++i) {
        // The tag is the inspector's: the command opens or closes that one.
        entities_[i] = routed(m, QString::fromUtf8(kEntities[i].plain), "menuEntityOpen:", long(kEntityIds[i]));
        entities_[i]->setCheckable(true);
    }
    m->addSeparator();
    // The main menu's Object and Edit menus join here once the application has them.
    objectAndEditAt_ = m->addSeparator();
    routed(m, QStringLiteral("Add Object\u2026"), "menuAddObject:");
    routed(m, QStringLiteral("Find Object"), "menuFindObject:");
    changeBack_ = m->addAction(QStringLiteral("Change Background\u2026"));
    changeBack_->setProperty("action", QStringLiteral("menuChangeBackImage:"));
    connect(changeBack_, &QAction::triggered, this, [this] { userOpenBackInspectView(); });
    routed_.push_back(changeBack_);
    m->addSeparator();
    filtreAND_ = m->addAction(QStringLiteral("AND Filters"));
    filtreOR_ = m->addAction(QStringLiteral("OR Filters"));
    filtreAND_->setCheckable(true);
    filtreOR_->setCheckable(true);
    connect(filtreAND_, &QAction::triggered, this, [this] { menuFiltreWithAndOperator(); });
    connect(filtreOR_, &QAction::triggered, this, [this] { menuFiltreWithOrOperator(); });
    m->addSeparator();
    fullScreen_ = routed(m, QStringLiteral("Full Screen"), "menuToggleFullScreen:");
    showDesktop_ = routed(m, QStringLiteral("Show Desktop"), "hideOtherApplications:");
    frontSpace_ = routed(m, QStringLiteral("Keep in Front"), "menuToggleFront:");
    menuBar_ = routed(m, QStringLiteral("Menu Bar"), "menuToggleMacMenu:");
    timebar_ = routed(m, QStringLiteral("Time Bar"), "menuToggleTimebar:");
    tline_ = routed(m, QStringLiteral("Timeline"), "menuToggleTline:");
    tracks_ = routed(m, QStringLiteral("Tracks"), "menuToggleTracks:");
    toolbar_ = routed(m, QStringLiteral("Toolbar"), "menuToggleToolbar:");
    for (QAction* a : {fullScreen_, showDesktop_, frontSpace_, timebar_, tline_, tracks_, toolbar_})
        a->setCheckable(true);
    m->addSeparator();
    presets_ = m->addMenu(QStringLiteral("Presets"));
    presets_->menuAction()->setProperty("tag", qlonglong(2000000));
    for (KELId stamp = 2000009; stamp <= 2000017; ++stamp)
        routed(presets_, stamp == 2000009 ? QStringLiteral("Home Time") : QStringLiteral("Preset %1").arg(stamp - 2000008),
               stamp == 2000009 ? "menuPresetHome:" : "menuPreset:", long(stamp));
    connect(m, &QMenu::hovered, this, [this](QAction* a) { updateTitles(a); });
    connect(m, &QMenu::aboutToShow, this, [this] { updateTitles(); });

    // The Space menu: back to Now, then the Spaces from index 1.
    ZEVSpaceController* s = &space_;
    menuSpace_ = std::make_unique<QMenu>();
    menuSpace_->setObjectName(QStringLiteral("menuSpace"));
    QAction* now = menuSpace_->addAction(QStringLiteral("Now"));
    now->setProperty("tag", qlonglong(ZEVMenuPreview::kHomeTag));
    connect(now, &QAction::triggered, this, [s] { s->userGotoPrevSpace(-2); });
    connect(menuSpace_.get(), &QMenu::aboutToShow, this, [this, s] {
        QAction* home = menuSpace_->actions().value(0);
        ZEVCursorDesk* nowDesk = s->deskForCurseur(s->nowCurseur());
        if (home)
            home->setText(QStringLiteral("Now  --  %1")
                              .arg(nowDesk ? menuText(QString::fromStdString(nowDesk->currentBackImageItemName())) : QString()));
    });
    spacePreview_ = std::make_unique<ZEVMenuPreview>(target_, ZEVMenuPreview::Kind::Spaces, 1, 25);
    spacePreview_->attach(menuSpace_.get());

    menuChannel_ = std::make_unique<QMenu>();
    menuChannel_->setObjectName(QStringLiteral("menuChannel"));
    channelPreview_ = std::make_unique<ZEVMenuPreview>(target_, ZEVMenuPreview::Kind::Channels, 0, 0, false);
    channelPreview_->attach(menuChannel_.get());
}

void ZEVDeskMenus::userOpenBackInspectView()
{
    // The Images inspector, where the Channel's backgrounds are chosen.
    if (ZEVMenuCommands* commands = space_.host().menuCommands())
        commands->perform("menuChangeBackImage:", changeBack_);
}

int ZEVDeskMenus::barButtonOn() const
{
    using B = ZEVRulerViewerServices::BarButton;
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler)
        return -1;
    // The bar tests its buttons in this order.
    if (ruler->stateOfBarButton(B::Now))
        return 0;
    if (ruler->stateOfBarButton(B::Search))
        return 1;
    return ruler->stateOfBarButton(B::Ruler) ? 2 : -1;
}

void ZEVDeskMenus::updateTitles(QAction* highlighted)
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    const int mode = front ? ZEVNormalisedMode(front->frontMode()) : 0;
    // A highlighted tool alone names itself a tool: the current mode's item then reads plain.
    const bool toolHighlighted = std::find(std::begin(tools_), std::end(tools_), highlighted) != std::end(tools_);
    for (int i = 0; i < 4; ++i) {
        const bool active = toolHighlighted ? tools_[i] == highlighted : kToolModes[i] == mode;
        tools_[i]->setText(QString::fromUtf8(active ? kTools[i].active : kTools[i].plain));
    }
    // The time items follow the ruler bar's Now, Search and Ruler buttons; with none of them on
    // they keep their titles.
    const int activeTime = barButtonOn();
    const bool highlightedHere = std::find(std::begin(times_), std::end(times_), highlighted) != std::end(times_);
    if (highlightedHere || activeTime >= 0)
        for (int i = 0; i < 3; ++i) {
            const bool active = highlightedHere ? times_[i] == highlighted : i == activeTime;
            times_[i]->setText(QString::fromUtf8(active ? kTimes[i].active : kTimes[i].plain));
        }
    for (int i = 0; i < 4; ++i)
        entities_[i]->setText(QString::fromUtf8(entities_[i] == highlighted ? kEntities[i].active : kEntities[i].plain));
}


QMenu* ZEVDeskMenus::menuForFrontView()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (front && front->isUserChangingFlag())
        return nullptr;
    ZEVMenuCommands* commands = space_.host().menuCommands();
    // One enabling rule per command: an item is on exactly when the main menu's would be, and
    // the rules below only take more away.
    for (QAction* a : routed_)
        a->setEnabled(commands && commands->routable(a->property("action").toString().toStdString()));
    const int mode = front ? ZEVNormalisedMode(front->frontMode()) : 0;
    for (int i = 0; i < 4; ++i)
        tools_[i]->setChecked(kToolModes[i] == mode);
    // The bar's buttons; while the Ruler one is on, the active cursor's item is half on.
    const int on = barButtonOn();
    KELICurseur* actif = space_.actifCurseur();
    const int actifTime = actif && actif == space_.nowCurseur() ? 0 : actif && actif == space_.searchCurseur() ? 1 : -1;
    for (int i = 0; i < 3; ++i) {
        const bool mixed = on == 2 && i == actifTime;
        times_[i]->setChecked(i == on);
        times_[i]->setIcon(mixed ? ZEVMixedMark() : QIcon());
        times_[i]->setIconVisibleInMenu(mixed);
    }
    calendar_->setChecked(front && front->siShowCalandar());
    goTo_->setChecked(front && front->siGoToPanelVisible());
    ZEVContextViewerServices* context = space_.contextViewer();
    for (int i = 0; i < 4; ++i)
        entities_[i]->setChecked(context && context->isShowedEntityWithInt(kEntityIds[i]));
    // The application's Object and Edit menus, which prepare themselves as they open.
    if (commands) {
        for (QMenu* sub : {commands->objectMenu(), commands->editMenu()})
            if (sub && !menuFrontView_->actions().contains(sub->menuAction()))
                menuFrontView_->insertMenu(objectAndEditAt_, sub);
    }
    updateFilterItems();
    updateViewItems();
    // The presets: titled and enabled as the Time menu's.
    if (commands)
        commands->updateMenuPresets(presets_);
    updateTitles();
    return menuFrontView_.get();
}

void ZEVDeskMenus::updateViewItems()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    auto enable = [](QAction* a, bool rule) { a->setEnabled(a->isEnabled() && rule); };
    const bool full = space_.spaceWindow() && space_.spaceWindow()->siFullScreen();
    const bool window = front && front->siFullWindow();
    fullScreen_->setChecked(window);
    enable(fullScreen_, window || !full);
    showDesktop_->setVisible(!full);
    enable(showDesktop_, !space_.host().siShowDesktop());
    showDesktop_->setChecked(!showDesktop_->isEnabled());
    frontSpace_->setChecked(space_.siFrontSpace());
    frontSpace_->setVisible(!full);
    enable(menuBar_, window);
    timebar_->setChecked(front && !front->siTimebarClosed());
    tline_->setChecked(front && !front->siTlineClosed());
    tracks_->setChecked(front && !front->siTracksClosed());
    toolbar_->setChecked(front && !front->siToolbarClosed());
}

void ZEVDeskMenus::updateFilterItems()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    const int mode = front ? ZEVNormalisedMode(front->frontMode()) : 0;
    const bool shown = mode == 2 && space_.selections().selectedFilterItems().size() >= 2;
    const bool andOp = space_.displayOptions().siFiltreANDOperation;
    filtreAND_->setVisible(shown);
    filtreOR_->setVisible(shown);
    filtreAND_->setChecked(andOp);
    filtreAND_->setEnabled(!andOp);
    filtreOR_->setChecked(!andOp);
    filtreOR_->setEnabled(andOp);
}

void ZEVDeskMenus::menuFiltreWithAndOperator()
{
    space_.userChangeFilterToAndOperation();
    updateFilterItems();
}

void ZEVDeskMenus::menuFiltreWithOrOperator()
{
    space_.userChangeFilterToOrOperation();
    updateFilterItems();
}


} // namespace tallomer
