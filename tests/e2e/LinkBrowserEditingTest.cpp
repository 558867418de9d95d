// Editing the link base in the browser of the running program, as a person does it: values typed
// into a column's field, members added and removed with "+" and "-", each checked in the store
// and in the column at once.

#include "tests/e2e/LinkBrowserFixture.h"

#include "browser/KELVueDeBase.h"
#include "browser/KELVueDeModel.h"
#include "engine/KELModels.h"

#include <QLabel>
#include <QLineEdit>

namespace e2e {
namespace {

class LinkBrowserEditing : public LinkBrowserE2E {
protected:
    std::string outDate(KELId id) const
    {
        return sql(database(), "SELECT DATE_OUT FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(id)).at(0, 0);
    }
};

// What a person adds is brought wholly into sight, and what is removed leaves its column with
// the click: the global cursor steps only when an event of its own falls due, and the removal
// must not wait for it, however far the clock moved while the click was handled. On a full disk the store keeps no removal of the chosen models, so they
// stay listed and the person hears of it, rather than seeing a removal a restart would undo.
TEST_F(LinkBrowserEditing, WhatIsAddedComesIntoSightAndWhatIsRemovedGoesAsTheStoreHasIt)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("3"), QStringLiteral("--link-browser"),
           QStringLiteral("1")});
    ASSERT_EQ(windows().size(), 2u);
    auto* words = dynamic_cast<KELVueDeBaseMot*>(windows()[0]->premiereVue());
    auto* models = dynamic_cast<KELVueDeModel*>(windows()[1]->premiereVue());
    ASSERT_TRUE(words && models);
    const auto inSight = [](KELVueDe* v, KELId id) {
        GUITableView* t = v->tableView();
        const QRect r = t->visualRect(t->model()->index(rowOf(v, id), 0));
        return rowOf(v, id) >= 0 && r.isValid() && t->viewport()->rect().contains(r);
    };

    QTest::keyClicks(words->champ(), QStringLiteral("tulipe"));
    QTest::keyClick(words->champ(), Qt::Key_Return);
    pump();
    const KELId tulipe = std::stoull(sql(database(), "SELECT ZEVLET_ID FROM WORD WHERE WORD = 'tulipe'").at(0, 0));
    EXPECT_TRUE(inSight(words, tulipe));
    EXPECT_EQ(words->champ()->selectedText(), QStringLiteral("tulipe"));
    for (int i = 0; i < 3; ++i)
        clickButton(models, QStringLiteral("+"));
    ASSERT_GE(models->lignes().size(), 3u);
    EXPECT_TRUE(inSight(models, models->lignes().back()->idInt()));
    const std::size_t nWords = words->lignes().size(), nModels = models->lignes().size();
    const KELId nouveau = models->lignes()[nModels - 3]->idInt(), a = models->lignes()[nModels - 2]->idInt(),
                b = models->lignes()[nModels - 1]->idInt();
    advance(3);

    clickRow(words, tulipe);
    {
        // The real clock moves on while the click is handled.
        struct Ticking final : Clock {
            explicit Ticking(const FixedClock& c) : base(c) {}
            double now() const override { return base.now() + (pas += 0.001); }
            const FixedClock& base;
            mutable double pas = 0;
        } ticking(clock);
        Clock::setShared(&ticking);
        clickButton(words, QStringLiteral("-"));
        Clock::setShared(&clock);
    }
    EXPECT_LE(std::stod(outDate(tulipe)), clock.now() + 1) << "closed in the store";
    EXPECT_EQ(rowOf(words, tulipe), -1) << "the removed word is still listed";
    EXPECT_TRUE(words->entete()->text().startsWith(QString::number(nWords - 1) + " "))
        << words->entete()->text().toStdString();
    clickRow(models, nouveau);
    clickButton(models, QStringLiteral("-"));
    EXPECT_LE(std::stod(outDate(nouveau)), clock.now());
    EXPECT_EQ(rowOf(models, nouveau), -1) << "the removed model is still listed";
    EXPECT_EQ(sound.beeps, 0);

    const auto removeBoth = [&] {
        clickRow(models, a);
        clickRow(models, b, Qt::ControlModifier);
        clickButton(models, QStringLiteral("-"));
        advance(1);
    };
    diskFull(true);
    alerts.clear();
    removeBoth();
    EXPECT_DOUBLE_EQ(std::stod(outDate(a)), KELDateOuverte);
    EXPECT_DOUBLE_EQ(std::stod(outDate(b)), KELDateOuverte);
    EXPECT_TRUE(rowOf(models, a) >= 0 && rowOf(models, b) >= 0) << "a removal the store did not keep is shown as done";
    EXPECT_EQ(sound.beeps, 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    diskFull(false);
    removeBoth();
    EXPECT_LE(std::stod(outDate(b)), clock.now());
    EXPECT_EQ(models->lignes().size(), nModels - 3);
    EXPECT_EQ(sound.beeps, 1);
}

// The play button of a cursor column says whether the chosen cursor moves. Stopping it on a full
// disk changes nothing, and the button keeps saying so, with a beep; with room the same click
// stops the cursor. The offset clocks with no cursor chosen beep rather than do nothing.
TEST_F(LinkBrowserEditing, ThePlayButtonShowsTheCursorsMobilityAfterAChangeTheDiskRefused)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("5")});
    ASSERT_EQ(windows().size(), 1u);
    auto* cursors = dynamic_cast<KELVueDeModelCurseur*>(windows()[0]->premiereVue());
    ASSERT_NE(cursors, nullptr);
    std::vector<QPushButton*> clocks;
    for (auto* b : cursors->barreDeBoutons()->findChildren<QPushButton*>())
        if (!b->isCheckable() && b->text().isEmpty())
            clocks.push_back(b);
    ASSERT_EQ(clocks.size(), 2u);
    for (QPushButton* b : clocks)
        QTest::mouseClick(b, Qt::LeftButton);
    pump();
    EXPECT_EQ(sound.beeps, 2);
    sound.beeps = 0;
    // The Search cursor's element, which moves with its parent cursor.
    const KELId search = 2000093;
    const auto mobility = [&] {
        return sql(database(), "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = 34 AND PARENT_ZEVLET = " +
                                   std::to_string(search) + " ORDER BY DATE_IN DESC LIMIT 1")
            .at(0, 0);
    };
    ASSERT_EQ(mobility(), "268");
    clickRow(cursors, search);
    QPushButton* play = nullptr;
    for (auto* b : cursors->barreDeBoutons()->findChildren<QPushButton*>())
        if (b->isCheckable() && b->text().isEmpty())
            play = b;
    ASSERT_NE(play, nullptr);
    ASSERT_TRUE(play->isEnabled());
    ASSERT_TRUE(play->isChecked());

    diskFull(true);
    QTest::mouseClick(play, Qt::LeftButton);
    pump();
    EXPECT_EQ(mobility(), "268");
    EXPECT_TRUE(play->isChecked()) << "the button says the cursor stopped";
    EXPECT_EQ(sound.beeps, 1);

    diskFull(false);
    advance(1);
    QTest::mouseClick(play, Qt::LeftButton);
    pump();
    EXPECT_EQ(mobility(), "246");
    EXPECT_FALSE(play->isChecked());
    EXPECT_EQ(sound.beeps, 1);
}

// Numbers typed into a number column are listed as typed, each one apart from its neighbours:
// 0.30000000000000004 and 0.3 are two numbers and must not read alike. "3,500", three and a half
// with a decimal comma, is no number here and is refused rather than read as 3500; a word of
// blanks, which would list as nothing, is refused like an empty one. Both stay in the field.
TEST_F(LinkBrowserEditing, TypedValuesAreListedAsTypedAndBlankWordsRefused)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("4"), QStringLiteral("--link-browser"),
           QStringLiteral("3")});
    ASSERT_EQ(windows().size(), 2u);
    auto* numbers = dynamic_cast<KELVueDeBaseNombre*>(windows()[0]->premiereVue());
    ASSERT_NE(numbers, nullptr);
    GUITableView* table = numbers->tableView();
    for (const QString& typed : {QStringLiteral("0.30000000000000004"), QStringLiteral("0.3"),
                                QStringLiteral("1234567.123456789"), QStringLiteral("100000")}) {
        numbers->champ()->clear();
        QTest::keyClicks(numbers->champ(), typed);
        QTest::keyClick(numbers->champ(), Qt::Key_Return);
        pump();
        const Rows stored = sql(database(), "SELECT ZEVLET_ID FROM NUMBER WHERE NUMBER = " + typed.toStdString());
        ASSERT_EQ(stored.size(), 1u) << typed.toStdString();
        const int row = rowOf(numbers, std::stoull(stored.at(0, 0)));
        ASSERT_GE(row, 0);
        EXPECT_EQ(table->model()->index(row, 1).data().toString().toStdString(), typed.toStdString());
    }
    EXPECT_EQ(sound.beeps, 0);
    numbers->champ()->clear();
    QTest::keyClicks(numbers->champ(), QStringLiteral("3,500"));
    QTest::keyClick(numbers->champ(), Qt::Key_Return);
    pump();
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(sql(database(), "SELECT NUMBER FROM NUMBER WHERE NUMBER = 3500").empty());
    EXPECT_EQ(numbers->champ()->text(), QStringLiteral("3,500"));

    auto* words = dynamic_cast<KELVueDeBaseMot*>(windows()[1]->premiereVue());
    ASSERT_NE(words, nullptr);
    const std::string before = sql(database(), "SELECT COUNT(*) FROM WORD").at(0, 0);
    QTest::keyClicks(words->champ(), QStringLiteral("   "));
    QTest::keyClick(words->champ(), Qt::Key_Return);
    pump();
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM WORD").at(0, 0), before);
    EXPECT_EQ(words->champ()->text(), QStringLiteral("   "));
}

} // namespace
} // namespace e2e
