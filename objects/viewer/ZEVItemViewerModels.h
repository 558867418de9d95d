#pragma once
// What the item viewer reads of its cursor's models: the Objects at the ends of the drawn Links,
// the links of an Object and whether it has an icon. The desk's own models
// answer through ZEVItemViewerDeskModels; tests answer with plain tables.

#include "engine/KELTypes.h"

#include <vector>

class KELI;

namespace tallomer {

class ZEVItemClass;
class ZEVDeskClass;

class ZEVItemViewerModels {
public:
    virtual ~ZEVItemViewerModels() = default;

    // The Object of that id as memory holds it, or nullptr.
    virtual KELI* objetForInt(KELId id) = 0;
    // The Objects linked to `item` at all, each once.
    virtual std::vector<KELI*> connectedItemsForItem(KELI* item) = 0;
    // Whether the two Objects are linked, whichever is the parent.
    virtual bool siConnected(KELI* a, KELI* b) = 0;
    virtual bool siIconExisteForItem(KELI* item) = 0;
    // Whether the desk's cursor includes the link at its moment.
    virtual bool siIncluLeLien(KELI* lien) = 0;
};

// The answers of the desk's Object factory and desk model (neither owned).
class ZEVItemViewerDeskModels final : public ZEVItemViewerModels {
public:
    ZEVItemViewerDeskModels(ZEVItemClass* itemClass, ZEVDeskClass* deskClass)
        : itemClass_(itemClass), deskClass_(deskClass)
    {
    }

    KELI* objetForInt(KELId id) override;
    std::vector<KELI*> connectedItemsForItem(KELI* item) override;
    bool siConnected(KELI* a, KELI* b) override;
    bool siIconExisteForItem(KELI* item) override;
    bool siIncluLeLien(KELI* lien) override;

private:
    ZEVItemClass* itemClass_; // not owned
    ZEVDeskClass* deskClass_; // not owned
};

} // namespace tallomer
