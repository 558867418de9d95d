#pragma once
// Where and how large an icon is drawn: x and y of the lower-left corner of its image and its size in desk-view points
// (y-up), and its angle, unconverted. The desk model converts to and from desk units.

namespace tallomer {

struct ZEVIconPosition {
    // A place read from the store keeps the numbers it was read from (desk units) beside the
    // points they gave. The points are rounded to whole ones: a place carried through them from
    // one desk or moment to another (a recall, a copy dropped on the other desk, a replace) would
    // creep by up to half a point's worth of units each time. A coordinate still at the points it
    // was read as goes back as its number; one that was changed is converted from its points.
    struct Stored {
        bool known = false;
        double x = 0;
        double y = 0;
        double size = 0;
        float numX = 0;
        float numY = 0;
        float numS = 0;
    };

    double x = 0;
    double y = 0;
    double size = 0;
    double angle = 0;
    Stored stored{};
};

} // namespace tallomer
