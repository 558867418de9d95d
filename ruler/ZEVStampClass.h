#pragma once
// The presets of the ruler bar (stamps 2000009 to 2000017, 2000009 being Home Time), read from
// the link base at the timeline cursor: each remembers one way of looking at time for the Now
// cursor (its context and the visible range), the Search cursor (a moment, its past and the range
// around it) or the ruler (the visible range alone), and brings it back. Saving, clearing and
// renaming presets come with the ruler bar. Main thread only.

#include "space/ZEVSpaceParts.h"

#include <functional>
#include <optional>

class KELIElemRelation;

namespace tallomer {

class ZEVRulerViewer;
class ZEVSpaceController;

class ZEVStampClass final : public ZEVStampServices {
public:
    enum class Kind { None, Now, Search, Ruler, Other };

    // Neither is owned; both outlive the presets.
    ZEVStampClass(ZEVRulerViewer& viewer, ZEVSpaceController& space);

    bool siPresetWithStampInt(KELId stamp) { return kind(stamp) != Kind::None; }
    Kind kind(KELId stamp);
    int stateOfNowPresetWithStampInt(KELId stamp) override;
    int stateOfSearchPresetWithStampInt(KELId stamp) override;
    int stateOfRulerPresetWithStampInt(KELId stamp) override;
    std::string nameWithStampInt(KELId stamp) override;
    // The move is made at once through the ruler viewer's move protocol; nothing moves while
    // another move runs. The duration is the animation's, which the ruler viewer will run.
    bool callPresetWithStampInt(KELId stamp, float duration) override;

private:
    // The child of the stamp's first link of the relation at the timeline cursor.
    KELI* valeur(KELId stamp, KELIElemRelation* relation);
    // Its number; 0 when there is none.
    double nombre(KELId stamp, KELIElemRelation* relation);
    // The Now cursor's date minus the Search cursor's while the Search cursor is active.
    double derive();
    bool deplacer(KELICurseur* curseur, const std::function<void()>& placer);

    ZEVRulerViewer& viewer_;   // not owned
    ZEVSpaceController& space_; // not owned
    KELIElemRelation* curseur_ = nullptr; // links live for the run
    KELIElemRelation* curseurNow_ = nullptr;
    KELIElemRelation* curseurIn_ = nullptr;
    KELIElemRelation* curseurOut_ = nullptr;
    KELIElemRelation* rulerIn_ = nullptr;
    KELIElemRelation* rulerOut_ = nullptr;
    KELIElemRelation* name_ = nullptr;
};

} // namespace tallomer
