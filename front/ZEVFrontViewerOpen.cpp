// Open, Get Info and filter marking: the focused inspector or the topmost panel first, then the
// Object under the pointer or the current mode's selection on the active desk.

#include "front/ZEVFrontViewer.h"

#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontToolButtons.h"
#include "desk/model/ZEVItemClass.h"
#include "widgets/ZEVButton.h"

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <unordered_set>

namespace tallomer {

std::vector<ZEVInspectViewer*> ZEVFrontViewer::frontPanelViewers() const
{
    std::vector<std::pair<int, ZEVInspectViewer*>> shown;
    for (ZEVEntityViewer* v : space_.entityViewerSet()) {
        auto* iv = dynamic_cast<ZEVInspectViewer*>(v);
        ZEVInspectView* panel = iv ? iv->inspectViewIfBuilt() : nullptr;
        if (!panel || !panel->isVisible())
            continue;
        // Siblings later in their parent's list are drawn over the earlier ones.
        const int z = panel->parentWidget() ? int(panel->parentWidget()->children().indexOf(panel)) : 0;
        shown.emplace_back(z, iv);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<ZEVInspectViewer*> out;
    for (const auto& [z, iv] : shown)
        out.push_back(iv);
    return out;
}

std::vector<KELI*> ZEVFrontViewer::modeSelectionItems()
{
    ZEVSelections& sel = space_.selections();
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons: return sel.selectedIconItems();
    case ZEVFrontModeTitles: return sel.selectedTitleItems();
    case ZEVFrontModeFilters: return sel.selectedFilterItems();
    case ZEVFrontModeLinks: {
        // An Object at the end of several links is taken once.
        std::vector<KELI*> ends;
        std::unordered_set<KELI*> seen;
        for (ZEVLinkPair* l : sel.selectedLinks())
            for (KELI* o : {l->parentItem(), l->enfantItem()})
                if (o && seen.insert(o).second)
                    ends.push_back(o);
        return ends;
    }
    default: return {};
    }
}

void ZEVFrontViewer::userOpen()
{
    if (ZEVInspectViewer* iv = focusedInspectorFor({})) {
        iv->userOpen();
        return;
    }
    menuOpen();
}

void ZEVFrontViewer::menuAddDocuments()
{
    if (tools_)
        tools_->userAddDocuments();
}

void ZEVFrontViewer::buttonAddWithItem(KELI* item)
{
    if (tools_)
        tools_->userAddDocumentsWithItem(item);
}

void ZEVFrontViewer::menuOpen()
{
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!viewer)
        return;
    for (KELI* o : modeSelectionItems())
        viewer->userOpenItem(o, false);
}

bool ZEVFrontViewer::isFileObject(KELI* item)
{
    ZEVItemClass* items = space_.itemClassForCurseur(space_.actifCurseur());
    return items && items->itemTypeForItem(item).value_or(std::string()) == "file";
}

void ZEVFrontViewer::userGetInfo()
{
    for (ZEVInspectViewer* iv : frontPanelViewers())
        if (iv->userGetInfo())
            return;
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (ZEVItemViewForDesks* h = hoveredItemView()) {
        if (viewer) {
            // Only a file has information to show: a mail or a contact says so with a beep.
            if (!isFileObject(h->item()))
                Sound::shared().beep();
            viewer->userGetInfoForItem(h->item());
        }
        return;
    }
    buttonActionGetInfo();
}

void ZEVFrontViewer::buttonActionGetInfo()
{
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!viewer)
        return;
    bool anyFile = false;
    const std::vector<KELI*> items = modeSelectionItems();
    for (KELI* o : items) {
        anyFile = anyFile || isFileObject(o);
        viewer->userGetInfoForItem(o);
    }
    // Nothing of the mode to show (in Link mode, no link selected), or nothing but mail and
    // contacts: the command says so.
    if (!anyFile)
        Sound::shared().beep();
}

void ZEVFrontViewer::connectActionButtons()
{
    auto wire = [this](const char* name, auto action) {
        if (ZEVButton* b = toolbar_->button(QString::fromLatin1(name)))
            connect(b, &ZEVButton::clicked, this, [this, b, action] {
                action();
                b->setState(0);
            });
    };
    wire("btnActionGetInfo", [this] { buttonActionGetInfo(); });
    wire("btnActionFilter", [this] { filterMarking(true); });
    if (ZEVButton* b = toolbar_->button(QStringLiteral("btnActionToggleQL")))
        connect(b, &ZEVButton::clicked, this, [this] { buttonActionToggleQL(true); });
}

void ZEVFrontViewer::userFilter()
{
    for (ZEVInspectViewer* iv : frontPanelViewers())
        if (iv->userFilter())
            return;
    filterMarking(false);
}

void ZEVFrontViewer::filterMarking(bool fromButton)
{
    ZEVSelections& sel = space_.selections();
    // The Filter button ignores the Object under the pointer; the menu's command marks it alone.
    if (ZEVItemViewForDesks* h = fromButton ? nullptr : hoveredItemView()) {
        if (sel.isFilterSelectedForItem(h->item()))
            sel.deselectFilterForItem(h->item());
        else
            sel.selectFilterForItem(h->item());
        return;
    }
    // Nothing marked and nothing to mark: the command, offered by its key whatever the selection,
    // says so.
    const auto marquer = [&sel](const std::vector<KELI*>& items) {
        if (items.empty())
            Sound::shared().beep();
        else
            sel.selectFilterForItems(items);
    };
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
    case ZEVFrontModeTitles:
        if (!sel.selectedFilterItems().empty())
            sel.deselectAllFilters();
        else
            marquer(currentFrontMode_ == ZEVFrontModeIcons ? sel.selectedIconItems() : sel.selectedTitleItems());
        break;
    case ZEVFrontModeFilters:
        if (temporaryFrontMode_ != ZEVFrontModeNone) {
            menuModeFilter();
            Sound::shared().play(QStringLiteral("Pop"));
        }
        if (sel.selectedFilterItems().empty()) {
            marquer(sel.selectedIconItems());
            frontModeAfterFilterMode_ = ZEVFrontModeIcons;
        } else {
            sel.deselectAllFilters();
        }
        break;
    case ZEVFrontModeLinks:
        if (!sel.selectedFilterItems().empty())
            sel.deselectAllFilters();
        else
            marquer(sel.selectedNodeItemSet());
        break;
    default:
        break;
    }
}

} // namespace tallomer
