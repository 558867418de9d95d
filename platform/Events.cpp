#include "platform/Events.h"

#include <QGraphicsSceneWheelEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <linux/input-event-codes.h>

namespace tallomer::events {

namespace {

// Scan codes are trusted only from the platforms that report the keyboard's own.
bool siScanCodesFiables()
{
    static const bool fiables = [] {
        const QString p = QGuiApplication::platformName();
        return p == QLatin1String("xcb") || p.startsWith(QLatin1String("wayland"));
    }();
    return fiables;
}

char16_t flecheDe(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Up:
        return kUpArrowCharacter;
    case Qt::Key_Down:
        return kDownArrowCharacter;
    case Qt::Key_Left:
        return kLeftArrowCharacter;
    case Qt::Key_Right:
        return kRightArrowCharacter;
    default:
        return 0;
    }
}

QString caracteres(const QKeyEvent& e, bool shift)
{
    const int k = e.key();
    if (const char16_t f = flecheDe(k))
        return QString(QChar(f));
    switch (k) {
    case Qt::Key_Return:
        return QStringLiteral("\r");
    case Qt::Key_Enter:
        return QString(QChar(0x03));
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QString(QChar(0x7F));
    case Qt::Key_Delete:
        return QString(QChar(kForwardDeleteCharacter));
    case Qt::Key_Escape:
        return QString(QChar(0x1B));
    case Qt::Key_Space:
        return QStringLiteral(" ");
    default:
        break;
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) {
        const QChar c(char16_t(u'a' + (k - Qt::Key_A)));
        return QString(shift ? c.toUpper() : c);
    }
    // What was typed, unless Ctrl, Alt or Meta changed it.
    const Qt::KeyboardModifiers autres = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!(e.modifiers() & autres) && !e.text().isEmpty() && e.text().at(0).isPrint())
        return e.text();
    if (const char32_t c = char32_t(k); k > 0 && k < 0x110000 && QChar::isPrint(c))
        return QString::fromUcs4(&c, 1);
    return {};
}

// Virtual key codes by the key's place, with the evdev key at that place on a PC keyboard. The
// key left of the 1 is the ISO section key (10) and the extra key beside the left Shift the grave
// key (50), as an ISO keyboard reports them.
struct PlaceDeTouche {
    int code;
    int evdev;
};

// clang-format off
constexpr PlaceDeTouche kTouches[] = {
    {0, KEY_A},           {1, KEY_S},          {2, KEY_D},         {3, KEY_F},          {4, KEY_H},
    {5, KEY_G},           {6, KEY_Z},          {7, KEY_X},         {8, KEY_C},          {9, KEY_V},
    {kKeySection, KEY_GRAVE}, {11, KEY_B},     {12, KEY_Q},        {13, KEY_W},         {14, KEY_E},
    {15, KEY_R},          {16, KEY_Y},         {17, KEY_T},        {kKeyOne, KEY_1},    {19, KEY_2},
    {20, KEY_3},          {21, KEY_4},         {22, KEY_6},        {23, KEY_5},         {24, KEY_EQUAL},
    {25, KEY_9},          {26, KEY_7},         {27, KEY_MINUS},    {28, KEY_8},         {29, KEY_0},
    {30, KEY_RIGHTBRACE}, {31, KEY_O},         {32, KEY_U},        {33, KEY_LEFTBRACE}, {34, KEY_I},
    {35, KEY_P},          {kKeyReturn, KEY_ENTER}, {37, KEY_L},    {38, KEY_J},         {39, KEY_APOSTROPHE},
    {40, KEY_K},          {41, KEY_SEMICOLON}, {kKeyBackslash, KEY_BACKSLASH}, {43, KEY_COMMA}, {44, KEY_SLASH},
    {45, KEY_N},          {46, KEY_M},         {47, KEY_DOT},      {kKeyTab, KEY_TAB},  {49, KEY_SPACE},
    {50, KEY_102ND},      {kKeyDelete, KEY_BACKSPACE}, {53, KEY_ESC}, {65, KEY_KPDOT},  {67, KEY_KPASTERISK},
    {69, KEY_KPPLUS},     {71, KEY_NUMLOCK},   {75, KEY_KPSLASH},  {kKeyKeypadEnter, KEY_KPENTER},
    {78, KEY_KPMINUS},    {81, KEY_KPEQUAL},   {82, KEY_KP0},      {83, KEY_KP1},       {84, KEY_KP2},
    {85, KEY_KP3},        {86, KEY_KP4},       {87, KEY_KP5},      {88, KEY_KP6},       {89, KEY_KP7},
    {91, KEY_KP8},        {92, KEY_KP9},       {96, KEY_F5},       {97, KEY_F6},        {98, KEY_F7},
    {99, KEY_F3},         {100, KEY_F8},       {101, KEY_F9},      {103, KEY_F11},      {109, KEY_F10},
    {111, KEY_F12},       {114, KEY_INSERT},   {115, KEY_HOME},    {116, KEY_PAGEUP},
    {kKeyForwardDelete, KEY_DELETE}, {118, KEY_F4}, {119, KEY_END}, {120, KEY_F2},      {121, KEY_PAGEDOWN},
    {122, KEY_F1},        {123, KEY_LEFT},     {124, KEY_RIGHT},   {125, KEY_DOWN},     {126, KEY_UP},
};
// clang-format on

} // namespace

std::uint32_t modifierFlags(Qt::KeyboardModifiers modifiers) { return keys::flagsFromModifiers(modifiers); }

int evdevKeyForKeyCode(int keyCode)
{
    for (const PlaceDeTouche& t : kTouches)
        if (t.code == keyCode)
            return t.evdev;
    return -1;
}

int keyCodeForScanCode(quint32 scanCode)
{
    if (scanCode < 8)
        return kKeyUnknown;
    for (const PlaceDeTouche& t : kTouches)
        if (quint32(t.evdev) == scanCode - 8)
            return t.code;
    return kKeyUnknown;
}

int keyCodeForQtKey(int qtKey, bool keypad)
{
    switch (qtKey) {
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
    case Qt::Key_section:
        return kKeySection;
    case Qt::Key_1:
    case Qt::Key_Exclam:
        return keypad ? kKeyUnknown : kKeyOne;
    case Qt::Key_Return:
        return kKeyReturn;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return kKeyBackslash;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kKeyTab;
    case Qt::Key_Backspace:
        return kKeyDelete;
    case Qt::Key_Enter:
        return kKeyKeypadEnter;
    case Qt::Key_Delete:
        return kKeyForwardDelete;
    default:
        return kKeyUnknown;
    }
}

KeyInfo keyInfo(const QKeyEvent& e)
{
    KeyInfo info;
    const Qt::KeyboardModifiers m = e.modifiers();
    info.flags = modifierFlags(m);
    if (flecheDe(e.key()))
        info.flags |= keys::kNumericPadFlag;
    info.characters = caracteres(e, m.testFlag(Qt::ShiftModifier));
    info.repeat = e.isAutoRepeat();
    if (siScanCodesFiables() && e.nativeScanCode() > 8)
        info.keyCode = keyCodeForScanCode(e.nativeScanCode());
    else
        info.keyCode = keyCodeForQtKey(e.key(), m.testFlag(Qt::KeypadModifier));
    return info;
}

int clickCount(const QMouseEvent& event) { return event.type() == QEvent::MouseButtonDblClick ? 2 : 1; }

WheelDeltas wheelDeltas(const QWheelEvent& event)
{
    const QPoint pixels = event.pixelDelta();
    if (!pixels.isNull())
        return {pixels.x() / 10.0, pixels.y() / 10.0};
    const QPoint angle = event.angleDelta();
    return {angle.x() / 120.0, angle.y() / 120.0};
}

float invertedFactor(const QWheelEvent& event) { return event.inverted() ? 1.0f : -1.0f; }

QWheelEvent wheelEventAt(const QWheelEvent& e, const QPointF& position)
{
    return QWheelEvent(position, e.globalPosition(), e.pixelDelta(), e.angleDelta(), e.buttons(), e.modifiers(),
                       e.phase(), e.inverted(), e.source(), e.pointingDevice());
}

QWheelEvent wheelEventFromScene(const QGraphicsSceneWheelEvent& e, const QPointF& position)
{
    const QPoint angle = e.orientation() == Qt::Horizontal ? QPoint(e.delta(), 0) : QPoint(0, e.delta());
    return QWheelEvent(position, e.screenPos(), e.pixelDelta(), angle, e.buttons(), e.modifiers(), e.phase(),
                       e.isInverted());
}

std::unique_ptr<QNativeGestureEvent> nativeGestureAt(const QNativeGestureEvent& e, const QPointF& position,
                                                     const QPointF& windowPosition)
{
    return std::make_unique<QNativeGestureEvent>(e.gestureType(), e.pointingDevice(), e.fingerCount(), position,
                                                 windowPosition, e.globalPosition(), e.value(), e.delta());
}

} // namespace tallomer::events
