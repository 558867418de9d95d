#pragma once
// What the desk models ask of the inspectors. Header-only: the inspectors' own classes derive
// from these.

class KELI;

namespace tallomer {

// One parent-to-child pair of Objects: a row of the Links inspector, or a drawn link line.
class ZEVLinkPair {
public:
    virtual ~ZEVLinkPair() = default;
    virtual KELI* parentItem() const = 0;
    virtual KELI* enfantItem() const = 0;
};

// A plain pair, for callers that hold the two Objects themselves. Not owning.
class ZEVItemPair final : public ZEVLinkPair {
public:
    ZEVItemPair(KELI* parent, KELI* enfant) : parent_(parent), enfant_(enfant) {}
    KELI* parentItem() const override { return parent_; }
    KELI* enfantItem() const override { return enfant_; }

private:
    KELI* parent_;
    KELI* enfant_;
};

// The inspector table a presence interval can be dragged out of.
class ZEVLegoSource {
public:
    virtual ~ZEVLegoSource() = default;
    // The interval being dragged, as a link whose in- and out-dates bound it; nullptr when none.
    // Not owned.
    virtual KELI* draggingLego() const { return nullptr; }
};

} // namespace tallomer
