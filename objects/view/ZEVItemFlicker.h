#pragma once
// The flicker that points the user at an Object: its icon, or in the titles mode its title,
// blinks a few times, a step every kFlickStep, and ends as it began.

#include <cstdint>

namespace tallomer {

class ZEVItemView;

class ZEVItemFlicker {
public:
    explicit ZEVItemFlicker(ZEVItemView& view) : view_(view) {}
    ZEVItemFlicker(const ZEVItemFlicker&) = delete;
    ZEVItemFlicker& operator=(const ZEVItemFlicker&) = delete;

    void flick();
    // The steps left of each flicker.
    std::int64_t iconCount() const { return iconCount_; }
    std::int64_t titleCount() const { return titleCount_; }

private:
    void flickIcon();
    void flickTitle();

    ZEVItemView& view_;
    std::int64_t iconCount_ = 0;
    std::int64_t titleCount_ = 0;
};

} // namespace tallomer
