#pragma once
// The presets of the ruler bar (stamps 2000009 to 2000017, 2000009 being Home Time), read from
// the link base at the timeline cursor: each remembers one way of looking at time for the Now
// cursor (its context and the visible range), the Search cursor (a moment, its past and the range
// around it) or the ruler (the visible range alone), and brings it back with an animation. Every
// value is a dated link of its stamp: the first value holds for all time, a later change (above a
// thousandth of a second) from the timeline cursor's moment on, so presets keep their history.
// Main thread only.

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

    static constexpr KELId kHomeTime = 2000009;
    static constexpr KELId kLastPreset = 2000017;

    bool siPresetWithStampInt(KELId stamp) override { return kind(stamp) != Kind::None; }
    Kind kind(KELId stamp);
    QString imageNameWithStampInt(KELId stamp) override;
    std::optional<Saved> savePresetWithStampInt(KELId stamp, bool siSearch) override;
    void clearPresetWithStampInt(KELId stamp) override;
    void setPresetName(const std::string& name, KELId stamp) override;
    int stateOfNowPresetWithStampInt(KELId stamp) override;
    int stateOfSearchPresetWithStampInt(KELId stamp) override;
    int stateOfRulerPresetWithStampInt(KELId stamp) override;
    std::string nameWithStampInt(KELId stamp) override;
    // Animated over `duration` (0: at once) through the ruler viewer's move protocol; nothing moves
    // while another move runs. A Now preset answers whether anything differed.
    bool callPresetWithStampInt(KELId stamp, float duration) override;

private:
    // The child of the stamp's first link of the relation at the timeline cursor.
    KELI* valeur(KELId stamp, KELIElemRelation* relation);
    // Its number; 0 when there is none.
    double nombre(KELId stamp, KELIElemRelation* relation);
    // The Now cursor's date minus the Search cursor's while the Search cursor is active.
    double derive();
    // Prepares the ruler viewer to animate this cursor; false while another move runs.
    bool preparer(KELICurseur* curseur);
    // The stamp's first link of the relation at the timeline cursor.
    KELI* premierLien(KELId stamp, KELIElemRelation* relation);
    // Ends a link at t, but never before it began (the clock may have gone back).
    void fermer(KELI* lien, KELDate t);
    // The value rule: a new number valid for all time, or from t on when it changed.
    void ecrireNombre(KELI* stampLien, KELIElemRelation* relation, double valeur, KELDate t);
    // The kind link, always from t.
    void ecrireGenre(KELI* stampLien, KELI* elem, KELDate t);
    void replacerLesContextes();

    ZEVRulerViewer& viewer_;   // not owned
    ZEVSpaceController& space_; // not owned
    KELIElemRelation* curseur_ = nullptr; // links live for the run
    KELIElemRelation* curseurNow_ = nullptr;
    KELIElemRelation* curseurIn_ = nullptr;
    KELIElemRelation* curseurOut_ = nullptr;
    KELIElemRelation* rulerIn_ = nullptr;
    KELIElemRelation* rulerOut_ = nullptr;
    KELIElemRelation* name_ = nullptr;
    KELI* nombreModel_ = nullptr; // links live for the run
    KELI* motModel_ = nullptr;
};

} // namespace tallomer
