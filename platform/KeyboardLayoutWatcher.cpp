#include "platform/KeyboardLayoutWatcher.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstddef>
#include <cstdint>

namespace tallomer {

namespace {

// The XKB protocol's event kinds and state notice, as xcb's XKB header gives them (that header
// cannot be read by a C++ compiler: one of its fields is named "explicit").
constexpr std::uint8_t kNewKeyboardNotify = 0;
constexpr std::uint8_t kMapNotify = 1;
constexpr std::uint8_t kStateNotify = 2;
constexpr std::uint16_t kGroupStateChanged = 16;

struct StateNotify {
    std::uint8_t responseType;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    std::uint32_t time;
    std::uint8_t deviceID, mods, baseMods, latchedMods, lockedMods, group;
    std::int16_t baseGroup, latchedGroup;
    std::uint8_t lockedGroup, compatState, grabMods, compatGrabMods, lookupMods, compatLookupMods;
    std::uint16_t ptrBtnState;
    std::uint16_t changed;
};
static_assert(offsetof(StateNotify, changed) == 26);

// The first event code of the XKB extension on the application's X connection; -1 without one.
int xkbBaseOfTheApplication()
{
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    uint8_t base = 0;
    // Qt has asked the server for these events on its connection already; the extension's first
    // event code tells them apart from the others.
    if (connection && xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                  XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                                  nullptr, nullptr, &base, nullptr))
        return base;
#endif
    return -1;
}

} // namespace

KeyboardLayoutWatcher::KeyboardLayoutWatcher(QObject* parent) : KeyboardLayoutWatcher(xkbBaseOfTheApplication(), parent) {}

KeyboardLayoutWatcher::KeyboardLayoutWatcher(int xkbBase, QObject* parent) : QObject(parent), xkbBase_(xkbBase)
{
    if (xkbBase_ >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyboardLayoutWatcher::~KeyboardLayoutWatcher()
{
    if (xkbBase_ >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool KeyboardLayoutWatcher::changesLayout(const void* xcbEvent, int xkbBase)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    if (!event || xkbBase < 0 || (event->response_type & ~0x80) != xkbBase)
        return false;
    // The XKB events share one code; the second byte tells which.
    switch (event->pad0) {
    case kNewKeyboardNotify:
    case kMapNotify:
        return true;
    case kStateNotify:
        return (static_cast<const StateNotify*>(xcbEvent)->changed & kGroupStateChanged) != 0;
    default:
        return false;
    }
}

bool KeyboardLayoutWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType == "xcb_generic_event_t" && changesLayout(message, xkbBase_))
        emit layoutChanged();
    // Qt still reads the event for its own keys.
    return false;
}

} // namespace tallomer
