// The Contacts table: the row menu's words and states, the lego menu and the deletion of one
// lego or of a contact's last, the selection both ways with Ctrl's minus set, rows out and the
// clipboard as contact records of each Object's own Channel, Cut only after a Copy that wrote,
// and the Qt model told of each engine change at once.

#include "tests/inspectors/PersonFixture.h"

#include "desk/pasteboard/ZEVItemPB.h"
#include "inspectors/contacts/ZEVPersonTextCell.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "platform/AppId.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

namespace inspecttest {
namespace {

// The table's cell drawing, noting where it was asked to draw and what.
class RecordingCell final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        rects.push_back(option.rect);
        texts.push_back(index.data().toString());
        QStyledItemDelegate::paint(painter, option, index);
    }
    mutable std::vector<QRect> rects;
    mutable std::vector<QString> texts;
};

class PersonTable : public PersonFixture {
protected:
    int rowOf(ZEVTableView& t, KELI* o)
    {
        for (int r = 0; r < t.numberOfRows(); ++r)
            if (t.element(r) && t.element(r)->item == o)
                return r;
        return -1;
    }
    QMenu* rowMenu(ZEVPersonViewer* v, KELI* o)
    {
        ZEVTableView& t = tableOf(v);
        const int r = rowOf(t, o);
        EXPECT_GE(r, 0);
        return r < 0 ? nullptr : v->model().updateRowMenu(nullptr, t, *t.element(r));
    }
    void selectRows(ZEVTableView& t, const std::vector<int>& rows)
    {
        QItemSelection s;
        for (int r : rows)
            s.select(t.tableModel()->index(r, 0), t.tableModel()->index(r, 5));
        t.selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
    }
};

TEST_F(PersonTable, TheRowMenuNamesTheContactInQuotesAndOffersWhatItsPresenceAllows)
{
    // 24 characters whole; 25 cut to 24 and an ellipsis; a pair at the cut stays whole.
    QDir().mkpath(contacts);
    QFile card(contacts + "/uid-exact.vcf");
    ASSERT_TRUE(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:uid-exact\r\nFN:Exact\r\nEND:VCARD\r\n");
    card.close();
    KELI* exact = contact("Abcdefghijklmnopqrstuvwx", canalA, "uid-exact");
    KELI* longer = contact("Abcdefghijklmnopqrstuvwxy", canalA);
    KELI* pair = contact("Abcdefghijklmnopqrstuvw\U0001F600z", canalA);
    for (KELI* o : {exact, longer, pair})
        lego(o, canalA, now() - kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    QMenu* m = rowMenu(v, exact);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagHeader)->text(), "\"Abcdefghijklmnopqrstuvwx\"");
    rowMenu(v, longer);
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagHeader)->text(), "\"Abcdefghijklmnopqrstuvwx\u2026\"");
    rowMenu(v, pair);
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagHeader)->text(),
              QStringLiteral("\"Abcdefghijklmnopqrstuvw\U0001F600\u2026\""));

    // Present at Now, Now active: Release and Forget; Recall Now never shows.
    rowMenu(v, exact);
    EXPECT_FALSE(ZEVMenuItemWithTag(m, ZEVRowTagRecallNow)->isVisible());
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagRelease)->text(), "Release Contact");
    EXPECT_TRUE(ZEVMenuItemWithTag(m, ZEVRowTagRelease)->isEnabled());
    EXPECT_EQ(ZEVMenuItemWithTag(m, ZEVRowTagRecall)->text(), "Recall");
    EXPECT_FALSE(ZEVMenuItemWithTag(m, ZEVRowTagRecall)->isEnabled());
    // The archive entry: the only Handle entry, off until archived, refused while not found.
    QMenu* handle = ZEVMenuItemWithTag(m, ZEVRowTagHandle)->menu();
    ASSERT_NE(handle, nullptr);
    QAction* archive = ZEVMenuItemWithTag(handle, ZEVRowTagDuplicateToSpace);
    ASSERT_NE(archive, nullptr);
    for (QAction* a : handle->actions())
        if (a != archive && !a->isSeparator()) {
            EXPECT_FALSE(a->isVisible()) << a->text().toStdString();
        }
    EXPECT_TRUE(archive->isEnabled());
    EXPECT_FALSE(archive->isChecked());
    archive->trigger();
    rowMenu(v, exact);
    EXPECT_TRUE(archive->isChecked()) << "archived";
    addItemOption(exact, ZEVOPTION_NOT_FOUND);
    rowMenu(v, exact);
    EXPECT_FALSE(archive->isEnabled());

    // Released: Recall Contact, and from the Search cursor, Recall Contact Now too.
    v->model().releasePersonsForItems({longer});
    settle();
    rowMenu(v, longer);
    EXPECT_TRUE(ZEVMenuItemWithTag(m, ZEVRowTagRecall)->text().startsWith("Recall Contact"));
    EXPECT_TRUE(ZEVMenuItemWithTag(m, ZEVRowTagRecall)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(m, ZEVRowTagRelease)->isEnabled());
    space->selections().selectIconForItemSet({longer}, nullptr);
    v->itemSelectionDidChange();
    moveSearch(kHour);
    rowMenu(v, longer);
    EXPECT_TRUE(ZEVMenuItemWithTag(m, ZEVRowTagRecallNow)->isVisible());
}

TEST_F(PersonTable, ALegoOfSeveralGoesAloneAndAContactsLastLegoRemovesTheContact)
{
    KELI* two = contact("Two", canalA);
    KELI* one = contact("One", canalA);
    KELI* early = lego(two, canalA, now() - 0.9 * kHour, now() - 0.8 * kHour);
    lego(two, canalA, now() - 0.5 * kHour, KELDateOuverte);
    KELI* only = lego(one, canalA, now() - 0.5 * kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVTableView& t = tableOf(v);
    ZEVPersonClass& m = v->model();
    QMenu* menu = m.updateLegoMenu(nullptr, t, early);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Delete Interval");
    m.updateLegoMenu(nullptr, t, only);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Remove Contact");

    m.deleteLego(early, t);
    settle();
    EXPECT_EQ(liveLinks(two, KELRELATION_PERSON_VIEWER).size(), 1u);
    EXPECT_TRUE(host.deletedData.empty());
    m.deleteLego(only, t);
    settle();
    EXPECT_TRUE(liveLinks(one, KELRELATION_PERSON_VIEWER).empty());
    EXPECT_EQ(host.deletedData, std::vector<KELI*>{one}) << "nothing else held it";
    EXPECT_EQ(m.actifItems(), std::vector<KELI*>{two});
}

TEST_F(PersonTable, CtrlGivesTheMinusSetAndOnlyTheUsersChoicesReachTheDesk)
{
    KELI* a = contact("A", canalA);
    KELI* b = contact("B", canalA);
    KELI* outside = contact("Outside", canalA); // selected, never listed
    lego(a, canalA, now() - kHour, KELDateOuverte);
    lego(b, canalA, now() - kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVTableView& t = tableOf(v);
    ZEVPersonClass& m = v->model();
    const int ra = rowOf(t, a), rb = rowOf(t, b);
    ASSERT_GE(ra, 0);
    ASSERT_GE(rb, 0);
    m.setSiAccepteMajSelectedRows(false, t); // the user works in the list
    space->selections().selectIconForItemSet({a, b, outside}, nullptr);
    // Ctrl-click on b, selected: b leaves, a and what lies outside the list stay.
    m.selectionIndexesForProposedSelection(t, {ra}, {ra, rb}, Qt::ControlModifier);
    std::vector<KELI*> icons = space->selections().selectedIconItems();
    std::sort(icons.begin(), icons.end());
    std::vector<KELI*> expected{a, outside};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(icons, expected);
    // A plain click: the row alone.
    m.selectionIndexesForProposedSelection(t, {rb}, {ra}, Qt::NoModifier);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{b});
    // While the model sets the rows itself, the desk is left alone.
    m.setSiAccepteMajSelectedRows(true, t);
    m.selectionIndexesForProposedSelection(t, {}, {rb}, Qt::NoModifier);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{b});
}

TEST_F(PersonTable, RowsLeaveAsRecordsOfTheirOwnChannelFromThePictureColumnOnlyAndCutNeedsACopyThatWrote)
{
    KELI* here = contact("Here", canalA, "uid-here");
    KELI* there = contact("There", canalB, "uid-there");
    lego(here, canalA, now() - kHour, KELDateOuverte);
    lego(there, canalB, now() - kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVTableView& t = tableOf(v);
    ZEVPersonClass& m = v->model();
    // Selected, the other Channel's contact is listed in this Channel's rows too.
    space->selections().selectIconForItemSet({there}, nullptr);
    v->itemSelectionDidChange();
    const int r = rowOf(t, there);
    ASSERT_GE(r, 0);
    QMimeData fromTitle;
    EXPECT_FALSE(m.drag().writeRowsForDrag(t, {r}, 5, &fromTitle));
    EXPECT_TRUE(fromTitle.formats().isEmpty());
    QMimeData fromPicture;
    ASSERT_TRUE(m.drag().writeRowsForDrag(t, {r}, 4, &fromPicture));
    const std::vector<ZEVItemPB> records =
        ZEVItemPB::unarchive(fromPicture.data(QString::fromLatin1(kItemPasteboardType)));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].itemUid(), "uid-there") << "read in its own Channel's record";
    EXPECT_EQ(records[0].channelInt(), canalB) << "and labelled with it";
    EXPECT_EQ(records[0].itemType(), "ABPerson");
    EXPECT_EQ(records[0].itemInt(), there->idInt());
    EXPECT_EQ(fromPicture.text(), "There");

    // Nothing selected in the table: Cut wrote nothing and releases nothing.
    QGuiApplication::clipboard()->clear();
    selectRows(t, {});
    const int beeps = sound.beeps;
    m.cut(t);
    EXPECT_EQ(host.front->releasesNow, 0);
    EXPECT_EQ(sound.beeps, beeps + 1);
    selectRows(t, {rowOf(t, here)});
    m.cut(t);
    EXPECT_EQ(host.front->releasesNow, 1);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), "Here");
}

TEST_F(PersonTable, TheShownTableCountsEachEngineChangeAtOnce)
{
    KELI* first = contact("First", canalA);
    KELI* second = contact("Second", canalA);
    lego(first, canalA, now() - kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVTableView& t = tableOf(v);
    ASSERT_EQ(t.tableModel()->rowCount(), 1);
    // No refresh has run yet: the Qt model already knows.
    KELI* l = lego(second, canalA, now() - kHour, KELDateOuverte);
    EXPECT_EQ(t.tableModel()->rowCount(), 2);
    EXPECT_EQ(t.tableModel()->index(1, 5).data().toString(), "Second");
    KELServeurDeLiens::DegagerLien(l, space->nowCurseur());
    EXPECT_EQ(t.tableModel()->rowCount(), 1);
    EXPECT_FALSE(t.tableModel()->data(t.tableModel()->index(0, 5).siblingAtRow(1), Qt::DisplayRole).isValid());
    settle();
    EXPECT_EQ(t.tableModel()->rowCount(), 1);
}

TEST_F(PersonTable, TheTitleIsDrawnByTheTablesCellFivePointsOffTheRowsTopAndBottom)
{
    ZEVPersonViewer* v = open();
    KELI* ann = contact("Ann", canalA);
    lego(ann, canalA, now() - kHour, KELDateOuverte);
    settle();
    ZEVTableView& t = tableOf(v);
    ASSERT_EQ(t.numberOfRows(), 1);
    // The title and the picture columns have their own cells; the mode columns keep the table's.
    ASSERT_NE(dynamic_cast<ZEVPersonTextCell*>(t.itemDelegateForColumn(5)), nullptr);
    ASSERT_NE(dynamic_cast<ZEVPersonPictureCell*>(t.itemDelegateForColumn(4)), nullptr);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(t.itemDelegateForIndex(t.tableModel()->index(0, c)), t.itemDelegate()) << c;

    RecordingCell table;
    ZEVPersonTextCell cell(&table, nullptr);
    QImage canvas(300, 40, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    QStyleOptionViewItem option;
    option.rect = QRect(10, 3, 200, 29);
    cell.paint(&p, option, t.tableModel()->index(0, 5));
    p.end();
    ASSERT_EQ(table.rects.size(), 1u);
    EXPECT_EQ(table.rects[0], QRect(10, 8, 200, 19));
    EXPECT_EQ(table.texts[0], "Ann");
    EXPECT_EQ(cell.sizeHint(option, t.tableModel()->index(0, 5)).height(),
              table.sizeHint(option, t.tableModel()->index(0, 5)).height() + 10);
}

} // namespace
} // namespace inspecttest
