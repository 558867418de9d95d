#pragma once
// The Contacts inspector's model as the rest of the program reaches it: through its controller,
// made by the Space on first request ("ZEVPersonViewer", entity 2000006), then its personClass.
// Header-only: the model and controller derive from these.

#include "engine/KELTypes.h"
#include "services/ZEVPersonServices.h"

#include <QString>

class KELI;

namespace tallomer {

class VCardFolder;

class ZEVPersonClassServices : public ZEVPersonServices {
public:
    // The address book the model reads: the one of the Space's desks (not owned).
    virtual void referencerAddressBook(VCardFolder* book) = 0;
    // The title of the contact of that unique id; "? ?" for one the book does not hold.
    virtual QString titleForUid(const QString& uid) = 0;
    // Makes a presence of the Object on the current Channel from `date`, at the active cursor;
    // answers the link, nullptr when none could be made.
    virtual KELI* creerLienPersonItemForItem(KELI* item, KELDate date) = 0;
};

class ZEVPersonViewerServices {
public:
    virtual ~ZEVPersonViewerServices() = default;
    virtual ZEVPersonClassServices* personClass() = 0;
    // A contact Object whose card is gone and was never archived: the user is offered to bind it
    // to another contact.
    virtual void retrieveItem(KELI* item) = 0;
};

} // namespace tallomer
