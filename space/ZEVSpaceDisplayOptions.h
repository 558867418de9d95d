#pragma once
// The display options of the desks, read from the user defaults and following their changes:
// animation, hidden titles, which Links are drawn in each front mode, the filter combination, and
// which background changes the step keys stop at.

#include "platform/UserDefaults.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <QString>

#include <vector>

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceDisplayOptions {
public:
    explicit ZEVSpaceDisplayOptions(ZEVSpaceController& space) : space_(space) {}
    ~ZEVSpaceDisplayOptions();
    ZEVSpaceDisplayOptions(const ZEVSpaceDisplayOptions&) = delete;
    ZEVSpaceDisplayOptions& operator=(const ZEVSpaceDisplayOptions&) = delete;

    // Reads the options and starts following the keys; a step key without a value gets its
    // default written.
    void lireLesDefaults();
    // Stops following the keys.
    void oublierLesDefaults();
    const ZEVDeskDisplayOptions& displayOptions() const { return options_; }
    bool siHideItemTitleForItem(KELI* item, bool selectedFilter) const;
    void setSiShowLinksForAllObjects(bool v) { options_.siShowLinksForAllObjects = v; }
    void setSiShowLinksForSelections(bool v) { options_.siShowLinksForSelections = v; }
    void setSiFiltreANDOperation(bool andOperation);
    bool siBackItemChanges() const { return siBackItemChanges_; }
    bool siBackColorChanges() const { return siBackColorChanges_; }
    bool siBackScaleChanges() const { return siBackScaleChanges_; }

private:
    void observeValueForKey(const QString& key, bool value);

    ZEVSpaceController& space_;
    ZEVDeskDisplayOptions options_;
    bool siBackItemChanges_ = true;
    bool siBackColorChanges_ = false;
    bool siBackScaleChanges_ = false;
    std::vector<DefaultsToken> defaultsTokens_;
};

} // namespace tallomer
