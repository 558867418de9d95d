#pragma once
// The stand-in for the part of another subsystem the ruler bar holds before it is built: the row of
// entity buttons (the inspector framework will fill it). It does the least the bar needs.

#include "ruler/ZEVRulerParts.h"

#include <QWidget>

namespace tallomer {

// The entity-button row at the right end of the bar: laid out wide (image and title) or narrow
// (image only) at the bar's widest breakpoint. Until the inspector framework gives it buttons it
// is empty, and both widths are 0.
class ZEVContextViewStandIn : public QWidget {
public:
    explicit ZEVContextViewStandIn(QWidget* parent = nullptr);
    virtual void adjustMin();
    virtual void adjustMax();
    bool siNarrow() const { return siNarrow_; }
    // The row's width in each layout (the buttons' makers set them).
    void setWidths(int wide, int narrow);

private:
    void appliquer();

    bool siNarrow_ = false;
    int wide_ = 0;
    int narrow_ = 0;
};

} // namespace tallomer
