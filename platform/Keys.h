#pragma once
// The modifier keys as the system names them, and the Qt modifiers that stand for them.
//
// The system reads modifier-flag bits (Command is bit 20, 0x100000); on Linux Command is Ctrl,
// Option is Alt, Control is Meta (the Super key) and Shift is Shift. This is the one table.

#include <Qt>

#include <cstdint>

namespace tallomer::keys {

// Fn, which Linux does not report: the Menu key stands for it. Being no modifier to Qt, it is
// carried as held among the modifiers the Space window passes on by this stand-in flag.
inline constexpr int kFnKey = Qt::Key_Menu;
inline constexpr Qt::KeyboardModifier kFnModifier = Qt::GroupSwitchModifier;

// Modifier-flag bits as stored and compared by the system.
inline constexpr std::uint32_t kShiftFlag = 1u << 17;
inline constexpr std::uint32_t kControlFlag = 1u << 18;
inline constexpr std::uint32_t kOptionFlag = 1u << 19;
inline constexpr std::uint32_t kCommandFlag = 1u << 20;
// Set on the arrow keys (see platform/Events.h).
inline constexpr std::uint32_t kNumericPadFlag = 1u << 21;

inline constexpr Qt::KeyboardModifier kCommand = Qt::ControlModifier;
inline constexpr Qt::KeyboardModifier kOption = Qt::AltModifier;
inline constexpr Qt::KeyboardModifier kControl = Qt::MetaModifier;
inline constexpr Qt::KeyboardModifier kShift = Qt::ShiftModifier;

struct ModifierPair {
    std::uint32_t flag;
    Qt::KeyboardModifier qt;
};

inline constexpr ModifierPair kModifierTable[] = {
    {kCommandFlag, kCommand},
    {kOptionFlag, kOption},
    {kControlFlag, kControl},
    {kShiftFlag, kShift},
};

// Qt modifiers → modifier-flag bits (other Qt modifiers, such as the keypad, are dropped).
inline std::uint32_t flagsFromModifiers(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t flags = 0;
    for (const auto& m : kModifierTable)
        if (modifiers.testFlag(m.qt))
            flags |= m.flag;
    return flags;
}

// Modifier-flag bits → Qt modifiers (other bits are dropped).
inline Qt::KeyboardModifiers modifiersFromFlags(std::uint32_t flags)
{
    Qt::KeyboardModifiers modifiers;
    for (const auto& m : kModifierTable)
        if (flags & m.flag)
            modifiers |= m.qt;
    return modifiers;
}

} // namespace tallomer::keys
