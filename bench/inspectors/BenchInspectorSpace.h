#pragma once
// How every inspector benchmark starts: the manual scheduler and its clock made the program's, the
// engine opened on the base the benchmark built and woken on the timeline cursor, the inspectors'
// classes known, and a Space made on a host of the benchmark's kind.

#include "bench/space/BenchSpaceHost.h"
#include "engine/KELDemarrage.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/ZEVInspectorClasses.h"
#include "space/ZEVConstants.h"

#include <memory>
#include <string>

namespace benchspace {

// The host is made into `host` (kept by the caller, which outlives the Space) with `folder`;
// nullptr when no Space could be made.
template <class Host>
std::unique_ptr<tallomer::ZEVSpaceController> spaceOnBase(tallomer::ManualScheduler& sched, tallomer::Clock& clock,
                                                          const std::string& base, std::unique_ptr<Host>& host,
                                                          const std::string& folder)
{
    using namespace tallomer;
    Clock::setShared(&clock);
    Scheduler::setShared(&sched);
    KELChercheurDe::setDatabasePath(base);
    KELServeurDeLiens::initialize();
    ZEVRegisterInspectorClasses();
    KELICurseur* timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
    sched.runUntilIdle();
    host = std::make_unique<Host>(folder);
    return ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, *host, timeline);
}

} // namespace benchspace
