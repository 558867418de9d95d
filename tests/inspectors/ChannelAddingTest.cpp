// Adding Channels and Spaces: the preview's size rule and its bounded decoding, the panels'
// shared controls (cursor made active and centred, the one colour dialog), and the add panels
// run on the Space of the template link base (refusals, defaults, the Search cursor's question).

#include "tests/inspectors/InspectorFixture.h"

#include "desk/data/ZEVItemDataChannels.h"
#include "engine/KELICurseur.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "inspectors/channels/ZEVChannelColorView.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "tests/support/ModalDialogs.h"
#include "widgets/ZEVAlert.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace inspecttest {
namespace {

using Controls = ZEVChannelPanelControls;

QString writePicture(const QString& folder, const QString& name, QSize size, QColor color = Qt::red)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = folder + "/" + name;
    EXPECT_TRUE(image.save(path));
    return path;
}

// The PNG chunk check sum.
quint32 crc32(const QByteArray& data)
{
    quint32 c = 0xFFFFFFFFu;
    for (char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

TEST(ChannelAddingPreview, TheSizeRuleLaysThePictureOnASixteenByNineScreenAsTallAsTheBox)
{
    const QSizeF box(320, 180);
    // 4:3 with fill covers the screen: as wide as a 16:9 screen, taller than the box.
    QSizeF s = Controls::previewSize({800, 600}, box, true);
    EXPECT_DOUBLE_EQ(s.width(), 320);
    EXPECT_DOUBLE_EQ(s.height(), 240);
    // 4:3 with fit: whole inside, as tall as the screen.
    s = Controls::previewSize({800, 600}, box, false);
    EXPECT_DOUBLE_EQ(s.width(), 240);
    EXPECT_DOUBLE_EQ(s.height(), 180);
    // 21:9 with fit: as wide as the screen, lower than the box.
    s = Controls::previewSize({2100, 900}, box, false);
    EXPECT_DOUBLE_EQ(s.width(), 320);
    EXPECT_NEAR(s.height(), 320.0 * 9 / 21, 1e-9);
    // 21:9 with fill: as tall as the screen, wider than it.
    s = Controls::previewSize({2100, 900}, box, true);
    EXPECT_DOUBLE_EQ(s.height(), 180);
    EXPECT_NEAR(s.width(), 180.0 * 21 / 9, 1e-9);
    // Exactly 16:9 fills the screen either way.
    EXPECT_EQ(Controls::previewSize({1600, 900}, box, true), QSizeF(320, 180));
    EXPECT_EQ(Controls::previewSize({1600, 900}, box, false), QSizeF(320, 180));
}

TEST(ChannelAddingPreview, ABoxNarrowerThanOnePointSixPreviewsAtItsWidthOverOnePointSix)
{
    // 200 x 200: the screen is 125 high, 222.2 wide.
    const QSizeF s = Controls::previewSize({800, 600}, {200, 200}, true);
    EXPECT_NEAR(s.width(), 125.0 * 16 / 9, 1e-9);
    EXPECT_NEAR(s.height(), 125.0 * 16 / 9 * 3 / 4, 1e-9);
    EXPECT_EQ(Controls::previewSize({1600, 900}, {200, 200}, false), QSizeF(125.0 * 16 / 9, 125));
    EXPECT_TRUE(Controls::previewSize({0, 600}, {200, 200}, true).isEmpty()) << "no picture, no preview";
    EXPECT_TRUE(Controls::previewSize({800, 600}, {0, 0}, true).isEmpty());
}

TEST(ChannelAddingPreview, ThePictureIsDecodedAtItsPreviewSizeAndOutsideInputIsRefused)
{
    const QString dir = QString::fromStdString(test::makeTempDir("preview"));
    const QString big = writePicture(dir, "big.png", {4000, 3000}, Qt::blue);
    const std::optional<QImage> p = Controls::renderPreview(big, {320, 180}, true);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->size(), QSize(320, 240));
    EXPECT_EQ(p->pixelColor(160, 120), QColor(Qt::blue));
    EXPECT_EQ(Controls::imageSizeOfFile(big), QSize(4000, 3000));
    // A small picture grows to its preview.
    const QString small = writePicture(dir, "small.png", {16, 9});
    const std::optional<QImage> q = Controls::renderPreview(small, {320, 180}, false);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->size(), QSize(320, 180));

    // Text, nothing, a missing file, and a PNG whose header claims 100000 x 100000 pixels.
    QFile text(dir + "/note.png");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_FALSE(Controls::imageSizeOfFile(text.fileName()));
    EXPECT_FALSE(Controls::renderPreview(text.fileName(), {320, 180}, true));
    EXPECT_FALSE(Controls::imageSizeOfFile(QString()));
    EXPECT_FALSE(Controls::imageSizeOfFile(dir + "/missing.png"));
    QFile png(small);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    QByteArray bytes = png.readAll();
    png.close();
    // IHDR's width and height follow the 8-byte signature, the chunk length and its name; its
    // check sum is made again so that only the size is a lie.
    const char huge[] = {0, 1, (char)0x86, (char)0xA0};
    bytes.replace(16, 4, huge, 4);
    bytes.replace(20, 4, huge, 4);
    const quint32 crc = crc32(bytes.mid(12, 17));
    const char sum[] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
    bytes.replace(29, 4, sum, 4);
    QFile forged(dir + "/forged.png");
    ASSERT_TRUE(forged.open(QIODevice::WriteOnly));
    forged.write(bytes);
    forged.close();
    EXPECT_FALSE(Controls::imageSizeOfFile(forged.fileName()));
    EXPECT_FALSE(Controls::renderPreview(forged.fileName(), {320, 180}, true));

    // A named pipe dropped as a picture is refused without being opened (opened, it would wait
    // for a writer: one comes after 10 s, and the test fails).
    const QString pipe = dir + "/stream.png";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    auto asked = std::async(std::launch::async, [&] {
        return !Controls::imageSizeOfFile(pipe) && !Controls::renderPreview(pipe, {320, 180}, true);
    });
    while (asked.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the named pipe was opened";
        if (const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(asked.get());
}

class ChannelAdding : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        ZEVItemDataFolders folders;
        folders.zevDir = store + "/Tallomer";
        folders.zevData = store + "/Tallomer/local/zevData";
        folders.zevDrop = store + "/Tallomer/local/zevDrop";
        folders.zevFolder = store + "/Drop";
        ZEVItemDataChannels::SetFolders(folders);
        home = space->currentChannelInt();
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(home));
        ZEVItemDataChannels::SetCurrentChannelInt(home);
        channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
        ASSERT_NE(channels, nullptr);
        settle();
    }
    void TearDown() override
    {
        ZEVItemDataChannels::Reset();
        Inspectors::TearDown();
    }

    // The next add panel, once it runs modally, is handed to `act`.
    template <class Act>
    void whenPanelRuns(Act act)
    {
        test::whenModalRuns<ZEVChannelAddPanel>(space->spaceWindow(), act);
    }
    void create(ZEVChannelAddPanel* p) { QTest::mouseClick(p->createButton(), Qt::LeftButton); }

    QString dir = QString::fromStdString(test::makeTempDir("adding"));
    KELId home = 0;
    ZEVChannelViewer* channels = nullptr;
    std::vector<ZEVAlertRequest> alerts;
    int alertAnswer = 1;
    ScopedAlertAnswerer answerer{[this](const ZEVAlertRequest& r) { return alerts.push_back(r), alertAnswer; }};
};

TEST_F(ChannelAdding, TheControlsPreviewShowOrClearTheImageAndRecolourTheSwatch)
{
    Controls controls(*space);
    controls.show();
    controls.setImagePath(writePicture(dir, "four-three.png", {400, 300}));
    controls.setColor(Qt::green);
    controls.setScaleInt(Controls::kScaleFit);
    controls.setShowImage(false);
    ASSERT_TRUE(controls.scaleDidChange());
    EXPECT_TRUE(controls.showImage()) << "a drawn preview turns show-image on";
    EXPECT_EQ(controls.previewImage().size(), QSize(240, 180));
    EXPECT_EQ(controls.colorView()->backgroundColor(), QColor(Qt::green));

    QTest::mouseClick(controls.fillButton(), Qt::LeftButton);
    EXPECT_EQ(controls.scaleInt(), Controls::kScaleFill);
    EXPECT_EQ(controls.previewImage().size(), QSize(320, 240));

    controls.showImageDidChange(false);
    EXPECT_TRUE(controls.previewImage().isNull());
    controls.showImageDidChange(true);
    EXPECT_FALSE(controls.previewImage().isNull());

    controls.colorDidChange(Qt::yellow);
    EXPECT_EQ(controls.colorView()->backgroundColor(), QColor(Qt::yellow));

    controls.setImagePath(dir + "/missing.png");
    controls.showImageDidChange(false);
    EXPECT_FALSE(controls.scaleDidChange());
    EXPECT_FALSE(controls.showImage()) << "nothing drawn leaves show-image as it was";
}

TEST_F(ChannelAdding, TheCursorButtonsMakeTheirCursorActiveAndCentreTheTimeLineOnIt)
{
    Controls controls(*space);
    controls.fillFromSpace();
    EXPECT_TRUE(controls.nowButton()->isChecked());
    // The Search cursor a year back, far outside the visible range.
    KELICurseur* search = space->searchCurseur();
    ASSERT_NE(search, nullptr);
    search->placerCurseur(kStart - 365 * 86400.0);
    KELIContexte* tl = space->rulerClass()->tlContexte();
    ASSERT_NE(tl, nullptr);
    ASSERT_GT(tl->nowIn(), search->now());

    QTest::mouseClick(controls.searchButton(), Qt::LeftButton);
    EXPECT_EQ(space->actifCurseur(), search);
    EXPECT_TRUE(controls.searchChosen());
    EXPECT_FALSE(controls.nowButton()->isChecked());
    EXPECT_LE(tl->nowIn(), search->now());
    EXPECT_GE(tl->nowOut(), search->now());
    EXPECT_NEAR((tl->nowIn() + tl->nowOut()) / 2, search->now(), 1.0);

    // Within the range nothing shifts.
    const KELDate in = tl->nowIn();
    QTest::mouseClick(controls.nowButton(), Qt::LeftButton);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    EXPECT_TRUE(controls.nowButton()->isChecked());
    controls.cursorDidChange(true);
    EXPECT_DOUBLE_EQ(tl->nowIn(), in);
}

TEST_F(ChannelAdding, OneColourDialogServesThePanelsAndFollowsTheLastOpened)
{
    QWidget first, second;
    auto* a = new Controls(*space, &first);
    auto* b = new Controls(*space, &second);
    a->openColorDialog();
    QColorDialog* dialog = Controls::sharedColorDialog();
    ASSERT_NE(dialog, nullptr);
    b->openColorDialog();
    EXPECT_EQ(Controls::sharedColorDialog(), dialog) << "one dialog for all panels";
    dialog->setCurrentColor(Qt::magenta);
    EXPECT_EQ(b->color(), QColor(Qt::magenta));
    EXPECT_NE(a->color(), QColor(Qt::magenta)) << "only the panel that opened it last follows it";
    Controls::closeSharedColorDialog();
    EXPECT_FALSE(dialog->isVisible());
    dialog->setCurrentColor(Qt::cyan);
    EXPECT_NE(b->color(), QColor(Qt::cyan)) << "a closed dialog changes no panel";
}

TEST_F(ChannelAdding, AnUnreadablePictureOrACancelAnswersNoAndWritesNothing)
{
    const std::size_t before = space->allIdentities().size();
    const QString text = dir + "/letter.png";
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Dear user");
    f.close();
    // No panel shows for a file that is no picture.
    EXPECT_FALSE(channels->userChannelAddWihImageURL(text, std::nullopt, QString(), nullptr, 2000085));
    EXPECT_FALSE(channels->userSpaceAddWihImageURL(QUrl::fromLocalFile(text).toString(), QString(), nullptr, 2000085));
    EXPECT_EQ(channels->addPanel(), nullptr);
    EXPECT_EQ(alerts.size(), 2u) << "each refusal is told";

    const QString picture = writePicture(dir, "Harbour at dusk.png", {400, 300});
    bool shown = false;
    whenPanelRuns([&](ZEVChannelAddPanel* p) {
        shown = true;
        // Defaults: the next Channel number and the file's name for its first Space.
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("Channel %1").arg(before + 1));
        EXPECT_EQ(p->spaceField()->text(), QStringLiteral("Harbour at dusk"));
        EXPECT_TRUE(p->controls()->fillButton()->isChecked());
        EXPECT_EQ(p->controls()->previewImage().size(), QSize(320, 240));
        p->controls()->openColorDialog();
        QTest::keyClick(p, Qt::Key_Escape);
    });
    EXPECT_FALSE(channels->userChannelAddWihImageURL(picture, std::nullopt, QString(), nullptr, 2000085));
    EXPECT_TRUE(shown);
    EXPECT_EQ(space->allIdentities().size(), before);
    EXPECT_TRUE(!ZEVChannelPanelControls::sharedColorDialog() || !ZEVChannelPanelControls::sharedColorDialog()->isVisible())
        << "the colour dialog closes with the panel";

    whenPanelRuns([](ZEVChannelAddPanel* p) { QTest::mouseClick(p->cancelButton(), Qt::LeftButton); });
    EXPECT_FALSE(channels->userSpaceAddWihImageURL(picture, QString(), nullptr, 2000085));
    EXPECT_EQ(space->allIdentities().size(), before);
}

TEST_F(ChannelAdding, ANewSpaceWhileSearchShowsAListedChannelAsksFirstAndCancelKeepsThePanel)
{
    const QString picture = writePicture(dir, "Lighthouse.png", {1600, 900});
    space->searchCurseur()->placerCurseur(space->nowCurseur()->now() - 60);
    Controls c(*space);
    c.cursorDidChange(true);
    ASSERT_EQ(space->actifCurseur(), space->searchCurseur());
    int creates = 0;
    whenPanelRuns([&](ZEVChannelAddPanel* p) {
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("Lighthouse"));
        EXPECT_TRUE(p->controls()->searchButton()->isChecked());
        alertAnswer = 1; // Cancel
        create(p);
        ++creates;
        EXPECT_TRUE(p->isVisible()) << "Cancel keeps the panel running";
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts.front().windowTitle, QString::fromUtf8("Adding New Space\u2026"));
        EXPECT_EQ(alerts.front().message, QStringLiteral("Are you sure?"));
        EXPECT_EQ(alerts.front().informative, QStringLiteral("The current Time Cursor is the Search Cursor!"));
        alertAnswer = 0; // Yes
        create(p);
        ++creates;
    });
    // Without desks the Space's picture Object cannot be made: refused, and said.
    EXPECT_FALSE(channels->userSpaceAddWihImageURL(picture, QString(), nullptr, 2000085));
    EXPECT_TRUE(log.contains("userSpaceAddWihImageURL: no desk"));
    EXPECT_EQ(creates, 2);
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(channels->spacePanelURL(), picture);
}

} // namespace
} // namespace inspecttest
