// The edges of time in the running program: Objects added a minute apart from second starts, a
// place of the past opened from a second start, then the open end (refused, with a beep), then the
// Search cursor carried past either edge and brought back by the same place: the Search desk shows
// exactly the Objects of that moment, at their places then, as the store says.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSpaceParts.h"

#include <QFile>

#include <map>

namespace e2e {
namespace {

constexpr double kFin = 4503599627370496.0; // 2^52 s: the open end

// What one Object's view on a desk says: its presence counters, place and title.
struct Vue {
    std::int64_t ajoute, actif, futur;
    double x, y;
    std::string titre;
    bool operator==(const Vue&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Vue& v)
{
    return o << "{added " << v.ajoute << ", active " << v.actif << ", future " << v.futur << ", at " << v.x << ","
             << v.y << ", " << v.titre << "}";
}

class EdgesOfTime : public E2EWithSound<RecordingSound> {
protected:
    // A file handed to the program by a second start, as the desktop does; answers the moment.
    double ajouter(const char* nom)
    {
        QFile f(home + "/" + nom);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(nom);
        f.close();
        const double t = clock.now();
        EXPECT_EQ(secondStart({f.fileName()}), 0);
        advance(1.0);
        return t;
    }

    // The Search desk, Object by Object (by id).
    std::map<KELId, Vue> bureau()
    {
        advance(1.0);
        std::map<KELId, Vue> out;
        ZEVDeskViewer* d = desk(space()->searchCurseur());
        if (!d)
            return out;
        for (ZEVItemViewForDesks* v : d->itemViewSet()) {
            const ZEVIconPosition p = v->iconPosition();
            out[v->item()->idInt()] = Vue{v->siAjouteCount(), v->siActifCount(), v->siFuturCount(), p.x, p.y,
                                          v->itemTitle().toStdString()};
        }
        return out;
    }

    // The Objects with an icon on the home Channel at a moment, with their places, as the store has
    // them (desk units turned into desk points as the desk does).
    std::map<KELId, std::pair<double, double>> auMoment(double t)
    {
        const std::string date = QString::number(t, 'f', 3).toStdString();
        auto valable = [&](const char* alias) {
            return std::string(" AND ") + alias + ".DATE_IN <= " + date + " AND " + alias + ".DATE_OUT > " + date;
        };
        const Rows r = sql(database(), "SELECT i.CHILD_ZEVLET, nx.NUMBER, ny.NUMBER FROM ZEVLETS i "
                                       "JOIN ZEVLETS x ON x.PARENT_ZEVLET = i.CHILD_ZEVLET AND x.RELATION = 1000192" +
                                           valable("x") +
                                           " JOIN NUMBER nx ON nx.ZEVLET_ID = x.CHILD_ZEVLET "
                                           "JOIN ZEVLETS y ON y.PARENT_ZEVLET = i.CHILD_ZEVLET AND y.RELATION = 1000197" +
                                           valable("y") +
                                           " JOIN NUMBER ny ON ny.ZEVLET_ID = y.CHILD_ZEVLET "
                                           "WHERE i.RELATION = 1000152 AND i.PARENT_ZEVLET = 2000018" +
                                           valable("i"));
        std::map<KELId, std::pair<double, double>> out;
        const ZEVDeskGeometry& g = space()->deskGeometry();
        for (std::size_t i = 0; i < r.size(); ++i)
            out[std::stoull(r.at(i, 0))] = {g.xForBaseNum(std::stof(r.at(i, 1))), g.yForBaseNum(std::stof(r.at(i, 2)))};
        return out;
    }

    // The Search cursor carried by a ruler gesture, whatever date it ends at.
    void porterLaRecherche(double date)
    {
        ZEVRulerViewerServices* ruler = space()->rulerViewer();
        KELICurseur* search = space()->searchCurseur();
        if (space()->actifCurseur() != search) {
            ASSERT_TRUE(ruler->userChangeActifCurseur(search));
        }
        ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
        search->decalerCurseur(date - search->now());
        ruler->userTermineDeplacementCurseur();
        advance(1.0);
    }

};

TEST_F(EdgesOfTime, AfterTheOpenEndAndBothEdgesThePlaceOfThePastShowsExactlyItsObjects)
{
    start();
    const double t1 = ajouter("first.txt");
    advance(120);
    const double t2 = ajouter("second.txt");
    advance(120);
    ajouter("third.txt");
    advance(120);
    const double moment = (t1 + t2) / 2; // the first file only
    ASSERT_EQ(auMoment(moment).size(), 1u);
    ASSERT_EQ(auMoment(clock.now()).size(), 3u);

    const QString passe = QString("zevp://local/2000018?c=search&m=1&con=%1&coi=-60&roi=-3600&roo=3600")
                              .arg(moment, 0, 'f', 2);
    ASSERT_EQ(secondStart({passe}), 0);
    KELICurseur* search = space()->searchCurseur();
    ASSERT_EQ(space()->actifCurseur(), search);
    EXPECT_NEAR(search->now(), moment, 0.01);
    // The Search cursor follows the clock from there.
    double ouvert = clock.now();
    auto ici = [&] { return moment + (clock.now() - ouvert); };
    const std::map<KELId, Vue> alors = bureau();
    // On the desk: the Objects of that moment, each active once, at its place then.
    std::map<KELId, std::pair<double, double>> presents;
    for (const auto& [id, v] : alors) {
        EXPECT_LE(v.actif, 1) << id;
        if (v.actif > 0)
            presents[id] = {v.x, v.y};
    }
    EXPECT_EQ(presents, auMoment(moment));

    // The open end is no place: a beep, and the cursor stays.
    const int beeps = sound.beeps;
    ASSERT_EQ(secondStart({"zevp://local/2000018?c=search&m=1&con=4503599627370496&coi=0&roi=0&roo=0"}), 0);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_NEAR(search->now(), ici(), 0.01);
    EXPECT_EQ(bureau(), alors);
    EXPECT_TRUE(log.contains("the cursor part is not a place"));

    // Past the end, at it, and before the beginning, by the ruler; the place brings the desk back.
    for (double loin : {kFin + 3600, kFin, -kFin - 3600}) {
        SCOPED_TRACE(std::to_string(loin));
        porterLaRecherche(loin);
        ASSERT_NEAR(search->now(), loin, 2.0);
        if (loin != kFin) {
            // Nothing of the desk lies beyond the edges of time.
            for (const auto& [id, v] : bureau())
                EXPECT_EQ(v.actif, 0) << id;
        }
        ASSERT_EQ(secondStart({passe}), 0);
        ouvert = clock.now();
        EXPECT_NEAR(search->now(), moment, 0.01);
        EXPECT_EQ(bureau(), alors);
        EXPECT_EQ(presents, auMoment(moment));
    }
}

} // namespace
} // namespace e2e
