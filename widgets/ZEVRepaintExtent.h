#pragma once
// How much of a desk the places a change repaints cover together: when many views change at
// once over most of the desk, one paint of it all costs less than the region of their many
// places, and anywhere less the region spares the paint of the rest. Counted in tiles, so that a
// thousand overlapping places cost a thousand small fills, not a region built of them.

#include <QRectF>

#include <cstdint>
#include <vector>

namespace tallomer {

class ZEVRepaintExtent {
public:
    // The tiles of `area`, the whole desk in its scene's coordinates.
    explicit ZEVRepaintExtent(const QRectF& area);
    // A place repainted, in the same coordinates; what lies outside the area does not count.
    void add(const QRectF& place);
    // The share of the area the places touch, between 0 and 1 (to the tile).
    double share() const;
    // More than two thirds of it.
    bool mostOfTheArea() const { return share() > 2.0 / 3.0; }

    static constexpr double kTile = 16;

private:
    QRectF area_;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::uint8_t> touched_;
    long count_ = 0;
};

} // namespace tallomer
