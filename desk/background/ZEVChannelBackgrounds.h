#pragma once
// The background of each Channel through time, read at a cursor: the image Object, the colour
// item and the scale word, each the child of the Channel's first link of its relation at that
// cursor, and whether the Channel is listed in the Space at all. Also the list of Channels and the
// colour of a colour item. Reads only; the desk viewer writes.

#include "engine/KELTypes.h"

#include <QColor>

#include <vector>

class KELI;
class KELICc;
class KELICurseur;
class KELIElemRelation;

namespace tallomer {

inline constexpr KELId kZEVRelationChannel = 1000067;
inline constexpr KELId kZEVRelationBackItem = 1000172;
inline constexpr KELId kZEVRelationBackColor = 1000227;
inline constexpr KELId kZEVRelationBackScale = 1000232;
inline constexpr KELId kZEVRelationImageColor = 1000257;
inline constexpr KELId kZEVChannelRoot = 2000001;
inline constexpr KELId kZEVDefaultColorItem = 2000088;

class ZEVChannelBackgrounds {
public:
    // Fetches the relations at `timeline` and wakes them on `curseur` (neither owned).
    ZEVChannelBackgrounds(KELICurseur* curseur, KELICurseur* timeline);

    bool valide() const { return channel_ && backItem_ && backColor_ && backScale_; }
    KELIElemRelation* relation(KELId id) const;

    // A link of 1000067 to the Channel is active at the cursor.
    bool siChannelActif(KELI* channel) const;
    // The Channel's first link of the relation at the cursor; nullptr when none.
    KELI* premierLien(KELId relation, KELI* channel) const;
    // Its child at the cursor; nullptr when none.
    KELI* enfantDuPremierLien(KELId relation, KELI* channel) const;
    KELI* backItemForChannel(KELI* channel) const;
    KELI* backColorItemForChannel(KELI* channel) const;
    KELI* backScaleMotForChannel(KELI* channel) const;

    // The Channels listed in the Space at the cursor, by id.
    std::vector<KELI*> timeLineItems() const;

    // The colour item's red, green and blue numbers (0-255) at the cursor; dark grey without them.
    QColor colorForColorItem(KELI* colorItem) const;

private:
    KELICurseur* curseur_;
    KELIElemRelation* channel_ = nullptr;
    KELIElemRelation* backItem_ = nullptr;
    KELIElemRelation* backColor_ = nullptr;
    KELIElemRelation* backScale_ = nullptr;
    KELIElemRelation* red_ = nullptr;
    KELIElemRelation* green_ = nullptr;
    KELIElemRelation* blue_ = nullptr;
};

} // namespace tallomer
