// The full-screen test of an image: the arrows keep it and the picture follows the selection on
// the next turn; any other key, a click or the program losing the focus ends it and the event
// still reaches its target; each image is rendered once per test and loses that rendering at the
// end; the pointer hides while it shows; Shift slows the fade.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/images/ZEVBackTest.h"
#include "space/ZEVBackObject.h"

#include <QLineEdit>
#include <QScreen>
#include <QTest>

namespace inspecttest {
namespace {

// Three images on PNG files of their own colours; the selection is a row number.
class Panel final : public ZEVBackTestClient {
public:
    explicit Panel(const QString& dir)
    {
        for (int i = 0; i < 3; ++i) {
            const QString path = dir + QStringLiteral("/test%1.png").arg(i);
            QImage png(64, 40, QImage::Format_RGB32);
            png.fill(colours[std::size_t(i)]);
            png.save(path);
            objects.push_back(std::make_unique<ZEVBackObject>(nullptr, 0, QRectF(0, 0, 100, 100)));
            objects.back()->setFileURL(path);
        }
    }
    int testSelectedRow() override { return row; }
    ZEVBackObject* testBackObjectForRow(int r) override { return objects.at(std::size_t(r)).get(); }
    QColor testColorForRow(int r) override { return colours.at(std::size_t(r)); }
    void testRenderBackObject(ZEVBackObject& o, const QSize& size) override
    {
        renders.push_back(&o);
        o.setWindowRect(QRectF(QPointF(), QSizeF(size)));
        o.loadBackImageSync();
    }
    void testPointerHidden(bool h) override { hidden = h; }

    std::array<QColor, 3> colours{QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)};
    std::vector<std::unique_ptr<ZEVBackObject>> objects;
    std::vector<ZEVBackObject*> renders;
    int row = 0;
    bool hidden = false;
};

// Moves the panel's selection with the arrows, as the Images table does, and keeps what it got.
class ArrowKeysTable final : public QLineEdit {
public:
    explicit ArrowKeysTable(Panel& p) : panel_(p) {}
    std::vector<int> keys;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent* e) override
    {
        keys.push_back(e->key());
        if (e->key() == Qt::Key_Down)
            panel_.row = std::min(panel_.row + 1, 2);
        if (e->key() == Qt::Key_Up)
            panel_.row = std::max(panel_.row - 1, 0);
    }

private:
    Panel& panel_;
};

class TestWindow : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        table = std::make_unique<ArrowKeysTable>(panel);
        table->show();
    }
    void TearDown() override
    {
        test.reset();
        table.reset();
        Inspectors::TearDown();
    }
    Panel panel{store};
    std::unique_ptr<ArrowKeysTable> table;
    std::unique_ptr<ZEVBackTest> test = std::make_unique<ZEVBackTest>(panel);
};

TEST_F(TestWindow, ArrowsFollowTheSelectionAndAnyOtherKeyEndsTheTestAndIsDelivered)
{
    ASSERT_TRUE(test->start(Qt::NoModifier));
    EXPECT_DOUBLE_EQ(test->fadeDuration(), ZEVBackTest::kFadeIn);
    ZEVBackTestWindow* w = test->window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->color(), panel.colours[0]);
    EXPECT_FALSE(w->picture().isNull());
    EXPECT_TRUE(panel.hidden && w->siPointerHidden());

    // Down: the table moves first, the window follows on the next turn.
    QTest::keyClick(table.get(), Qt::Key_Down);
    EXPECT_EQ(w->color(), panel.colours[0]);
    sched.advance(0.01);
    EXPECT_TRUE(test->siRunning());
    EXPECT_EQ(w->color(), panel.colours[1]);
    // Back up and down again: each image was rendered once.
    QTest::keyClick(table.get(), Qt::Key_Up);
    sched.advance(0.01);
    QTest::keyClick(table.get(), Qt::Key_Down);
    sched.advance(0.01);
    EXPECT_EQ(panel.renders, (std::vector<ZEVBackObject*>{panel.objects[0].get(), panel.objects[1].get()}));

    // Any other key ends it, and the table still gets it.
    QTest::keyClick(table.get(), Qt::Key_Escape);
    EXPECT_FALSE(test->siRunning());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(table->keys.back(), Qt::Key_Escape);
    EXPECT_FALSE(panel.hidden);
    EXPECT_FALSE(w->siPointerHidden());
    for (const auto& o : panel.objects)
        EXPECT_TRUE(o->backImage().isNull()) << "the test's renderings went with it";
    EXPECT_TRUE(test->testObjects().empty());

    // A new test renders again.
    ASSERT_TRUE(test->start(Qt::ShiftModifier));
    EXPECT_DOUBLE_EQ(test->fadeDuration(), ZEVBackTest::kFadeInShift);
    EXPECT_EQ(panel.renders.size(), 3u);
    // A lone modifier ends it too.
    QTest::keyClick(table.get(), Qt::Key_Shift);
    EXPECT_FALSE(test->siRunning());
}

TEST_F(TestWindow, AClickOrTheProgramLosingFocusEndsItAndNoSelectionShowsNothing)
{
    panel.row = -1;
    EXPECT_FALSE(test->start(Qt::NoModifier));
    EXPECT_TRUE(test->window() == nullptr || !test->window()->isVisible());

    panel.row = 2;
    ASSERT_TRUE(test->start(Qt::NoModifier));
    QTest::mouseClick(table.get(), Qt::LeftButton);
    EXPECT_FALSE(test->siRunning());
    EXPECT_EQ(table->presses, 1) << "the click reached the table";

    ASSERT_TRUE(test->start(Qt::NoModifier));
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(test->siRunning());
    EXPECT_FALSE(panel.hidden);

    // A file that cannot be read shows the colour alone.
    panel.objects[2]->setFileURL(store + "/missing.png");
    ASSERT_TRUE(test->start(Qt::NoModifier));
    EXPECT_TRUE(test->window()->picture().isNull());
    EXPECT_EQ(test->window()->color(), panel.colours[2]);
    test->stop();
    // A pending follow is dropped with the test.
    ASSERT_TRUE(test->start(Qt::NoModifier));
    QTest::keyClick(table.get(), Qt::Key_Up);
    test->stop();
    sched.advance(0.01);
    EXPECT_FALSE(test->window()->isVisible());
}

TEST_F(TestWindow, ItCoversThePrimaryScreenFramelessAboveAllAndTheKeysStayWithTheTable)
{
    ASSERT_TRUE(test->start(Qt::NoModifier));
    ZEVBackTestWindow* w = test->window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), QGuiApplication::primaryScreen()->geometry());
    const Qt::WindowFlags f = w->windowFlags();
    for (Qt::WindowType flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::BypassWindowManagerHint,
                                Qt::WindowDoesNotAcceptFocus})
        EXPECT_TRUE(f.testFlag(flag)) << int(flag);
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));

    // The panel's controller going ends the test with it: the pointer shows and the keys reach the
    // table unwatched.
    test.reset();
    EXPECT_FALSE(panel.hidden);
    QTest::keyClick(table.get(), Qt::Key_Down);
    EXPECT_EQ(panel.row, 1);
    EXPECT_TRUE(panel.objects[0]->backImage().isNull());
}

} // namespace
} // namespace inspecttest
