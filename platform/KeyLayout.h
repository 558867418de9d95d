#pragma once
// What the current keyboard layout puts on each physical key, for key equivalents that stay on
// their key whatever the layout: virtual key code (platform/Events.h) → evdev key → the level-one
// keysym of the active group → the character and the Qt key the platform reports for it.
//
// On xcb the running keymap and its active group are read from the X server; elsewhere (and when
// that fails) the keymap is built from the XKB_DEFAULT_RULES, _MODEL, _LAYOUT, _VARIANT and
// _OPTIONS variables, else from "us".

#include <QString>

#include <memory>

namespace tallomer {

class KeyLayout {
public:
    struct Names {
        QString rules; // empty: the library's default ("evdev")
        QString model;
        QString layout; // "de", "fr", "us,ru"...
        QString variant;
        QString options;
    };

    struct Key {
        // The whole character the key types with no modifier (a non-BMP one is two UTF-16 units);
        // a dead key's spacing accent ("^" for dead_circumflex). Empty for a key that types nothing.
        QString text;
        // The Qt key the platform reports for the key alone: Qt::Key_A for "a", Qt::Key_Tab,
        // Qt::Key_Dead_Circumflex for a dead key; 0 when the key has no keysym.
        int qtKey = 0;
        bool dead = false;

        bool isNull() const { return qtKey == 0; }
        bool operator==(const Key&) const = default;
    };

    // An empty layout: every key is null until reload() or load() succeeds.
    KeyLayout();
    ~KeyLayout();
    KeyLayout(KeyLayout&&) noexcept;
    KeyLayout& operator=(KeyLayout&&) noexcept;

    // Reads the running layout (see above). False when no keymap could be had; the layout then
    // keeps the keys it had, so a layout without data changes nothing.
    bool reload();
    // Builds the keymap from names, without a display; group is the layout index within
    // names.layout. False (and the keys kept) when the names make no keymap.
    bool load(const Names& names, int group = 0);

    bool isValid() const;
    // The key at a virtual key code under this layout; null for a code off the table.
    Key key(int keyCode) const;

    // Whether Caps Lock is on, read from the X server's keyboard state (its locked Lock
    // modifier); false where no such state can be read.
    static bool capsLockOn();

private:
    struct Keymap;
    std::unique_ptr<Keymap> keymap_;
};

} // namespace tallomer
