#include "engine/KELDemarrage.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"

KELICurseur* KELDemarrage::ReveillerLesModelsEtLancer(KELId curseurTimelineInt)
{
    KELICurseur* global = KELServeurDeLiens::CurseurGlobal();
    for (KELId id : {kel::kModelDesModels, kel::kModelCurseur, kel::kModelContexte})
        if (auto* model = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(id, global)))
            model->elements(global);
    auto* timeline = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(curseurTimelineInt, global));
    if (timeline)
        timeline->lancer();
    return timeline;
}
