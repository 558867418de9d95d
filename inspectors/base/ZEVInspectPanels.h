#pragma once
// The six kinds' panels: each keeps its geometry under its own keys, with its own initial values,
// smallest size and bar.

#include "inspectors/base/ZEVInspectView.h"

namespace tallomer {

//                                              minWidth minHeight initialX initialW initialH bar
inline constexpr ZEVInspectMetrics kIconMetrics{200, 130, 30, 280, 600, 28};
inline constexpr ZEVInspectMetrics kLinkMetrics{255, 28, 100, 600, 250, 29};
inline constexpr ZEVInspectMetrics kFileMetrics{310, 83, 400, 420, 500, 32};
inline constexpr ZEVInspectMetrics kBackMetrics{460, 130, 700, 700, 700, 32};
inline constexpr ZEVInspectMetrics kPersonMetrics{310, 130, 550, 370, 600, 32};
inline constexpr ZEVInspectMetrics kChannelMetrics{350, 53, 50, 1200, 73, 23};

#define TALLOMER_INSPECT_PANEL(Class, Kind, Metrics)                                                                   \
    class Class final : public ZEVInspectView {                                                                        \
    public:                                                                                                            \
        explicit Class(ZEVInspectViewer& viewer) : ZEVInspectView(viewer, QStringLiteral(Kind), Metrics) {}            \
    };

TALLOMER_INSPECT_PANEL(ZEVLinkView, "Link", kLinkMetrics)
TALLOMER_INSPECT_PANEL(ZEVFileView, "File", kFileMetrics)
TALLOMER_INSPECT_PANEL(ZEVPersonView, "Person", kPersonMetrics)

#undef TALLOMER_INSPECT_PANEL

// The Images panel, with its table and preview, is inspectors/images/ZEVBackView.h.

// The Icons panel: a plain click anywhere in it steps back.
class ZEVIconView final : public ZEVInspectView {
public:
    explicit ZEVIconView(ZEVInspectViewer& viewer) : ZEVInspectView(viewer, QStringLiteral("Icon"), kIconMetrics) {}

protected:
    bool siStepBackAnywhere() const override { return true; }
};

} // namespace tallomer
