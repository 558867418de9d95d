// The event translator: modifier flags, key codes by Qt key and by scan code, the characters of a
// key ignoring its modifiers, the arrows' flag, click counts and wheel deltas.

#include "platform/Events.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace tallomer;
namespace ev = tallomer::events;

TEST(Events, KeysReadAsTheDesignReadsThem)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::uint32_t flags;
        QString characters;
        int code;
    };
    const Case cases[] = {
        {Qt::Key_Right, Qt::NoModifier, "", keys::kNumericPadFlag, QString(QChar(0xF703)), -1},
        {Qt::Key_Up, Qt::MetaModifier, "", keys::kNumericPadFlag | keys::kControlFlag, QString(QChar(0xF700)), -1},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", 0, QString(QChar(0x03)), ev::kKeyKeypadEnter},
        {Qt::Key_Return, Qt::NoModifier, "\r", 0, "\r", ev::kKeyReturn},
        {Qt::Key_Backspace, Qt::ShiftModifier, "", keys::kShiftFlag, QString(QChar(0x7F)), ev::kKeyDelete},
        {Qt::Key_Delete, Qt::ControlModifier, "", keys::kCommandFlag, QString(QChar(0xF728)), ev::kKeyForwardDelete},
        {Qt::Key_Tab, Qt::NoModifier, "\t", 0, "\t", ev::kKeyTab},
        {Qt::Key_Backtab, Qt::ShiftModifier, "", keys::kShiftFlag, "\t", ev::kKeyTab},
        {Qt::Key_1, Qt::ControlModifier, "\x31", keys::kCommandFlag, "1", ev::kKeyOne},
        {Qt::Key_1, Qt::KeypadModifier, "1", 0, "1", -1},
        {Qt::Key_QuoteLeft, Qt::NoModifier, "`", 0, "`", ev::kKeySection},
        {Qt::Key_Backslash, Qt::NoModifier, "\\", 0, "\\", ev::kKeyBackslash},
        {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "\x01", keys::kCommandFlag | keys::kShiftFlag, "A", -1},
        {Qt::Key_F, Qt::AltModifier, "f", keys::kOptionFlag, "f", -1},
        {Qt::Key_Space, Qt::NoModifier, " ", 0, " ", -1},
    };
    for (const Case& c : cases) {
        const QKeyEvent e(QEvent::KeyPress, c.key, c.modifiers, c.text);
        const ev::KeyInfo k = ev::keyInfo(e);
        EXPECT_EQ(k.flags, c.flags) << c.key;
        EXPECT_EQ(k.characters, c.characters) << c.key;
        EXPECT_EQ(k.keyCode, c.code) << c.key;
    }
    // By the key's place: what an X keyboard reports for the same keys.
    EXPECT_EQ(ev::keyCodeForScanCode(49), ev::kKeySection);
    EXPECT_EQ(ev::keyCodeForScanCode(10), ev::kKeyOne);
    EXPECT_EQ(ev::keyCodeForScanCode(104), ev::kKeyKeypadEnter);
    EXPECT_EQ(ev::keyCodeForScanCode(119), ev::kKeyForwardDelete);
    EXPECT_EQ(ev::keyCodeForScanCode(38), 0); // A
    EXPECT_EQ(ev::keyCodeForScanCode(94), 50); // the ISO key beside the left Shift
    EXPECT_EQ(ev::keyCodeForScanCode(8 + 183), ev::kKeyUnknown); // F13, off the table
    // The table read both ways.
    for (int code = 0; code < 128; ++code) {
        if (const int evdev = ev::evdevKeyForKeyCode(code); evdev >= 0) {
            EXPECT_EQ(ev::keyCodeForScanCode(quint32(evdev + 8)), code) << code;
        }
    }
    EXPECT_EQ(ev::keyCodeForScanCode(0), ev::kKeyUnknown);
    EXPECT_TRUE(ev::keyInfo(QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t", true)).repeat);
}

TEST(Events, WheelDeltasAreLinesAndTheDirectionFollowsTheDevice)
{
    auto wheel = [](QPoint pixels, QPoint angle, bool inverted) {
        return QWheelEvent(QPointF(1, 1), QPointF(1, 1), pixels, angle, Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, inverted);
    };
    const QWheelEvent notch = wheel({}, {0, -240}, false);
    EXPECT_EQ(ev::wheelDeltas(notch).y, -2.0);
    EXPECT_EQ(ev::invertedFactor(notch), -1.0f);
    const QWheelEvent pad = wheel({15, 30}, {0, 120}, true);
    EXPECT_EQ(ev::wheelDeltas(pad).x, 1.5);
    EXPECT_EQ(ev::wheelDeltas(pad).y, 3.0);
    EXPECT_EQ(ev::invertedFactor(pad), 1.0f);

    const QMouseEvent press(QEvent::MouseButtonPress, QPointF(), QPointF(), QPointF(), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    const QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(), QPointF(), QPointF(), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(ev::clickCount(press), 1);
    EXPECT_EQ(ev::clickCount(twice), 2);
}
