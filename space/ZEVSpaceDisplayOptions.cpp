#include "space/ZEVSpaceDisplayOptions.h"

#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

namespace {

// The keys whose changes the Space follows, in the order they are observed.
const char* const kObservedKeys[] = {
    "ZEVShowObjectAnimation",         "ZEVHideObjectTitle",
    "ZEVShowLinksForSelectedIcons",   "ZEVShowLinksForSelectedTitles",
    "ZEVShowLinksForSelectedFilters", "ZEVShowLinksForAllIcons",
    "ZEVShowLinksForAllTitles",       "ZEVShowLinksForAllNodes",
    "ZEVShowLinksForAllFilters",
};

struct GotoKey {
    const char* key;
    bool fallback;
    bool ZEVSpaceDisplayOptions::*flag;
};

} // namespace

ZEVSpaceDisplayOptions::~ZEVSpaceDisplayOptions() { oublierLesDefaults(); }

void ZEVSpaceDisplayOptions::oublierLesDefaults()
{
    for (DefaultsToken token : defaultsTokens_)
        space_.defaults().unobserve(token);
    defaultsTokens_.clear();
}

void ZEVSpaceDisplayOptions::lireLesDefaults()
{
    UserDefaultsController& defaults = space_.defaults();
    options_.siShowAnimation = defaults.values(QStringLiteral("ZEVShowObjectAnimation")).toBool();
    options_.siHideItemTitle = defaults.values(QStringLiteral("ZEVHideObjectTitle")).toBool();
    auto observer = [this](const QString& key, const QVariant& value) { observeValueForKey(key, value.toBool()); };
    for (const char* key : kObservedKeys)
        defaultsTokens_.push_back(defaults.observe(QString::fromLatin1(key), observer));

    const GotoKey gotoKeys[] = {
        {"ZEVGotoBackItemChanges", true, &ZEVSpaceDisplayOptions::siBackItemChanges_},
        {"ZEVGotoBackColorChanges", false, &ZEVSpaceDisplayOptions::siBackColorChanges_},
        {"ZEVGotoBackScaleChanges", false, &ZEVSpaceDisplayOptions::siBackScaleChanges_},
    };
    for (const GotoKey& g : gotoKeys) {
        const QString key = QString::fromLatin1(g.key);
        const QVariant v = defaults.values(key);
        if (v.isValid()) {
            this->*g.flag = v.toBool();
        } else {
            this->*g.flag = g.fallback;
            defaults.setValue(key, g.fallback);
        }
        defaultsTokens_.push_back(defaults.observe(key, observer));
    }
}

void ZEVSpaceDisplayOptions::observeValueForKey(const QString& key, bool value)
{
    const int mode = space_.frontMode();
    auto redraw = [this] {
        if (space_.frontViewer())
            space_.frontViewer()->displayFrontView();
    };
    // Within one mode, links for the selection and links for all exclude each other.
    struct Pair {
        const char* selected;
        const char* all;
        int mode;
    };
    static const Pair pairs[] = {
        {"ZEVShowLinksForSelectedIcons", "ZEVShowLinksForAllIcons", ZEVFrontModeIcons},
        {"ZEVShowLinksForSelectedTitles", "ZEVShowLinksForAllTitles", ZEVFrontModeTitles},
        {"ZEVShowLinksForSelectedFilters", "ZEVShowLinksForAllFilters", ZEVFrontModeFilters},
    };
    if (key == QLatin1String("ZEVShowObjectAnimation")) {
        options_.siShowAnimation = value;
    } else if (key == QLatin1String("ZEVHideObjectTitle")) {
        options_.siHideItemTitle = value;
        if (ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur()))
            desk->displayDeskView();
    } else if (key == QLatin1String("ZEVShowLinksForAllNodes")) {
        if (mode == ZEVFrontModeLinks) {
            options_.siShowLinksForAllObjects = value;
            options_.siShowLinksForSelections = !value;
            redraw();
        }
    } else if (key == QLatin1String("ZEVGotoBackItemChanges")) {
        siBackItemChanges_ = value;
    } else if (key == QLatin1String("ZEVGotoBackColorChanges")) {
        siBackColorChanges_ = value;
    } else if (key == QLatin1String("ZEVGotoBackScaleChanges")) {
        siBackScaleChanges_ = value;
    } else {
        for (const Pair& p : pairs) {
            const bool selected = key == QLatin1String(p.selected);
            if (!selected && key != QLatin1String(p.all))
                continue;
            if (value)
                space_.defaults().setValue(QString::fromLatin1(selected ? p.all : p.selected), false);
            if (mode == p.mode) {
                (selected ? options_.siShowLinksForSelections : options_.siShowLinksForAllObjects) = value;
                redraw();
            }
            break;
        }
    }
}

bool ZEVSpaceDisplayOptions::siHideItemTitleForItem(KELI* item, bool selectedFilter) const
{
    return options_.siHideItemTitleFor(item && space_.siSelections() && space_.selections().isTitleEditedForItem(item),
                                       selectedFilter);
}

void ZEVSpaceDisplayOptions::setSiFiltreANDOperation(bool andOperation)
{
    options_.siFiltreANDOperation = andOperation;
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->setSiFiltreANDOperation(andOperation);
    if (space_.frontViewer())
        space_.frontViewer()->filterOperationDidChange();
    // Both item viewers drop and take again every filter under the new rule.
    if (space_.siSelections() && !space_.selections().selectedFilterItems().empty()) {
        const std::vector<KELI*> filtres = space_.selections().selectedFilterItems();
        space_.selections().selectFilterForItems(filtres);
        if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur()))
            d->displayDeskView();
    }
}

} // namespace tallomer
