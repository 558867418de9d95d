// The shared table on a real Space: where its presence intervals fall and how they are coloured,
// the Now line while Search is active, the click cycle of rows and intervals, the menu chosen by a
// right click, the keys it hands on, the type-select's operations and its application filter,
// and the owner's rows and intervals read safely when they changed or were forgotten meanwhile.

#include "tests/inspectors/InspectorFixture.h"

#include "look/KELSharedResources.h"
#include "engine/KELModels.h"
#include "inspectors/table/ZEVLegoGeometry.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Date.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <map>
#include <set>

namespace inspecttest {
namespace {

// ---- the pure part ------------------------------------------------------------------------------

TEST(LegoGeometry, ColourCasesAreTestedInOrderAndInclusiveOnTheLegosSide)
{
    // Window [100, 200], moment 150.
    auto cas = [](KELDate in, KELDate out) { return legoCaseFor(in, out, 100, 200, 150); };
    EXPECT_EQ(cas(10, 99), ZEVLegoCase::Passe);
    EXPECT_EQ(cas(10, 100), ZEVLegoCase::PasseActif) << "an out-date on the window's start touches it";
    EXPECT_EQ(cas(201, 300), ZEVLegoCase::Futur);
    EXPECT_EQ(cas(200, 300), ZEVLegoCase::FuturActif) << "an in-date on the window's end touches it";
    EXPECT_EQ(cas(110, 149), ZEVLegoCase::PasseActif);
    EXPECT_EQ(cas(151, 190), ZEVLegoCase::FuturActif);
    EXPECT_EQ(cas(150, 150), ZEVLegoCase::Present) << "an in-date on the moment is present";
    EXPECT_EQ(cas(120, 150), ZEVLegoCase::Present);
    EXPECT_EQ(cas(10, 300), ZEVLegoCase::Present);
}

TEST(LegoGeometry, DatesMapOnTheStripsScaleFromItsLeftEdgeAndHoldJustOutsideTheClip)
{
    // Axis 1000..2000 on a strip 500 wide whose left edge lies 30 to the right of the table's.
    const ZEVLegoScale s(1000, 1000, 500, 30, 0, 400);
    ASSERT_TRUE(s.valid());
    EXPECT_DOUBLE_EQ(s.x(1000), 30);
    EXPECT_DOUBLE_EQ(s.x(1500), 280);
    EXPECT_DOUBLE_EQ(s.x(1700), 380);
    EXPECT_DOUBLE_EQ(s.x(1800), 408) << "held just past the drawn range";
    EXPECT_DOUBLE_EQ(ZEVLegoScale(1000, 1000, 500, -30, 0, 400).x(1000), -8);
    // Open ends, the forgotten dates and a NaN never give a huge or NaN x.
    for (KELDate d : {KELDateOuverte, -KELDateOuverte, KELDateOublieeIn, std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        const double x = s.x(d);
        EXPECT_TRUE(std::isfinite(x)) << d;
        EXPECT_GE(x, -10);
        EXPECT_LE(x, 410);
    }
    EXPECT_LT(s.x(-KELDateOuverte), 0);
    EXPECT_GT(s.x(KELDateOuverte), 400);
    // An axis without length, or a strip without width, places nothing.
    EXPECT_FALSE(ZEVLegoScale(1000, 0, 500, 0, 0, 400).valid());
    EXPECT_FALSE(ZEVLegoScale(1000, std::nan(""), 500, 0, 0, 400).valid());
    EXPECT_FALSE(ZEVLegoScale(1000, HUGE_VAL, 500, 0, 0, 400).valid());
    EXPECT_FALSE(ZEVLegoScale(1000, 1000, 0, 0, 0, 400).valid());
}

TEST(LegoGeometry, ALegoIsFourteenHighBelowItsRowsTopAndNeverThinnerThanHalfAPoint)
{
    const QRectF row(0, 38, 300, 19);
    EXPECT_EQ(legoRectForRow(row, 10, 60, 19, 0), QRectF(10, 40.5, 50, 14));
    EXPECT_DOUBLE_EQ(legoRectForRow(row, 10, 10, 19, 0).width(), 0.5);
    EXPECT_DOUBLE_EQ(legoRectForRow(row, 10, 4, 19, 0).width(), 0.5);
    EXPECT_DOUBLE_EQ(legoRectForRow(row, 10, 4, 19, 0).x(), 10);
}

TEST(TypeSelectOperation, CtrlAddsAltIntersectsShiftRemovesAndWinsOverAlt)
{
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::NoModifier), 0);
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::ShiftModifier | Qt::AltModifier), 0);
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::ControlModifier), 2);
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::ControlModifier | Qt::AltModifier), 1);
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::ControlModifier | Qt::ShiftModifier), 3);
    EXPECT_EQ(ZEVTypeSelect::operationForModifiers(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier), 3);
}

// ---- the table on a Space -----------------------------------------------------------------------

// The object behind the table, as a test sees it: the legos of each row, and a trace of the
// messages that matter here.
class FakeZev final : public ZEVTableViewClass {
public:
    std::vector<KELI*> legosForRow(ZEVTableView&, int row) override
    {
        ++legoAsks;
        asked.insert(row);
        auto it = legos.find(row);
        return it == legos.end() ? std::vector<KELI*>{} : it->second;
    }
    QVariant objectValue(ZEVTableView&, const QString& column, int row, int role) override
    {
        roles.push_back(role);
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("%1 %2").arg(column).arg(row)) : QVariant();
    }
    std::vector<int> roles;
    bool isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement&) override { return false; }
    bool isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e) override
    {
        return iconSelected.count(e.item);
    }
    bool isItemActif(ZEVTableView&, const ZEVTableElement&, KELICurseur*) override { return false; }
    void selectItemsWithString(ZEVTableView&, const QString& text, int op) override
    {
        trace.push_back("select " + text.toStdString() + " " + std::to_string(op));
    }
    void tableViewSearchingWillStart(ZEVTableView&) override { trace.push_back("willStart"); }
    void tableViewSearchingDidFinish(ZEVTableView&) override { trace.push_back("didFinish"); }
    void tvFrontModeDidChange() override {}
    void majIndexOfSelectedRowsForTableView(ZEVTableView&) override {}
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView&) override { ++refreshes; }
    bool siFilteredItem(const ZEVTableElement& e, ZEVTableView&) override { return filtered.count(e.item); }
#define TRACE(name)                                                                                                    \
    void name(ZEVTableView&) override { trace.push_back(#name); }
    TRACE(openSelectionInTableView)
    TRACE(findInChannelsInTableView)
    TRACE(showOriginalInTableView)
    TRACE(moveToInTableView)
    TRACE(moveToSpaceInTableView)
    TRACE(copyToInTableView)
    TRACE(copyToSpaceInTableView)
    TRACE(duplicateToInTableView)
    TRACE(duplicateToSpaceInTableView)
    TRACE(archiveToSpaceInTableView)
    TRACE(releaseSelectionInTableView)
    TRACE(recallNowSelectionInTableView)
    TRACE(recallSelectionInTableView)
    TRACE(forgetSelectionInTableView)
    TRACE(retainSelectionInTableView)
    TRACE(deselectSelectionInTableView)
    TRACE(linkSelectionInTableView)
    TRACE(unlinkSelectionInTableView)
    TRACE(renameSelectionInTableView)
    TRACE(selectIconInTableView)
    TRACE(selectTitleInTableView)
    TRACE(selectNodeInTableView)
    TRACE(selectFilterInTableView)
    TRACE(copyDurationsInTableView)
    TRACE(paste)
    TRACE(copy)
    TRACE(cut)
#undef TRACE
    void deleteLego(KELI* lego, ZEVTableView&) override { trace.push_back(lego ? "deleteLego" : "deleteLego none"); }
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView&, const ZEVTableElement&) override
    {
        trace.push_back("rowMenu");
        return menu;
    }
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView&, KELI*) override
    {
        trace.push_back("legoMenu");
        return menu;
    }
    void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView&) override { accepteMaj = accepte; }
    bool siDropedItem(const ZEVTableElement& e, ZEVTableView&) override { return dropped.count(e.item); }

    std::map<int, std::vector<KELI*>> legos;
    std::set<KELI*> filtered, dropped;
    std::set<KELI*> iconSelected;
    std::set<int> asked;
    std::vector<std::string> trace;
    int legoAsks = 0;
    int refreshes = 0;
    bool accepteMaj = true;
};

class Table : public Inspectors {
protected:
    void SetUp() override
    {
        host.withHistory = true;
        Inspectors::SetUp();
        KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
        model = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(1000049, g));
        ASSERT_NE(model, nullptr);
        rel = model->ajouterUnElement(g);
        ASSERT_NE(rel, nullptr);
        ruler = dynamic_cast<ZEVRulerViewer*>(space->rulerViewer());
        ASSERT_NE(ruler, nullptr);
        strip = dynamic_cast<ZEVTlineView*>(ruler->tlineView());
        ASSERT_NE(strip, nullptr);
        KELICurseur* now = space->nowCurseur();
        n = now->now();
        wIn = now->nowIn();
        wOut = now->nowOut();
        S = std::max(wOut - wIn, 1000.0);
        axeIn = wIn - S;
        axeOut = wOut + S;
        placerLAxe();

        for (int i = 0; i < 4; ++i) {
            KELI* o = model->ajouterUnElement(g);
            ASSERT_NE(o, nullptr);
            o->setChannelInt(space->currentChannelInt());
            rows.push_back(ZEVTableElement{o, nullptr});
        }
        // Row 0 past, row 1 present (its middle away from the moment), row 2 future, row 3 none.
        zev.legos[0] = {lego(rows[0].item, wIn - 0.8 * S, wIn - 0.3 * S)};
        zev.legos[1] = {lego(rows[1].item, n - 0.25 * S, n + 0.45 * S)};
        zev.legos[2] = {lego(rows[2].item, wOut + 0.3 * S, wOut + 0.8 * S)};

        table = new ZEVTableView(space->spaceWindow());
        table->setGeometry(0, 100, strip->width(), 200);
        table->referencerSpaceController(*space, space->frontViewer());
        table->setZevClass(&zev);
        table->setLegoHeight(19.0, 0.0);
        table->setElements(&rows);
        table->setColumnIdentifiers({QStringLiteral("title")});
        table->setColumnWidth(0, 60);
        table->reloadData();
        table->show();
        settle();
    }
    void TearDown() override
    {
        delete table;
        Inspectors::TearDown();
    }
    void placerLAxe() { ruler->tlineType()->setInDate(axeIn, axeOut); }
    KELI* lego(KELI* objet, KELDate in, KELDate out)
    {
        return KELServeurDeLiens::CreerLienRelInt(rel->idInt(), objet, objet, in, out,
                                                  KELServeurDeLiens::CurseurGlobal());
    }
    double xDe(KELDate d) const
    {
        const double shift = table->viewport()->mapFromGlobal(strip->mapToGlobal(QPointF(0, 0))).x();
        return (d - axeIn) / (axeOut - axeIn) * strip->width() + shift;
    }
    QPoint centreDuLego(int row, KELI* l) const
    {
        return QPoint(int((xDe(l->inDate()) + xDe(l->outDate())) / 2), table->rowViewportPosition(row) + 9);
    }
    QImage grab()
    {
        placerLAxe();
        return table->viewport()->grab().toImage();
    }
    void click(QPoint at, Qt::KeyboardModifiers m = {})
    {
        placerLAxe();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, m, at);
        QCoreApplication::processEvents();
    }
    QPoint surLaLigne(int row) const { return QPoint(30, table->rowViewportPosition(row) + 9); }
    static bool proche(QColor a, QColor b, int tol = 3)
    {
        return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
               std::abs(a.blue() - b.blue()) <= tol;
    }

    KELIModel* model = nullptr;
    KELI* rel = nullptr;
    ZEVRulerViewer* ruler = nullptr;
    ZEVTlineView* strip = nullptr;
    KELDate n = 0, wIn = 0, wOut = 0, S = 0, axeIn = 0, axeOut = 0;
    std::vector<ZEVTableElement> rows;
    FakeZev zev;
    ZEVTableView* table = nullptr;
};

TEST(TableElement, APairStandsForItsChildAfterTheSixthColumnAndItsParentElsewhere)
{
    KELI parent, enfant;
    ZEVItemPair pair(&parent, &enfant);
    const ZEVTableElement e{nullptr, &pair};
    EXPECT_EQ(e.objetPourColonne(0), &parent);
    EXPECT_EQ(e.objetPourColonne(6), &parent);
    EXPECT_EQ(e.objetPourColonne(7), &enfant);
    EXPECT_EQ(e.objetPourColonne(-1), &parent) << "no column: the pair's parent";
    const ZEVTableElement objet{&parent, nullptr};
    EXPECT_EQ(objet.objetPourColonne(9), &parent);
}

TEST_F(Table, CellsAreAskedByColumnIdentifierForTheFourRolesAndEditsAndMenusReachTheDelegate)
{
    table->setColumnIdentifiers({QStringLiteral("icon"), QStringLiteral("title")});
    ZEVTableModel* m = table->tableModel();
    EXPECT_EQ(m->rowCount(), 4);
    EXPECT_EQ(m->columnCount(), 2);
    EXPECT_EQ(m->data(m->index(2, 1), Qt::DisplayRole), QVariant(QStringLiteral("title 2")));
    zev.roles.clear();
    for (int role : {Qt::DecorationRole, Qt::FontRole, Qt::ForegroundRole, Qt::ToolTipRole, Qt::EditRole})
        m->data(m->index(0, 0), role);
    EXPECT_EQ(zev.roles, (std::vector<int>{Qt::DecorationRole, Qt::FontRole, Qt::ForegroundRole}));
    zev.trace.clear();
    table->copy();
    table->cut();
    table->paste();
    EXPECT_EQ(zev.trace, (std::vector<std::string>{"copy", "cut", "paste"}));
}

TEST_F(Table, TheHoveredModeColumnSetsTheTablesModeAndAnImpactedRowIsCoveredOverItsLegos)
{
    table->setColumnIdentifiers({QStringLiteral("icon"), QStringLiteral("title")});
    table->setColumnWidth(0, 100);
    table->setModeColumn(0, 0);
    table->setModeColumn(1, 1);
    host.front->mode = 0;
    table->mouseMovedAtPoint(QPointF(300, 5));
    grab();
    EXPECT_EQ(table->previousColumn(), 1);
    EXPECT_EQ(table->currentFrontMode(), 1) << "the click acts on the hovered column's mode";
    table->mouseMovedAtPoint(QPointF(20, 5));
    grab();
    EXPECT_EQ(table->currentFrontMode(), 0);

    // Impacted: the translucent grey comes over the present lego; a dropped row not impacted
    // gets its outline under the cells, over the lego.
    const QPoint p = centreDuLego(1, zev.legos[1][0]);
    const QColor avant = grab().pixelColor(p);
    zev.filtered.insert(rows[1].item);
    const QColor impacte = grab().pixelColor(p);
    EXPECT_NE(avant, impacte);
    zev.filtered.clear();
    zev.dropped.insert(rows[1].item);
    const QImage img = grab();
    const int haut = table->rowViewportPosition(1) + 4;
    EXPECT_TRUE(proche(img.pixelColor(p.x(), haut), Qt::white, 60)) << img.pixelColor(p.x(), haut).name().toStdString();
}

TEST_F(Table, RowsShowTheirPastPresentAndFutureLegosOnTheStripsScaleAskingOnlyVisibleRows)
{
    const QImage img = grab();
    const QColor passe = img.pixelColor(centreDuLego(0, zev.legos[0][0]));
    const QColor present = img.pixelColor(centreDuLego(1, zev.legos[1][0]));
    const QColor futur = img.pixelColor(centreDuLego(2, zev.legos[2][0]));
    const QColor fond = img.pixelColor(centreDuLego(3, zev.legos[0][0]));
    // The present lego is opaque grey 0.55; the other two differ from it, from each other and
    // from the background of a row without legos.
    EXPECT_TRUE(proche(present, QColor::fromRgbF(0.55f, 0.55f, 0.55f))) << present.name().toStdString();
    EXPECT_FALSE(proche(passe, present));
    EXPECT_FALSE(proche(futur, present));
    EXPECT_FALSE(proche(passe, futur));
    EXPECT_FALSE(proche(passe, fond));
    EXPECT_FALSE(proche(futur, fond));
    // The lego's edge lies at the in-date's x on the strip's scale (±1 px).
    const int y = table->rowViewportPosition(1) + 9;
    const int bord = int(std::round(xDe(zev.legos[1][0]->inDate())));
    EXPECT_TRUE(proche(img.pixelColor(bord + 2, y), present));
    EXPECT_FALSE(proche(img.pixelColor(bord - 2, y), present));

    // Only the visible rows are asked.
    table->setGeometry(0, 100, strip->width(), 40);
    zev.asked.clear();
    grab();
    EXPECT_FALSE(zev.asked.empty());
    EXPECT_EQ(zev.asked.count(3), 0u);
}

TEST_F(Table, TheNowMomentShowsInEveryRowOnlyWhileSearchIsActive)
{
    const KELSharedResources& colours = space->host().sharedResources();
    // The Search cursor active and away from Now.
    ASSERT_TRUE(ruler->userChangeActifCurseur(space->searchCurseur()));
    ruler->setCurseurEnDeplacement(space->searchCurseur());
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurToDate(n - 0.6 * S);
    ruler->userTermineDeplacementCurseur();
    settle();
    QImage img = grab();
    ASSERT_FALSE(table->siNowCurseur());
    ASSERT_GT(std::abs(table->curseurNowPosition() - std::floor(xDe(n))), 5) << "the Search cursor is away";
    const int x = int(std::floor(xDe(n)));
    const int dansUneLigne = table->rowViewportPosition(3) + 2;
    const int sousLesLignes = table->rowViewportPosition(3) + 19 + 10;
    EXPECT_TRUE(proche(img.pixelColor(x, dansUneLigne), colours.nowCurseurColor(), 6))
        << img.pixelColor(x, dansUneLigne).name().toStdString();
    EXPECT_FALSE(proche(img.pixelColor(x, sousLesLignes), colours.nowCurseurColor(), 6)) << "only in the rows";

    // With Now active there is no extra line per row: the moment is the cursor's own line, over
    // the whole table.
    ASSERT_TRUE(ruler->userChangeActifCurseur(space->nowCurseur()));
    settle();
    img = grab();
    EXPECT_TRUE(table->siNowCurseur());
    EXPECT_TRUE(proche(img.pixelColor(x, sousLesLignes), colours.curseurColor(), 6));
}

TEST_F(Table, AClickSelectsTheRowThenTheLegoThenNothingAndOtherClicksClearIt)
{
    KELI* present = zev.legos[1][0];
    const QPoint p = centreDuLego(1, present);
    click(p);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(1, {})) << "the first click selects the row";
    EXPECT_EQ(table->selectedLego(), nullptr);
    EXPECT_GT(zev.refreshes, 0) << "the selection is brought up to date before each click";
    click(p);
    EXPECT_EQ(table->selectedLego(), present) << "a click on a lego of the selected row selects it";
    EXPECT_EQ(table->monoSelectedRow(), 1);
    click(p);
    EXPECT_EQ(table->selectedLego(), nullptr) << "clicking the same lego again deselects it";
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    click(surLaLigne(1));
    EXPECT_EQ(table->selectedLego(), nullptr) << "a click on no lego clears it";
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    click(p, Qt::ControlModifier);
    EXPECT_EQ(table->selectedLego(), nullptr) << "a Ctrl-click clears it";
    click(surLaLigne(1));
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    click(surLaLigne(2));
    EXPECT_EQ(table->selectedLego(), nullptr) << "another row selected clears it";
    click(surLaLigne(1));
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    table->selectRow(0);
    EXPECT_EQ(table->selectedLego(), nullptr) << "so does a row selected by the keys";

    // Shift-click on another row is a plain click: only that row is selected.
    click(surLaLigne(0));
    click(surLaLigne(2), Qt::ShiftModifier);
    EXPECT_FALSE(table->selectionModel()->isRowSelected(0, {}));
    EXPECT_TRUE(table->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    // Shift+Ctrl is a Ctrl-click: it adds.
    click(surLaLigne(0), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(table->monoSelectedRow(), -1);
}

TEST_F(Table, ALegoOfAnotherChannelIsDrawnOnlyWithAllLegosAndNeverSelected)
{
    rows[1].item->setChannelInt(space->currentChannelInt() + 1000);
    // setChannelInt keeps the first Channel given: use a fresh Object on another Channel.
    KELI* autre = model->ajouterUnElement(KELServeurDeLiens::CurseurGlobal());
    autre->setChannelInt(space->currentChannelInt() + 1000);
    rows[1].item = autre;
    const QPoint p = centreDuLego(1, zev.legos[1][0]);
    QColor c = grab().pixelColor(p);
    EXPECT_FALSE(proche(c, QColor::fromRgbF(0.55f, 0.55f, 0.55f))) << "not drawn without all legos";
    table->setSiAllLegos(true);
    c = grab().pixelColor(p);
    EXPECT_FALSE(proche(c, QColor::fromRgbF(0.55f, 0.55f, 0.55f))) << "the second colour set, translucent";
    EXPECT_TRUE(c != grab().pixelColor(surLaLigne(1))) << "but drawn";
    click(p);
    click(p);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(table->selectedLego(), nullptr);
}

TEST_F(Table, AForgottenSelectedLegoIsGoneAndShrunkRowsAreNeverReadPastTheirEnd)
{
    KELI* present = zev.legos[1][0];
    const QPoint p = centreDuLego(1, present);
    click(p);
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    const KELId id = present->idInt();
    KELServeurDeLiens::DegagerLien(present, KELServeurDeLiens::CurseurGlobal());
    EXPECT_EQ(table->selectedLego(), nullptr) << "kept by id, it is found forgotten";
    EXPECT_NE(id, 0);
    const QColor c = grab().pixelColor(p);
    EXPECT_FALSE(proche(c, QColor::fromRgbF(0.55f, 0.55f, 0.55f))) << "a forgotten lego draws nothing";
    table->menuAction(ZEVTableMenuAction::DeleteLego);
    EXPECT_EQ(zev.trace.back(), "deleteLego none");

    // The owner drops rows without telling the table yet: nothing past the array is read.
    rows.resize(1);
    EXPECT_EQ(table->element(1), nullptr);
    EXPECT_EQ(table->element(-1), nullptr);
    grab();
    click(surLaLigne(2));
    EXPECT_EQ(table->menuForRow(2), nullptr);
    EXPECT_EQ(table->tableModel()->data(table->tableModel()->index(2, 0), Qt::DisplayRole), QVariant());
}

TEST_F(Table, ARightClickOpensTheLegoMenuOnlyOnTheSelectedLegoElseTheRowMenuAndNoneOffTheRows)
{
    KELI* present = zev.legos[1][0];
    const QPoint p = centreDuLego(1, present);
    click(p);
    click(p);
    ASSERT_EQ(table->selectedLego(), present);
    auto droit = [&](QPoint at) {
        zev.trace.clear();
        placerLAxe();
        QTest::mousePress(table->viewport(), Qt::RightButton, {}, at);
        QCoreApplication::processEvents();
        table->rowMenu()->hide();
        table->legoMenu()->hide();
        return zev.trace.empty() ? std::string("none") : zev.trace.front();
    };
    EXPECT_EQ(droit(p), "legoMenu");
    EXPECT_EQ(droit(surLaLigne(1)), "rowMenu") << "the selected lego is not the one right-clicked";
    EXPECT_EQ(droit(centreDuLego(0, zev.legos[0][0])), "rowMenu");
    EXPECT_EQ(droit(QPoint(30, table->rowViewportPosition(3) + 40)), "none");
    EXPECT_EQ(table->rightSelectedRow(), -2);

    // Every menu item reaches the delegate.
    zev.trace.clear();
    for (QMenu* m : {table->rowMenu(), table->legoMenu()})
        for (QAction* a : m->actions())
            a->trigger();
    EXPECT_EQ(zev.trace.size(), std::size_t(ZEVTableMenuAction::Count));
}

TEST_F(Table, KeysStepTheHistoryGoNextOrPreviousOrGoToTheStripAndEscapeStepsBack)
{
    table->setFocus();
    host.actions.clear();
    QTest::keyClick(table, Qt::Key_End);
    QTest::keyClick(table, Qt::Key_Home);
    EXPECT_EQ(host.actions,
              (std::vector<ZEVSpaceMenuAction>{ZEVSpaceMenuAction::GotoNext, ZEVSpaceMenuAction::GotoPrevious}));
    const int avant = host.front->stepBacks;
    QTest::keyClick(table, Qt::Key_Escape);
    EXPECT_EQ(host.front->stepBacks, avant + 1);
    // Meta (the Part's Control) with Up or Down steps the places' history.
    ASSERT_NE(host.history, nullptr);
    QTest::keyClick(table, Qt::Key_Up, Qt::MetaModifier);
    QTest::keyClick(table, Qt::Key_Down, Qt::MetaModifier);
    EXPECT_EQ(host.history->avances, 1);
    EXPECT_EQ(host.history->reculs, 1);
    // A plain Down moves the row selection.
    click(surLaLigne(0));
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(1, {}));
    // With the arrows given to the strip, Down leaves the selection alone.
    table->setSiArrowUpDown();
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(1, {}));
}

TEST_F(Table, SelectionListsKeepTheirModeAndTheBackgroundFollowsTheFocus)
{
    host.front->mode = 3;
    table->frontModeDidChange();
    EXPECT_EQ(table->currentFrontMode(), 3);
    table->setDefaultFrontMode(1);
    host.front->mode = 0;
    table->frontModeDidChange();
    EXPECT_EQ(table->currentFrontMode(), 1);
    EXPECT_TRUE(table->siSelectionViewMode());

    table->setFondColorOn(Qt::red);
    table->setFondColorOff(Qt::blue);
    focusDesk();
    table->updateFondColor();
    EXPECT_EQ(table->fondColor(), QColor(Qt::blue));
    table->setFocus();
    QCoreApplication::processEvents();
    table->updateFondColor();
    EXPECT_EQ(table->fondColor(), QColor(Qt::red));
    EXPECT_FALSE(zev.accepteMaj) << "the model may not rewrite the rows while the table has the focus";
    focusDesk();
    EXPECT_TRUE(zev.accepteMaj);
}

TEST_F(Table, TypeSelectTakesItsOperationFromTheModifiersAndItsFilterGoesWithTheField)
{
    auto* field = new QLineEdit(space->spaceWindow());
    auto* button = new QPushButton(space->spaceWindow());
    button->setCheckable(true);
    table->typeSelect()->attach(field, button);
    table->showSearchField();
    ASSERT_TRUE(table->siTextSearching());
    EXPECT_TRUE(table->typeSelect()->siFilterInstalled());
    EXPECT_TRUE(button->isChecked());
    EXPECT_FALSE(space->spaceWindow()->siAcceptsFlagsChanges()) << "no quasimodes while typing";

    // Empty text: only the start.
    zev.trace.clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(zev.trace, (std::vector<std::string>{"willStart"}));
    // Ctrl+Alt+Shift+Return: remove (Shift wins), ending the edit as a plain Return.
    table->showSearchField();
    field->setText(QStringLiteral("abc"));
    zev.trace.clear();
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_GE(zev.trace.size(), 2u);
    EXPECT_EQ(zev.trace[1], "select abc 3");
    sched.advance(0.1);
    EXPECT_FALSE(table->siTextSearching()) << "the end of the edit hides the field";
    EXPECT_EQ(table->typeSelect()->searchOperation(), 0) << "hiding resets the operation";
    EXPECT_FALSE(table->typeSelect()->siFilterInstalled());
    EXPECT_TRUE(space->spaceWindow()->siAcceptsFlagsChanges());
    EXPECT_EQ(zev.trace.back(), "didFinish");
    EXPECT_EQ(table->typeSelect()->recents(), QStringList{QStringLiteral("abc")});

    // Ctrl+Alt+Return intersects.
    table->showSearchField();
    zev.trace.clear();
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(zev.trace[1], "select abc 1");
    sched.advance(0.1);

    // A press outside the field hides it; the press goes on.
    table->showSearchField();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, surLaLigne(0));
    EXPECT_FALSE(table->siTextSearching());
    EXPECT_TRUE(table->selectionModel()->isRowSelected(0, {}));

    // Hidden by someone else, the search ends and the filter goes.
    table->showSearchField();
    field->hide();
    EXPECT_FALSE(table->siTextSearching());
    EXPECT_FALSE(table->typeSelect()->siFilterInstalled());

    // The table destroyed while searching takes its filter with it.
    table->showSearchField();
    delete table;
    table = nullptr;
    QTest::keyClick(space->spaceWindow(), Qt::Key_A);
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST_F(Table, TheRecentsMenuKeepsTwentyAtMostUnderItsTags)
{
    auto* field = new QLineEdit(space->spaceWindow());
    table->typeSelect()->attach(field, nullptr);
    table->showSearchField();
    for (int i = 0; i < 25; ++i) {
        field->setText(QStringLiteral("t%1").arg(i));
        table->typeSelect()->updateSearchField();
    }
    field->setText(QStringLiteral("t24"));
    table->typeSelect()->updateSearchField();
    const QStringList r = table->typeSelect()->recents();
    ASSERT_EQ(r.size(), 20);
    EXPECT_EQ(r.front(), QStringLiteral("t24"));
    EXPECT_EQ(r.count(QStringLiteral("t24")), 1);
    QMenu* menu = table->typeSelect()->recentsMenu();
    emit menu->aboutToShow();
    std::map<int, int> tags;
    for (QAction* a : menu->actions())
        if (a->isVisible())
            ++tags[a->data().toInt()];
    EXPECT_EQ(tags[ZEVTypeSelect::kTagRecents], 20);
    EXPECT_EQ(tags[ZEVTypeSelect::kTagClear], 1);
    EXPECT_EQ(tags[ZEVTypeSelect::kTagNoRecents], 0);
    for (QAction* a : menu->actions())
        if (a->data().toInt() == ZEVTypeSelect::kTagClear)
            a->trigger();
    emit menu->aboutToShow();
    tags.clear();
    for (QAction* a : menu->actions())
        if (a->isVisible())
            ++tags[a->data().toInt()];
    EXPECT_EQ(tags[ZEVTypeSelect::kTagNoRecents], 1);
    EXPECT_EQ(tags[ZEVTypeSelect::kTagRecents], 0);
}

TEST_F(Table, TheSelectedRowBandIsDrawnInAPanelOnlyForTheFrontModesSelection)
{
    host.front->mode = 0;
    const QPoint p(30, table->rowViewportPosition(3) + 9);
    const QColor sans = grab().pixelColor(p);
    zev.iconSelected.insert(rows[3].item);
    EXPECT_EQ(grab().pixelColor(p), sans) << "a table outside a panel draws no band";

    ZEVInspectViewer* v = creer("ZEVIconViewer", 2000003);
    ASSERT_NE(v, nullptr);
    v->showInspectView(true);
    settle();
    ZEVInspectTableView* t = v->inspectView()->inspectTableView();
    t->setZevClass(&zev);
    t->setElements(&rows);
    t->reloadData();
    const QPoint q(10, t->rowViewportPosition(3) + 9);
    const QColor avec = t->viewport()->grab().toImage().pixelColor(q);
    zev.iconSelected.clear();
    const QColor sansBande = t->viewport()->grab().toImage().pixelColor(q);
    EXPECT_GT(avec.lightness(), sansBande.lightness()) << "the white band over a selected row";
    // The panel shades its rows by the front mode too: Title mode is compared with itself.
    host.front->mode = 1;
    const QColor sansBandeEnTitres = t->viewport()->grab().toImage().pixelColor(q);
    zev.iconSelected.insert(rows[3].item);
    EXPECT_EQ(t->viewport()->grab().toImage().pixelColor(q), sansBandeEnTitres) << "Title mode asks the title selection";
    t->setZevClass(nullptr);
    t->setElements(nullptr);
}

TEST_F(Table, TheEscapeStepOfAPanelWithASelectedLegoOnlyDeselectsIt)
{
    ZEVInspectViewer* v = creer("ZEVIconViewer", 2000003);
    ASSERT_NE(v, nullptr);
    v->showInspectView(true);
    settle();
    ZEVInspectTableView* t = v->inspectView()->inspectTableView();
    t->setZevClass(&zev);
    t->setElements(&rows);
    t->setColumnIdentifiers({QStringLiteral("title")});
    t->reloadData();
    settle();
    KELI* present = zev.legos[1][0];
    // The axis slides so that the present lego's middle lies in the middle of the panel's table.
    const double shift = t->viewport()->mapFromGlobal(strip->mapToGlobal(QPointF(0, 0))).x();
    const double L = axeOut - axeIn;
    const double milieu = (present->inDate() + present->outDate()) / 2;
    axeIn = milieu - (t->viewport()->width() / 2.0 - shift) / strip->width() * L;
    axeOut = axeIn + L;
    placerLAxe();
    const double xm =
        ((present->inDate() + present->outDate()) / 2 - axeIn) / (axeOut - axeIn) * strip->width() + shift;
    const QPoint p(int(xm), t->rowViewportPosition(1) + 9);
    if (p.x() < 0 || p.x() >= t->viewport()->width())
        GTEST_SKIP() << "the panel does not reach the lego's place on this screen";
    for (int i = 0; i < 2; ++i) {
        placerLAxe();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, p);
    }
    ASSERT_EQ(t->selectedLego(), present);
    host.front->switches.clear();
    const std::size_t sons = sound.played.size();
    v->inspectStepBack();
    EXPECT_EQ(t->selectedLego(), nullptr);
    EXPECT_TRUE(host.front->switches.empty());
    EXPECT_EQ(sound.played.size(), sons);
    EXPECT_TRUE(t->selectionModel()->isRowSelected(1, {})) << "the row stays selected";
    t->setZevClass(nullptr);
    t->setElements(nullptr);
}

} // namespace
} // namespace inspecttest
