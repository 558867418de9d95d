// The Contacts controller: its count field, the Object and Edit menus' words and states on a few
// selections, the action buttons (another Channel's contact is one to recall), one refresh for a
// burst of engine changes, the entity menu's address book and the double click's card.

#include "tests/inspectors/PersonFixture.h"

#include "inspectors/core/ZEVRowMenuParts.h"
#include "platform/desktop/ContactOpener.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>

namespace inspecttest {
namespace {

class PersonViewer : public PersonFixture {
protected:
    void SetUp() override
    {
        PersonFixture::SetUp();
        previousOpener = setContactOpenHandler([this](const QUrl& url, QString*) {
            opened.push_back(url);
            return openerWorks;
        });
    }
    void TearDown() override
    {
        setContactOpenHandler(std::move(previousOpener));
        PersonFixture::TearDown();
    }
    static QAction* tagged(QMenu& m, long tag, const char* title = "")
    {
        QAction* a = m.addAction(QString::fromLatin1(title));
        a->setProperty("tag", qlonglong(tag));
        return a;
    }
    // Menus laid out as the main menu's Object and Edit menus.
    void buildMenus()
    {
        for (long t : {1L, 31L, 13L, 32L, 7L})
            tagged(object, t);
        QMenu* handle = object.addMenu(QStringLiteral("Handle"));
        handle->menuAction()->setProperty("tag", qlonglong(4333));
        for (long t : {21L, 20L, 23L, 22L})
            tagged(*handle, t);
        for (long t : {6L, 4L, 5L, 2L, 3L})
            tagged(edit, t);
    }
    QString text(QMenu& m, long tag) { return ZEVMenuItemWithTag(&m, tag)->text(); }
    bool enabled(QMenu& m, long tag) { return ZEVMenuItemWithTag(&m, tag)->isEnabled(); }
    bool visible(QMenu& m, long tag) { return ZEVMenuItemWithTag(&m, tag)->isVisible(); }
    QString field(ZEVPersonViewer* v) { return v->inspectViewIfBuilt()->inspectField()->text(); }
    void select(ZEVPersonViewer* v, const std::vector<KELI*>& items)
    {
        space->selections().selectIconForItemSet(items, nullptr);
        v->itemSelectionDidChange();
        settle();
    }

    QMenu object;
    QMenu edit;
    std::vector<QUrl> opened;
    bool openerWorks = true;
    ContactOpenHandler previousOpener;
};

TEST_F(PersonViewer, TheCountAndTheMenusFollowTheSelection)
{
    ZEVPersonViewer* v = open();
    EXPECT_EQ(field(v), "0 Contact");
    std::vector<KELI*> people;
    for (const char* n : {"Ann", "Bob", "Cid"}) {
        people.push_back(contact(n, canalA));
        lego(people.back(), canalA, now() - kHour, KELDateOuverte);
    }
    settle();
    EXPECT_EQ(field(v), "3 Contacts");
    buildMenus();

    // Nothing selected, icon mode.
    v->updateMenuObject(&object);
    v->updateMenuEdit(&edit);
    EXPECT_EQ(text(object, 1), "Open (no Contact)");
    EXPECT_FALSE(enabled(object, 1));
    EXPECT_EQ(text(object, 13), "Remove Contact Objects");
    EXPECT_FALSE(enabled(object, 13));
    EXPECT_EQ(text(object, 4333), "Handle Contacts");
    for (long t : {4L, 5L, 2L, 3L})
        EXPECT_FALSE(enabled(edit, t)) << t;
    EXPECT_EQ(text(edit, 4), "Recall");
    EXPECT_EQ(text(edit, 2), "Release");
    EXPECT_FALSE(visible(edit, 6)) << "Recall Now hidden";

    // One present contact: the singular forms; Recall Now still hidden with Now active.
    select(v, {people[1]});
    EXPECT_EQ(field(v), "1/3 Contacts");
    v->updateMenuObject(&object);
    v->updateMenuEdit(&edit);
    EXPECT_EQ(text(object, 1), "Open 1 Contact");
    EXPECT_EQ(text(object, 13), "Remove 1 Contact Object");
    EXPECT_TRUE(enabled(object, 13));
    EXPECT_EQ(text(edit, 2), "Release 1 Contact");
    EXPECT_TRUE(enabled(edit, 2));
    EXPECT_FALSE(enabled(edit, 4));
    EXPECT_FALSE(visible(edit, 6));
    QMenu* handle = ZEVMenuItemWithTag(&object, 4333)->menu();
    for (long t : {21L, 20L, 23L, 22L})
        EXPECT_FALSE(enabled(*handle, t)) << "contacts are no files: " << t;

    // Filter mode, nothing filtered, no icon.
    space->selections().deselectAllIcons();
    v->itemSelectionDidChange();
    host.front->mode = 2;
    v->frontModeDidChange();
    v->updateMenuObject(&object);
    EXPECT_EQ(text(object, 7), "Filter (no Icon)");
    EXPECT_FALSE(enabled(object, 7));
}

TEST_F(PersonViewer, AnotherChannelsContactIsOneToRecallAndAPresentOneToRelease)
{
    KELI* here = contact("Here", canalA);
    KELI* there = contact("There", canalB);
    lego(here, canalA, now() - kHour, KELDateOuverte);
    lego(there, canalB, now() - kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVInspectView* p = v->inspectViewIfBuilt();
    select(v, {there});
    EXPECT_TRUE(p->btnRecall()->isEnabled()) << "present in its own Channel, absent from this one";
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    select(v, {here});
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    // The Recall button recalls the other Channel's contact through its equivalent: with no
    // record, it has none, and nothing is made.
    select(v, {there});
    p->btnRecall()->click();
    settle();
    EXPECT_EQ(liveLinks(there, KELRELATION_PERSON_VIEWER).size(), 1u);
}

TEST_F(PersonViewer, TwentyEngineChangesWhileShownGiveOneRefresh)
{
    ZEVPersonViewer* v = open();
    ASSERT_EQ(field(v), "0 Contact");
    std::vector<KELI*> people;
    for (int i = 0; i < 20; ++i)
        people.push_back(contact("P" + std::to_string(i), canalA));
    for (KELI* o : people)
        lego(o, canalA, now() - kHour, KELDateOuverte);
    EXPECT_TRUE(sched.isPending(v, "majInspectView"));
    EXPECT_FALSE(v->siAccepteDisplay());
    EXPECT_EQ(field(v), "0 Contact") << "not refreshed yet";
    sched.advance(0.07);
    EXPECT_EQ(field(v), "20 Contacts");
    EXPECT_FALSE(sched.isPending(v, "majInspectView")) << "one refresh for the burst";
    EXPECT_TRUE(v->siAccepteDisplay());
}

TEST_F(PersonViewer, TheEntityMenuStartsTheAddressBookAndADoubleClickOpensTheCard)
{
    KELI* ann = contact("Ann", canalA, "uid-ann");
    lego(ann, canalA, now() - kHour, KELDateOuverte);
    QDir().mkpath(contacts);
    QFile card(contacts + "/uid-ann.vcf");
    ASSERT_TRUE(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:uid-ann\r\nFN:Ann\r\nEND:VCARD\r\n");
    card.close();
    ZEVPersonViewer* v = open();
    QAction* item = ZEVMenuItemWithTag(v->entityMenu(), ZEVPersonViewer::kAddressBookTag);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Open the Address Book");
    v->menuEntity();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts)) << "the book's own folder";
    // A book that cannot be opened is told.
    openerWorks = false;
    std::vector<ZEVAlertRequest> alerts;
    {
        const ScopedAlertAnswerer answerer([&alerts](const ZEVAlertRequest& r) { return alerts.push_back(r), 0; });
        v->menuEntity();
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The address book could not be opened."));
    openerWorks = true;

    opened.clear();
    v->openPerson(0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts + "/uid-ann.vcf"));
}

} // namespace
} // namespace inspecttest
