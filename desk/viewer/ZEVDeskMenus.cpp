#include "desk/viewer/ZEVDeskMenus.h"

#include "engine/KELICurseur.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"

#include "space/ZEVSpaceWindow.h"

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

// Any mode outside 0 to 3 is none.
int ZEVNormalisedMode(int mode) { return mode >= 0 && mode <= 3 ? mode : 4; }

} // namespace

ZEVDeskMenus::ZEVDeskMenus(ZEVSpaceController& space) : space_(space), target_(space) { build(); }

ZEVDeskMenus::~ZEVDeskMenus() = default;

void ZEVDeskMenus::build()
{
    menuFrontView_ = std::make_unique<QMenu>();
    menuFrontView_->setObjectName(QStringLiteral("menuFrontView"));
    QMenu* m = menuFrontView_.get();
    ZEVSpaceController* s = &space_;
    for (int i = 0; i < 4; ++i) {
        tools_[i] = m->addAction(QString::fromUtf8(kTools[i].plain));
        tools_[i]->setCheckable(true);
        const int mode = kToolModes[i];
        connect(tools_[i], &QAction::triggered, this, [s, mode] {
            if (ZEVFrontViewerServices* f = s->frontViewer()) {
                if (mode == 0)
                    f->menuModeIcon();
                else if (mode == 1)
                    f->menuModeTitle();
                else if (mode == 2)
                    f->menuModeFilter();
                else
                    f->menuModeLink();
            }
        });
    }
    m->addSeparator();
    for (int i = 0; i < 3; ++i) {
        times_[i] = m->addAction(QString::fromUtf8(kTimes[i].plain));
        times_[i]->setCheckable(true);
    }
    // Now and Search make that cursor the active one; the Ruler display is the ruler bar's.
    connect(times_[0], &QAction::triggered, this, [s] {
        if (s->rulerViewer() && s->nowCurseur())
            s->rulerViewer()->userChangeActifCurseur(s->nowCurseur());
    });
    connect(times_[1], &QAction::triggered, this, [s] {
        if (s->rulerViewer() && s->searchCurseur())
            s->rulerViewer()->userChangeActifCurseur(s->searchCurseur());
    });
    m->addSeparator();
    for (int i = 0; i < 4; ++i) {
        entities_[i] = m->addAction(QString::fromUtf8(kEntities[i].plain));
        entities_[i]->setProperty("tag", qlonglong(kEntityIds[i]));
        const KELId entity = kEntityIds[i];
        connect(entities_[i], &QAction::triggered, this, [s, entity] {
            if (ZEVContextViewerServices* c = s->contextViewer())
                c->userSelectButton(entity);
        });
    }
    m->addSeparator();
    filtreAND_ = m->addAction(QStringLiteral("AND Filters"));
    filtreOR_ = m->addAction(QStringLiteral("OR Filters"));
    filtreAND_->setCheckable(true);
    filtreOR_->setCheckable(true);
    connect(filtreAND_, &QAction::triggered, this, [this] { menuFiltreWithAndOperator(); });
    connect(filtreOR_, &QAction::triggered, this, [this] { menuFiltreWithOrOperator(); });
    frontSpace_ = m->addAction(QStringLiteral("Keep in Front"));
    frontSpace_->setCheckable(true);
    connect(frontSpace_, &QAction::triggered, this, [s] { s->userToggleFrontSpace(); });
    presets_ = m->addMenu(QStringLiteral("Presets"));
    presets_->menuAction()->setProperty("tag", qlonglong(2000000));
    for (KELId stamp = 2000009; stamp <= 2000017; ++stamp) {
        QAction* p = presets_->addAction(stamp == 2000009 ? QStringLiteral("Home Time")
                                                          : QStringLiteral("Preset %1").arg(stamp - 2000008));
        p->setProperty("tag", qlonglong(stamp));
        connect(p, &QAction::triggered, this, [s, stamp] { s->userChangePresetWithStampInt(stamp); });
    }
    connect(m, &QMenu::hovered, this, [this](QAction* a) { updateTitles(a); });
    connect(m, &QMenu::aboutToShow, this, [this] { updateTitles(); });

    // The Space menu: back to Now, then the Spaces from index 1.
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
                              .arg(nowDesk ? QString::fromStdString(nowDesk->currentBackImageItemName()) : QString()));
    });
    spacePreview_ = std::make_unique<ZEVMenuPreview>(target_, ZEVMenuPreview::Kind::Spaces, 1, 25);
    spacePreview_->attach(menuSpace_.get());

    menuChannel_ = std::make_unique<QMenu>();
    menuChannel_->setObjectName(QStringLiteral("menuChannel"));
    channelPreview_ = std::make_unique<ZEVMenuPreview>(target_, ZEVMenuPreview::Kind::Channels, 0, 0, false);
    channelPreview_->attach(menuChannel_.get());
}

void ZEVDeskMenus::updateTitles(QAction* highlighted)
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    const int mode = front ? ZEVNormalisedMode(front->frontMode()) : 0;
    for (int i = 0; i < 4; ++i)
        tools_[i]->setText(QString::fromUtf8(
            tools_[i] == highlighted || kToolModes[i] == mode ? kTools[i].active : kTools[i].plain));
    KELICurseur* actif = space_.actifCurseur();
    const int activeTime = actif && actif == space_.nowCurseur() ? 0 : actif && actif == space_.searchCurseur() ? 1 : -1;
    for (int i = 0; i < 3; ++i) {
        const bool highlightedHere = std::find(std::begin(times_), std::end(times_), highlighted) != std::end(times_);
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
    const int mode = front ? ZEVNormalisedMode(front->frontMode()) : 0;
    for (int i = 0; i < 4; ++i) {
        tools_[i]->setChecked(kToolModes[i] == mode);
        // The tools are the front layer's.
        const char* commands[4] = {"menuModeIcon", "menuModeTitle", "menuModeLink", "menuModeFilter"};
        tools_[i]->setEnabled(front && front->handlesCommand(commands[i]));
    }
    KELICurseur* actif = space_.actifCurseur();
    times_[0]->setChecked(actif && actif == space_.nowCurseur());
    times_[1]->setChecked(actif && actif == space_.searchCurseur());
    times_[0]->setEnabled(space_.rulerViewer() != nullptr);
    times_[1]->setEnabled(space_.rulerViewer() != nullptr);
    times_[2]->setEnabled(false);
    ZEVContextViewerServices* context = space_.contextViewer();
    for (int i = 0; i < 4; ++i) {
        entities_[i]->setCheckable(true);
        entities_[i]->setChecked(context && context->isShowedEntityWithInt(kEntityIds[i]));
        entities_[i]->setEnabled(context != nullptr);
    }
    updateFilterItems();
    const bool full = space_.spaceWindow() && space_.spaceWindow()->isFullScreen();
    frontSpace_->setChecked(space_.siFrontSpace());
    frontSpace_->setVisible(!full);
    // The presets: Home always, the others once stored.
    ZEVStampServices* stamps = space_.rulerViewer() ? space_.rulerViewer()->stampClass() : nullptr;
    for (QAction* p : presets_->actions()) {
        const KELId stamp = KELId(p->property("tag").toLongLong());
        const std::string name = stamps && stamp != 2000009 ? stamps->nameWithStampInt(stamp) : std::string();
        p->setEnabled(stamp == 2000009 || !name.empty());
        if (!name.empty())
            p->setText(QString::fromStdString(name));
    }
    updateTitles();
    return menuFrontView_.get();
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
