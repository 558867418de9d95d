#pragma once
// The Space window's title: the current Channel and its background, the active cursor (the
// Search cursor says whether it looks at the past, the future or now), the front mode and the
// pointer in the top right zone.

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceTitle {
public:
    // The title waits under this name, on the controller, while "Stay in front…" shows.
    static constexpr const char* kMajWindowTitle = "majWindowTitle";

    explicit ZEVSpaceTitle(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceTitle(const ZEVSpaceTitle&) = delete;
    ZEVSpaceTitle& operator=(const ZEVSpaceTitle&) = delete;

    void majWindowTitle();
    // Whether the last title was the plain one of the Now desk at the Home Time.
    bool siTallomer() const { return siTallomer_; }

private:
    ZEVSpaceController& space_;
    bool siTallomer_ = false;
};

} // namespace tallomer
