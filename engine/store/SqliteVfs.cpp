#include "engine/store/SqliteVfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace tallomer::store {
namespace {

constexpr const char* kNom = "tallomer-journal-groupe";
// Gathered bytes are handed over once they pass this, and in parts of at most this size: the
// system layer takes at most 128 KiB in one write.
constexpr std::size_t kPlafond = 64 * 1024;
constexpr int kEnTeteDeTrame = 24;

sqlite3_vfs* g_systeme = nullptr; // the layer underneath; owned by SQLite
sqlite3_vfs g_vfs;
std::atomic<std::size_t> g_ecritures{0};
std::mutex g_liens; // guards Fichier::journal / Fichier::base between a database and its log

struct Fichier {
    sqlite3_file entete; // must come first: SQLite sees this
    sqlite3_file* reel;  // the system's file, stored right behind this struct
    bool estJournal = false;
    const char* nomBase = nullptr;         // the database's name as SQLite holds it (identity only)
    Fichier* journal = nullptr;            // for a database: its log, when open; not owned
    Fichier* base = nullptr;               // for a log: its database; not owned
    std::vector<unsigned char>* tampon = nullptr; // log writes not yet handed over; owned
    sqlite3_int64 debut = 0;               // file offset of tampon's first byte
    bool trameDeCommit = false;            // the last header gathered closes a commit
};

// The databases open through the layer, so that a log finds its own (two connections on one file
// each have their own name block, hence their own entry).
std::vector<Fichier*> g_bases;

Fichier* de(sqlite3_file* f) { return reinterpret_cast<Fichier*>(f); }

int vider(Fichier* f)
{
    if (!f || !f->tampon || f->tampon->empty())
        return SQLITE_OK;
    int rc = SQLITE_OK;
    const std::size_t n = f->tampon->size();
    for (std::size_t fait = 0; fait < n && rc == SQLITE_OK; fait += kPlafond) {
        const std::size_t part = std::min(kPlafond, n - fait);
        rc = f->reel->pMethods->xWrite(f->reel, f->tampon->data() + fait, static_cast<int>(part),
                                       f->debut + static_cast<sqlite3_int64>(fait));
        g_ecritures.fetch_add(1, std::memory_order_relaxed);
    }
    f->tampon->clear();
    f->trameDeCommit = false;
    return rc;
}

// Before anything else reaches a file, its log holds every frame written so far.
int avant(sqlite3_file* file)
{
    Fichier* f = de(file);
    if (f->estJournal)
        return vider(f);
    Fichier* journal = nullptr;
    {
        // The link may change under another connection's open or close; the log itself is only
        // used by the thread running this connection, so it is written outside the lock.
        std::lock_guard<std::mutex> verrou(g_liens);
        journal = f->journal;
    }
    return vider(journal);
}

int xClose(sqlite3_file* file)
{
    Fichier* f = de(file);
    int rc = avant(file);
    {
        std::lock_guard<std::mutex> verrou(g_liens);
        for (auto it = g_bases.begin(); it != g_bases.end(); ++it)
            if (*it == f) {
                g_bases.erase(it);
                break;
            }
        if (f->journal)
            f->journal->base = nullptr;
        if (f->base)
            f->base->journal = nullptr;
        f->journal = f->base = nullptr;
    }
    delete f->tampon;
    f->tampon = nullptr;
    const int rc2 = f->reel->pMethods ? f->reel->pMethods->xClose(f->reel) : SQLITE_OK;
    return rc != SQLITE_OK ? rc : rc2;
}

int xRead(sqlite3_file* file, void* p, int n, sqlite3_int64 o)
{
    if (const int rc = avant(file); rc != SQLITE_OK)
        return rc;
    return de(file)->reel->pMethods->xRead(de(file)->reel, p, n, o);
}

int xWrite(sqlite3_file* file, const void* p, int n, sqlite3_int64 o)
{
    Fichier* f = de(file);
    if (!f->estJournal || n <= 0) {
        if (const int rc = avant(file); rc != SQLITE_OK)
            return rc;
        return f->reel->pMethods->xWrite(f->reel, p, n, o);
    }
    std::vector<unsigned char>& t = *f->tampon;
    if (!t.empty() && o != f->debut + static_cast<sqlite3_int64>(t.size())) {
        if (const int rc = vider(f); rc != SQLITE_OK)
            return rc;
    }
    if (t.empty())
        f->debut = o;
    const auto* octets = static_cast<const unsigned char*>(p);
    t.insert(t.end(), octets, octets + n);
    if (n == kEnTeteDeTrame) {
        // Bytes 4..7 of a frame header: the database size after a commit, zero inside one.
        f->trameDeCommit = (octets[4] | octets[5] | octets[6] | octets[7]) != 0;
        return SQLITE_OK;
    }
    if (f->trameDeCommit || t.size() >= kPlafond)
        return vider(f);
    return SQLITE_OK;
}

// The calls that only pass through: first what this file holds back reaches the real file, then
// the call does.
template <auto Methode, class... A>
int relayer(sqlite3_file* file, A... a)
{
    if (const int rc = avant(file); rc != SQLITE_OK)
        return rc;
    return (de(file)->reel->pMethods->*Methode)(de(file)->reel, a...);
}

int xFileControl(sqlite3_file* file, int op, void* arg)
{
    if (const int rc = avant(file); rc != SQLITE_OK)
        return rc;
    if (op == SQLITE_FCNTL_VFSNAME) {
        // Name this layer in front of the system's own.
        const int rc = de(file)->reel->pMethods->xFileControl(de(file)->reel, op, arg);
        if (rc == SQLITE_OK && arg) {
            char** nom = static_cast<char**>(arg);
            char* joint = sqlite3_mprintf("%s/%z", kNom, *nom);
            *nom = joint;
        }
        return rc;
    }
    return de(file)->reel->pMethods->xFileControl(de(file)->reel, op, arg);
}

int xSectorSize(sqlite3_file* file) { return de(file)->reel->pMethods->xSectorSize(de(file)->reel); }

int xDeviceCharacteristics(sqlite3_file* file)
{
    return de(file)->reel->pMethods->xDeviceCharacteristics(de(file)->reel);
}

// The shared index (mapped, locked, unmapped through relayer too): what it says must already be
// true of the log.
void xShmBarrier(sqlite3_file* file)
{
    avant(file); // nothing is gathered here: a commit hands its frames over in its last write
    de(file)->reel->pMethods->xShmBarrier(de(file)->reel);
}

int xUnfetch(sqlite3_file* file, sqlite3_int64 o, void* p)
{
    return de(file)->reel->pMethods->xUnfetch(de(file)->reel, o, p);
}

// One table per version of the system file's methods, so that SQLite never calls an entry the
// file underneath lacks.
sqlite3_io_methods g_methodes[3];

void preparerLesMethodes()
{
    for (int v = 1; v <= 3; ++v) {
        sqlite3_io_methods& m = g_methodes[v - 1];
        m = sqlite3_io_methods{};
        m.iVersion = v;
        m.xClose = xClose;
        m.xRead = xRead;
        m.xWrite = xWrite;
        m.xTruncate = relayer<&sqlite3_io_methods::xTruncate, sqlite3_int64>;
        m.xSync = relayer<&sqlite3_io_methods::xSync, int>;
        m.xFileSize = relayer<&sqlite3_io_methods::xFileSize, sqlite3_int64*>;
        m.xLock = relayer<&sqlite3_io_methods::xLock, int>;
        m.xUnlock = relayer<&sqlite3_io_methods::xUnlock, int>;
        m.xCheckReservedLock = relayer<&sqlite3_io_methods::xCheckReservedLock, int*>;
        m.xFileControl = xFileControl;
        m.xSectorSize = xSectorSize;
        m.xDeviceCharacteristics = xDeviceCharacteristics;
        if (v >= 2) {
            m.xShmMap = relayer<&sqlite3_io_methods::xShmMap, int, int, int, void volatile**>;
            m.xShmLock = relayer<&sqlite3_io_methods::xShmLock, int, int, int>;
            m.xShmBarrier = xShmBarrier;
            m.xShmUnmap = relayer<&sqlite3_io_methods::xShmUnmap, int>;
        }
        if (v >= 3) {
            m.xFetch = relayer<&sqlite3_io_methods::xFetch, sqlite3_int64, int, void**>;
            m.xUnfetch = xUnfetch;
        }
    }
}

int xOpen(sqlite3_vfs*, sqlite3_filename nom, sqlite3_file* file, int flags, int* sorties)
{
    Fichier* f = de(file);
    new (f) Fichier{}; // SQLite hands raw memory of szOsFile bytes
    f->reel = reinterpret_cast<sqlite3_file*>(f + 1);
    const int rc = g_systeme->xOpen(g_systeme, nom, f->reel, flags, sorties);
    if (rc != SQLITE_OK || !f->reel->pMethods) {
        if (f->reel->pMethods)
            f->reel->pMethods->xClose(f->reel);
        f->entete.pMethods = nullptr;
        return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
    }
    const int v = f->reel->pMethods->iVersion < 1 ? 1 : (f->reel->pMethods->iVersion > 3 ? 3 : f->reel->pMethods->iVersion);
    f->entete.pMethods = &g_methodes[v - 1];
    std::lock_guard<std::mutex> verrou(g_liens);
    if ((flags & SQLITE_OPEN_MAIN_DB) && nom) {
        f->nomBase = nom;
        g_bases.push_back(f);
    } else if ((flags & SQLITE_OPEN_WAL) && nom) {
        f->estJournal = true;
        f->tampon = new std::vector<unsigned char>();
        const char* base = sqlite3_filename_database(nom);
        for (Fichier* b : g_bases)
            if (b->nomBase == base && !b->journal) {
                b->journal = f;
                f->base = b;
                break;
            }
    }
    return SQLITE_OK;
}

int xDelete(sqlite3_vfs*, const char* nom, int sync) { return g_systeme->xDelete(g_systeme, nom, sync); }
int xAccess(sqlite3_vfs*, const char* nom, int flags, int* out) { return g_systeme->xAccess(g_systeme, nom, flags, out); }
int xFullPathname(sqlite3_vfs*, const char* nom, int n, char* out)
{
    return g_systeme->xFullPathname(g_systeme, nom, n, out);
}
void* xDlOpen(sqlite3_vfs*, const char* nom) { return g_systeme->xDlOpen(g_systeme, nom); }
void xDlError(sqlite3_vfs*, int n, char* out) { g_systeme->xDlError(g_systeme, n, out); }
void (*xDlSym(sqlite3_vfs*, void* h, const char* s))(void) { return g_systeme->xDlSym(g_systeme, h, s); }
void xDlClose(sqlite3_vfs*, void* h) { g_systeme->xDlClose(g_systeme, h); }
int xRandomness(sqlite3_vfs*, int n, char* out) { return g_systeme->xRandomness(g_systeme, n, out); }
int xSleep(sqlite3_vfs*, int us) { return g_systeme->xSleep(g_systeme, us); }
int xCurrentTime(sqlite3_vfs*, double* t) { return g_systeme->xCurrentTime(g_systeme, t); }
int xGetLastError(sqlite3_vfs*, int n, char* out)
{
    return g_systeme->xGetLastError ? g_systeme->xGetLastError(g_systeme, n, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* t) { return g_systeme->xCurrentTimeInt64(g_systeme, t); }

} // namespace

const char* vfsGroupeurDeJournal()
{
    static const char* nom = [] () -> const char* {
        sqlite3_initialize();
        g_systeme = sqlite3_vfs_find(nullptr);
        if (!g_systeme || g_systeme->iVersion < 2)
            return nullptr;
        preparerLesMethodes();
        g_vfs = sqlite3_vfs{};
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(sizeof(Fichier)) + g_systeme->szOsFile;
        g_vfs.mxPathname = g_systeme->mxPathname;
        g_vfs.zName = kNom;
        g_vfs.xOpen = xOpen;
        g_vfs.xDelete = xDelete;
        g_vfs.xAccess = xAccess;
        g_vfs.xFullPathname = xFullPathname;
        g_vfs.xDlOpen = xDlOpen;
        g_vfs.xDlError = xDlError;
        g_vfs.xDlSym = xDlSym;
        g_vfs.xDlClose = xDlClose;
        g_vfs.xRandomness = xRandomness;
        g_vfs.xSleep = xSleep;
        g_vfs.xCurrentTime = xCurrentTime;
        g_vfs.xGetLastError = xGetLastError;
        g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
        if (sqlite3_vfs_register(&g_vfs, 0) != SQLITE_OK)
            return nullptr;
        return kNom;
    }();
    return nom;
}

std::size_t ecrituresDeJournal() { return g_ecritures.load(std::memory_order_relaxed); }

} // namespace tallomer::store
