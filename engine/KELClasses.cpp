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

// A relation's rows mostly name one class: the last one found is tried first.
struct Derniere {
    std::string nom;
    const KELClasses::Fabrique* fabrique = nullptr; // not owned: an entry of the registry
};
Derniere& derniere()
{
    static Derniere d;
    return d;
}
} // namespace

void KELClasses::ajouter(const std::string& nom, Fabrique fabrique)
{
    registre()[nom] = std::move(fabrique);
    derniere() = Derniere{};
}

std::unique_ptr<KELI> KELClasses::creer(const std::string& nom)
{
    Derniere& d = derniere();
    if (d.fabrique && d.nom == nom)
        return (*d.fabrique)();
    auto it = registre().find(nom);
    if (it == registre().end())
        return nullptr;
    d = Derniere{nom, &it->second};
    return it->second();
}

bool KELClasses::connue(const std::string& nom) { return registre().count(nom) != 0; }
