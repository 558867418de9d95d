#include "platform/KeyLayout.h"

#include "platform/Events.h"
#include "runtime/Log.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace tallomer {

namespace {

struct ContextDeleter {
    void operator()(xkb_context* c) const { xkb_context_unref(c); }
};
struct KeymapDeleter {
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
};
using ContextPtr = std::unique_ptr<xkb_context, ContextDeleter>;
using KeymapPtr = std::unique_ptr<xkb_keymap, KeymapDeleter>;
struct StateDeleter {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};
using StatePtr = std::unique_ptr<xkb_state, StateDeleter>;

// The keysyms Qt maps by table rather than by their character, for the keys of the key-code table.
int qtKeyByTable(xkb_keysym_t ks)
{
    if (ks >= XKB_KEY_dead_grave && ks <= XKB_KEY_dead_longsolidusoverlay)
        return Qt::Key_Dead_Grave + int(ks - XKB_KEY_dead_grave);
    switch (ks) {
    case XKB_KEY_Escape:
        return Qt::Key_Escape;
    case XKB_KEY_Tab:
    case XKB_KEY_KP_Tab:
        return Qt::Key_Tab;
    case XKB_KEY_ISO_Left_Tab:
        return Qt::Key_Backtab;
    case XKB_KEY_BackSpace:
        return Qt::Key_Backspace;
    case XKB_KEY_Return:
        return Qt::Key_Return;
    case XKB_KEY_KP_Enter:
        return Qt::Key_Enter;
    case XKB_KEY_Insert:
    case XKB_KEY_KP_Insert:
        return Qt::Key_Insert;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        return Qt::Key_Delete;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
        return Qt::Key_Home;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
        return Qt::Key_End;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        return Qt::Key_Left;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return Qt::Key_Up;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        return Qt::Key_Right;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return Qt::Key_Down;
    case XKB_KEY_Prior:
    case XKB_KEY_KP_Prior:
        return Qt::Key_PageUp;
    case XKB_KEY_Next:
    case XKB_KEY_KP_Next:
        return Qt::Key_PageDown;
    case XKB_KEY_KP_Begin:
        return Qt::Key_Clear;
    case XKB_KEY_Num_Lock:
        return Qt::Key_NumLock;
    case XKB_KEY_KP_Space:
        return Qt::Key_Space;
    case XKB_KEY_KP_Multiply:
        return Qt::Key_Asterisk;
    case XKB_KEY_KP_Add:
        return Qt::Key_Plus;
    case XKB_KEY_KP_Subtract:
        return Qt::Key_Minus;
    case XKB_KEY_KP_Decimal:
        return Qt::Key_Period;
    case XKB_KEY_KP_Separator:
        return Qt::Key_Comma;
    case XKB_KEY_KP_Divide:
        return Qt::Key_Slash;
    case XKB_KEY_KP_Equal:
        return Qt::Key_Equal;
    default:
        return 0;
    }
}

// The spacing accent a dead key shows, as a layout's key caps print it.
char32_t spacingAccent(xkb_keysym_t ks)
{
    switch (ks) {
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'\u00B4';
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_tilde:
        return U'~';
    case XKB_KEY_dead_macron:
        return U'\u00AF';
    case XKB_KEY_dead_breve:
        return U'\u02D8';
    case XKB_KEY_dead_abovedot:
        return U'\u02D9';
    case XKB_KEY_dead_diaeresis:
        return U'\u00A8';
    case XKB_KEY_dead_abovering:
        return U'\u02DA';
    case XKB_KEY_dead_doubleacute:
        return U'\u02DD';
    case XKB_KEY_dead_caron:
        return U'\u02C7';
    case XKB_KEY_dead_cedilla:
        return U'\u00B8';
    case XKB_KEY_dead_ogonek:
        return U'\u02DB';
    case XKB_KEY_dead_iota:
        return U'\u037A';
    default:
        return 0;
    }
}

// The same Qt key the xcb platform reports for a key whose keysym is `ks` and text `c`.
int qtKeyFor(xkb_keysym_t ks, char32_t c)
{
    if (ks >= XKB_KEY_F1 && ks <= XKB_KEY_F35)
        return Qt::Key_F1 + int(ks - XKB_KEY_F1);
    if (ks >= XKB_KEY_KP_0 && ks <= XKB_KEY_KP_9)
        return Qt::Key_0 + int(ks - XKB_KEY_KP_0);
    if (ks <= 0xFF) {
        // Latin-1 keys are their upper case, but for ß and ÿ whose upper case lies outside it.
        if (ks == 0xDF || ks == 0xFF)
            return int(ks);
        const char32_t upper = QChar::toUpper(char32_t(ks));
        return upper <= 0xFF ? int(upper) : int(ks);
    }
    if (const int k = qtKeyByTable(ks))
        return k;
    if (c == 0)
        return 0;
    if (QChar::isDigit(c))
        return Qt::Key_0 + QChar::digitValue(c);
    return int(QChar::toUpper(c));
}

ContextPtr newContext()
{
    // Names come from the caller, never from the XKB_DEFAULT_* variables behind its back.
    ContextPtr context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    // The library's own lines say little more than our one line on failure does.
    if (context)
        xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
    return context;
}

QByteArray orNull(const QString& s) { return s.toUtf8(); }

#if QT_CONFIG(xcb)
// The X server's core keyboard as it stands: its keymap and state, or no state when the program
// runs on another platform or the server has no keyboard extension.
struct ServerKeyboard {
    ContextPtr context;
    KeymapPtr keymap;
    StatePtr state;
};

ServerKeyboard serverKeyboard()
{
    ServerKeyboard k;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return k;
    k.context = newContext();
    if (!k.context || !xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                   XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                                   nullptr, nullptr, nullptr, nullptr))
        return k;
    const int device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return k;
    k.keymap.reset(xkb_x11_keymap_new_from_device(k.context.get(), connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (k.keymap)
        k.state.reset(xkb_x11_state_new_from_device(k.keymap.get(), connection, device));
    return k;
}
#endif

} // namespace

struct KeyLayout::Keymap {
    ContextPtr context;
    KeymapPtr keymap;
    xkb_layout_index_t group = 0;
};

KeyLayout::KeyLayout() = default;
KeyLayout::~KeyLayout() = default;
KeyLayout::KeyLayout(KeyLayout&&) noexcept = default;
KeyLayout& KeyLayout::operator=(KeyLayout&&) noexcept = default;

bool KeyLayout::isValid() const { return keymap_ != nullptr; }

bool KeyLayout::load(const Names& names, int group)
{
    ContextPtr context = newContext();
    if (!context || group < 0)
        return false;
    const QByteArray rules = orNull(names.rules), model = orNull(names.model), layout = orNull(names.layout),
                     variant = orNull(names.variant), options = orNull(names.options);
    auto field = [](const QByteArray& b) { return b.isEmpty() ? nullptr : b.constData(); };
    const xkb_rule_names rmlvo{field(rules), field(model), field(layout), field(variant), field(options)};
    KeymapPtr keymap(xkb_keymap_new_from_names(context.get(), &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap || xkb_layout_index_t(group) >= xkb_keymap_num_layouts(keymap.get())) {
        logFormat("KeyLayout load: no keymap for layout \"%s\" variant \"%s\" group %d; the keys stay as they were",
                  layout.constData(), variant.constData(), group);
        return false;
    }
    keymap_ = std::make_unique<Keymap>(Keymap{std::move(context), std::move(keymap), xkb_layout_index_t(group)});
    return true;
}

bool KeyLayout::capsLockOn()
{
#if QT_CONFIG(xcb)
    const ServerKeyboard k = serverKeyboard();
    if (k.state)
        return xkb_state_mod_name_is_active(k.state.get(), XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
#endif
    return false;
}

bool KeyLayout::reload()
{
#if QT_CONFIG(xcb)
    if (qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        ServerKeyboard k = serverKeyboard();
        if (k.state) {
            const xkb_layout_index_t group = xkb_state_serialize_layout(k.state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
            keymap_ = std::make_unique<Keymap>(Keymap{std::move(k.context), std::move(k.keymap), group});
            return true;
        }
        // The server gave no keymap: keep the one we have; only a first reading falls back to names.
        logLine("KeyLayout reload: the X server gave no keymap");
        if (keymap_)
            return false;
    }
#endif
    const Names names{qEnvironmentVariable("XKB_DEFAULT_RULES"), qEnvironmentVariable("XKB_DEFAULT_MODEL"),
                      qEnvironmentVariable("XKB_DEFAULT_LAYOUT"), qEnvironmentVariable("XKB_DEFAULT_VARIANT"),
                      qEnvironmentVariable("XKB_DEFAULT_OPTIONS")};
    if (load(names))
        return true;
    return !keymap_ && load(Names{{}, {}, QStringLiteral("us"), {}, {}});
}

KeyLayout::Key KeyLayout::key(int keyCode) const
{
    const int evdev = events::evdevKeyForKeyCode(keyCode);
    if (!keymap_ || evdev < 0)
        return {};
    xkb_keymap* keymap = keymap_->keymap.get();
    const xkb_keycode_t code = xkb_keycode_t(evdev + 8);
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, code);
    if (layouts == 0)
        return {};
    // A key with fewer groups than the keymap wraps around, as the server does.
    const xkb_layout_index_t group = keymap_->group % layouts;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, code, group, 0, &syms) < 1 || !syms)
        return {};
    const xkb_keysym_t ks = syms[0];
    Key key;
    key.dead = ks >= XKB_KEY_dead_grave && ks <= XKB_KEY_dead_longsolidusoverlay;
    const char32_t c = key.dead ? spacingAccent(ks) : xkb_keysym_to_utf32(ks);
    if (c != 0)
        key.text = QString::fromUcs4(&c, 1);
    key.qtKey = qtKeyFor(ks, key.dead ? 0 : c);
    return key;
}

} // namespace tallomer
