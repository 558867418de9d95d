#include "front/ZEVFrontViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "look/KELSharedResources.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QSignalBlocker>

#include <array>

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// Mode buttons and tool menus

void ZEVFrontViewer::buildModeButtons()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    static const char* const titres[4] = {"Icons", "Titles", "Filters", "Links"};
    const KELSharedResources& r = space_.host().sharedResources();
    // The title is a count, and blank for a mode with nothing selected: the mode's badge tells the
    // four buttons apart.
    const QPixmap* badges[4] = {&r.iconImage(), &r.titleImage(), &r.filterImage(), &r.linkImage()};
    for (int m = 0; m < 4; ++m) {
        auto* b = new ZEVButton(w->spaceView());
        b->setObjectName(QStringLiteral("btnMode%1").arg(QLatin1String(titres[m])));
        b->setIcon(QIcon(*badges[m]));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setText(tr(titres[m]));
        b->setToolTip(tr(titres[m]));
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setGeometry(8 + m * 64, 0, 60, 22);
        // A long press, or a drag resting on the button, switches the mode; a short press pops
        // the tool menu up.
        b->setCliqueTarget(this, [this, m](ZEVButton*) {
            modeSwitch(m, true);
            // A long press puts the pressed button back as it was 0.3 s later; the buttons then
            // show the mode in force again.
            Scheduler::shared().perform(this, "_majModeButtons", ZEVButton::kGotoPreviousDelay + 0.05, [this] {
                if (temporaryFrontMode_ != ZEVFrontModeNone)
                    setModeButtons(temporaryFrontMode_, previousFrontMode_);
                else
                    setModeButtons(currentFrontMode_);
            });
        });
        connect(b, &ZEVButton::clicked, this, [this, b, m] {
            if (!b->siClickLong())
                popToolMenu(m);
        });
        modeButtons_[m] = b;
    }
    w->spaceView()->installEventFilter(this);
    // Its full-screen changes, whoever asks them: the menu bar then lies over the stack or not.
    w->installEventFilter(this);
}

bool ZEVFrontViewer::eventFilter(QObject* watched, QEvent* event)
{
    // A new size of the window lays the stack out again.
    if (event->type() == QEvent::Resize && layout_ && watched == contentView())
        layout_->relayout();
    if (event->type() == QEvent::WindowStateChange && layout_ && watched == space_.spaceWindow())
        fullScreenStateDidChange();
    return QObject::eventFilter(watched, event);
}

void ZEVFrontViewer::buildToolMenus()
{
    auto ajoute = [this](QMenu* m, const QString& titre, void (ZEVFrontViewer::*fn)()) {
        QAction* a = m->addAction(titre);
        connect(a, &QAction::triggered, this, [this, fn] { (this->*fn)(); });
        return a;
    };
    struct Outils {
        const char* titre;
        void (ZEVFrontViewer::*copy)();
        void (ZEVFrontViewer::*et)();
        void (ZEVFrontViewer::*ou)();
        void (ZEVFrontViewer::*deselect)();
    };
    const Outils outils[4] = {
        {"Icons", &ZEVFrontViewer::menuIconCopy, &ZEVFrontViewer::menuIconAnd, &ZEVFrontViewer::menuIconOr,
         &ZEVFrontViewer::menuIconDeselect},
        {"Titles", &ZEVFrontViewer::menuTitleCopy, &ZEVFrontViewer::menuTitleAnd, &ZEVFrontViewer::menuTitleOr,
         &ZEVFrontViewer::menuTitleDeselect},
        {"Filters", nullptr, nullptr, nullptr, &ZEVFrontViewer::menuFilterDeselect},
        {"Links", &ZEVFrontViewer::menuLinkCopy, &ZEVFrontViewer::menuLinkAnd, &ZEVFrontViewer::menuLinkOr,
         &ZEVFrontViewer::menuLinkDeselect},
    };
    static void (ZEVFrontViewer::*const modes[4])() = {&ZEVFrontViewer::menuModeIcon, &ZEVFrontViewer::menuModeTitle,
                                                       &ZEVFrontViewer::menuModeFilter, &ZEVFrontViewer::menuModeLink};
    for (int m = 0; m < 4; ++m) {
        auto menu = std::make_unique<QMenu>();
        menu->setObjectName(QStringLiteral("menu%1").arg(QLatin1String(outils[m].titre)));
        ajoute(menu.get(), tr("%1 Tool").arg(tr(outils[m].titre)), modes[m])->setProperty("toolEntry", "tool");
        menu->addSeparator();
        if (m == ZEVFrontModeFilters) {
            ajoute(menu.get(), tr("Icons"), &ZEVFrontViewer::menuFilterIcons)->setProperty("toolEntry", "icons");
            ajoute(menu.get(), tr("Titles"), &ZEVFrontViewer::menuFilterTitles)->setProperty("toolEntry", "titles");
            ajoute(menu.get(), tr("Nodes"), &ZEVFrontViewer::menuFilterNodes)->setProperty("toolEntry", "nodes");
        } else {
            ajoute(menu.get(), tr("Copy"), outils[m].copy)->setProperty("toolEntry", "copy");
            ajoute(menu.get(), tr("And"), outils[m].et)->setProperty("toolEntry", "and");
            ajoute(menu.get(), tr("Or"), outils[m].ou)->setProperty("toolEntry", "or");
        }
        ajoute(menu.get(), tr("Deselect"), outils[m].deselect)->setProperty("toolEntry", "deselect");
        connect(menu.get(), &QMenu::aboutToShow, this, [this, m] { toolMenuWillOpen(m); });
        connect(menu.get(), &QMenu::aboutToHide, this, [this, m] { toolMenuDidClose(m); });
        menu->addSeparator();
        // The items start from what the Space shows.
        const ZEVDeskDisplayOptions& montre = space_.displayOptions();
        QAction* all = menu->addAction(tr("Show Links for All Objects"));
        all->setCheckable(true);
        all->setChecked(montre.siShowLinksForAllObjects);
        connect(all, &QAction::toggled, this, [this] { majSiShowLinksForCurrentMode(); });
        showAllItems_[m] = all;
        if (m != ZEVFrontModeLinks) {
            QAction* sel = menu->addAction(tr("Show Links for Selections"));
            sel->setCheckable(true);
            sel->setChecked(montre.siShowLinksForSelections);
            connect(sel, &QAction::toggled, this, [this] { majSiShowLinksForCurrentMode(); });
            showSelectionItems_[m] = sel;
        }
        toolMenus_[m] = std::move(menu);
    }
}

void ZEVFrontViewer::bindShowLinksItems()
{
    if (!defaults_)
        return;
    // Per mode: the key of the item that shows links for all Objects, then of the one for the
    // selections (the Link menu has none).
    static const std::array<std::array<const char*, 2>, 4> cles = {{
        {"ZEVShowLinksForAllIcons", "ZEVShowLinksForSelectedIcons"},
        {"ZEVShowLinksForAllTitles", "ZEVShowLinksForSelectedTitles"},
        {"ZEVShowLinksForAllFilters", "ZEVShowLinksForSelectedFilters"},
        {"ZEVShowLinksForAllNodes", nullptr},
    }};
    for (std::size_t m = 0; m < cles.size(); ++m)
        for (std::size_t i = 0; i < 2; ++i) {
            QAction* item = i == 0 ? showAllItems_[m] : showSelectionItems_[m];
            if (!item || !cles[m][i])
                continue;
            const QString key = QString::fromLatin1(cles[m][i]);
            // An item that kept its old state while the key changed would show a lie, and the next
            // mode switch would give the Space its old state back: links the step back hid came
            // back, or, never hidden since the key already said so, kept the step back at them.
            auto montrer = [item](bool on) {
                const QSignalBlocker quiet(item);
                item->setChecked(on);
            };
            montrer(defaults_->values(key).toBool());
            tokens_.push_back(defaults_->observe(key, [montrer](const QString&, const QVariant& v) { montrer(v.toBool()); }));
            connect(item, &QAction::toggled, this, [this, key](bool on) { defaults_->setValue(key, on); });
        }
}

QMenu* ZEVFrontViewer::toolMenu(int mode) const
{
    return mode >= 0 && mode < 4 ? toolMenus_[mode].get() : nullptr;
}

ZEVButton* ZEVFrontViewer::modeButton(int mode) const { return mode >= 0 && mode < 4 ? modeButtons_[mode].data() : nullptr; }

int ZEVFrontViewer::modeButtonState(int mode) const
{
    ZEVButton* b = modeButton(mode);
    return b ? b->state() : 0;
}

void ZEVFrontViewer::popToolMenu(int mode)
{
    QMenu* m = toolMenu(mode);
    ZEVButton* b = modeButton(mode);
    if (m && b)
        m->popup(b->mapToGlobal(QPoint(0, b->height())));
}

void ZEVFrontViewer::setModeButtons(int on, int mixed)
{
    for (int m = 0; m < 4; ++m)
        if (ZEVButton* b = modeButtons_[m])
            b->setState(m == on ? 1 : m == mixed ? -1 : 0);
}

void ZEVFrontViewer::majSiShowLinksForCurrentMode()
{
    const int m = currentFrontMode_;
    if (m >= 0 && m < 4 && showAllItems_[m]) {
        const bool all = showAllItems_[m]->isChecked();
        space_.setSiShowLinksForAllObjects(all);
        space_.setSiShowLinksForSelections(m == ZEVFrontModeLinks ? !all
                                                                   : showSelectionItems_[m]->isChecked());
    }
    displayFrontView();
}

// ---------------------------------------------------------------------------------------------
// Mode switch

void ZEVFrontViewer::modeSwitch(int mode, bool withSender)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    ZEVSelections& s = space_.selections();
    // The toolbar opens with a mode; Icon mode again with nothing selected closes the stack.
    if (siToolbarClosed())
        layout_->request(-1, -1, -1, 1);
    else if (mode == ZEVFrontModeIcons && currentFrontMode_ == ZEVFrontModeIcons && nbOfIcons_ == 0 &&
             nbOfTitles_ == 0 && nbOfFilters_ == 0 && nbOfLinks_ == 0)
        layout_->request(0, 0, 0, 0);
    if (currentFrontMode_ != mode) {
        siFrontModeDidChange_ = true;
        Sound::shared().play(QStringLiteral("Pop"));
    } else if (desk) {
        switch (mode) {
        case ZEVFrontModeIcons:
            desk->flickItemSet(s.selectedIconItems());
            break;
        case ZEVFrontModeTitles:
            desk->flickItemSet(s.selectedTitleItems());
            break;
        case ZEVFrontModeFilters:
            if (withSender)
                desk->flickItemSet(s.selectedFilterItems());
            break;
        default:
            desk->flickItemSet(s.selectedNodeItemSet());
            break;
        }
    }
    if (temporaryFrontMode_ != ZEVFrontModeNone) {
        // The mode stays while a modifier holds it: only the asked button lights.
        if (ZEVButton* b = modeButton(mode))
            b->setState(1);
        return;
    }
    currentFrontMode_ = mode;
    majSiShowLinksForCurrentMode();
    if (mode != ZEVFrontModeFilters)
        frontModeAfterFilterMode_ = mode;
    setModeButtons(mode);
    updateViewbarModes();
    updateToolbarButtons();
    space_.majWindowTitle();
    selectionRefresh(mode);
}

} // namespace tallomer
