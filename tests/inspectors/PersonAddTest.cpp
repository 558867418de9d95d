// The Contacts add panel and retrieve panel on a real Space: the poll of the picker on the virtual
// clock (the Add button's title, width and place, the Search cursor sent to a contact's date),
// the go-to kinds, the ends of the panel's run, its wheel; and the retrieve panel's binding.

#include "tests/inspectors/PersonFixture.h"

#include "engine/KELICc.h"
#include "runtime/Clock.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonAddPanel.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QWheelEvent>

#include <cmath>

namespace inspecttest {
namespace {

QByteArray card(const QByteArray& uid, const QByteArray& lines)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\n" + lines + "END:VCARD\r\n";
}

class PersonAdd : public PersonFixture {
protected:
    void SetUp() override
    {
        PersonFixture::SetUp();
        // Revisions in the past of the test's clock (kStart is in 1995).
        writeCard("ann", "N:Bell;Ann\r\nREV:1994-05-01T10:00:00Z\r\n");
        writeCard("bob", "N:Young;Bob\r\nREV:1994-06-01T10:00:00Z\r\n");
        writeCard("cid", "N:Moss;Cid\r\nREV:1994-07-01T10:00:00Z\r\n");
        writeCard("dan", "N:Ray;Dan\r\nREV:1994-08-01T10:00:00Z\r\n");
        book.rescan();
        v = open();
    }
    void TearDown() override
    {
        v = nullptr;
        PersonFixture::TearDown();
    }
    void writeCard(const QByteArray& uid, const QByteArray& lines)
    {
        QDir().mkpath(contacts);
        QFile f(contacts + "/" + QString::fromLatin1(uid) + ".vcf");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(card(uid, lines));
    }
    ZEVPersonAddPanel* run()
    {
        v->menuInspectAdd();
        QCoreApplication::processEvents();
        return v->pickerPanel();
    }
    PeoplePicker& picker() { return *v->pickerPanel()->picker(); }
    void pick(const QStringList& uids) { picker().selectUids(uids); }
    QString addTitle() { return v->pickerPanel()->addButton()->text(); }
    int pendingPolls() const { return sched.isPending(static_cast<ZEVInspectViewer*>(v), "_startABPolling") ? 1 : 0; }
    // After the run: no go-to mode, the Add button at rest, no poll pending, the panel hidden.
    void expectEnded()
    {
        EXPECT_FALSE(space->siGoToMode());
        EXPECT_EQ(v->inspectViewIfBuilt()->btnAdd()->state(), kZEVStateOff);
        EXPECT_FALSE(v->siABPolling());
        EXPECT_EQ(pendingPolls(), 0);
        EXPECT_FALSE(v->pickerPanel()->isVisible());
    }
    // The Search cursor keeps pace with the clock: each poll's 0.4 s moves it that much.
    void expectSearchAt(KELDate t) { EXPECT_NEAR(space->searchCurseur()->now(), t, 1.0); }
    void purge() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    KELDate rev(const char* iso) const { return dateFromUnix(double(QDateTime::fromString(iso, Qt::ISODate).toSecsSinceEpoch())); }

    ZEVPersonViewer* v = nullptr;
};

TEST_F(PersonAdd, ThePollRetitlesAddWithinFourTenthsOfASecondAndPlacesTheButtons)
{
    space->setGoToTag(1);
    ZEVPersonAddPanel* panel = run();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->isModal());
    EXPECT_TRUE(space->siGoToMode());
    EXPECT_EQ(v->inspectViewIfBuilt()->btnAdd()->state(), kZEVStateOn);
    EXPECT_EQ(addTitle(), "Add");
    EXPECT_FALSE(panel->addButton()->isEnabled()) << "the first poll, at once, saw nothing selected";
    EXPECT_EQ(picker().listModel()->rowCount(), 4);

    pick({"ann", "bob", "cid"});
    EXPECT_EQ(addTitle(), "Add") << "seen at the next poll only";
    sched.advance(0.4);
    EXPECT_EQ(addTitle(), "Add 3 Contacts");
    EXPECT_TRUE(panel->addButton()->isEnabled());
    // Sized to its title, 20 from the right edge, Cancel 5 to its left.
    const QPushButton* add = panel->addButton();
    EXPECT_EQ(add->width(), add->sizeHint().width());
    EXPECT_EQ(add->x(), panel->width() - add->width() - 20);
    EXPECT_EQ(panel->cancelButton()->x(), add->x() - panel->cancelButton()->width() - 5);

    pick({"dan"});
    sched.advance(0.4);
    EXPECT_EQ(addTitle(), "Add 1 Contact");
    // The same count with other people is a change too.
    pick({"bob"});
    sched.advance(0.4);
    EXPECT_EQ(addTitle(), "Add 1 Contact");
    EXPECT_EQ(add->x(), panel->width() - add->width() - 20);

    pick({});
    sched.advance(0.4);
    EXPECT_EQ(addTitle(), "Add") << "clearing the selection is seen";
    EXPECT_FALSE(panel->addButton()->isEnabled());
    v->buttonPickerCancel();
    expectEnded();
}

TEST_F(PersonAdd, WithModifiedTheSearchCursorFollowsTheLastPickedUntilNothingChanges)
{
    space->setGoToTag(4);
    run();
    pick({"ann", "cid"});
    sched.advance(0.4);
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    expectSearchAt(rev("1994-07-01T10:00:00Z")); // the last one's revision
    KELIContexte* c = space->tlContexte();
    EXPECT_LE(c->nowIn(), space->searchCurseur()->now());
    EXPECT_GE(c->nowOut(), space->searchCurseur()->now()) << "in view";

    // Moved away by hand, then the book looked at again with a card changed: the selection is
    // the same people, so nothing is gone to.
    moveSearch(-kHour);
    const KELDate moved = space->searchCurseur()->now();
    writeCard("dan", "N:Ray;Daniel\r\nREV:1994-09-01T10:00:00Z\r\n");
    book.rescan();
    EXPECT_EQ(picker().selectedRecords().size(), 2);
    sched.advance(0.4);
    expectSearchAt(moved);

    pick({"bob"});
    sched.advance(0.4);
    expectSearchAt(rev("1994-06-01T10:00:00Z"));
    v->buttonPickerCancel();
}

TEST_F(PersonAdd, GoToKindsMoveTheCursorsFromThePopUp)
{
    space->setDurationTagForGoToTag(14, 2);
    ZEVPersonAddPanel* panel = run();
    pick({"ann"});
    sched.advance(0.4);
    moveSearch(-3 * kHour);
    const KELDate searched = space->searchCurseur()->now();

    // Now and Search: that cursor active, nothing moved; the duration follows the kind.
    v->popUpGoToChange(1);
    EXPECT_EQ(space->goToTag(), 1);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    v->popUpGoToChange(2);
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    EXPECT_EQ(ZEVPersonAddPanel::selectedTag(panel->durationPopUp()), 14);
    expectSearchAt(searched);
    // With Now or Search chosen, picking someone moves nothing.
    pick({"dan"});
    sched.advance(0.4);
    expectSearchAt(searched);

    // Modified: at once to the last picked one's revision.
    v->popUpGoToChange(4);
    expectSearchAt(rev("1994-08-01T10:00:00Z"));
    // Created: the card file's birth where the file system keeps one, else nothing moves.
    v->popUpGoToChange(3);
    const std::optional<KELDate> born = picker().selectedRecords().last().created;
    if (born)
        expectSearchAt(*born);
    else
        expectSearchAt(rev("1994-08-01T10:00:00Z"));
    EXPECT_EQ(space->goToTag(), 3);
    panel->durationPopUp()->setCurrentIndex(panel->durationPopUp()->findData(qlonglong(12)));
    emit panel->durationPopUp()->activated(panel->durationPopUp()->currentIndex());
    EXPECT_EQ(space->durationTagForGoToTag(3), 12);
    v->buttonPickerCancel();
}

TEST_F(PersonAdd, TheRunEndsByCancelAddEscapeAndTheTitleBar)
{
    // Cancel.
    ZEVPersonAddPanel* panel = run();
    QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    expectEnded();
    // Add, with two picked: they are handed on in row order.
    run();
    EXPECT_EQ(v->pickerPanel(), panel) << "made once";
    pick({"dan", "ann"});
    sched.advance(0.4);
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    expectEnded();
    // Escape.
    run();
    QTest::keyClick(panel, Qt::Key_Escape);
    expectEnded();
    // The title bar's close.
    run();
    EXPECT_TRUE(space->siGoToMode());
    panel->close();
    expectEnded();
    EXPECT_EQ(space->siGoToMode(), false) << "each run's go-to mode ended once, not more";
    run();
    EXPECT_TRUE(space->siGoToMode());
    v->buttonPickerCancel();
}

TEST_F(PersonAdd, TheWheelScrollsTheListAndMovesTimeOnlyOverEmptyAreas)
{
    for (int i = 0; i < 60; ++i)
        writeCard("p" + QByteArray::number(i), "N:Person" + QByteArray::number(i) + ";P\r\n");
    book.rescan();
    ZEVPersonAddPanel* panel = run();
    QTreeView* list = picker().listView();
    ASSERT_GT(list->verticalScrollBar()->maximum(), 0);
    KELIContexte* c = space->tlContexte();
    auto turn = [](QWidget* target, QPointF at) {
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        wheel.ignore();
        QCoreApplication::sendEvent(target, &wheel);
        return wheel.isAccepted();
    };
    // The view and the active time follow the clock; a turn moves one of them off it.
    auto fromNow = [&](double t) { return t - double(space->nowCurseur()->now()); };
    auto timeMoved = [&, in = fromNow(c->nowIn()), out = fromNow(c->nowOut()),
                      at = fromNow(space->actifCurseur()->now())] {
        return std::abs(fromNow(c->nowIn()) - in) > 1e-3 || std::abs(fromNow(c->nowOut()) - out) > 1e-3 ||
               std::abs(fromNow(space->actifCurseur()->now()) - at) > 1e-3;
    };

    // Over the list: the list scrolls and time stays.
    EXPECT_TRUE(turn(list->viewport(), list->viewport()->rect().center()));
    settle();
    EXPECT_GT(list->verticalScrollBar()->value(), 0) << "the list took the turn";
    EXPECT_FALSE(timeMoved());

    // Over a label (an empty area): the panel hands it to the ruler and the list stays.
    const int scrolled = list->verticalScrollBar()->value();
    QLabel* label = nullptr;
    for (QLabel* l : panel->findChildren<QLabel*>())
        if (l->text() == "Go to:")
            label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(turn(label, label->rect().center())) << "taken, not passed on";
    settle();
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    v->buttonPickerCancel();
}

// ---- the retrieve panel -------------------------------------------------------------------------

class PersonRetrieve : public PersonAdd {};

TEST_F(PersonRetrieve, TheChosenContactIsBoundAndTheMarkGoes)
{
    KELI* gone = contact("Bob Young", canalA, "gone-uid");
    addItemOption(gone, ZEVOPTION_NOT_FOUND);
    v->retrieveItem(gone);
    ZEVPersonRetrievePanel* panel = v->retrievePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->prompt()->text(), "Select a Contact for \"Bob Young\"");
    EXPECT_EQ(panel->picker()->searchText(), "Bob Young");
    ASSERT_EQ(panel->picker()->listModel()->rowCount(), 1) << "the title finds its namesake";
    panel->picker()->selectUids({"bob"});
    QTest::mouseClick(panel->selectButton(), Qt::LeftButton);
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(canalA)->uidForItem(gone, "ABPerson"), "bob");
    EXPECT_FALSE(siItemOption(gone, ZEVOPTION_NOT_FOUND));
    EXPECT_EQ(sound.beeps, 0);
    purge();
    EXPECT_EQ(v->retrievePanel(), nullptr) << "made each time, gone after its run";
}

TEST_F(PersonRetrieve, NothingChosenBeepsAndCancelOrCloseChangeNothing)
{
    KELI* gone = contact("Nobody Known", canalA, "gone-uid");
    addItemOption(gone, ZEVOPTION_NOT_FOUND);
    v->retrieveItem(gone);
    ZEVPersonRetrievePanel* panel = v->retrievePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->picker()->listModel()->rowCount(), 0);
    QTest::mouseClick(panel->selectButton(), Qt::LeftButton);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(siItemOption(gone, ZEVOPTION_NOT_FOUND)) << "the mark stays";
    purge();

    for (int way = 0; way < 2; ++way) {
        v->retrieveItem(gone);
        panel = v->retrievePanel();
        ASSERT_NE(panel, nullptr);
        panel->picker()->setSearchText("");
        panel->picker()->selectUids({"ann"});
        if (way == 0)
            QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        else
            panel->close();
        EXPECT_FALSE(panel->isVisible());
        purge();
        EXPECT_EQ(v->retrievePanel(), nullptr);
    }
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(canalA)->uidForItem(gone, "ABPerson"), "gone-uid");
    EXPECT_TRUE(siItemOption(gone, ZEVOPTION_NOT_FOUND));
    EXPECT_EQ(sound.beeps, 1);
}

} // namespace
} // namespace inspecttest
