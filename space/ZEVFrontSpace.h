#pragma once
// The stay-in-front state of the Space window (front space): the command that toggles it, the
// narrowest window that floats in front by itself, and the title that says so for a moment.

namespace tallomer {

class ZEVSpaceController;

class ZEVFrontSpace {
public:
    explicit ZEVFrontSpace(ZEVSpaceController& space) : space_(space) {}
    ZEVFrontSpace(const ZEVFrontSpace&) = delete;
    ZEVFrontSpace& operator=(const ZEVFrontSpace&) = delete;

    void userToggleFrontSpace();
    void _setFrontSpace(bool front);
    // Floats the window in front while it is at its narrowest, and only then.
    void regleDeLaMiniSpace();
    bool siFrontSpace() const { return siFrontSpace_; }
    bool siMiniSpace() const { return siMiniSpace_; }

private:
    ZEVSpaceController& space_;
    bool siFrontSpace_ = false;
    bool siMiniSpace_ = false;
};

} // namespace tallomer
