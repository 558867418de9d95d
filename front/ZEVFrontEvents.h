#pragma once
// Application-wide filters of the front layer: the record of the event being handled, which the
// step back reads (the key that asked for it, or a click), and the guard that keeps the user's
// presses and keys away from the window while a Space transition runs.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace tallomer {

// Key codes the step back tells apart; any other key is kOtherKey.
inline constexpr int kKeyReturn = 36;
inline constexpr int kKeyDelete = 51;
inline constexpr int kKeyEscape = 53;
inline constexpr int kOtherKey = -1;

struct ZEVCurrentEvent {
    // A key press (else a mouse press or release, or nothing yet).
    bool keyDown = false;
    int keyCode = kOtherKey;
    Qt::KeyboardModifiers modifiers;
    // The key went first to a text field: its Return and Delete are the field's.
    bool inTextField = false;
    // The widget with the keyboard focus when the last mouse press came (a click moves the focus
    // before the step back reads it).
    QPointer<QWidget> focusBeforePress;
};

// The Qt key as one of the codes above.
int stepBackKeyCode(int qtKey);

// Installed on the application for its lifetime: records every key press and mouse press or
// release, and tells `pointerMoved` of mouse moves while the pointer is hidden.
class ZEVCurrentEventRecorder final : public QObject {
public:
    ZEVCurrentEventRecorder();
    ~ZEVCurrentEventRecorder() override;
    const ZEVCurrentEvent& event() const { return event_; }
    // The pointer hides until the next move.
    void hidePointer();
    bool siPointerHidden() const { return hidden_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPointer();
    ZEVCurrentEvent event_;
    // The delivery last seen, to tell a new event from the same one travelling on.
    const QEvent* lastEvent_ = nullptr;
    int lastType_ = 0;
    int lastKey_ = 0;
    quint64 lastStamp_ = 0;
    QPointer<QObject> lastReceiver_;
    bool sameAsLast(QEvent* event, QObject* watched);
    bool hidden_ = false;
    bool focusMovedByPress_ = false;
};

// Installed on the application while a transition runs: every mouse press (double clicks
// included) goes to `onPress`, every key press to `onKey`, and none reaches a widget; shortcuts are
// held off too. Removed from the application when destroyed.
class ZEVTransitionInputFilter final : public QObject {
public:
    ZEVTransitionInputFilter(std::function<void()> onPress, std::function<void()> onKey);
    ~ZEVTransitionInputFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onPress_;
    std::function<void()> onKey_;
};

} // namespace tallomer
