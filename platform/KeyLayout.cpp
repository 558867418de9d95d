#include "platform/KeyLayout.h"

namespace tallomer {

struct KeyLayout::Keymap {};

KeyLayout::KeyLayout() = default;
KeyLayout::~KeyLayout() = default;
KeyLayout::KeyLayout(KeyLayout&&) noexcept = default;
KeyLayout& KeyLayout::operator=(KeyLayout&&) noexcept = default;

bool KeyLayout::reload() { return false; }
bool KeyLayout::load(const Names&, int) { return false; }
bool KeyLayout::isValid() const { return keymap_ != nullptr; }
KeyLayout::Key KeyLayout::key(int) const { return {}; }

} // namespace tallomer
