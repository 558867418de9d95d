#pragma once
// The benchmarks' Space host with the real ruler viewer, for the ones whose strip or tables take
// their scale from it.

#include "bench/space/BenchSpaceHost.h"
#include "ruler/ZEVRulerViewer.h"

#include <filesystem>
#include <memory>

namespace benchspace {

class HoteAvecRegle final : public HoteNu {
public:
    using HoteNu::HoteNu;
    std::unique_ptr<tallomer::ZEVRulerViewerServices> creerRulerViewer(tallomer::ZEVRulerClassServices& r,
                                                                      tallomer::ZEVSpaceController& s) override
    {
        const QString ressources =
            QString::fromStdString(std::filesystem::path(TALLOMER_TEMPLATE_DB).parent_path().string());
        return std::make_unique<tallomer::ZEVRulerViewer>(r, s, ressources, nullptr);
    }
};

} // namespace benchspace
