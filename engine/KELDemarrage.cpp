#include "engine/KELDemarrage.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The C library raises its thresholds for giving memory back to the system to the largest block
// ever freed: after one large load or image, every thread's heap kept megabytes it no longer used,
// a good part of a large desk's resident memory. Fixed thresholds give freed memory back, and
// large blocks are mapped on their own, so their untouched tails are never resident.
void rendreLaMemoireLibre()
{
#if defined(__GLIBC__)
    constexpr int kSeuil = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kSeuil);
    mallopt(M_TRIM_THRESHOLD, kSeuil);
#endif
}

} // namespace

KELICurseur* KELDemarrage::ReveillerLesModelsEtLancer(KELId curseurTimelineInt)
{
    rendreLaMemoireLibre();
    KELICurseur* global = KELServeurDeLiens::CurseurGlobal();
    for (KELId id : {kel::kModelDesModels, kel::kModelCurseur, kel::kModelContexte})
        if (auto* model = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(id, global)))
            model->elements(global);
    auto* timeline = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(curseurTimelineInt, global));
    if (timeline)
        timeline->lancer();
    return timeline;
}
