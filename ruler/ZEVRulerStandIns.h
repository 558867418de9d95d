#pragma once
// The stand-in for the part of the ruler that is not built yet: the ruler bar (the bar view will
// answer). It draws nothing; it keeps what it was last told and counts the rest, so that the
// viewer's protocol can be followed, at no cost that grows with time. Of its commands it does the
// least the cursor views need: the Search command without a sender.

#include "ruler/ZEVRulerParts.h"

namespace tallomer {

class ZEVRulerViewbarStandIn final : public ZEVRulerViewbarServices {
public:
    // `viewer` is not owned and outlives the bar.
    ZEVRulerViewbarStandIn(const QRectF& frame, ZEVRulerViewer& viewer) : frame_(frame), viewer_(viewer) {}
    QRectF frame() const override { return frame_; }
    void initierDeplacementCurseur() override { ++initierCount; }
    void terminerDeplacementCurseur() override
    {
        ++terminerCount;
        clickPosition = 10;
    }
    void majDatePicker() override { ++majDatePickerCount; }
    void majMenubarForCurseur(KELICurseur* curseur) override { menubarCurseur = curseur; }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void showRulerPickerPanel(bool shown) override { pickerPanelShown = shown; }
    // Without a bar there is no Ruler button to be on.
    bool stateOfRulerButton() override { return false; }
    void menuSearchCurseur() override;

    // The user default that keeps the timeline closed when the Search cursor is chosen.
    static constexpr const char* kHideRulerWhenSearchKey = "ZEVHideRulerWhenSearch";
    void showPresetTitleWithTag(KELId stamp, float) override { presetTitleShown = stamp; }

    long initierCount = 0;
    long terminerCount = 0;
    long majDatePickerCount = 0;
    KELICurseur* menubarCurseur = nullptr; // not owned
    int clickPosition = 10;
    bool pickerPanelShown = false;
    KELId presetTitleShown = 0;

private:
    QRectF frame_;
    ZEVRulerViewer& viewer_; // not owned
};

} // namespace tallomer
