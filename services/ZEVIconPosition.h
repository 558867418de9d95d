#pragma once
// Where and how large an icon is drawn: x and y of the lower-left corner of its image and its size in desk-view points
// (y-up), and its angle, unconverted. The desk model converts to and from desk units.

namespace tallomer {

struct ZEVIconPosition {
    double x = 0;
    double y = 0;
    double size = 0;
    double angle = 0;
};

} // namespace tallomer
