#pragma once
// The place the Space shows, as a zevp string: the Channel, the cursors and the visible range,
// the front mode and the Objects selected. It writes the current place, pictures it, puts it on
// the pasteboard, and moves to a place a string names.

#include "space/ZEVZevpURL.h"

#include <QImage>
#include <QString>

#include <vector>

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVSpacePlace {
public:
    explicit ZEVSpacePlace(ZEVSpaceController& space) : space_(space) {}
    ZEVSpacePlace(const ZEVSpacePlace&) = delete;
    ZEVSpacePlace& operator=(const ZEVSpacePlace&) = delete;

    QString zevpStringForItems(const std::vector<KELI*>* items, bool siSpace, double* con = nullptr);
    QImage zevpImageSiSpace(bool siSpace);
    void copyZevpUrlForItems(const std::vector<KELI*>& items, bool siSpace);
    ZEVZevpOpening openZevpURL(const QString& url, bool siHistory);

private:
    // A reading of a zevp string applied: its cursor part, then its selection.
    // Answers why the string's cursor part was left out; empty when it was applied, or when the
    // ruler did not let a cursor move (a beep says so).
    QString appliquerLeCurseur(const ZEVZevpReading& lu);
    void appliquerLaSelection(const ZEVZevpReading& lu);
    void menuModePour(int mode);

    ZEVSpaceController& space_;
};

} // namespace tallomer
