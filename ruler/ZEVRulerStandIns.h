#pragma once
// The stand-in for the part of the ruler that is not built yet: the ruler bar (the bar view will
// answer). It draws nothing; it keeps what it was last told and counts the rest, so that the
// viewer's protocol can be followed, at no cost that grows with time.

#include "ruler/ZEVRulerParts.h"

namespace tallomer {

class ZEVRulerViewbarStandIn final : public ZEVRulerViewbarServices {
public:
    explicit ZEVRulerViewbarStandIn(const QRectF& frame) : frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void initierDeplacementCurseur() override { ++initierCount; }
    void terminerDeplacementCurseur() override { ++terminerCount; }
    void majDatePicker() override { ++majDatePickerCount; }
    void majMenubarForCurseur(KELICurseur* curseur) override { menubarCurseur = curseur; }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void showRulerPickerPanel(bool shown) override { pickerPanelShown = shown; }
    // Without a bar there is no Ruler button to be on.
    bool stateOfRulerButton() override { return false; }
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
};

} // namespace tallomer
