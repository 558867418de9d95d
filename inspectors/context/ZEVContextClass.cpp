#include "inspectors/context/ZEVContextClass.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVContextClass::ZEVContextClass(ZEVSpaceClass& spaceClass, ZEVSpaceController& space) : tlCurseur_(space.tlCurseur())
{
    if (tlCurseur_)
        contextEntitiesRelation_ =
            dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_CONTEXT_ENTITY, tlCurseur_));
    contextElem_ = spaceClass.context();
}

std::vector<KELI*> ZEVContextClass::entities() const
{
    if (!contextEntitiesRelation_ || !contextElem_)
        return {};
    const std::vector<KELI*>* enfants = contextEntitiesRelation_->enfantsDuParent(contextElem_, tlCurseur_);
    return enfants ? *enfants : std::vector<KELI*>();
}

} // namespace tallomer
