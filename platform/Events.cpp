#include "platform/Events.h"

#include <QGraphicsSceneWheelEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWheelEvent>

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

} // namespace

std::uint32_t modifierFlags(Qt::KeyboardModifiers modifiers) { return keys::flagsFromModifiers(modifiers); }

int keyCodeForScanCode(quint32 scanCode)
{
    if (scanCode < 8)
        return kKeyUnknown;
    switch (scanCode - 8) {
    case 41: // KEY_GRAVE
        return kKeySection;
    case 2: // KEY_1
        return kKeyOne;
    case 28: // KEY_ENTER
        return kKeyReturn;
    case 43: // KEY_BACKSLASH
        return kKeyBackslash;
    case 15: // KEY_TAB
        return kKeyTab;
    case 14: // KEY_BACKSPACE
        return kKeyDelete;
    case 96: // KEY_KPENTER
        return kKeyKeypadEnter;
    case 111: // KEY_DELETE
        return kKeyForwardDelete;
    default:
        return kKeyUnknown;
    }
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
