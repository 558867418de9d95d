#pragma once
// The ruler bar's row of entity buttons, laid out narrow (image only, 30 points a button) or wide
// (image and title, 108 points), neighbours overlapping by one point. The bar keeps the row
// against its right end and switches the layout at its breakpoint.

#include "ruler/ZEVRulerStandIns.h"

#include <vector>

namespace tallomer {

class ZEVButton;

class ZEVContextView final : public ZEVContextViewStandIn {
public:
    static constexpr int kNarrowWidth = 30;
    static constexpr int kWideWidth = 108;
    static constexpr int kHeight = 23;

    explicit ZEVContextView(QWidget* parent = nullptr);
    void adjustMin() override;
    void adjustMax() override;
    // The buttons, in the row's order.
    std::vector<ZEVButton*> buttons() const;
    // The row's widths follow the number of buttons.
    void majWidths();

private:
    void placer(bool narrow);
};

} // namespace tallomer
