#pragma once
// Deleting an Object for good: every link that places, describes or connects it, at every date,
// then the Object itself, its data, its views, its drawn Links and link objects, and every
// selection, drag or title edit that held it.

class KELI;

namespace tallomer {

class ZEVSpaceController;

class ZEVItemEraser {
public:
    explicit ZEVItemEraser(ZEVSpaceController& space) : space_(space) {}
    ZEVItemEraser(const ZEVItemEraser&) = delete;
    ZEVItemEraser& operator=(const ZEVItemEraser&) = delete;

    // A link that cannot be loaded is logged under `owner` (the inspector's name), or under the
    // controller's without one.
    void userDeleteItem(KELI* item, const char* owner);

    // The two halves of a deletion, for an act of the caller's that deletes several Objects as
    // one: the Object's links and itself forgotten in the act under way; then, once that act has
    // ended, the rest (its data, views, drawn Links, selections) when the store kept its
    // forgetting. `achever` answers whether the Object went.
    void oublier(KELI* item, const char* owner);
    bool achever(KELI* item);

private:
    ZEVSpaceController& space_;
};

} // namespace tallomer
