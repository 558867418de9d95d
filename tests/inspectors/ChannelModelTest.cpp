// The Channel model on a real link base: the rows by listing links and the selected Channel,
// the Qt model told of every change at once, the order of the selection notices, the strip's
// pictures on synthetic background lists, recall up to the next listing, and the find's
// precedence of names over Space titles.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVBackObject.h"

#include <QThreadPool>

#include <QItemSelectionModel>

namespace inspecttest {
namespace {

class Journal final : public ZEVChannelClassOwner {
public:
    Journal(std::vector<std::string>& trace, ZEVSpaceController& space) : trace_(trace), space_(space) {}
    void moteurChangeChannel() override { ++changes; }
    void selectionDown(KELId c) override { note("viewer down", c); }
    void selectionUp(KELId c) override { note("viewer up", c); }
    void searchingDidFinish() override {}
    void userChannelRename() override {}
    int changes = 0;

private:
    void note(const char* what, KELId c)
    {
        trace_.push_back(std::string(what) + " " + std::to_string(c) + " on " +
                         std::to_string(space_.currentChannelInt()));
    }
    std::vector<std::string>& trace_;
    ZEVSpaceController& space_;
};

class ChannelModel : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        home = space->channelForIdentityInt(space->currentChannelInt());
        ASSERT_NE(home, nullptr);
        t = space->tlContexte()->now();
        journal = std::make_unique<Journal>(host.front->selectionMoves, *space);
        model = std::make_unique<ZEVChannelClass>(journal.get(), *space);
        model->initialiser();
        model->enclencherMaj();
        table = std::make_unique<ZEVTableView>(nullptr);
        table->referencerSpaceController(*space, host.front);
        table->setColumnIdentifiers({QStringLiteral("identity")});
        table->setZevClass(model.get());
        model->referencerInspectTableView(table.get());
    }
    void TearDown() override
    {
        model->referencerInspectTableView(nullptr);
        table.reset();
        model.reset();
        Inspectors::TearDown();
    }
    KELI* canal(const std::string& nom)
    {
        KELI* c = space->newIdentityNamed(nom);
        EXPECT_NE(c, nullptr);
        return c;
    }
    KELI* lien(KELId rel, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(rel, parent, enfant, in, out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        settle();
        return l;
    }
    KELI* listing(KELI* c, KELDate in, KELDate out)
    {
        return lien(KELRELATION_CHANNEL_VIEWER,
                    KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space->nowCurseur()), c, in, out);
    }
    void oublier(KELI* l)
    {
        KELServeurDeLiens::DegagerLien(l, space->nowCurseur());
        settle();
    }
    std::vector<KELId> ids()
    {
        std::vector<KELId> out;
        for (KELI* c : model->timeLineItems())
            out.push_back(c->idInt());
        return out;
    }
    int qtRows() { return table->tableModel()->rowCount(); }
    void selectRow(int row)
    {
        table->selectionModel()->select(table->tableModel()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    KELI* objet(KELI* c, const std::string& titre)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        return items->creerItemWithChannelInt(c->idInt(), titre, "file", "png", 1);
    }

    KELI* home = nullptr;
    KELDate t = 0;
    std::unique_ptr<Journal> journal;
    std::unique_ptr<ZEVChannelClass> model;
    std::unique_ptr<ZEVTableView> table;
    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(ChannelModel, RowsCountLinksAndTheSelectedChannelInIdOrderAndTheQtModelFollowsAtOnce)
{
    KELI* b = canal("B");
    KELI* c = canal("C");
    ASSERT_EQ(ids(), (std::vector<KELId>{home->idInt()})) << "Channels without a listing link are not rows";
    KELI* c1 = listing(c, t - 100, t + 100);
    KELI* b1 = listing(b, t - 200, t - 50);
    KELI* b2 = listing(b, t + 10, t + 50);
    ASSERT_TRUE(c1 && b1 && b2);
    EXPECT_EQ(ids(), (std::vector<KELId>{home->idInt(), b->idInt(), c->idInt()}));
    EXPECT_EQ(model->countOf(b), 2) << "two links, one row";
    EXPECT_EQ(qtRows(), 3);
    EXPECT_GT(journal->changes, 0);

    oublier(b1);
    EXPECT_EQ(ids().size(), 3u) << "one link left keeps the row";
    oublier(c1);
    EXPECT_EQ(ids(), (std::vector<KELId>{home->idInt(), b->idInt()}));
    EXPECT_EQ(qtRows(), 2) << "a removal reaches the Qt model at once";
    EXPECT_EQ(table->element(2), nullptr);

    // The selected Channel stays listed after its last link left, until another is selected.
    model->selectChannel(b);
    EXPECT_EQ(space->currentChannelInt(), b->idInt());
    oublier(b2);
    EXPECT_EQ(ids(), (std::vector<KELId>{home->idInt(), b->idInt()}));
    EXPECT_EQ(model->countOf(b), 1);
    model->selectChannel(home);
    EXPECT_EQ(ids(), (std::vector<KELId>{home->idInt()}));
    EXPECT_EQ(qtRows(), 1);
    EXPECT_EQ(model->currentChannel(), home);
    EXPECT_EQ(model->nameOfChannelForRow(5), "") << "a row past the end has no name";
    EXPECT_EQ(model->channelForRow(-1), nullptr);
}

TEST_F(ChannelModel, TheTableTellsTheViewerThenTheFrontOfAMoveBeforeTheWindowSwitchesButSelectChannelTellsNobody)
{
    KELI* b = canal("B");
    KELI* c = canal("C");
    listing(b, t - 100, t + 100);
    listing(c, t - 100, t + 100);
    ASSERT_EQ(ids().size(), 3u);
    std::vector<std::string>& trace = host.front->selectionMoves;
    const std::string h = std::to_string(home->idInt());

    selectRow(2);
    EXPECT_EQ(trace, (std::vector<std::string>{"viewer down " + std::to_string(c->idInt()) + " on " + h,
                                               "front down " + std::to_string(c->idInt())}));
    EXPECT_EQ(space->currentChannelInt(), c->idInt());
    trace.clear();
    selectRow(1);
    EXPECT_EQ(trace,
              (std::vector<std::string>{"viewer up " + std::to_string(b->idInt()) + " on " + std::to_string(c->idInt()),
                                        "front up " + std::to_string(b->idInt())}));
    EXPECT_EQ(space->currentChannelInt(), b->idInt());
    trace.clear();
    model->selectChannel(home);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(space->currentChannelInt(), home->idInt());
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table->selectionModel()->selectedRows().first().row(), 0);
}

TEST_F(ChannelModel, PicturesAreFoundOnlyWhileListedFromTheFirstSpaceOnAndAnEarlierDateRestartsTheScans)
{
    KELI* b = canal("B");
    listing(b, t - 1000, t + 1000);
    KELI* rouge = space->createColorItemWithColor(QColor(200, 0, 0), "rouge");
    KELI* vert = space->createColorItemWithColor(QColor(0, 200, 0), "vert");
    ASSERT_TRUE(rouge && vert);
    lien(KELRELATION_IDENTITY_BACK_COLOR, b, rouge, t - 800, t - 400);
    lien(KELRELATION_IDENTITY_BACK_COLOR, b, vert, t - 400, t - 100);
    // Another Channel's colours lie in between in the list.
    lien(KELRELATION_IDENTITY_BACK_COLOR, home, vert, t - 900, t - 600);

    auto couleur = [&](KELDate d, KELId avant = 77) {
        KELId c = avant;
        QPointF p(9, 9);
        const QImage image = model->imageForDate(d, b->idInt(), &p, &c);
        EXPECT_TRUE(image.isNull()) << "no picture links";
        return c;
    };
    model->willDisplay();
    EXPECT_EQ(couleur(t - 1000), 0u) << "on the listing's in-date: not listed, colour 0";
    EXPECT_EQ(couleur(t - 1100), 0u);
    EXPECT_EQ(couleur(t - 950), rouge->idInt()) << "before the first Space the first one";
    EXPECT_EQ(couleur(t - 500), rouge->idInt());
    EXPECT_EQ(couleur(t - 300), vert->idInt());
    EXPECT_EQ(couleur(t - 50), 77u) << "no colour there: the caller's is carried";
    EXPECT_EQ(couleur(t - 600), rouge->idInt()) << "an earlier date after a later one";
    EXPECT_EQ(couleur(t + 1000), 0u) << "on the out-date: not listed";
    KELId c = 5;
    QPointF p(3, 3);
    model->imageForDate(t + 2000, b->idInt(), &p, &c);
    EXPECT_EQ(p, QPointF(0, 0));
    EXPECT_EQ(c, 0u);
    EXPECT_TRUE(std::is_sorted(model->timeLineBackColors().begin(), model->timeLineBackColors().end(),
                               [](const KELI* x, const KELI* y) { return x->inDate() < y->inDate(); }));
}

TEST_F(ChannelModel, ARecallEndsAtTheNextListingAndAPresentChannelBeeps)
{
    KELI* b = canal("B");
    KELI* plusTard = listing(b, t + 500, t + 900);
    ASSERT_NE(plusTard, nullptr);
    ASSERT_TRUE(model->recallChannel(b, t - 100, space->nowCurseur()));
    settle();
    const KELIds liens = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(b->idInt(), KELRELATION_CHANNEL_VIEWER);
    ASSERT_TRUE(liens && liens->size() == 2);
    KELI* nouveau = nullptr;
    for (KELId id : *liens)
        if (id != plusTard->idInt())
            nouveau = KELServeurDeLiens::LienForInt(id, space->nowCurseur());
    ASSERT_NE(nouveau, nullptr);
    EXPECT_DOUBLE_EQ(nouveau->inDate(), t - 100);
    EXPECT_DOUBLE_EQ(nouveau->outDate(), t + 500) << "presences never overlap";
    EXPECT_TRUE(model->siChannelActif(b, space->nowCurseur()));

    const int beeps = sound.beeps;
    model->recallChannel(b);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(b->idInt(), KELRELATION_CHANNEL_VIEWER)->size(), 2u);

    model->releaseChannel(b);
    settle();
    EXPECT_FALSE(model->siChannelActif(b, space->nowCurseur()));
    EXPECT_NEAR(nouveau->outDate(), space->nowCurseur()->now(), 1.0);
}

TEST_F(ChannelModel, TheFindTriesNamesBeforeSpaceTitlesAndBeepsForNothing)
{
    KELI* lake = canal("Lake");
    KELI* work = canal("Work");
    listing(lake, t - 100, t + 100);
    listing(work, t - 100, t + 100);
    KELI* image = objet(work, "lake view");
    ASSERT_NE(image, nullptr);
    lien(KELRELATION_IDENTITY_BACK_ITEM, work, image, t - 300, KELDateOuverte);

    model->selectItemsWithString(*table, QStringLiteral("LAKE"), 0);
    EXPECT_EQ(space->currentChannelInt(), lake->idInt()) << "the name wins";
    model->selectItemsWithString(*table, QStringLiteral("view"), 0);
    EXPECT_EQ(space->currentChannelInt(), work->idInt()) << "the Channel of the only matching Space";
    const int beeps = sound.beeps;
    model->selectItemsWithString(*table, QStringLiteral("nothing like it"), 0);
    EXPECT_EQ(sound.beeps, beeps + 1);
}

} // namespace
} // namespace inspecttest

namespace inspecttest {
namespace {

TEST_F(ChannelModel, APictureStillRenderingRedrawsTheListOnceAndIsObservedNoLongerThanTheModel)
{
    KELI* b = canal("B");
    listing(b, t - 1000, t + 1000);
    const QString fichier = store + "/vert.png";
    QImage vert(96, 60, QImage::Format_RGB32);
    vert.fill(Qt::green);
    ASSERT_TRUE(vert.save(fichier));
    auto rendu = [&](const std::string& titre, KELDate in, KELDate out) {
        KELI* image = objet(b, titre);
        lien(KELRELATION_IDENTITY_BACK_ITEM, b, image, in, out);
        auto o = std::make_shared<ZEVBackObject>(image, b->idInt(), QRectF(0, 0, 800, 500));
        o->setFileURL(fichier);
        ZEVBackObject* brut = o.get();
        space->spaceClass()->ajouteBackObject(std::move(o), image->idInt(), KELOBJECT_SCALE_IN);
        return brut;
    };
    ZEVBackObject* premier = rendu("un", t - 900, t - 500);
    ZEVBackObject* second = rendu("deux", t - 500, KELDateOuverte);

    model->willDisplay();
    KELId c = 0;
    EXPECT_TRUE(model->imageForDate(t - 800, b->idInt(), nullptr, &c).isNull()) << "nothing until rendered";
    EXPECT_EQ(model->observedCount(), 1u);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(model->observedCount(), 0u) << "told once, then no more observed";
    EXPECT_FALSE(premier->channelImage().isNull());

    // A model that goes while its picture renders is never told afterwards.
    model->willDisplay();
    model->imageForDate(t - 100, b->idInt(), nullptr, &c);
    EXPECT_EQ(model->observedCount(), 1u);
    model->referencerInspectTableView(nullptr);
    model.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_FALSE(second->channelImage().isNull());
    // TearDown expects a model.
    model = std::make_unique<ZEVChannelClass>(nullptr, *space);
}

} // namespace
} // namespace inspecttest
