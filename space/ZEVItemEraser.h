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

private:
    ZEVSpaceController& space_;
};

} // namespace tallomer
