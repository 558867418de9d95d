#pragma once
// How much of a desk the places a change repaints cover together: when many views change at
// once over most of the desk, one paint of it all costs less than the region of their many
// places, and anywhere less the region spares the paint of the rest. Counted in tiles, so that a
// thousand overlapping places cost a thousand small fills, not a region built of them; each tile
// keeps how many places touch it, so that a place that moves on is taken back and the extent
// follows many moving places without being built again.

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
    // Takes back a place added before, given as it was added.
    void remove(const QRectF& place);
    // The share of the area the places touch, between 0 and 1 (to the tile).
    double share() const;
    // More than two thirds of it.
    bool mostOfTheArea() const { return share() > 2.0 / 3.0; }
    const QRectF& area() const { return area_; }

    // How many places were added or taken back, by every extent of the run: the work of a frame
    // is checked by it.
    static std::uint64_t placesCounted() { return placesCounted_; }

    static constexpr double kTile = 16;

private:
    void count(const QRectF& place, bool add);

    QRectF area_;
    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::uint32_t> touched_;
    long count_ = 0;
    static inline std::uint64_t placesCounted_ = 0;
};

} // namespace tallomer
