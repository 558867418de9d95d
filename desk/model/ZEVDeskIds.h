#pragma once
// Fixed ids of the template database that Objects and desks are made of.

#include "engine/KELTypes.h"

namespace tallomer {

inline constexpr KELId KELMODEL_MOT = 3;
inline constexpr KELId KELMODEL_NOMBRE = 4;
inline constexpr KELId KELMODEL_IDENTITY = 1000041;
inline constexpr KELId KELMODEL_ITEM = 1000049;
inline constexpr KELId KELRELATION_ITEM = 1000050;
inline constexpr KELId KELRELATION_ICON_VIEWER = 1000152;
inline constexpr KELId KELRELATION_LINK_VIEWER = 1000182;
inline constexpr KELId KELRELATION_ICON_ANGLE = 1000187;
inline constexpr KELId KELRELATION_ICON_RATIO_X = 1000192;
inline constexpr KELId KELRELATION_ICON_RATIO_Y = 1000197;
inline constexpr KELId KELRELATION_ICON_RATIO_S = 1000202;
inline constexpr KELId KELRELATION_ITEM_ICON = 1000212;
inline constexpr KELId KELRELATION_ITEM_TITLE = 1000217;
inline constexpr KELId KELRELATION_ITEM_TYPE = 1000222;

} // namespace tallomer
