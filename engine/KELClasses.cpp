#include "engine/KELClasses.h"

#include "engine/KELICurseur.h"
#include "engine/KELElements.h"
#include "engine/KELModels.h"

#include <unordered_map>

namespace {
std::unordered_map<std::string, KELClasses::Fabrique>& registre()
{
    static std::unordered_map<std::string, KELClasses::Fabrique> r = [] {
        std::unordered_map<std::string, KELClasses::Fabrique> m;
        auto add = [&m]<class T>(const char* nom, T*) { m[nom] = [] { return std::unique_ptr<KELI>(new T()); }; };
        add("KELI", static_cast<KELI*>(nullptr));
        add("KELIElemRelation", static_cast<KELIElemRelation*>(nullptr));
        add("KELIElemRelationMC", static_cast<KELIElemRelationMC*>(nullptr));
        add("KELIModel", static_cast<KELIModel*>(nullptr));
        add("KELIModelBase", static_cast<KELIModelBase*>(nullptr));
        add("KELIModelMot", static_cast<KELIModelMot*>(nullptr));
        add("KELIModelNombre", static_cast<KELIModelNombre*>(nullptr));
        add("KELIModelCurseur", static_cast<KELIModelCurseur*>(nullptr));
        add("KELIModelContexte", static_cast<KELIModelContexte*>(nullptr));
        add("KELIElemBase", static_cast<KELIElemBase*>(nullptr));
        add("KELICurseur", static_cast<KELICurseur*>(nullptr));
        add("KELIContexte", static_cast<KELIContexte*>(nullptr));
        add("KELIElemCurseur", static_cast<KELIElemCurseur*>(nullptr));
        add("KELIElemContexte", static_cast<KELIElemContexte*>(nullptr));
        add("KELIElemCurseurGlobal", static_cast<KELIElemCurseurGlobal*>(nullptr));
        add("KELIElemContexteGlobal", static_cast<KELIElemContexteGlobal*>(nullptr));
        return m;
    }();
    return r;
}
} // namespace

void KELClasses::ajouter(const std::string& nom, Fabrique fabrique) { registre()[nom] = std::move(fabrique); }

std::unique_ptr<KELI> KELClasses::creer(const std::string& nom)
{
    auto it = registre().find(nom);
    return it == registre().end() ? nullptr : it->second();
}

bool KELClasses::connue(const std::string& nom) { return registre().count(nom) != 0; }
