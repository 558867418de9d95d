#include "platform/KeyboardLayoutWatcher.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

using namespace tallomer;

namespace {

constexpr int kXkbBase = 85;

// An event of the X connection as Qt hands it to native filters: 32 bytes, the code first, the
// XKB kind second and, for a state notice, what changed at byte 26.
std::array<std::uint8_t, 32> xkbEvent(std::uint8_t kind, std::uint16_t changed = 0, bool sentByClient = false)
{
    std::array<std::uint8_t, 32> e{};
    e[0] = std::uint8_t(kXkbBase | (sentByClient ? 0x80 : 0));
    e[1] = kind;
    e[26] = std::uint8_t(changed & 0xff);
    e[27] = std::uint8_t(changed >> 8);
    return e;
}

// Through the event dispatcher, as the X connection's events reach the filters.
void deliver(std::array<std::uint8_t, 32> e)
{
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", e.data(), &result);
}

} // namespace

TEST(KeyboardLayoutWatcher, ANewKeymapOrAnotherGroupIsALayoutChangeAndNothingElseIs)
{
    KeyboardLayoutWatcher watcher(kXkbBase, nullptr);
    QSignalSpy changes(&watcher, &KeyboardLayoutWatcher::layoutChanged);

    deliver(xkbEvent(0)); // a new keyboard
    deliver(xkbEvent(1)); // another keymap (setxkbmap)
    deliver(xkbEvent(2, 16)); // the group switched
    deliver(xkbEvent(2, 16 | 1, true)); // the same, sent by another client
    EXPECT_EQ(changes.count(), 4);

    deliver(xkbEvent(2, 1 | 8)); // Shift pressed, Caps Lock locked: the same layout
    deliver(xkbEvent(3)); // controls
    auto keyPress = xkbEvent(0);
    keyPress[0] = 2; // a key press of the core protocol
    deliver(keyPress);
    qintptr result = 0;
    auto other = xkbEvent(1);
    QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", other.data(), &result);
    EXPECT_EQ(changes.count(), 4);
}

TEST(KeyboardLayoutWatcher, WithoutAnXConnectionNothingIsWatched)
{
    // The tests run without a display: no XKB events to tell apart.
    KeyboardLayoutWatcher watcher;
    QSignalSpy changes(&watcher, &KeyboardLayoutWatcher::layoutChanged);
    for (int base = 64; base < 128; ++base) {
        auto e = xkbEvent(1);
        e[0] = std::uint8_t(base);
        deliver(e);
    }
    EXPECT_EQ(changes.count(), 0);
}
