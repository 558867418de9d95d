// The toolbar's Find menu and its own context menu, the presets of the Calendar menu, the earlier
// Spaces of the Clean menu, the Now desk's background on the Spaces and Clean menus, and the four
// mode buttons' tool menus, each set for the mode and the selections as it opens.

#include "front/ZEVFrontToolButtons.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVNowThumbnail.h"
#include "engine/KELLien.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "services/ZEVInspectorServices.h"
#include "platform/MenuText.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVMenuPreview.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace tallomer {

namespace {

constexpr KELId kNowTag = 2000009;
constexpr KELId kChannelsEntity = 2000194;

QAction* addEntry(QMenu* menu, const QString& title, long tag, std::function<void()> fn)
{
    QAction* a = menu->addAction(title);
    a->setProperty("tag", qlonglong(tag));
    QObject::connect(a, &QAction::triggered, menu, [fn = std::move(fn)] { fn(); });
    return a;
}

QAction* entry(QMenu* menu, long tag)
{
    if (menu)
        for (QAction* a : menu->actions())
            if (a->property("tag").toLongLong() == tag)
                return a;
    return nullptr;
}

} // namespace

void ZEVFrontToolButtons::buildMoreMenus()
{
    QMenu* find = makeMenu(Menu::Find, "menuBtnFind");
    addEntry(find, tr("Find Objects"), 22000, [this] { front_.menuInspectFind(); });
    addEntry(find, tr("Find Spaces"), 22010, [this] { front_.menuFindSpaces(); });
    find->addSeparator();
    addEntry(find, tr("Find Objects Held by Tallomer"), 22001, [this] { front_.menuFindZevHeld(); });
    addEntry(find, tr("Find Objects in the Tallomer Folder"), 22004, [this] { front_.menuFindZevFolderHeld(); });
    addEntry(find, tr("Find Objects Held by the System"), 22002, [this] { front_.menuFindMacHeld(); });
    addEntry(find, tr("Find Objects Held Elsewhere"), 22003, [this] { front_.menuFindExtHeld(); });
    find->addSeparator();
    addEntry(find, tr("Find Files"), 22020, [this] { front_.menuFindFiles(); });
    addEntry(find, tr("Find Contacts"), 22021, [this] { front_.menuFindPersons(); });
    addEntry(find, tr("Find Emails"), 22022, [this] { front_.menuFindEmails(); });
    addEntry(find, tr("Find Web Links"), 22023, [this] { front_.menuFindBookmarks(); });
    find->addSeparator();
    addEntry(find, tr("Find in Channels"), 22030, [this] { front_.userFindInChannels(); });
    addEntry(find, tr("Find Text in Channels"), 22031, [this] { front_.userFindTextInChannels(); });

    // The header views' switches, then the Channels from index 4.
    QMenu* bar = makeMenu(Menu::Toolbar, "menuFrontToolbar");
    addEntry(bar, tr("Time Bar"), 2, [this] { front_.userToggleTimebar(); })->setCheckable(true);
    addEntry(bar, tr("Timeline"), 3, [this] { front_.userToggleTline(); })->setCheckable(true);
    addEntry(bar, tr("Toolbar"), 5, [this] { front_.userToggleToolbar(); })->setCheckable(true);
    bar->addSeparator();
    bar->addSeparator();
    addEntry(bar, tr("Channels Inspector"), long(kChannelsEntity), [this] {
        if (ZEVContextViewerServices* c = space_.contextViewer()) {
            if (c->isShowedEntityWithInt(kChannelsEntity))
                c->fermerEntityWithInt(kChannelsEntity);
            else
                c->ouvrirEntityWithInt(kChannelsEntity);
        }
    })->setCheckable(true);
    toolbarPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::ToolbarChannels, 4, 0, false);
    toolbarPreview_->attach(bar);

    // The presets, titled and enabled by the application as the menu opens; the action names let
    // its filler judge them as it judges the main menu's.
    QMenu* calendar = menu(Menu::Calendar);
    calendar->addSeparator();
    QAction* homePreset = addEntry(calendar, tr("Home Time"), long(kNowTag), [this] { space_.userChangePresetHome(); });
    homePreset->setProperty("action", QStringLiteral("menuPresetHome:"));
    for (KELId stamp = kNowTag + 1; stamp <= kNowTag + 8; ++stamp) {
        QAction* a = addEntry(calendar, tr("Preset %1").arg(stamp - kNowTag + 1), long(stamp),
                              [this, stamp] { space_.userChangePresetWithStampInt(stamp); });
        a->setProperty("action", QStringLiteral("menuPreset:"));
    }

    // The earlier Spaces, from index 5: hovered, the desk shows one; chosen, it replaces the desk.
    QMenu* clean = menu(Menu::Clean);
    clean->addSeparator();
    cleanPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::CleanSpaces, 5, 25);
    cleanPreview_->attach(clean);
}

void ZEVFrontToolButtons::willOpenMore(Menu m)
{
    QMenu* menu = this->menu(m);
    switch (m) {
    case Menu::Find: {
        setState("searchButton", 1);
        const auto items = space_.selections().selectedItemsForFrontMode();
        const bool any = items && !items->empty();
        entry(menu, 22030)->setEnabled(any);
        entry(menu, 22031)->setEnabled(any);
        entry(menu, 22000)->setText(front_.frontMode() == ZEVFrontModeLinks ? tr("Find linked Objects")
                                                                             : tr("Find Objects"));
        if (appFillers_.findImages)
            appFillers_.findImages(menu);
        break;
    }
    case Menu::Toolbar: {
        entry(menu, 2)->setChecked(!front_.siTimebarClosed());
        entry(menu, 3)->setChecked(!front_.siTlineClosed());
        entry(menu, 5)->setChecked(!front_.siToolbarClosed());
        ZEVContextViewerServices* c = space_.contextViewer();
        entry(menu, long(kChannelsEntity))->setChecked(c && c->isShowedEntityWithInt(kChannelsEntity));
        break;
    }
    default:
        break;
    }
}

void ZEVFrontToolButtons::didCloseMore(Menu m)
{
    if (m == Menu::Find)
        setState("searchButton", 0);
}

void ZEVFrontToolButtons::majNowEntries(Menu m)
{
    ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(space_.nowCurseur());
    const QIcon thumbnail = ZEVNowBackThumbnail(space_);
    if (m == Menu::GotoSpace) {
        if (QAction* now = entry(menu(m), long(kNowTag))) {
            const QString name = nowDesk ? QString::fromStdString(nowDesk->currentBackImageItemName()) : QString();
            now->setText(QStringLiteral("Now  --  %1").arg(menuText(name)));
            now->setIcon(thumbnail);
        }
    } else if (m == Menu::Clean) {
        if (QAction* replace = entry(menu(m), 43))
            replace->setIcon(thumbnail);
    }
}

void ZEVFrontToolButtons::btnInspectFind(ZEVButton*)
{
    // A long press ran the button's own command already (pressed() asks the button once).
    // The list's search field goes first, so that the menu's Find Objects shows it again.
    ZEVTableView* list = front_.selectionTableView();
    QLineEdit* field = list && list->typeSelect() ? list->typeSelect()->field() : nullptr;
    if (field && field->isVisible())
        front_.menuInspectFind();
    popUpMenu(Menu::Find);
}

// ---- the front viewer's finds and tool menus ------------------------------------------------------

void ZEVFrontViewer::menuFindSpaces()
{
    auto* channels = dynamic_cast<ZEVInspectViewer*>(space_.channelViewer());
    if (!channels || !channels->siShowInspectView())
        if (ZEVContextViewerServices* c = space_.contextViewer())
            c->ouvrirEntityWithInt(kChannelsEntity);
    if (auto* shown = dynamic_cast<ZEVInspectViewer*>(space_.channelViewer()))
        shown->menuInspectFind();
}

namespace {

// The selection a mode keeps: Icon, Title, Filter, Link (nodes).
bool selectionOfMode(ZEVSelections& s, int mode)
{
    switch (mode) {
    case ZEVFrontModeIcons:
        return !s.selectedIconItems().empty();
    case ZEVFrontModeTitles:
        return !s.selectedTitleItems().empty();
    case ZEVFrontModeFilters:
        return !s.selectedFilterItems().empty();
    case ZEVFrontModeLinks:
        return !s.selectedNodeItemSet().empty();
    default:
        return false;
    }
}

QAction* toolEntry(QMenu* menu, const char* name)
{
    if (menu)
        for (QAction* a : menu->actions())
            if (a->property("toolEntry").toString() == QLatin1String(name))
                return a;
    return nullptr;
}

} // namespace

ZEVFrontViewer::ToolMenuLook ZEVFrontViewer::toolMenuLook(int tool, int mode, const std::array<bool, 4>& selections,
                                                          bool links)
{
    ToolMenuLook look;
    look.toolChecked = mode == tool;
    // The Icon tool is chosen again only from another mode.
    look.toolEnabled = tool != ZEVFrontModeIcons || mode != tool;
    look.copyOn = look.andOn = look.orOn = mode != tool;
    const bool own = tool >= 0 && tool < 4 && selections[std::size_t(tool)];
    look.deselectOn = tool == ZEVFrontModeLinks ? own || links : own;
    // The entries carry the current mode's selection over into this tool's: their titles say
    // which.
    static const std::array<std::array<const char*, 3>, 4> byMode = {{
        {"Copy Icon Selections", "And Icon Selections", "Or Icon Selections"},
        {"Copy Title Selections", "And Title Selections", "Or Title Selections"},
        {"Copy Filtered Objects", "And Filtered Objects", "Or Filtered Objects"},
        {"Copy Node Selections", "And Node Selections", "Or Node Selections"},
    }};
    if (mode == tool) {
        look.copy = tr("Copy Selections");
        look.et = tr("And Selections");
        look.ou = tr("Or Selections");
    } else if (mode >= 0 && mode < 4) {
        look.copy = tr(byMode[std::size_t(mode)][0]);
        look.et = tr(byMode[std::size_t(mode)][1]);
        look.ou = tr(byMode[std::size_t(mode)][2]);
        look.andOn = look.orOn = selections[std::size_t(mode)];
    }
    return look;
}

void ZEVFrontViewer::toolMenuWillOpen(int tool)
{
    QMenu* menu = toolMenu(tool);
    if (!menu)
        return;
    ZEVSelections& s = space_.selections();
    const int mode = currentFrontMode_;
    QAction* toolItem = toolEntry(menu, "tool");
    toolItem->setCheckable(true);
    toolItem->setChecked(mode == tool);
    ZEVButton* b = modeButton(tool);
    if (tool == ZEVFrontModeFilters) {
        toolEntry(menu, "icons")->setEnabled(!s.selectedIconItems().empty());
        toolEntry(menu, "titles")->setEnabled(!s.selectedTitleItems().empty());
        toolEntry(menu, "nodes")->setEnabled(!s.selectedNodeItemSet().empty());
        toolEntry(menu, "deselect")->setEnabled(!s.selectedFilterItems().empty());
        if (b && mode != tool)
            b->setState(-1);
        return;
    }
    const std::array<bool, 4> selections = {selectionOfMode(s, ZEVFrontModeIcons), selectionOfMode(s, ZEVFrontModeTitles),
                                            selectionOfMode(s, ZEVFrontModeFilters), selectionOfMode(s, ZEVFrontModeLinks)};
    const ToolMenuLook look = toolMenuLook(tool, mode, selections, !s.selectedLinks().empty());
    toolItem->setEnabled(look.toolEnabled);
    struct Entry {
        const char* name;
        const QString& title;
        bool on;
    };
    for (const Entry& e : {Entry{"copy", look.copy, look.copyOn}, Entry{"and", look.et, look.andOn},
                           Entry{"or", look.ou, look.orOn}, Entry{"deselect", QString(), look.deselectOn}}) {
        QAction* a = toolEntry(menu, e.name);
        if (!e.title.isNull())
            a->setText(e.title);
        a->setEnabled(e.on);
    }
    if (b) {
        if (tool == ZEVFrontModeIcons)
            b->setState(mode == tool ? 1 : -1);
        else if (mode != tool)
            b->setState(-1);
    }
}

void ZEVFrontViewer::toolMenuDidClose(int tool)
{
    if (ZEVButton* b = modeButton(tool))
        b->setState(currentFrontMode_ == tool ? 1 : 0);
    if (ZEVTableView* t = selectionTableView())
        t->disableRightSelectedRow();
}

} // namespace tallomer
