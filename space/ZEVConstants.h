#pragma once
// Relation numbers and fixed object ids of the template link base that the Space, its desks and
// its inspectors are built on. A relation links a parent to a child; a word or a number is a value
// element of the word model (3) or the number model (4). These names also appear in log lines.

#include "engine/KELTypes.h"

namespace tallomer {

// Models.
inline constexpr KELId KELMODEL_MOT = 3;
inline constexpr KELId KELMODEL_NOMBRE = 4;
inline constexpr KELId KELMODEL_SPACE = 1000001;
inline constexpr KELId KELMODEL_RULER = 1000025;
inline constexpr KELId KELMODEL_IDENTITY = 1000041;
inline constexpr KELId KELMODEL_ITEM = 1000049;

inline constexpr KELId KELOBJECT_TIMELINE_CURSEUR = 270;

// nil -> identity model: each such link is a Channel.
inline constexpr KELId KELRELATION_IDENTITY = 1000042;
// nil -> item model: each such link is an Object.
inline constexpr KELId KELRELATION_ITEM = 1000050;

// Space and ruler.
inline constexpr KELId KELRELATION_SPACE_CONTEXT = 1000057;
inline constexpr KELId KELRELATION_SPACE_RULER = 1000062;
// Root object 2000001 -> Channel: a Channel is listed while this link lives.
inline constexpr KELId KELRELATION_CHANNEL_VIEWER = 1000067;
// Context -> entity (inspector) it lists.
inline constexpr KELId KELRELATION_CONTEXT_ENTITY = 1000072;
inline constexpr KELId KELRELATION_RULER_CURSEUR = 1000092;
inline constexpr KELId KELRELATION_RULER_NOW_CURSEUR = 1000097;
inline constexpr KELId KELRELATION_RULER_CURSEURS = 1000102;
inline constexpr KELId KELRELATION_RULER_TIMELINE = 1000107;

// Ruler presets: the cursor element they move, its date, its context and ruler offsets, the name.
inline constexpr KELId KELRELATION_STAMP_CURSEUR = 1000112;
inline constexpr KELId KELRELATION_STAMP_CURSEUR_NOW = 1000117;
inline constexpr KELId KELRELATION_STAMP_CURSEUR_IN = 1000122;
inline constexpr KELId KELRELATION_STAMP_CURSEUR_OUT = 1000127;
inline constexpr KELId KELRELATION_STAMP_RULER_IN = 1000132;
inline constexpr KELId KELRELATION_STAMP_RULER_OUT = 1000137;
inline constexpr KELId KELRELATION_STAMP_NAME = 1000142;

// Channel -> Object, one relation per inspector that lists it.
inline constexpr KELId KELRELATION_ICON_VIEWER = 1000152;
inline constexpr KELId KELRELATION_FILE_VIEWER = 1000157;
inline constexpr KELId KELRELATION_PERSON_VIEWER = 1000162;
inline constexpr KELId KELRELATION_BACK_VIEWER = 1000167;
inline constexpr KELId KELRELATION_IDENTITY_BACK_ITEM = 1000172;
inline constexpr KELId KELRELATION_IDENTITY_NAME = 1000177;
// Object -> Object: a link drawn between two Objects.
inline constexpr KELId KELRELATION_LINK_VIEWER = 1000182;

// Object -> number: the icon's angle, centre and size in desk units.
inline constexpr KELId KELRELATION_ICON_ANGLE = 1000187;
inline constexpr KELId KELRELATION_ICON_RATIO_X = 1000192;
inline constexpr KELId KELRELATION_ICON_RATIO_Y = 1000197;
inline constexpr KELId KELRELATION_ICON_RATIO_S = 1000202;

// Object -> word.
inline constexpr KELId KELRELATION_ITEM_ICON = 1000212;
inline constexpr KELId KELRELATION_ITEM_TITLE = 1000217;
inline constexpr KELId KELRELATION_ITEM_TYPE = 1000222;

inline constexpr KELId KELRELATION_IDENTITY_BACK_COLOR = 1000227;
// Channel -> scale word (KELOBJECT_SCALE_IN or KELOBJECT_SCALE_OUT).
inline constexpr KELId KELRELATION_IDENTITY_BACK_SCALE = 1000232;
inline constexpr KELId KELRELATION_COLOR_VIEWER = 1000237;
// Colour item -> number 0 to 255.
inline constexpr KELId KELRELATION_COLOR_RED = 1000242;
inline constexpr KELId KELRELATION_COLOR_GREEN = 1000247;
inline constexpr KELId KELRELATION_COLOR_BLUE = 1000252;
inline constexpr KELId KELRELATION_IMAGE_COLOR = 1000257;
inline constexpr KELId KELRELATION_APP_VIEWER = 1000263;

// Fixed objects.
inline constexpr KELId KELOBJECT_CHANNEL_VIEWER_ROOT = 2000001;
inline constexpr KELId KELENTITY_ICON_VIEWER = 2000003;
inline constexpr KELId KELENTITY_LINK_VIEWER = 2000004;
inline constexpr KELId KELENTITY_FILE_VIEWER = 2000005;
inline constexpr KELId KELENTITY_PERSON_VIEWER = 2000006;
inline constexpr KELId KELENTITY_BACK_VIEWER = 2000007;
inline constexpr KELId ZEVSTAMP_HOME_TIME = 2000009;
inline constexpr KELId ZEVSTAMP_PRESET_2 = 2000010;
inline constexpr KELId ZEVSTAMP_PRESET_3 = 2000011;
inline constexpr KELId ZEVSTAMP_PRESET_4 = 2000012;
inline constexpr KELId ZEVSTAMP_PRESET_5 = 2000013;
inline constexpr KELId ZEVSTAMP_PRESET_6 = 2000014;
inline constexpr KELId ZEVSTAMP_PRESET_7 = 2000015;
inline constexpr KELId ZEVSTAMP_PRESET_8 = 2000016;
inline constexpr KELId ZEVSTAMP_PRESET_9 = 2000017;
inline constexpr KELId KELOBJECT_HOME_CHANNEL = 2000018;
inline constexpr KELId KELOBJECT_SCALE_IN = 2000084;
inline constexpr KELId KELOBJECT_SCALE_OUT = 2000085;
inline constexpr KELId KELOBJECT_DEFAULT_COLOR = 2000088;
inline constexpr KELId KELENTITY_CHANNEL_VIEWER = 2000194;

// The ruler element and the stored elements of the Now and Search cursors.
inline constexpr KELId KELOBJECT_RULER = 2000008;
inline constexpr KELId KELOBJECT_NOW_ELEM_CURSEUR = 2000089;
inline constexpr KELId KELOBJECT_NOW_CURSEUR = 2000090;
inline constexpr KELId KELOBJECT_SEARCH_ELEM_CURSEUR = 2000093;
inline constexpr KELId KELOBJECT_SEARCH_CURSEUR = 2000094;

} // namespace tallomer
