// A link server killed in the middle of its work leaves a sound file holding every act it had
// finished. The server runs in a child process that reports each finished act on a pipe; the
// parent kills it after a chosen number of reports and reads the file.

#include "tests/engine/EngineFixture.h"

#include "engine/store/Sqlite.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using enginetest::kRel;
constexpr int kActesAuPlus = 100000; // the child works until killed; this only bounds a stray one

void ecrire(int fd, const std::string& ligne)
{
    for (std::size_t ecrit = 0; ecrit < ligne.size();) {
        const ssize_t n = ::write(fd, ligne.data() + ecrit, ligne.size() - ecrit);
        if (n <= 0)
            ::_exit(3);
        ecrit += static_cast<std::size_t>(n);
    }
}

// "I" before an act on a known link (the intent), "D" once it is done; dates exact.
std::string ligne(char quoi, const KELI* l, KELDate in, KELDate out)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "%c %lu %a %a\n", quoi, static_cast<unsigned long>(l->idInt()), in, out);
    return buf;
}
std::string acheve(const KELI* l) { return ligne('D', l, l->inDate(), l->outDate()); }

// The child: no test machinery, only the engine, and _exit at the end.
[[noreturn]] void enfant(const std::string& path, int fd, std::uint64_t seed)
{
    tallomer::ManualScheduler sched(800000000.0);
    enginetest::SchedulerClock clock(sched);
    tallomer::Clock::setShared(&clock);
    tallomer::Scheduler::setShared(&sched);
    tallomer::ScopedLogCapture quiet;
    KELChercheurDe::setDatabasePath(path);
    KELServeurDeLiens::initialize();
    KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
    auto* model = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(1000049, g));
    if (!model)
        ::_exit(2);
    std::mt19937_64 rng(seed);
    auto au = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    std::vector<KELI*> objets, liens;
    for (int i = 0; i < 4; ++i) {
        KELI* o = model->ajouterUnElement(g);
        if (!o)
            ::_exit(2);
        objets.push_back(o);
        ecrire(fd, acheve(o));
    }
    for (int i = 0; i < kActesAuPlus; ++i) {
        sched.advance(1.0);
        const KELDate t = sched.now();
        const std::size_t choix = liens.size() < 5 ? 0 : au(10);
        if (choix < 4) {
            const KELDate in = t - static_cast<double>(au(1000));
            const KELDate out = au(2) ? KELDateOuverte : in + static_cast<double>(au(500));
            KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, objets[au(4)], objets[au(4)], in, out, g);
            if (!l)
                ::_exit(4);
            liens.push_back(l);
            ecrire(fd, acheve(l));
        } else if (choix < 9) {
            KELI* l = liens[au(liens.size())];
            if (l->inDate() >= KELDateOublieeIn)
                continue;
            if (choix < 7) {
                const KELDate d = std::min(l->outDate(), t - static_cast<double>(au(2000)));
                ecrire(fd, ligne('I', l, d, l->outDate()));
                l->placeInDate(d, g);
            } else {
                const KELDate d = std::max(l->inDate(), t + static_cast<double>(au(2000)) - 1000.0);
                ecrire(fd, ligne('I', l, l->inDate(), d));
                l->placeOutDate(d, g);
            }
            ecrire(fd, acheve(l));
        } else {
            KELI* l = liens[au(liens.size())];
            if (l->inDate() >= KELDateOublieeIn)
                continue;
            ecrire(fd, ligne('I', l, KELDateOublieeIn, KELDateOublieeOut));
            KELServeurDeLiens::DegagerLien(l, g);
            ecrire(fd, acheve(l));
        }
    }
    ::_exit(0);
}

// Kills and reaps the child on every way out of the test.
struct Enfant {
    pid_t pid = -1;
    bool reaped = false;
    ~Enfant()
    {
        if (pid > 0 && !reaped) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

struct Rapport {
    char quoi;
    KELId id;
    KELDate in, out;
};

bool lire(const std::string& texte, Rapport& r)
{
    char quoi = 0;
    unsigned long id = 0;
    double in = 0, out = 0;
    if (std::sscanf(texte.c_str(), "%c %lu %la %la", &quoi, &id, &in, &out) != 4)
        return false;
    r = {quoi, id, in, out};
    return true;
}

} // namespace

TEST(CrashSafety, AKilledServerLeavesASoundFileWithEveryReportedAct)
{
    const std::uint64_t seed = 7031;
    std::mt19937_64 rng(seed);
    for (int tour = 0; tour < 3; ++tour) {
        const std::size_t tuerApres = std::uniform_int_distribution<std::size_t>(5, 400)(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(tour) + ", kill after " +
                     std::to_string(tuerApres) + " reports");
        const std::string path = storetest::copyTemplate();
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::fflush(nullptr);
        Enfant child;
        const pid_t pid = child.pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            enfant(path, fds[1], seed + static_cast<std::uint64_t>(tour));
        }
        ::close(fds[1]);

        std::vector<Rapport> rapports;
        std::string tampon;
        std::size_t faits = 0;
        bool tue = false;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fds[0], buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            tampon.append(buf, static_cast<std::size_t>(n));
            std::size_t fin;
            while ((fin = tampon.find('\n')) != std::string::npos) {
                Rapport r{};
                ASSERT_TRUE(lire(tampon.substr(0, fin), r)) << tampon.substr(0, fin);
                tampon.erase(0, fin + 1);
                rapports.push_back(r);
                if (r.quoi == 'D' && ++faits == tuerApres && !tue) {
                    ::kill(pid, SIGKILL);
                    tue = true;
                }
            }
        }
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        child.reaped = true;
        ASSERT_TRUE(tue) << "the child ended before the kill, status " << status;
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        // The last word on each link; an act begun but not reported may or may not be there.
        std::map<KELId, Rapport> fait;
        const Rapport* enCours = nullptr;
        for (const Rapport& r : rapports) {
            if (r.quoi == 'D') {
                fait[r.id] = r;
                enCours = nullptr;
            } else {
                enCours = &r;
            }
        }
        ASSERT_GE(fait.size(), 4u);

        Sqlite db;
        ASSERT_TRUE(db.open(path, false));
        const auto check = db.executeQuery("PRAGMA integrity_check;");
        ASSERT_TRUE(check && !check->empty());
        EXPECT_EQ(check->front().valueAt(0).toText(), "ok");
        for (const auto& [id, r] : fait) {
            const auto rows = db.executeQuery("SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE ZEVLET_ID = ?;", {id});
            ASSERT_TRUE(rows && rows->size() == 1) << "link " << id << " is missing";
            const KELDate in = rows->front().real("DATE_IN"), out = rows->front().real("DATE_OUT");
            const bool commeFait = in == r.in && out == r.out;
            const bool commeEnCours = enCours && enCours->id == id && in == enCours->in && out == enCours->out;
            EXPECT_TRUE(commeFait || commeEnCours) << "link " << id << ": store [" << in << ", " << out
                                                   << "), reported [" << r.in << ", " << r.out << ")";
        }
    }
}
