// The link base browser in the running program: started with --link-browser (at start or from a
// second start), a window on the word model lists the template's words at the global cursor;
// words typed into its field are stored from the cursor's moment, and clicks choose rows under
// the window's highlight id, or its border id with Alt, drawn on screen.

#include "tests/e2e/E2EFixture.h"

#include "browser/GUITextFieldCell.h"
#include "browser/GUIWidgets.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDeBase.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

namespace e2e {
namespace {

class LinkBrowser : public E2EWithSound<RecordingSound> {
protected:
    static const std::vector<KELVueController*>& windows() { return KELVueController::ouvertes(); }

    // The share of the row's first column whose pixels on the line `dy` below the row's top are
    // of colour `c`.
    static double shareOfColour(GUITableView* table, int row, int dy, const QColor& c)
    {
        const QImage image = table->viewport()->grab().toImage();
        const QRect r = table->visualRect(table->model()->index(row, 0));
        int hits = 0, n = 0;
        for (int x = r.left() + 2; x < r.right() - 2; ++x, ++n)
            hits += image.pixelColor(x, r.top() + dy).rgb() == c.rgb() ? 1 : 0;
        return n ? double(hits) / n : 0;
    }

};

TEST_F(LinkBrowser, AWordWindowListsAddsAndChoosesWordsAndASecondStartOpensAnotherOrBeeps)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("3")});
    ASSERT_EQ(windows().size(), 1u);
    KELVueController* w = windows().front();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" (224)"))) << w->windowTitle().toStdString();
    auto* column = dynamic_cast<KELVueDeBaseMot*>(w->premiereVue());
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(w->width(), column->guiView()->width() + 20);
    const std::size_t before = column->lignes().size();
    const Rows words = sql(database(), "SELECT COUNT(*) FROM WORD");
    ASSERT_GT(before, 0u);
    EXPECT_LE(before, std::stoul(words.at(0, 0)));

    // "tulipe" and Return, typed as the user types them.
    QLineEdit* field = column->champ();
    const double moment = clock.now();
    QTest::keyClicks(field, QStringLiteral("tulipe"));
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    // One word, stored as a value element of the word model.
    ASSERT_EQ(sql(database(), "SELECT COUNT(*) FROM WORD WHERE WORD = 'tulipe'").at(0, 0), "1");
    const Rows added = sql(database(), "SELECT z.DATE_OUT, z.RELATION FROM WORD w JOIN ZEVLETS z ON "
                                       "z.ZEVLET_ID = w.ZEVLET_ID WHERE w.WORD = 'tulipe'");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added.at(0, 1), "31") << "the word model's membership";
    EXPECT_GT(std::stod(added.at(0, 0)), moment) << "it lives on at the cursor's moment";
    EXPECT_EQ(column->lignes().size(), before + 1);
    EXPECT_EQ(field->selectedText(), QStringLiteral("tulipe"));
    EXPECT_NE(column->entete()->text().indexOf(QString::number(before + 1)), -1);

    // An empty field adds nothing and beeps.
    field->clear();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM WORD").at(0, 0), std::to_string(std::stoul(words.at(0, 0)) + 1));

    // A click chooses a row under the highlight id; Alt-click another under the border id.
    GUITableView* table = column->tableView();
    const auto rowOf = [&](const std::string& word) {
        for (std::size_t i = 0; i < column->lignes().size(); ++i)
            if (column->valeur(column->lignes()[i], QStringLiteral("2")).toString().toStdString() == word)
                return int(i);
        return -1;
    };
    const int tulipe = rowOf("tulipe");
    ASSERT_GE(tulipe, 0);
    table->scrollTo(table->model()->index(0, 0));
    const int other = 0 == tulipe ? 1 : 0;
    KELI* tulipeLink = column->lignes()[std::size_t(tulipe)];
    KELI* otherLink = column->lignes()[std::size_t(other)];
    table->scrollTo(table->model()->index(tulipe, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(table->model()->index(tulipe, 1)).center());
    pump();
    EXPECT_TRUE(column->selCtrl()->siChoisit(tulipeLink, w->selIdHl()));
    table->scrollTo(table->model()->index(other, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::AltModifier,
                      table->visualRect(table->model()->index(other, 1)).center());
    pump();
    EXPECT_TRUE(column->selCtrl()->siChoisit(otherLink, w->selIdBd()));
    EXPECT_FALSE(column->selCtrl()->siChoisit(otherLink, w->selIdHl()));
    EXPECT_TRUE(column->selCtrl()->siChoisit(tulipeLink, w->selIdHl())) << "the border id leaves the highlight";

    // Drawn: the old word lived through the whole window, so its outline's top line runs across
    // the row in the border's focus colour (black); an unchosen row has none.
    const QColor black = GUICouleurs::table().SelectionCouleurBdFocus;
    EXPECT_GT(shareOfColour(table, other, 1, black), 0.9);
    const int plain = rowOf("tulipe") == 2 || other == 2 ? 3 : 2;
    table->scrollTo(table->model()->index(plain, 0));
    EXPECT_LT(shareOfColour(table, plain, 1, black), 0.1);

    // A second start with the same option opens a second window; one on no column opens none and beeps.
    EXPECT_EQ(secondStart({QStringLiteral("--link-browser"), QStringLiteral("3")}), 0);
    ASSERT_EQ(windows().size(), 2u);
    EXPECT_TRUE(windows().back()->isVisible());
    EXPECT_NE(windows().back()->selection(), w->selection());
    const int beeps = sound.beeps;
    EXPECT_EQ(secondStart({QStringLiteral("--link-browser"), QStringLiteral("999999")}), 0);
    EXPECT_EQ(windows().size(), 2u);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_TRUE(log.contains("Aucun KELVueDe disponible pour le LienId 999999"));
    EXPECT_EQ(secondStart({QStringLiteral("--link-browser"), QStringLiteral("x3")}), 0);
    EXPECT_TRUE(log.contains("is no link id"));

    // Closing frees the window and its columns.
    windows().back()->close();
    pump();
    EXPECT_EQ(windows().size(), 1u);
}

} // namespace
} // namespace e2e
