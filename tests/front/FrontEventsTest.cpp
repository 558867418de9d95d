// The application filters of the front layer: the record the step back reads, and the guard that
// keeps input away from every widget while a Space transition runs, and only while it runs.

#include "front/ZEVFrontEvents.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace tallomer;

// A widget that counts what reaches it.
class Target final : public QWidget {
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

TEST(FrontEvents, TheRecordTellsTheStepBackKeysApartFromClicks)
{
    ZEVCurrentEventRecorder recorder;
    Target w;
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_TRUE(recorder.event().keyDown);
    EXPECT_EQ(recorder.event().keyCode, kKeyEscape);
    EXPECT_TRUE(recorder.event().modifiers.testFlag(Qt::ControlModifier));
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_EQ(recorder.event().keyCode, kKeyReturn);
    QTest::keyClick(&w, Qt::Key_Backspace);
    EXPECT_EQ(recorder.event().keyCode, kKeyDelete);
    QTest::keyClick(&w, Qt::Key_A);
    EXPECT_EQ(recorder.event().keyCode, kOtherKey);
    QTest::mouseClick(&w, Qt::LeftButton);
    EXPECT_FALSE(recorder.event().keyDown);
}

TEST(FrontEvents, AReturnTypedIntoAFieldIsTheFieldsAndAPressRemembersTheFocusItTookAway)
{
    ZEVCurrentEventRecorder recorder;
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* other = new Target;
    other->setParent(&window);
    other->setFocusPolicy(Qt::ClickFocus);
    other->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    // The field ignores Return, which then travels to its parents: it stays the field's.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(recorder.event().keyCode, kKeyReturn);
    EXPECT_TRUE(recorder.event().inTextField);
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_FALSE(recorder.event().inTextField);

    field->setFocus();
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(recorder.event().focusBeforePress.data(), field);
}

TEST(FrontEvents, DuringARunEveryPressAndKeyIsAnsweredOnceAndReachesNothing)
{
    Target w;
    w.show();
    int presses = 0;
    int keys = 0;
    auto guard = std::make_unique<ZEVTransitionInputFilter>([&] { ++presses; }, [&] { ++keys; });
    QTest::mouseClick(&w, Qt::LeftButton);
    QTest::mouseClick(&w, Qt::RightButton);
    QTest::mouseDClick(&w, Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_A);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(w.presses, 0);
    EXPECT_EQ(w.keys, 0);
    EXPECT_EQ(keys, 2);
    // Each click once; the double click reaches nothing either.
    EXPECT_GE(presses, 2);
    EXPECT_LE(presses, 4);

    // The run ends: the guard goes with it and input reaches the widget again.
    guard.reset();
    QTest::mouseClick(&w, Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_A);
    EXPECT_EQ(w.presses, 1);
    EXPECT_EQ(w.keys, 1);
}

} // namespace
