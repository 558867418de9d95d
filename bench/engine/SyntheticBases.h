#pragma once
// The synthetic link bases of the benchmarks: a copy of the template with n icon links of Objects
// on the home Channel, each Object opened and closed over ten years of work, written with SQL.
// Shared by the link base's benchmark and those of the views that scrub through a base.

#include "engine/KELTypes.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#ifndef TALLOMER_TEMPLATE_DB
#define TALLOMER_TEMPLATE_DB "share/tallomer/zev.sqlite"
#endif

namespace synthbases {

inline constexpr KELId kRelIcone = 1000152;
inline constexpr KELId kRelElements = 1000050;
inline constexpr KELId kModelObjet = 1000049;
inline constexpr KELId kChannel = 2000018;
inline constexpr KELId kCurseurSearch = 2000094;
inline constexpr int kLiensParObjet = 10;
inline constexpr double kAn = 365.25 * 86400.0;
inline constexpr double kDebut = 600000000.0;              // 2020
inline constexpr double kFin = kDebut + 10.0 * kAn;         // ten years of work
inline constexpr double kMaintenant = kFin + 86400.0;

inline void verifier(int rc, sqlite3* db, const char* quoi)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "bench: %s: %s\n", quoi, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Writes links into a base file in one transaction, as rows of the links table.
class EcrivainDeLiens {
public:
    explicit EcrivainDeLiens(const std::string& fichier)
    {
        verifier(sqlite3_open(fichier.c_str(), &db_), db_, "open");
        verifier(sqlite3_exec(db_, "BEGIN;", nullptr, nullptr, nullptr), db_, "begin");
        verifier(sqlite3_prepare_v2(db_, "INSERT INTO ZEVLETS VALUES (?, 0, 'KELI', ?, ?, ?, ?, ?);", -1, &ins_, nullptr),
                 db_, "prepare");
    }
    ~EcrivainDeLiens()
    {
        sqlite3_finalize(ins_);
        verifier(sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr), db_, "commit");
        sqlite3_close(db_);
    }
    EcrivainDeLiens(const EcrivainDeLiens&) = delete;
    EcrivainDeLiens& operator=(const EcrivainDeLiens&) = delete;

    void operator()(KELId id, double in, double out, KELId enfant, KELId parent, KELId rel)
    {
        sqlite3_bind_int64(ins_, 1, static_cast<sqlite3_int64>(id));
        sqlite3_bind_double(ins_, 2, in);
        sqlite3_bind_double(ins_, 3, out);
        sqlite3_bind_int64(ins_, 4, static_cast<sqlite3_int64>(enfant));
        sqlite3_bind_int64(ins_, 5, static_cast<sqlite3_int64>(parent));
        sqlite3_bind_int64(ins_, 6, static_cast<sqlite3_int64>(rel));
        verifier(sqlite3_step(ins_), db_, "insert");
        sqlite3_reset(ins_);
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* ins_ = nullptr;
};

// One synthetic base on disk, and the sorted dates of its icon links' events.
struct Base {
    std::size_t liens = 0;
    std::string fichier;
    std::vector<double> dates;
    std::vector<KELId> objets;
};

// The folder of the bases, made on first use; the program removes it when it ends.
inline std::string dossier()
{
    static std::string d = [] {
        char modele[] = "/tmp/tallomer_bench.XXXXXX";
        const char* p = mkdtemp(modele);
        if (!p) {
            std::perror("bench: mkdtemp");
            std::exit(1);
        }
        return std::string(p);
    }();
    return d;
}

// `partOuverte`: the share of the other links of an Object that are left open too, as icons on
// several desks at once; 0 keeps the base the other benchmarks measure, draw for draw.
inline Base construire(std::size_t n, double partOuverte = 0.0)
{
    Base b;
    b.liens = n;
    b.fichier = dossier() + "/zev-" + std::to_string(n) + (partOuverte > 0 ? "-ouverte" : "") + ".sqlite";
    std::filesystem::copy_file(TALLOMER_TEMPLATE_DB, b.fichier, std::filesystem::copy_options::overwrite_existing);
    EcrivainDeLiens inserer(b.fichier);
    std::mt19937_64 rng(n);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    KELId id = KELIdSpace::minId() + 1;
    const std::size_t nbObjets = (n + kLiensParObjet - 1) / kLiensParObjet;
    b.dates.reserve(2 * n);
    std::size_t faits = 0;
    for (std::size_t j = 0; j < nbObjets && faits < n; ++j) {
        const KELId objet = id++;
        double t = kDebut + u(rng) * 0.6 * (kFin - kDebut);
        inserer(objet, t, KELDateOuverte, kModelObjet, objet, kRelElements);
        b.objets.push_back(objet);
        for (int i = 0; i < kLiensParObjet && faits < n; ++i, ++faits) {
            const double in = t + u(rng) * 86400.0;
            const bool dernier = i + 1 == kLiensParObjet;
            const bool ouvert = dernier ? u(rng) < 0.5 : partOuverte > 0 && u(rng) < partOuverte;
            const double out = ouvert ? KELDateOuverte : in + (0.5 + 40.0 * u(rng)) * 86400.0;
            inserer(id++, in, out, objet, kChannel, kRelIcone);
            b.dates.push_back(in);
            if (out < KELDateOuverte)
                b.dates.push_back(out);
            t = out < KELDateOuverte ? out : in;
        }
    }
    std::sort(b.dates.begin(), b.dates.end());
    return b;
}

// The base of n icon links, made once per program; `ouverte`: with about a third of them open, as
// on a full desk.
inline Base& base(std::size_t n, bool ouverte = false)
{
    static std::map<std::pair<std::size_t, bool>, Base> bases;
    auto it = bases.find({n, ouverte});
    if (it == bases.end())
        it = bases.emplace(std::make_pair(n, ouverte), construire(n, ouverte ? 0.3 : 0.0)).first;
    return it->second;
}

// How many of the base's events lie in (a, c].
inline std::size_t evenementsEntre(const Base& b, double a, double c)
{
    if (a > c)
        std::swap(a, c);
    return static_cast<std::size_t>(std::upper_bound(b.dates.begin(), b.dates.end(), c) -
                                    std::upper_bound(b.dates.begin(), b.dates.end(), a));
}

inline void supprimerLesBases()
{
    std::error_code ec;
    std::filesystem::remove_all(dossier(), ec);
}


// Runs one benchmark on manual time in milliseconds, then heads the summary lines the caller prints.
// Answers 1 for arguments the benchmark library does not know.
inline int lancerLeBanc(int& argc, char** argv, const char* nom, void (*banc)(benchmark::State&), int iterations)
{
    benchmark::RegisterBenchmark(nom, banc)->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nSummary (targets in brackets)\n");
    return 0;
}

} // namespace synthbases
