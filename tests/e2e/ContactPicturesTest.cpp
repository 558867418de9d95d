// The Contacts panel's pictures as a person sees them: a square photo, a wide photo and a card
// without one each show whole in the picture column, centred, at the photo's own proportions,
// none cut by the title beside it.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QMimeData>

namespace e2e {
namespace {

class ContactPictures : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        useContactsFolder(home + "/Contacts");
    }
    static QByteArray card(const QByteArray& uid, const QByteArray& given, const QImage& photo = QImage())
    {
        QByteArray lines = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:Roe;" + given + ";;;\r\n";
        if (!photo.isNull()) {
            QBuffer png;
            png.open(QIODevice::WriteOnly);
            photo.save(&png, "PNG");
            lines += "PHOTO;ENCODING=b;TYPE=PNG:" + png.data().toBase64() + "\r\n";
        }
        return lines + "END:VCARD\r\n";
    }
    void drop(const QByteArray& bytes, QPoint at)
    {
        QMimeData data;
        data.setData("text/vcard", bytes);
        dropOnCanvas(data, at);
        advance(1.0);
    }
    ZEVTableView* table() const
    {
        auto* v = dynamic_cast<ZEVPersonViewer*>(space()->viewerForEntityClassName("ZEVPersonViewer"));
        ZEVInspectView* p = v ? v->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    int rowTitled(const QString& given) const
    {
        for (int r = 0; r < table()->numberOfRows(); ++r)
            if (table()->tableModel()->index(r, kTitle).data().toString().contains(given))
                return r;
        return -1;
    }
    // The bounds of the pixels of that colour in a region of the grabbed list.
    static QRect inkOf(const QImage& grab, const QRect& region, QColor colour)
    {
        QRect bounds;
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x) {
                const QColor c = grab.pixelColor(x, y);
                if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                        std::abs(c.blue() - colour.blue()) < 40)
                    bounds = bounds.united(QRect(x, y, 1, 1));
            }
        return bounds;
    }

    // The contacts dropped become contacts of the Channel, listed in the panel opened from the menu.
    void listInTheContactsPanel(std::size_t count)
    {
        KELICurseur* now = space()->nowCurseur();
        KELI* channel = space()->channelForIdentityInt(kHome);
        const Rows people = placedObjectsOfType("ABPerson");
        ASSERT_EQ(people.size(), count);
        for (std::size_t i = 0; i < people.size(); ++i) {
            KELI* o = KELServeurDeLiens::LienForInt(KELId(std::stoull(people.at(i, 0))), now);
            ASSERT_NE(o, nullptr);
            ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_PERSON_VIEWER, channel, o,
                                                         now->now() - kHeure, KELDateOuverte, now),
                      nullptr);
        }
        space()->selections().deselectAllIcons();
        advance(1.0);
        openInspectorFromMenu(kContacts);
        ASSERT_NE(table(), nullptr);
        ASSERT_EQ(table()->numberOfRows(), int(count));
        advance(1.0);
    }

    static constexpr int kPicture = 4;
    static constexpr int kTitle = 5;
};

TEST_F(ContactPictures, EachContactsPictureShowsWholeAndCentredInItsCell)
{
    start();
    QImage square(90, 90, QImage::Format_RGB32);
    square.fill(QColor(0, 160, 160));
    QImage wide(120, 60, QImage::Format_RGB32);
    wide.fill(QColor(60, 200, 60));
    drop(card("sq-pic", "Square", square), QPoint(200, 300));
    drop(card("wide-pic", "Wide", wide), QPoint(400, 300));
    drop(card("no-pic", "Plain"), QPoint(600, 300));
    ASSERT_NO_FATAL_FAILURE(listInTheContactsPanel(3));
    const QImage grab = table()->viewport()->grab().toImage();
    const int left = table()->columnViewportPosition(kPicture), width = table()->columnWidth(kPicture);

    const auto cellOf = [&](const QString& title) {
        const int row = rowTitled(title);
        EXPECT_GE(row, 0) << title.toStdString() << " is not listed";
        return QRect(left, table()->rowViewportPosition(row), width, table()->rowHeight(row));
    };
    const auto checkWhole = [&](const char* who, const QRect& cell, const QRect& shown, double ratio) {
        ASSERT_FALSE(shown.isEmpty()) << who << "'s photo is not shown";
        EXPECT_TRUE(cell.contains(shown)) << who << "'s photo runs out of its cell";
        // Whole: as wide as the room inside the cell allows, at the photo's proportions.
        EXPECT_EQ(shown.width(), cell.width() - 2) << who << "'s photo is cut or shrunk";
        EXPECT_NEAR(double(shown.width()) / shown.height(), ratio, 0.1) << who << "'s photo lost its proportions";
        EXPECT_LE(std::abs((shown.center().x() - cell.center().x())), 1) << who << "'s photo is not centred";
        EXPECT_LE(std::abs((shown.center().y() - cell.center().y())), 1) << who << "'s photo is not centred";
    };
    // The row around the cell: a photo that runs over its edges shows there.
    const auto around = [&](const QRect& cell) { return QRect(0, cell.top(), grab.width(), cell.height()); };
    const QRect squareCell = cellOf("Square"), wideCell = cellOf("Wide");
    checkWhole("Square", squareCell, inkOf(grab, around(squareCell), QColor(0, 160, 160)), 1.0);
    checkWhole("Wide", wideCell, inkOf(grab, around(wideCell), QColor(60, 200, 60)), 2.0);
    // Without a photo, the card's picture is drawn, inside its cell.
    const QRect plain = cellOf("Plain");
    int inked = 0;
    for (int y = plain.top(); y <= plain.bottom(); ++y)
        for (int x = plain.left(); x <= plain.right(); ++x)
            inked += grab.pixelColor(x, y) != grab.pixelColor(plain.left(), plain.top());
    EXPECT_GT(inked, plain.width() * plain.height() / 5) << "a contact without a photo shows no picture";
}

// A card as older programs and phones write it, its photo on lines of their own, indented
// further than the fold asks: the contact shows that photo, not the picture of any card.
TEST_F(ContactPictures, AnOlderCardsIndentedPhotoIsTheContactsPicture)
{
    start();
    QImage photo(80, 80, QImage::Format_RGB32);
    photo.fill(QColor(200, 40, 160));
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    photo.save(&png, "PNG");
    QByteArray lines = "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:old-pic\r\nN:Roe;Olde\r\nPHOTO;ENCODING=BASE64;TYPE=PNG:\r\n";
    const QByteArray base64 = png.data().toBase64();
    for (qsizetype at = 0; at < base64.size(); at += 64)
        lines += "    " + base64.mid(at, 64) + "\r\n";
    drop(lines + "\r\nEND:VCARD\r\n", QPoint(300, 300));
    ASSERT_NO_FATAL_FAILURE(listInTheContactsPanel(1));
    const QImage grab = table()->viewport()->grab().toImage();
    const QRect cell(table()->columnViewportPosition(kPicture), table()->rowViewportPosition(0),
                     table()->columnWidth(kPicture), table()->rowHeight(0));
    const QRect shown = inkOf(grab, cell, QColor(200, 40, 160));
    EXPECT_GT(shown.width(), cell.width() / 2) << "the card's own photo is not shown";
}

} // namespace
} // namespace e2e
