#include "engine/KELDemarrage.h"

#include "engine/KELClasses.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/KELChercheurDeLiens.h"
#include "engine/store/Sqlite.h"
#include "runtime/Scheduler.h"

#include <optional>
#include <set>
#include <string_view>

void KELDemarrage::LireLesRelationsEnAvance(double pendant)
{
    KELChercheurDeLiens::lireLesRelationsEnAvance();
    if (!tallomer::Scheduler::hasShared())
        return;
    static const char cle = 0;
    tallomer::Scheduler::shared().cancel(&cle, "oublierLesRelationsLuesEnAvance");
    tallomer::Scheduler::shared().perform(&cle, "oublierLesRelationsLuesEnAvance", pendant,
                                          [] { KELChercheurDeLiens::oublierLesRelationsLuesEnAvance(); });
}

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

namespace {

// The columns every finder reads, table by table.
struct Table {
    const char* nom;
    std::vector<const char*> colonnes;
};
const std::vector<Table>& tablesLues()
{
    static const std::vector<Table> tables = {
        {"SETTINGS", {"NAME", "VALUE"}},
        {"ZEVLETS", {"ZEVLET_ID", "BASE", "CLASS", "DATE_IN", "DATE_OUT", "CHILD_ZEVLET", "PARENT_ZEVLET", "RELATION"}},
        {"WORD", {"WORD_ID", "ZEVLET_ID", "WORD"}},
        {"NUMBER", {"NUMBER_ID", "ZEVLET_ID", "NUMBER"}},
    };
    return tables;
}

std::string manqueDansLaTable(Sqlite& db, const Table& table)
{
    const auto rows = db.executeQuery("SELECT name FROM pragma_table_info(?);", {table.nom});
    if (!rows)
        return std::string("its tables cannot be read (") + db.errorMessage() + ")";
    if (rows->empty())
        return std::string("it has no table ") + table.nom;
    std::set<std::string> presentes;
    for (const SqlRow& r : *rows)
        presentes.insert(r.text("name"));
    for (const char* colonne : table.colonnes)
        if (!presentes.count(colonne))
            return std::string("its table ") + table.nom + " has no column " + colonne;
    return {};
}

} // namespace

std::string KELDemarrage::VerifierLeFichier(const std::string& path, KELId curseurTimelineInt,
                                            const std::vector<KELId>& requis)
{
    Sqlite db;
    if (!db.openForReading(path))
        return "it cannot be opened";
    // Every page, index and constraint: a quick check misses indexes that disagree with their
    // table, which the finders would then read wrong.
    const auto integrite = db.executeQuery("PRAGMA integrity_check(10);");
    if (!integrite || integrite->empty())
        return "it is no link base (" + db.errorMessage() + ")";
    if ((*integrite)[0].valueAt(0).toText() != "ok") {
        std::string details;
        for (const SqlRow& r : *integrite)
            details += (details.empty() ? "" : "; ") + r.valueAt(0).toText();
        return "it is damaged (" + details + ")";
    }
    return VerifierLaStructure(db, curseurTimelineInt, requis);
}

std::string KELDemarrage::VerifierLaStructure(Sqlite& db, KELId curseurTimelineInt, const std::vector<KELId>& requis)
{
    // The version first, as the open reads it first: a newer file is named as such.
    for (const Table& table : tablesLues()) {
        if (std::string manque = manqueDansLaTable(db, table); !manque.empty())
            return manque;
        if (std::string_view(table.nom) != "SETTINGS")
            continue;
        const std::optional<int> version = KELChercheurDe::storedVersion(db);
        if (!version)
            return "it holds no readable version";
        if (*version < 1 || *version > KELChercheurDe::kCurrentVersion)
            return "it is of version " + std::to_string(*version) + ", which this program cannot read (at most " +
                   std::to_string(KELChercheurDe::kCurrentVersion) + ")";
    }

    // The links the start wakes by their ids, and the class each must be made of.
    struct Lien {
        KELId id;
        std::string classe; // empty: any class the link base knows
    };
    std::vector<Lien> liens = {{kel::kModelDesModels, "KELIModel"},
                               {kel::kModelCurseur, "KELIModelCurseur"},
                               {kel::kModelContexte, "KELIModelContexte"},
                               {curseurTimelineInt, "KELICurseur"}};
    for (KELId id : requis)
        liens.push_back({id, {}});
    for (const Lien& lien : liens) {
        const auto rows = db.executeQuery("SELECT CLASS FROM ZEVLETS WHERE ZEVLET_ID = ?;", {lien.id});
        if (!rows || rows->empty())
            return "it lacks the link " + std::to_string(lien.id) + " that a start reads";
        const std::string classe = (*rows)[0].valueAt(0).toText();
        if (lien.classe.empty() ? !KELClasses::connue(classe) : classe != lien.classe)
            return "its link " + std::to_string(lien.id) + " is of the class '" + classe + "' instead of " +
                   (lien.classe.empty() ? std::string("a known one") : "'" + lien.classe + "'");
    }
    return {};
}
