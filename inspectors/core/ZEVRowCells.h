#pragma once
// What every list of Objects draws and writes alike, whichever model serves it: the selection
// marks of a row, the colour of its title, the selection a row change or a find writes in the
// front mode, and the time its presence intervals cover in a range.

#include "engine/KELTypes.h"
#include "inspectors/core/ZEVRowStatus.h"

#include <QColor>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class KELI;

namespace tallomer {

class KELSharedResources;
class ZEVSelections;

// The mark of a selection column ("imageIcon", "imageTitle", "imageNode", "imageFilter") for a row
// standing for `items` (one Object, or a link pair's two ends): shown when every one of them is in
// that selection. The filter column shows the impact mark instead when every view is `shown` on
// the desk. Only the decoration role gets a picture; nullopt for any other column.
std::optional<QVariant> ZEVSelectionMark(const QString& column, const std::vector<KELI*>& items, int role,
                                         ZEVSelections& selections, const KELSharedResources& resources,
                                         const std::function<bool(KELI*)>& shown);

// The title colour of another Channel's Objects.
QColor ZEVOtherChannelColor();
QColor ZEVRowStatusColorIn(ZEVRowStatusColor state, const KELSharedResources& resources);
// A title's colour: its state's first, then white (light grey for another Channel's) while it is
// title-selected, then black (the other Channel's colour).
QColor ZEVTitleColor(const std::optional<ZEVRowStatusColor>& state, bool titleSelected, bool otherChannel,
                     const KELSharedResources& resources);

// The desk's selection of the front mode (icons, titles, filters, link ends) set from rows: the
// rows' Objects less `minus`, or combined by a find's operation. Nothing outside the four modes.
void ZEVSelectInFrontMode(ZEVSelections& selections, int mode, const std::vector<KELI*>& items,
                          const std::vector<KELI*>* minus);
void ZEVSelectInFrontMode(ZEVSelections& selections, int mode, const std::vector<KELI*>& items, int operation);

// The part of each [in, out) that lies within [rangeIn, rangeOut), summed; open ends count to the
// range's edge.
double ZEVDurationInRange(const std::vector<std::pair<KELDate, KELDate>>& spans, KELDate rangeIn, KELDate rangeOut);

} // namespace tallomer
