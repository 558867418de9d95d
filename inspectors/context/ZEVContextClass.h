#pragma once
// The toggle bar's model: the Space's context element and its entities (the inspector kinds), the
// children of the context through relation 1000072, read at the timeline cursor.

#include <vector>

class KELI;
class KELICurseur;
class KELIElemRelation;

namespace tallomer {

class ZEVSpaceClass;
class ZEVSpaceController;

class ZEVContextClass {
public:
    // Neither is owned; both outlive the model.
    ZEVContextClass(ZEVSpaceClass& spaceClass, ZEVSpaceController& space);
    // In the link base's order; empty without a context or its relation.
    std::vector<KELI*> entities() const;
    KELI* contextElem() const { return contextElem_; }

private:
    KELICurseur* tlCurseur_ = nullptr;                    // not owned
    KELIElemRelation* contextEntitiesRelation_ = nullptr; // links live for the run
    KELI* contextElem_ = nullptr;
};

} // namespace tallomer
