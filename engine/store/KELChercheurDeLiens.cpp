#include "engine/store/KELChercheurDeLiens.h"

#include "engine/KELMemoire.h"
#include "runtime/Log.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using tallomer::logFormat;

namespace {

using UL = unsigned long;

constexpr const char* kSelectById = "SELECT * FROM ZEVLETS WHERE ZEVLET_ID = ?;";
constexpr const char* kColumns =
    "SELECT ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD_ZEVLET, PARENT_ZEVLET, RELATION FROM ZEVLETS";
// Ids above this travel as text (see SqlValue) and cannot bound a range of ZEVLET_ID.
constexpr KELId kMaxIdEntier = static_cast<KELId>(LLONG_MAX);
constexpr std::uint64_t kRangeesSansMemoire = 512; // a relation read from this size leaves no pages cached

constexpr const char* kByRel = "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ?;";
constexpr const char* kByChild = "SELECT ZEVLET_ID FROM ZEVLETS WHERE CHILD_ZEVLET = ?;";
constexpr const char* kLiveByRelChild =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND CHILD_ZEVLET = ? AND DATE_IN < 4503599627370496.0;";
constexpr const char* kLiveByRelParent =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET = ? AND DATE_IN < 4503599627370496.0;";
constexpr const char* kDistinctParents = "SELECT DISTINCT PARENT_ZEVLET FROM ZEVLETS WHERE RELATION = ?;";
constexpr const char* kDistinctChildren = "SELECT DISTINCT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = ?;";
// The id is the row id, never null: its rows are counted from the index pages' cell counts,
// where counting ids would read every row (a tenth of the start of a large base's progress bar).
constexpr const char* kCount = "SELECT COUNT(*) AS ZEVLET_COUNT FROM ZEVLETS;";

// Valid at a date: [DATE_IN, DATE_OUT), as in memory.
constexpr const char* kAtParentChildRel = "SELECT ZEVLET_ID FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND CHILD_ZEVLET = ? "
                                          "AND RELATION = ? AND DATE_IN <= ?  AND DATE_OUT > ?;";
constexpr const char* kAtChildRel =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE CHILD_ZEVLET = ? AND RELATION = ? AND DATE_IN <= ?  AND DATE_OUT > ?;";
constexpr const char* kChildrenAtParentRel =
    "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND RELATION = ? AND DATE_IN <= ?  AND DATE_OUT > ?;";
constexpr const char* kAtParentRel =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND RELATION = ? AND DATE_IN <= ?  AND DATE_OUT > ?;";

constexpr const char* kNextInParentRel =
    "SELECT DATE_IN FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND RELATION = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kNextInChildRel =
    "SELECT DATE_IN FROM ZEVLETS WHERE CHILD_ZEVLET = ? AND RELATION = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kNextInParentChildRel = "SELECT DATE_IN FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND CHILD_ZEVLET "
                                              "= ? AND RELATION = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kInDate = "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = ? ORDER BY DATE_IN;";
constexpr const char* kOutDate = "SELECT DATE_OUT FROM ZEVLETS WHERE ZEVLET_ID = ? ORDER BY DATE_OUT;";

constexpr const char* kParentAfter =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE PARENT_ZEVLET = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kChildAfter =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE CHILD_ZEVLET = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kRelBase = "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND BASE = ?;";
constexpr const char* kFirstRelParent =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET = ? ORDER BY DATE_IN;";
constexpr const char* kFirstRelChild =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND CHILD_ZEVLET = ? ORDER BY DATE_IN;";
constexpr const char* kFirstRelChildAfter =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND CHILD_ZEVLET = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kRelAfterByChild =
    "SELECT CHILD_ZEVLET, ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kFirstLiveRelParentAfter = "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET = "
                                                 "? AND DATE_IN > ? AND DATE_IN < 4503599627370496.0 ORDER BY DATE_IN;";
constexpr const char* kFirstRelParentChildAfter = "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET "
                                                  "= ? AND CHILD_ZEVLET = ? AND DATE_IN > ? ORDER BY DATE_IN;";
constexpr const char* kLastRelParent =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET = ? ORDER BY DATE_OUT;";
constexpr const char* kLastRelParentForDate =
    "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET = ? AND DATE_IN <= ? ORDER BY DATE_OUT;";
constexpr const char* kLastRelParentChildBefore = "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = ? AND PARENT_ZEVLET "
                                                  "= ? AND CHILD_ZEVLET = ? AND DATE_OUT <= ? ORDER BY DATE_OUT;";

constexpr const char* kMaxId = "SELECT MAX(ZEVLET_ID) AS MAX_ID FROM ZEVLETS WHERE ZEVLET_ID > ? AND ZEVLET_ID < ?;";
constexpr const char* kPlaceholder = "INSERT INTO ZEVLETS (ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD_ZEVLET, "
                                     "PARENT_ZEVLET, RELATION) VALUES (?, 0, 0, 0, 0, 0, 0, 0);";
constexpr const char* kReplace = "REPLACE INTO ZEVLETS VALUES (?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kDelete = "DELETE FROM ZEVLETS WHERE ZEVLET_ID = ?;";

void logMissing(KELId id) { logFormat("- [KELChercheurDeLiens loadLienInt: (%lu)] LIEN INEXISTANT !!!", UL(id)); }

std::string textOf(const SqlValue& v)
{
    if (v.isText())
        return v.toText();
    if (v.isInteger())
        return std::to_string(v.toInt64());
    if (v.isReal())
        return std::to_string(v.toDouble());
    return {};
}

} // namespace

// ---- Loading rows

std::optional<KELRow> KELChercheurDeLiens::loadRowInt(KELId id)
{
    const auto rows = db().executeQuery(kSelectById, {id});
    if (!rows || rows->empty()) {
        logMissing(id);
        return std::nullopt;
    }
    const SqlRow& r = rows->front();
    KELRow row;
    row.id = idFrom(r["ZEVLET_ID"]);
    row.base = idFrom(r["BASE"]);
    row.className = textOf(r["CLASS"]);
    row.inDate = r.real("DATE_IN");
    row.outDate = r.real("DATE_OUT");
    row.child = idFrom(r["CHILD_ZEVLET"]);
    row.parent = idFrom(r["PARENT_ZEVLET"]);
    row.relation = idFrom(r["RELATION"]);
    return row;
}

void KELChercheurDeLiens::readRow(const SqlCursor& c, KELRow& row)
{
    row.id = idAt(c, 0);
    row.base = idAt(c, 1);
    row.className.assign(c.text(2));
    row.inDate = c.real(3);
    row.outDate = c.real(4);
    row.child = idAt(c, 5);
    row.parent = idAt(c, 6);
    row.relation = idAt(c, 7);
}

std::vector<std::optional<KELRow>> KELChercheurDeLiens::loadRowsInt(const std::vector<KELId>& ids)
{
    std::vector<std::optional<KELRow>> result(ids.size());
    std::unordered_map<KELId, std::vector<std::size_t>> positions;
    for (std::size_t i = 0; i < ids.size(); ++i)
        positions[ids[i]].push_back(i);
    KELRow row;
    forEachInBatches(std::string(kColumns) + " WHERE ZEVLET_ID IN (", ids, [&](const SqlCursor& c) {
        readRow(c, row);
        if (auto it = positions.find(row.id); it != positions.end())
            for (std::size_t i : it->second)
                result[i] = row;
    });
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (!result[i])
            logMissing(ids[i]);
    return result;
}

void KELChercheurDeLiens::forEachRow(const std::function<void(const KELRow&)>& fn)
{
    KELRow row;
    db().forEach(std::string(kColumns) + " ORDER BY ZEVLET_ID;", {}, [&](const SqlCursor& c) {
        readRow(c, row);
        fn(row);
        return true;
    });
}

namespace {
// Large blocks are mapped and unmapped whole: rows read on another thread would otherwise leave the
// memory of a large relation in that thread's heap once the load is over. Only the few small first
// blocks of a read come from that heap.
using Bloc = KELTemporaire<KELRow>;

// A relation's rows read on a connection and a thread of their own and handed over in blocks, in
// order, so that the links of one block are woken while the next blocks are read. It only reads a
// file whose writing connection writes ahead and has no transaction open: it then sees exactly
// what that connection committed, and neither waits for the other. It lives within one call of
// the main thread, which never forks meanwhile.
class LecteurEnFond {
public:
    // The first blocks are small, so that a relation of a few thousand rows is not read whole
    // before its first link is woken; later ones are large, and mapped (see Bloc).
    static constexpr std::size_t kPremierBloc = 256;
    static constexpr std::size_t kBloc = 8192;

    // `enAvance`: blocks read ahead at most, waiting to be handed over.
    LecteurEnFond(std::string chemin, std::string sql, SqlArgs arguments, std::size_t enAvance)
        : chemin_(std::move(chemin)), sql_(std::move(sql)), arguments_(std::move(arguments)), enAvance_(enAvance),
          thread_([this] { lire(); })
    {
    }
    ~LecteurEnFond()
    {
        {
            const std::lock_guard<std::mutex> verrou(m_);
            arret_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    LecteurEnFond(const LecteurEnFond&) = delete;
    LecteurEnFond& operator=(const LecteurEnFond&) = delete;

    // The next block in order, in place of `bloc` (whose storage is reused); false once all are
    // handed over.
    bool suivant(Bloc& bloc)
    {
        std::unique_lock<std::mutex> verrou(m_);
        cv_.wait(verrou, [this] { return !prets_.empty() || fini_; });
        if (bloc.capacity() > 0) {
            bloc.clear();
            libres_.push_back(std::move(bloc));
        }
        if (prets_.empty())
            return false;
        bloc = std::move(prets_.front());
        prets_.pop_front();
        ++livres_;
        cv_.notify_all();
        return true;
    }
    // Whether the reader gave up before handing over a single row (it could not open the file, or
    // the statement failed at once): the caller then reads on its own connection.
    bool aRenonce()
    {
        const std::lock_guard<std::mutex> verrou(m_);
        return fini_ && renonce_ && prets_.empty() && livres_ == 0;
    }

private:
    void lire()
    {
        Sqlite db;
        const bool ouvert = db.openForReading(chemin_);
        Bloc bloc;
        std::size_t plein = 0, faits = 0;
        bool livre = false;
        bool ok = ouvert && db.forEach(sql_, arguments_, [&](const SqlCursor& c) {
            if (bloc.capacity() == 0) {
                plein = std::min(kBloc, kPremierBloc << std::min<std::size_t>(faits, 5));
                bloc = prendre(plein);
            }
            bloc.emplace_back();
            KELChercheurDeLiens::readRow(c, bloc.back());
            if (bloc.size() < plein)
                return true;
            ++faits;
            livre = true;
            return livrer(bloc);
        });
        if (!bloc.empty()) {
            livre = true;
            livrer(bloc);
        }
        const std::lock_guard<std::mutex> verrou(m_);
        renonce_ = !ok && !livre;
        fini_ = true;
        cv_.notify_all();
    }
    Bloc prendre(std::size_t taille)
    {
        const std::lock_guard<std::mutex> verrou(m_);
        Bloc bloc;
        if (!libres_.empty()) {
            bloc = std::move(libres_.back());
            libres_.pop_back();
        }
        bloc.reserve(taille);
        return bloc;
    }
    bool livrer(Bloc& bloc)
    {
        std::unique_lock<std::mutex> verrou(m_);
        cv_.wait(verrou, [this] { return prets_.size() < enAvance_ || arret_; });
        if (arret_)
            return false;
        prets_.push_back(std::move(bloc));
        bloc = Bloc();
        cv_.notify_all();
        return true;
    }

    const std::string chemin_;
    const std::string sql_;
    const SqlArgs arguments_;
    const std::size_t enAvance_;
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Bloc> prets_;
    std::vector<Bloc> libres_;
    std::size_t livres_ = 0;
    bool fini_ = false;
    bool renonce_ = false;
    bool arret_ = false;
    std::thread thread_; // last: it starts once everything else is made
};

// Every row of the table read ahead, relation after relation and each in id order, on a
// connection and a thread of their own while the program builds its windows: the start then
// wakes each relation from memory, as often as windows ask for it, instead of reading it from the
// file once per window and waiting for a reader each time. It reads through the rows index, as a
// relation is read, so it holds exactly what such a read would hand over. A relation written
// since it began is never served from it (its snapshot may lack the write): that one is read
// from the file as before.
class LectureDAvance {
public:
    struct Relation {
        std::vector<Bloc> blocs;
        std::size_t rangees = 0;
    };
    // Beyond this many rows (about 45 MB of them), the rest is read as asked.
    static constexpr std::size_t kMaxRangees = std::size_t{1} << 19;

    explicit LectureDAvance(std::string chemin) : chemin_(std::move(chemin)), thread_([this] { lire(); }) {}
    ~LectureDAvance()
    {
        {
            const std::lock_guard<std::mutex> verrou(m_);
            arret_ = true;
        }
        thread_.join();
    }
    LectureDAvance(const LectureDAvance&) = delete;
    LectureDAvance& operator=(const LectureDAvance&) = delete;

    // The relation's rows; an empty relation when it has none; nullptr when they are to be read
    // from the file (not reached, given up, or written since). The relation being read is waited
    // for: it is handed over soonest.
    std::shared_ptr<const Relation> relation(KELId rel)
    {
        std::unique_lock<std::mutex> verrou(m_);
        cv_.wait(verrou, [&] { return fini_ || !enCours_ || *enCours_ != rel; });
        // Rows whose relation is no id read as relation 0: that one is never served.
        if (rel == 0 || toutEcrit_ || ecrites_.count(rel))
            return nullptr;
        if (auto it = lues_.find(rel); it != lues_.end())
            return it->second;
        if (toutLu_ || (jusquA_ && rel < *jusquA_))
            return std::make_shared<const Relation>();
        return nullptr;
    }
    void attendre()
    {
        std::unique_lock<std::mutex> verrou(m_);
        cv_.wait(verrou, [&] { return fini_; });
    }
    void ecrite(KELId rel)
    {
        const std::lock_guard<std::mutex> verrou(m_);
        ecrites_.insert(rel);
    }
    void toutEcrit()
    {
        const std::lock_guard<std::mutex> verrou(m_);
        toutEcrit_ = true;
    }

private:
    void lire()
    {
        Sqlite db;
        std::optional<KELId> courante;
        std::shared_ptr<Relation> relation;
        std::size_t total = 0, blocs = 0;
        auto publier = [&](std::optional<KELId> suivante) {
            const std::lock_guard<std::mutex> verrou(m_);
            if (courante && relation)
                lues_[*courante] = std::move(relation);
            jusquA_ = suivante;
            enCours_ = suivante;
            cv_.notify_all();
        };
        const std::string sql = std::string(kColumns) + " INDEXED BY " + KELChercheurDe::kRowsIndex + " WHERE " +
                                KELChercheurDe::kRowsIndexCondition + " ORDER BY RELATION, ZEVLET_ID;";
        bool interrompu = false;
        const bool ok = db.openForReading(chemin_) && db.forEach(sql, {}, [&](const SqlCursor& c) {
            KELRow row;
            KELChercheurDeLiens::readRow(c, row);
            if (!courante || row.relation != *courante) {
                bool arrete = false;
                {
                    const std::lock_guard<std::mutex> verrou(m_);
                    arrete = arret_;
                }
                // Ids out of order (a relation that is no integer) end what is served.
                interrompu = arrete || total >= kMaxRangees || (courante && row.relation < *courante);
                if (interrompu)
                    return false;
                publier(row.relation);
                courante = row.relation;
                relation = std::make_shared<Relation>();
                blocs = 0;
            }
            if (relation->blocs.empty() || relation->blocs.back().size() == relation->blocs.back().capacity()) {
                relation->blocs.emplace_back();
                // Most relations hold a few rows: blocks start small and double.
                relation->blocs.back().reserve(std::min<std::size_t>(LecteurEnFond::kBloc, std::size_t{16} << std::min<std::size_t>(blocs++, 9)));
            }
            relation->blocs.back().push_back(std::move(row));
            ++relation->rangees;
            ++total;
            return true;
        });
        const bool complet = ok && !interrompu;
        if (complet)
            publier(std::nullopt);
        const std::lock_guard<std::mutex> verrou(m_);
        toutLu_ = complet;
        fini_ = true;
        enCours_.reset();
        cv_.notify_all();
    }

    const std::string chemin_;
    std::mutex m_;
    std::condition_variable cv_;
    std::unordered_map<KELId, std::shared_ptr<const Relation>> lues_;
    std::unordered_set<KELId> ecrites_;
    std::optional<KELId> enCours_; // the relation being read
    std::optional<KELId> jusquA_;  // every relation below it is read
    bool toutLu_ = false;
    bool toutEcrit_ = false;
    bool fini_ = false;
    bool arret_ = false;
    std::thread thread_; // last: it starts once everything else is made
};

std::unique_ptr<LectureDAvance>& lectureDAvance()
{
    static std::unique_ptr<LectureDAvance> lecture;
    return lecture;
}

} // namespace

void KELChercheurDeLiens::lireLesRelationsEnAvance()
{
    oublierLesRelationsLuesEnAvance();
    // The reader must see what the shared connection committed, and nothing it has yet to commit.
    Sqlite& connexion = db();
    bool wal = false, indexe = false;
    connexion.forEach("PRAGMA journal_mode;", {}, [&](const SqlCursor& c) {
        wal = c.text(0) == "wal";
        return false;
    });
    connexion.forEach("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?;", {kRowsIndex},
                      [&](const SqlCursor&) {
        indexe = true;
        return false;
    });
    if (!wal || !indexe || connexion.inTransaction() || connexion.filePath().empty())
        return;
    try {
        lectureDAvance() = std::make_unique<LectureDAvance>(connexion.filePath());
    } catch (const std::system_error&) {
        // No thread to be had: every relation is read as asked.
    }
}

void KELChercheurDeLiens::attendreLaLectureEnAvance()
{
    if (LectureDAvance* avance = lectureDAvance().get())
        avance->attendre();
}

void KELChercheurDeLiens::oublierLesRelationsLuesEnAvance()
{
    if (!lectureDAvance())
        return;
    lectureDAvance().reset();
#if defined(__GLIBC__)
    // The rows were made in the reader's heap, which keeps freed pages unless asked.
    malloc_trim(0);
#endif
}

void KELChercheurDeLiens::forEachBlocDeLaRelInt(KELId rel, const std::function<void(std::size_t)>& prevu,
                                                const std::function<void(const KELRow*, std::size_t)>& bloc)
{
    if (LectureDAvance* avance = lectureDAvance().get())
        if (const std::shared_ptr<const LectureDAvance::Relation> lue = avance->relation(rel)) {
            if (lue->rangees == 0)
                return;
            prevu(lue->rangees);
            for (const Bloc& b : lue->blocs)
                bloc(b.data(), b.size());
            return;
        }
    // Through the relation index each row costs a look-up in the table; when the relation holds
    // a good part of the table, reading the table straight through is faster ("+" keeps the index
    // out of the plan). Only that choice needs sizes, so neither count goes further than it must:
    // the table's rows are estimated from its pages (counting them would itself be a pass over
    // the table), and the relation's rows are counted up to the point where the choice is made.
    if (tailleEstimee_ == 0) {
        std::uint64_t pages = 0, octets = 0;
        db().forEach("PRAGMA page_count;", {}, [&](const SqlCursor& c) {
            pages = static_cast<std::uint64_t>(idAt(c, 0));
            return false;
        });
        db().forEach("PRAGMA page_size;", {}, [&](const SqlCursor& c) {
            octets = static_cast<std::uint64_t>(idAt(c, 0));
            return false;
        });
        // About 64 bytes a row with its share of the indexes: an estimate on the large side, so a
        // relation must really be a good part of the table before the plan turns to a scan.
        tailleEstimee_ = std::max<std::uint64_t>(pages * octets / 64, 1);
    }
    const std::uint64_t seuil = std::max<std::uint64_t>(4096, tailleEstimee_ / 8);
    std::uint64_t nombre = 0;
    db().forEach("SELECT COUNT(*) FROM (SELECT 1 FROM ZEVLETS WHERE RELATION = ? LIMIT ?);", {rel, seuil + 1},
                 [&](const SqlCursor& c) {
        nombre = static_cast<std::uint64_t>(idAt(c, 0));
        return false;
    });
    if (nombre == 0)
        return;
    if (lignesIndexees_ < 0) {
        lignesIndexees_ = 0;
        db().forEach("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?;", {kRowsIndex},
                     [&](const SqlCursor&) {
            lignesIndexees_ = 1;
            return false;
        });
    }
    // The rows index holds every column: reading through it never visits the table, whatever
    // part of the table the relation is.
    const bool grand = nombre > seuil;
    const bool parcours = grand && lignesIndexees_ == 0;
    const std::string plan = lignesIndexees_ == 1 ? std::string(" WHERE RELATION = ? AND ") + kRowsIndexCondition
                             : parcours         ? " WHERE +RELATION = ?"
                                                : " WHERE RELATION = ?";

    if (journalWal_ < 0) {
        journalWal_ = 0;
        db().forEach("PRAGMA journal_mode;", {}, [&](const SqlCursor& c) {
            journalWal_ = c.text(0) == "wal" ? 1 : 0;
            return false;
        });
    }
    // The parts read, in id order: the whole relation, or its two halves by id read at once.
    struct Partie {
        std::string sql;
        SqlArgs arguments;
        std::unique_ptr<LecteurEnFond> lecteur;
    };
    std::vector<Partie> parties;
    const bool enFond =
        nombre >= seuilDeLectureEnFond_ && journalWal_ == 1 && !db().inTransaction() && !db().filePath().empty();
    KELId premier = 0, dernier = 0;
    if (enFond && nombre >= 2 * seuilDeLectureEnFond_) {
        // The user's ids are given out in turn, so halving their range about halves the rows; the
        // few ids below it (the template's) go with the first half.
        premier = firstId("SELECT MIN(ZEVLET_ID) FROM ZEVLETS WHERE RELATION = ? AND ZEVLET_ID > ?;",
                          {rel, static_cast<long long>(KELIdSpace::minId())})
                      .value_or(0);
        dernier = firstId("SELECT MAX(ZEVLET_ID) FROM ZEVLETS WHERE RELATION = ?;", {rel}).value_or(0);
    }
    if (premier > 0 && dernier > premier && dernier < kMaxIdEntier) {
        const auto milieu = static_cast<long long>(premier + (dernier - premier) / 2);
        parties.push_back({std::string(kColumns) + plan + " AND ZEVLET_ID < ?;", {rel, milieu}, nullptr});
        parties.push_back({std::string(kColumns) + plan + " AND ZEVLET_ID >= ?;", {rel, milieu}, nullptr});
    } else {
        parties.push_back({std::string(kColumns) + plan + ";", {rel}, nullptr});
    }
    if (enFond) {
        // The first part is handed over while it is read; the others are read whole meanwhile.
        for (std::size_t i = 0; i < parties.size(); ++i) {
            try {
                parties[i].lecteur = std::make_unique<LecteurEnFond>(db().filePath(), parties[i].sql, parties[i].arguments,
                                                                     i == 0 ? 16 : SIZE_MAX);
            } catch (const std::system_error&) {
                break; // no thread to be had: the rest is read here
            }
        }
    }

    bool prevenu = false;
    auto livrer = [&](const Bloc& rangees, std::size_t total) {
        if (!prevenu)
            prevu(total);
        prevenu = true;
        bloc(rangees.data(), rangees.size());
    };
    // A large relation's pages are read once: the connection does not keep them afterwards.
    struct Rendre {
        Sqlite& db;
        bool grand;
        ~Rendre()
        {
            if (grand)
                db.releaseMemory();
        }
    } rendre{db(), nombre >= kRangeesSansMemoire};
    // Without an end known, about as many rows as the table holds: enough, and only ever touched
    // as far as used.
    const std::size_t attendus = grand ? std::max<std::uint64_t>(nombre, tailleEstimee_) : nombre;
    for (Partie& partie : parties) {
        if (partie.lecteur) {
            Bloc rangees;
            while (partie.lecteur->suivant(rangees))
                livrer(rangees, attendus);
            if (!partie.lecteur->aRenonce())
                continue;
        }
        // Read to the end before handing over: the callbacks run statements of their own.
        std::vector<Bloc> blocs;
        std::size_t total = 0;
        db().forEach(partie.sql, partie.arguments, [&](const SqlCursor& c) {
            // A small relation (most are) gets a block of its size, not a large one mapped for it.
            if (blocs.empty() || blocs.back().size() == blocs.back().capacity()) {
                blocs.emplace_back();
                blocs.back().reserve(blocs.size() == 1 ? std::min<std::uint64_t>(nombre, LecteurEnFond::kBloc)
                                                       : LecteurEnFond::kBloc);
            }
            blocs.back().emplace_back();
            readRow(c, blocs.back().back());
            ++total;
            return true;
        });
        for (const Bloc& b : blocs)
            livrer(b, parties.size() == 1 ? total : attendus);
    }
}

// ---- Helpers

KELIds KELChercheurDeLiens::ids(const char* sql, const SqlArgs& arguments)
{
    std::vector<KELId> out;
    db().forEach(sql, arguments, [&](const SqlCursor& c) {
        out.push_back(idAt(c, 0));
        return true;
    });
    return kelIds(std::move(out));
}

std::optional<KELId> KELChercheurDeLiens::firstId(const char* sql, const SqlArgs& arguments)
{
    std::optional<KELId> first;
    db().forEach(sql, arguments, [&](const SqlCursor& c) {
        first = idAt(c, 0);
        return false;
    });
    return first;
}

std::optional<KELId> KELChercheurDeLiens::lastId(const char* sql, const SqlArgs& arguments)
{
    std::optional<KELId> last;
    db().forEach(sql, arguments, [&](const SqlCursor& c) {
        last = idAt(c, 0);
        return true;
    });
    return last;
}

std::uint64_t KELChercheurDeLiens::rowCount(const char* sql, const SqlArgs& arguments)
{
    std::uint64_t n = 0;
    db().forEach(sql, arguments, [&](const SqlCursor&) {
        ++n;
        return true;
    });
    return n;
}

KELDate KELChercheurDeLiens::impliedOutDate(const char* sql, const SqlArgs& arguments)
{
    KELDate date = KELDateOuverte;
    db().forEach(sql, arguments, [&](const SqlCursor& c) {
        date = std::min(c.real(0), KELDateOuverte);
        return false;
    });
    return date;
}

// ---- Reading links

KELIds KELChercheurDeLiens::liensNumDeLaRelInt(KELId rel) { return ids(kByRel, {rel}); }
KELIds KELChercheurDeLiens::liensNumDeLEnfantInt(KELId child) { return ids(kByChild, {child}); }
bool KELChercheurDeLiens::siLienForRelNum(KELId rel, KELId child) { return firstId(kLiveByRelChild, {rel, child}).has_value(); }
KELIds KELChercheurDeLiens::liensNumDeLEnfantIntRelInt(KELId child, KELId rel) { return ids(kLiveByRelChild, {rel, child}); }
KELIds KELChercheurDeLiens::liensNumDuParentIntRelInt(KELId parent, KELId rel) { return ids(kLiveByRelParent, {rel, parent}); }

std::uint64_t KELChercheurDeLiens::nbDeParentsDistinctsPourLaRelationInt(KELId rel) { return rowCount(kDistinctParents, {rel}); }
std::uint64_t KELChercheurDeLiens::nbDEnfantsDistinctsPourLaRelationInt(KELId rel) { return rowCount(kDistinctChildren, {rel}); }

std::uint64_t KELChercheurDeLiens::lienCount()
{
    const auto rows = db().executeQuery(kCount);
    if (!rows || rows->empty() || !(*rows)[0]["ZEVLET_COUNT"].isNumber())
        return 0;
    return idFrom((*rows)[0]["ZEVLET_COUNT"]);
}

KELId KELChercheurDeLiens::lienIntForParentInt(KELId parent, KELId child, KELId rel, KELDate date)
{
    const KELIds found = ids(kAtParentChildRel, {parent, child, rel, date, date});
    if (!found)
        return 0;
    if (found->size() > 1)
        logFormat("Linkbase Integrity error! DoubleLien for parent:%lu child:%lu rel:%lu date:%f", UL(parent), UL(child),
                  UL(rel), date);
    return found->front();
}

KELIds KELChercheurDeLiens::liensNumForEnfantInt(KELId child, KELId rel, KELDate date)
{
    return ids(kAtChildRel, {child, rel, date, date});
}

KELIds KELChercheurDeLiens::enfantsNumForParentInt(KELId parent, KELId rel, KELDate date)
{
    return ids(kChildrenAtParentRel, {parent, rel, date, date});
}

KELIds KELChercheurDeLiens::liensNumForParentInt(KELId parent, KELId rel, KELDate date)
{
    return ids(kAtParentRel, {parent, rel, date, date});
}

KELDate KELChercheurDeLiens::outDatePourParentRelationDate(KELId parent, KELId rel, KELDate date)
{
    return impliedOutDate(kNextInParentRel, {parent, rel, date});
}

KELDate KELChercheurDeLiens::outDatePourEnfant(KELId child, KELId rel, KELDate date)
{
    return impliedOutDate(kNextInChildRel, {child, rel, date});
}

KELDate KELChercheurDeLiens::outDatePourParentEnfantRelationDate(KELId parent, KELId child, KELId rel, KELDate date)
{
    return impliedOutDate(kNextInParentChildRel, {parent, child, rel, date});
}

KELDate KELChercheurDeLiens::inDatePourLienNum(KELId id)
{
    KELDate d = 0.0;
    db().forEach(kInDate, {id}, [&](const SqlCursor& c) {
        d = c.real(0);
        return false;
    });
    return d;
}

KELDate KELChercheurDeLiens::outDatePourLienNum(KELId id)
{
    KELDate d = 0.0;
    db().forEach(kOutDate, {id}, [&](const SqlCursor& c) {
        d = c.real(0);
        return false;
    });
    return d;
}

KELIds KELChercheurDeLiens::liensNumDuParentIntApres(KELId parent, KELDate date) { return ids(kParentAfter, {parent, date}); }
KELIds KELChercheurDeLiens::liensNumDeLEnfantIntApres(KELId child, KELDate date) { return ids(kChildAfter, {child, date}); }

KELId KELChercheurDeLiens::lienIntDeRelInt(KELId rel, KELId base)
{
    const KELIds found = ids(kRelBase, {rel, base});
    if (!found)
        return 0;
    if (found->size() > 1) {
        logFormat("- [KELChercheurDeLiens lienIntDeRelInt: (%lu) baseInt: (%lu)] PLUSIEURS LIENS !!!", UL(rel), UL(base));
        return 0;
    }
    return found->front();
}

std::optional<KELId> KELChercheurDeLiens::firstLienNumDeRelIntParentInt(KELId rel, KELId parent)
{
    return firstId(kFirstRelParent, {rel, parent});
}

std::optional<KELId> KELChercheurDeLiens::firstLienNumDeRelIntEnfantInt(KELId rel, KELId child)
{
    return firstId(kFirstRelChild, {rel, child});
}

std::optional<KELId> KELChercheurDeLiens::firstLienNumDeRelIntEnfantIntApresDate(KELId rel, KELId child, KELDate date)
{
    return firstId(kFirstRelChildAfter, {rel, child, date});
}

std::unordered_map<KELId, KELId> KELChercheurDeLiens::firstLiensNumDeRelIntApresDateParEnfant(KELId rel, KELDate date)
{
    std::unordered_map<KELId, KELId> first;
    db().forEach(kRelAfterByChild, {rel, date}, [&](const SqlCursor& c) {
        first.emplace(idAt(c, 0), idAt(c, 1));
        return true;
    });
    return first;
}

std::optional<KELId> KELChercheurDeLiens::firstLienNumDeRelNumParentNumApresDate(KELId rel, KELId parent, KELDate date)
{
    return firstId(kFirstLiveRelParentAfter, {rel, parent, date});
}

std::optional<KELId> KELChercheurDeLiens::firstLienNumDeRelNumParentNumEnfantNumApresDate(KELId rel, KELId parent,
                                                                                         KELId child, KELDate date)
{
    return firstId(kFirstRelParentChildAfter, {rel, parent, child, date});
}

std::optional<KELId> KELChercheurDeLiens::lastLienNumDeRelIntParentInt(KELId rel, KELId parent)
{
    return lastId(kLastRelParent, {rel, parent});
}

std::optional<KELId> KELChercheurDeLiens::lastLienNumDeRelIntParentIntForDate(KELId rel, KELId parent, KELDate date)
{
    return lastId(kLastRelParentForDate, {rel, parent, date});
}

std::optional<KELId> KELChercheurDeLiens::lastLienNumDeRelNum(KELId rel, KELId parent, KELId child, KELDate date)
{
    return lastId(kLastRelParentChildBefore, {rel, parent, child, date});
}

// ---- Writing links

KELId KELChercheurDeLiens::maxIdInt(KELId plancher) { return allocateId("KELChercheurDeLiens", kMaxId, kPlaceholder, plancher); }

bool KELChercheurDeLiens::replaceRow(const KELRow& row)
{
    if (LectureDAvance* avance = lectureDAvance().get())
        avance->ecrite(row.relation);
    return db().executeNonQuery(kReplace, {row.id, row.base, row.className, row.inDate, row.outDate, row.child,
                                           row.parent, row.relation});
}

bool KELChercheurDeLiens::insertLeLien(const KELRow& row)
{
    if (row.id == 0) {
        // Rows written under id 0 would overwrite each other.
        logFormat("- [KELChercheurDeLiens insertLeLien:] id 0 refused (class %s)", row.className.c_str());
        return false;
    }
    return replaceRow(row);
}

bool KELChercheurDeLiens::majLesDatesDuLien(const KELRow& row) { return row.id != 0 && replaceRow(row); }

bool KELChercheurDeLiens::majLien(const KELRow& row, KELId enfant)
{
    if (row.id == 0)
        return false;
    KELRow changed = row;
    changed.child = enfant;
    return replaceRow(changed);
}

bool KELChercheurDeLiens::deleteLeLien(KELId id)
{
    if (LectureDAvance* avance = lectureDAvance().get())
        avance->toutEcrit(); // of a relation not known here
    return db().executeNonQuery(kDelete, {id});
}
