#pragma once
// The one translator from Qt's input events to what the design reads from an event: the
// modifier-flag bits of Keys.h, click counts, wheel deltas in lines, the wheel's direction,
// virtual key codes by physical key, and the characters of a key ignoring its modifiers, the
// arrows as the private-use characters U+F700 to U+F703.

#include "platform/Keys.h"

#include <QString>

#include <cstdint>
#include <memory>

#include <QPointF>
#include <QWheelEvent>

class QGraphicsSceneWheelEvent;
class QKeyEvent;
class QMouseEvent;
class QNativeGestureEvent;

namespace tallomer::events {

// The virtual key codes the key tables test, by the key's place on the keyboard.
enum KeyCode : int {
    kKeyUnknown = -1,
    kKeySection = 10,        // left of the 1 key
    kKeyOne = 18,            // the 1 of the main block
    kKeyReturn = 36,
    kKeyBackslash = 42,
    kKeyTab = 48,
    kKeyDelete = 51,         // Backspace
    kKeyKeypadEnter = 76,
    kKeyForwardDelete = 117, // Delete
};

inline constexpr char16_t kUpArrowCharacter = 0xF700;
inline constexpr char16_t kDownArrowCharacter = 0xF701;
inline constexpr char16_t kLeftArrowCharacter = 0xF702;
inline constexpr char16_t kRightArrowCharacter = 0xF703;
inline constexpr char16_t kForwardDeleteCharacter = 0xF728;

inline bool isArrowCharacter(QChar c) { return c.unicode() >= kUpArrowCharacter && c.unicode() <= kRightArrowCharacter; }

struct KeyInfo {
    // Modifier flags; the arrows also carry kNumericPadFlag. Other keypad keys do not, so that
    // keypad Enter reaches the rows of the key tables written for it.
    std::uint32_t flags = 0;
    // As if no modifier but Shift were held; empty for a key that types nothing (a modifier).
    QString characters;
    int keyCode = kKeyUnknown;
    bool repeat = false;
};

KeyInfo keyInfo(const QKeyEvent& event);
// The virtual key code of a Qt key, for events that carry no scan code (synthesised ones).
int keyCodeForQtKey(int qtKey, bool keypad);
// The virtual key code of an X keyboard's scan code (the evdev code plus 8); kKeyUnknown otherwise.
int keyCodeForScanCode(quint32 scanCode);
// The evdev key (linux/input-event-codes.h) at a virtual key code's place; -1 for a code off the
// table. The one table behind keyCodeForScanCode too.
int evdevKeyForKeyCode(int keyCode);

std::uint32_t modifierFlags(Qt::KeyboardModifiers modifiers);
inline bool hasFlag(std::uint32_t flags, std::uint32_t flag) { return (flags & flag) != 0; }

// 1 for a press, 2 for the press of a double click.
int clickCount(const QMouseEvent& event);

// In lines: a wheel notch (120 eighths of a degree) is 1.0; a touchpad's pixels count a tenth each.
struct WheelDeltas {
    double x = 0;
    double y = 0;
};
WheelDeltas wheelDeltas(const QWheelEvent& event);
// +1 when the device scrolls the natural (inverted) way, -1 otherwise.
float invertedFactor(const QWheelEvent& event);

// The same wheel event with `position` as its position (the time ruler takes the pointer in the
// window's coordinates).
QWheelEvent wheelEventAt(const QWheelEvent& event, const QPointF& position);
// A graphics scene's wheel event as a widget's, at `position`. The scene keeps only the larger of
// the two angle amounts, so the other one reads as 0; pixel amounts are kept whole.
QWheelEvent wheelEventFromScene(const QGraphicsSceneWheelEvent& event, const QPointF& position);
// A pinch event at `position`, for a receiver that is not the widget it was delivered to.
std::unique_ptr<QNativeGestureEvent> nativeGestureAt(const QNativeGestureEvent& event, const QPointF& position,
                                                     const QPointF& windowPosition);

} // namespace tallomer::events
