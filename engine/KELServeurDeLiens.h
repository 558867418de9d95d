#pragma once
// The link base's front door: keeps every woken link in memory for the run, hands out links by
// id for a cursor, creates, stores, forgets and erases them, and passes store queries through to
// its finder. Class-level, as the rest of the system reaches it; `reset` exists for tests.

#include "engine/KELLien.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class KELICurseurGlobal;
class KELIContexteGlobal;
class KELICc;

// Anything that follows the start-up load.
class KELProgressDelegate {
public:
    virtual ~KELProgressDelegate() = default;
    virtual void increment() = 0;
};

class KELServeurDe {
public:
    static KELValue BaseDuLien(const KELI*) { return {}; }
    static KELId NouvelIdInt() { return 0; }
};

class KELServeurDeLiens : public KELServeurDe {
public:
    // Opens the store (through the finder) and builds the global cursor and context.
    static void initialize();
    static bool estInitialise();
    // Drops every link and the store connection (tests and quit).
    static void reset();

    static KELI* LienForInt(KELId id, KELICc* curseur);
    // Stores a prepared link. Answers the element to use: the link itself once stored, or the
    // existing value element with an equal value (the given link is then dropped); nullptr when it
    // could not be stored (no id left), in which case nothing was registered or written.
    static KELI* AjouterLienIn(std::unique_ptr<KELI> lien, KELICc* curseur);
    static KELI* CreerLienRelInt(KELId rel, KELI* parent, KELI* enfant, KELDate inDate,
                                 KELDate outDate, KELICc* curseur);
    // Whether the link was made in a set of writes (an act, a commit) that the store did not
    // keep, a full disk say: it is then forgotten in memory like an erased link, and no row of it
    // is written again. AjouterLienIn and CreerLienRelInt answer nullptr for such a link when
    // their own commit is the one lost; inside a larger act this is known when the act ends. They
    // make no link (and log the refusal) whose parent, child or relation is such a link.
    static bool Perdu(const KELI* lien);
    // How many writes the store has refused so far: an act that only writes links again (no new
    // one to ask Perdu about) was stored when a reading after it equals one taken before it.
    static std::uint64_t EcrituresRefusees();
    static void DegagerLien(KELI* lien, KELICc* curseur);
    static void EraseLien(KELI* lien, KELICc* curseur);
    static KELI* AssigneLien(std::unique_ptr<KELI> lien, KELId id, KELICc* curseur);

    static void SetDelegate(KELProgressDelegate* delegue); // not owned
    static KELGrandTableau& GrandTableau();
    static KELICurseurGlobal* CurseurGlobal();
    static KELIContexteGlobal* ContexteGlobal();
    static KELI* DonneMaintenantLeLienId(KELId id);
    // Where the link of an id is kept in memory, asked for without waiting (nothing is woken).
    static void PrefetchLienId(KELId id);
    static void LibereLienInt(KELId id);
    static std::unique_ptr<KELI> FetchLienInt(KELId id);
    static KELId NouvelIdInt();
    static bool SiLienForRelNum(KELId rel, KELId enfant);
    static KELDate OutDateDuLienParent(const KELI* lien);
    static KELDate OutDateDuLienEnfant(const KELI* lien);
    static KELDate OutDateDuLien(const KELI* lien);

    // Reads many links at once before they are woken one by one (start-up must not run one
    // SELECT per link).
    static void Prefetch(const std::vector<KELId>& ids);
    // Wakes every link of a relation for a cursor (and for the further windows given), reading
    // them in one statement; answers whether the relation has any link in the store.
    static bool ReveillerLaRelInt(KELId rel, KELICc* curseur, const std::vector<KELICc*>& autres = {});

    // Every cursor and context in memory.
    static const std::vector<KELICc*>& Fenetres();
    // Whether every event in the table stands at its place: none is waiting, appended at its end,
    // for the group that woke it to end.
    static bool ToutEstPlace();

    // Links woken while a group lives are placed together when it ends (one merge instead of one
    // per link): loading a relation's links wakes them in a group.
    class Groupe {
    public:
        Groupe();
        ~Groupe();
        Groupe(const Groupe&) = delete;
        Groupe& operator=(const Groupe&) = delete;

    private:
        bool ancien_;
    };

    // A user act that stores several links (an element and the links that make it whole, a link
    // and the one it takes over from) stores all of them or none. It reserves every id it needs
    // before anything is written; when the store has none left for one of them, it gives back
    // those it had, the store-error hook has heard of it, and the act must write nothing. While it
    // lives, new links, words and numbers take their ids from it and its statements are committed
    // together; the ids it did not hand out are given back when it ends.
    class Acte {
    public:
        explicit Acte(std::size_t liens, std::size_t mots = 0, std::size_t nombres = 0);
        ~Acte();
        Acte(const Acte&) = delete;
        Acte& operator=(const Acte&) = delete;
        // Whether every id was reserved.
        bool complet() const { return complet_; }
        // Work for when the writes of this act turn out not to be stored: those of the act itself
        // or, when it runs inside a larger one, of the outermost act, whose commit decides for
        // both. It runs once, after the links made are forgotten (Perdu answers for them), and is
        // dropped when the writes are stored. Without a commit under way (a closed store) the act
        // is refused when a write of its own was.
        void siRefuse(std::function<void()> travail) const;

        // What the act holds: its commit and the ids not yet handed out (kept by the server).
        struct Ids;

    private:
        std::unique_ptr<Ids> ids_;
        bool complet_ = false;
    };

    // Forwarders to the finder.
    static std::size_t LienCount();
    // Writes the link's row again; the window is the one the change was made in, which gets
    // the stored dates back if the act the write belongs to is not stored.
    static void MajLesDatesDuLien(const KELI* lien, KELICc* curseur = nullptr);
    static void MajLien(const KELI* lien, KELId enfantInt);
    static KELId LienIntForParentInt(KELId parent, KELId enfant, KELId rel, KELDate date);
    static KELIds LiensNumForEnfantInt(KELId enfant, KELId rel, KELDate date);
    static KELIds EnfantsNumForParentInt(KELId parent, KELId rel, KELDate date);
    static KELIds LiensNumForParentInt(KELId parent, KELId rel, KELDate date);
    static KELIds LiensNumDeLaRelInt(KELId rel);
    static std::size_t NbDeParentsDistinctsPourLaRelInt(KELId rel);
    static std::size_t NbDEnfantsDistinctsPourLaRelInt(KELId rel);
    static KELDate InDateForLienNum(KELId id);
    static KELDate OutDateForLienNum(KELId id);
    static KELIds LiensNumDuParentIntApres(KELId parent, KELDate date);
    static KELIds LiensNumDeLEnfantIntApres(KELId enfant, KELDate date);
    static KELId LienIntDeRelInt(KELId rel, KELId base);
    static KELId FirstLienNumDeRelIntParentInt(KELId rel, KELId parent);
    static KELId FirstLienNumDeRelIntEnfantInt(KELId rel, KELId enfant);
    static KELId FirstLienNumDeRelIntEnfantIntApresDate(KELId rel, KELId enfant, KELDate date);
    // The same for every child in one read: child -> its first link after the date.
    static std::unordered_map<KELId, KELId> FirstLiensNumDeRelIntApresDateParEnfant(KELId rel, KELDate date);
    static KELId FirstLienNumDeRelNumParentNumApresDate(KELId rel, KELId parent, KELDate date);
    static KELId FirstLienNumDeRelNumParentNumEnfantNumApresDate(KELId rel, KELId parent, KELId enfant,
                                                                 KELDate date);
    static KELId LastLienNumDeRelIntParentInt(KELId rel, KELId parent);
    static KELId LastLienNumDeRelIntParentIntForDate(KELId rel, KELId parent, KELDate date);
    static KELId LastLienNumDeRelNumParentNumEnfantNumAvantDate(KELId rel, KELId parent, KELId enfant,
                                                                KELDate date);
    static KELIds LiensNumDeLEnfantIntRelInt(KELId enfant, KELId rel);
    static KELIds LiensNumDuParentIntRelInt(KELId parent, KELId rel);
    static KELIds LiensNumDeLEnfantInt(KELId enfant);

private:
    static void placerLesLiensEnAttente();
    static KELI* ajouterLienDansUnEnsemble(std::unique_ptr<KELI> lien, KELICc* curseur);
    static KELI* creerLienDansUnEnsemble(KELId rel, KELI* parent, KELI* enfant, KELDate inDate,
                                         KELDate outDate, KELICc* curseur);
};

// Value servers: words and numbers kept apart from the links, shared among equal values in the
// user id range.
class KELServeurDeMots : public KELServeurDe {
public:
    static KELValue BaseDuLien(const KELI* element);
    static KELValue MotAvecBaseInt(KELId valeurId);
    // The words of these ids read now, together, and kept like those read one by one.
    static void Prefetch(const std::vector<KELId>& valeurIds);
    static KELId MotIntAvecBaseTxt(const std::string& mot);
    static KELId CreeMotAvecBaseTxt(const std::string& mot, KELId lienInt);
    static void SuppMotAvecBaseInt(KELId valeurId);
    static KELId NouvelIdInt();
    static void reset();
};

class KELServeurDeNombres : public KELServeurDe {
public:
    static KELValue BaseDuLien(const KELI* element);
    static KELValue NombreAvecBaseInt(KELId valeurId);
    // The numbers of these ids read now, together, and kept like those read one by one.
    static void Prefetch(const std::vector<KELId>& valeurIds);
    static KELId NombreIntAvecBaseNum(double nombre);
    static KELId CreeNombreAvecBaseNum(double nombre, KELId lienInt);
    static void SuppNombreAvecBaseInt(KELId valeurId);
    static KELId NouvelIdInt();
    static void reset();
};
