// People and the program's own Objects brought into the Contacts panel, on real desks: a new
// person becomes one contact Object present from the active cursor's date; a known one is recalled
// when it ever had a presence, else given one from that date; own Objects are taken only as
// contacts of the current Channel; a card the book lacks joins it; what came is linked to every
// selected Filter; people and own Objects together succeed when either added something; a drop of
// nothing usable is refused, and a paste that adds nothing leaves the selection as it was.

#include "tests/inspectors/PersonFixture.h"

#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/view/ZEVDeskView.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>

namespace inspecttest {
namespace {

QByteArray cardOf(const QByteArray& uid, const QByteArray& family, const QByteArray& given)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given + ";;;\r\nFN:" + given + " " +
           family + "\r\nEND:VCARD\r\n";
}

class PersonDrop : public PersonFixture {
protected:
    void SetUp() override
    {
        host.withDesks = true;
        PersonFixture::SetUp();
        ASSERT_NE(host.bridge, nullptr);
        ASSERT_NE(space->deskViewerForCurseur(space->nowCurseur()), nullptr);
        ASSERT_TRUE(QDir().mkpath(contacts));
        for (const auto& [uid, family, given] : {std::tuple{"ann", "Ames", "Ann"}, std::tuple{"bob", "Bell", "Bob"}}) {
            QFile f(contacts + "/" + uid + ".vcf");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(cardOf(uid, family, given));
        }
        // What the pasteboard reader asks of the Space, and one book for the desks and the panel,
        // as in the program.
        ZEVItemDataChannels::ReferencerSpaceController(host.bridge.get());
        host.bridge->setContactsFolder(contacts);
        viewer = open();
        viewer->model().referencerAddressBook(&host.bridge->contacts());
    }
    void TearDown() override
    {
        ZEVPasteboard::Reset();
        ZEVItemDataChannels::ReferencerSpaceController(nullptr);
        PersonFixture::TearDown();
    }

    // What the pasteboard holds, analysed as for a drop, then taken in.
    bool perform(const QMimeData& data)
    {
        const long n = ZEVDeskView::nextDragSequenceNumber();
        ZEVPasteboard::AnalysePasteboard(&data, n);
        const bool ok = viewer->userPerformDragOrPaste();
        ZEVPasteboard::EndAnalysis(n);
        settle();
        return ok;
    }
    static std::unique_ptr<QMimeData> cards(const QByteArray& bytes)
    {
        auto d = std::make_unique<QMimeData>();
        d->setData("text/vcard", bytes);
        return d;
    }
    // Own Objects as the program writes them for a drag out of a table or a desk.
    std::unique_ptr<QMimeData> ownObjects(const std::vector<KELI*>& objects)
    {
        auto d = std::make_unique<QMimeData>();
        EXPECT_TRUE(viewer->model().writeItems(objects, *d));
        return d;
    }
    std::vector<KELI*> contactsOfStore(const QString& uid)
    {
        std::vector<KELI*> out;
        const KELId id = ZEVItemDataChannels::ItemDataForChannelInt(canalA)->itemNumberWithUid(uid);
        if (KELI* o = id ? KELServeurDeLiens::LienForInt(id, space->nowCurseur()) : nullptr)
            out.push_back(o);
        return out;
    }
    std::vector<KELI*> presencesOn(KELI* o, KELId canal)
    {
        std::vector<KELI*> out;
        for (KELI* l : liveLinks(o, KELRELATION_PERSON_VIEWER))
            if (l->parentInt() == canal)
                out.push_back(l);
        return out;
    }
    bool presentNow(KELI* o) { return viewer->model().presence().legoAt(o, space->nowCurseur()) != nullptr; }
    // The live Object-to-Object links between the two.
    int linksBetween(KELI* a, KELI* b)
    {
        int n = 0;
        for (KELI* l : liveLinks(a, KELRELATION_LINK_VIEWER))
            n += l->parentInt() == b->idInt() ? 1 : 0;
        for (KELI* l : liveLinks(b, KELRELATION_LINK_VIEWER))
            n += l->parentInt() == a->idInt() ? 1 : 0;
        return n;
    }
    KELI* filter(const std::string& title)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* f = items->creerItemWithChannelInt(canalA, title, "file", "txt", 0);
        EXPECT_NE(f, nullptr);
        return f;
    }

    ZEVPersonViewer* viewer = nullptr;
};

TEST_F(PersonDrop, ANewPersonBecomesOneContactPresentFromTheCursorAndIsLinkedToEachSelectedFilter)
{
    KELI* f1 = filter("Work");
    KELI* f2 = filter("Friends");
    space->selections().selectFilterForItemSet({f1, f2}, nullptr);
    ASSERT_EQ(space->selections().selectedFilterItems().size(), 2u);
    moveSearch(-2 * kHour);
    const KELDate t = space->searchCurseur()->now();

    EXPECT_TRUE(perform(*cards(cardOf("ann", "Ames", "Ann"))));
    const std::vector<KELI*> made = contactsOfStore("ann");
    ASSERT_EQ(made.size(), 1u);
    KELI* ann = made[0];
    EXPECT_EQ(ann->channelInt(), canalA);
    EXPECT_TRUE(siItemOption(ann, ZEVOPTION_HOLD_BY_APP));
    EXPECT_EQ(viewer->model().itemTitleForItem(ann).value_or(""), "Ann Ames");
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(canalA)->uidForItem(ann, "ABPerson"), "ann");
    const std::vector<KELI*> p = presencesOn(ann, canalA);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0]->inDate(), t, 1.0) << "from the active (Search) cursor's date";
    EXPECT_EQ(linksBetween(ann, f1), 1);
    EXPECT_EQ(linksBetween(ann, f2), 1);

    // The same person again makes nothing new and links nothing twice.
    EXPECT_TRUE(perform(*cards(cardOf("ann", "Ames", "Ann"))));
    EXPECT_EQ(contactsOfStore("ann"), made);
    EXPECT_EQ(presencesOn(ann, canalA).size(), 1u);
    EXPECT_EQ(linksBetween(ann, f1), 1);
}

TEST_F(PersonDrop, AKnownPersonIsRecalledWhenEverPresentAndGivenAPresenceFromTheCursorWhenNever)
{
    // Ann was present an hour until two hours ago; Bob has an Object but was never listed.
    KELI* ann = contact("Ann Ames", canalA, "ann");
    lego(ann, canalA, now() - 3 * kHour, now() - 2 * kHour);
    KELI* bob = contact("Bob Bell", canalA, "bob");
    settle();
    ASSERT_FALSE(presentNow(ann));
    const KELDate t = now();

    auto data = cards(cardOf("ann", "Ames", "Ann") + cardOf("bob", "Bell", "Bob"));
    EXPECT_TRUE(perform(*data));
    EXPECT_EQ(contactsOfStore("ann"), std::vector<KELI*>{ann}) << "no second Object";
    EXPECT_EQ(contactsOfStore("bob"), std::vector<KELI*>{bob});
    EXPECT_TRUE(presentNow(ann)) << "recalled";
    ASSERT_EQ(presencesOn(ann, canalA).size(), 2u) << "the released presence stays in the past";
    EXPECT_TRUE(presentNow(bob));
    const std::vector<KELI*> b = presencesOn(bob, canalA);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_NEAR(b[0]->inDate(), t, 1.0);
    // Both are the selection afterwards, in the icons mode.
    std::vector<KELI*> selected = space->selections().selectedIconItems();
    std::sort(selected.begin(), selected.end());
    std::vector<KELI*> both{ann, bob};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(selected, both);
}

TEST_F(PersonDrop, OwnObjectsAreTakenOnlyAsContactsOfTheCurrentChannel)
{
    // Recorded here but never listed: linked. Listed once on the other Channel: recalled here.
    // A file, and a contact of the other Channel never listed: skipped.
    KELI* recorded = contact("Ann Ames", canalA, "ann");
    KELI* elsewhere = contact("Bob Bell", canalB, "bob");
    lego(elsewhere, canalB, now() - 3 * kHour, now() - 2 * kHour);
    KELI* file = filter("notes.txt");
    KELI* stranger = contact("Someone", canalB, "someone");
    KELI* f = filter("Work");
    space->selections().selectFilterForItemSet({f}, nullptr);
    settle();

    EXPECT_TRUE(perform(*ownObjects({recorded, elsewhere, file, stranger})));
    EXPECT_TRUE(presentNow(recorded));
    EXPECT_EQ(presencesOn(recorded, canalA).size(), 1u);
    // The other Channel's contact is recalled here through its equivalent, once.
    const std::vector<KELI*> bob = contactsOfStore("bob");
    ASSERT_EQ(bob.size(), 1u);
    EXPECT_TRUE(presentNow(bob[0]));
    EXPECT_EQ(presencesOn(bob[0], canalA).size(), 1u);
    EXPECT_TRUE(presencesOn(file, canalA).empty());
    EXPECT_TRUE(presencesOn(stranger, canalA).empty());
    EXPECT_TRUE(contactsOfStore("someone").empty());
    EXPECT_EQ(linksBetween(recorded, f), 1);
    EXPECT_EQ(linksBetween(file, f), 0);

    // Nothing takeable: the drop answers no, and the selection stays.
    space->selections().selectIconForItemSet({recorded}, nullptr);
    EXPECT_FALSE(perform(*ownObjects({file, stranger})));
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{recorded});
}

TEST_F(PersonDrop, PeopleAndOwnObjectsTogetherSucceedWhenEitherAddedSomething)
{
    KELI* file = filter("notes.txt");
    settle();
    auto data = ownObjects({file});
    data->setData("text/vcard", cardOf("bob", "Bell", "Bob"));
    EXPECT_TRUE(perform(*data)) << "the person came though the file was skipped";
    const std::vector<KELI*> bob = contactsOfStore("bob");
    ASSERT_EQ(bob.size(), 1u);
    EXPECT_TRUE(presentNow(bob[0]));
    EXPECT_TRUE(presencesOn(file, canalA).empty());
}

TEST_F(PersonDrop, ACardTheBookLacksJoinsItAndTitlesItsContact)
{
    ASSERT_FALSE(QFile::exists(contacts + "/cid.vcf"));
    EXPECT_TRUE(perform(*cards(cardOf("cid", "Cole", "Cid"))));
    EXPECT_TRUE(QFile::exists(contacts + "/cid.vcf"));
    const std::vector<KELI*> cid = contactsOfStore("cid");
    ASSERT_EQ(cid.size(), 1u);
    EXPECT_EQ(viewer->model().itemTitleForItem(cid[0]).value_or(""), "Cid Cole");
}

TEST_F(PersonDrop, TheDragShowsCopyForPeopleOrOwnObjectsAndSelectsTheKnownOnesOncePerDrag)
{
    KELI* ann = contact("Ann Ames", canalA, "ann");
    KELI* other = contact("Other", canalA, "other");
    settle();
    ZEVTableView& table = tableOf(viewer);
    auto data = cards(cardOf("ann", "Ames", "Ann") + cardOf("new", "New", "Nina"));
    space->selections().selectIconForItemSet({other}, nullptr);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(viewer->model().draggingEntered(&enter, table), Qt::CopyAction);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{ann}) << "the person already here";
    viewer->model().draggingExited(table);
    settle();

    QMimeData words;
    words.setText(QStringLiteral("no one"));
    QDragEnterEvent text(QPoint(20, 20), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(viewer->model().draggingEntered(&text, table), Qt::IgnoreAction);
    viewer->model().draggingExited(table);
    EXPECT_TRUE(contactsOfStore("new").empty()) << "a drag alone makes nothing";
}

TEST_F(PersonDrop, APasteThatAddsNothingBeepsAndLeavesTheSelection)
{
    KELI* ann = contact("Ann Ames", canalA, "ann");
    settle();
    space->selections().selectIconForItemSet({ann}, nullptr);
    auto words = std::make_unique<QMimeData>();
    words->setText(QStringLiteral("no one"));
    QGuiApplication::clipboard()->setMimeData(words.release());
    const int beeps = sound.beeps;
    viewer->model().paste(tableOf(viewer));
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{ann});

    auto bob = cards(cardOf("bob", "Bell", "Bob"));
    QGuiApplication::clipboard()->setMimeData(bob.release());
    viewer->model().paste(tableOf(viewer));
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1) << "a paste that added someone does not beep";
    EXPECT_EQ(contactsOfStore("bob").size(), 1u);
    QGuiApplication::clipboard()->clear();
}

} // namespace
} // namespace inspecttest
