#pragma once
// What the Object views and their item viewer ask of the Contacts model about contact Objects:
// their picture and their opening. The Contacts inspector's model answers, one per Space.

#include "engine/KELTypes.h"

#include <QImage>
#include <QSize>

class KELI;

namespace tallomer {

class ZEVPersonServices {
public:
    virtual ~ZEVPersonServices() = default;
    // The picture of a contact Object of that Channel (its own Channel, else the current one):
    // the card's photo decoded at about `size`, else the contact type's icon; the error sticker's
    // image when the Object's record file is missing. A missing card also marks the Object not
    // found. Never null.
    virtual QImage imageForItem(KELI* item, KELId channelInt, const QSize& size) = 0;
    // Opens the contact's card with the desktop's handler, or offers the archived card back when
    // the card is gone.
    virtual void openPersonForItem(KELI* item) = 0;
};

} // namespace tallomer
