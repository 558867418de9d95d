#include "inspectors/core/ZEVHolderTest.h"

#include "desk/model/ZEVModelSupport.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"

namespace tallomer {

const std::array<KELId, 7>& ZEVHoldingRelations()
{
    static const std::array<KELId, 7> relations = {
        KELRELATION_ICON_VIEWER,        KELRELATION_FILE_VIEWER,  KELRELATION_PERSON_VIEWER, KELRELATION_BACK_VIEWER,
        KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_COLOR_VIEWER, KELRELATION_APP_VIEWER};
    return relations;
}

int ZEVLiveLinkCount(KELId itemInt, KELId relation)
{
    const KELIds ids = itemInt ? KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(itemInt, relation) : KELIds();
    if (!ids)
        return 0;
    KELICc* global = KELServeurDeLiens::CurseurGlobal();
    int n = 0;
    for (KELId id : *ids)
        if (!deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, global)))
            ++n;
    return n;
}

bool ZEVSiItemHeld(KELId itemInt, KELId exceptRelation)
{
    for (KELId relation : ZEVHoldingRelations())
        if (relation != exceptRelation && ZEVLiveLinkCount(itemInt, relation) > 0)
            return true;
    return false;
}

} // namespace tallomer
