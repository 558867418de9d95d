#pragma once
// Tells when the layout the X server types with changes: another keymap (a layout chosen in the
// desktop's settings, setxkbmap) or another group of it (the layout switch key). Qt reads these
// events for its own keys and passes no layout change on to the application on xcb; elsewhere
// nothing is watched.

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace tallomer {

class KeyboardLayoutWatcher final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Watches the application's X connection from now on, when it runs on one.
    explicit KeyboardLayoutWatcher(QObject* parent = nullptr);
    // Watches the native events of a connection whose XKB events begin at `xkbBase`.
    KeyboardLayoutWatcher(int xkbBase, QObject* parent);
    ~KeyboardLayoutWatcher() override;

    // Whether an event of the X connection (an xcb_generic_event_t) changes the layout: a new
    // keyboard or keymap, or a change of the effective group. `xkbBase` is the first event code of
    // the XKB extension on that connection.
    static bool changesLayout(const void* xcbEvent, int xkbBase);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void layoutChanged();

private:
    int xkbBase_ = -1;
};

} // namespace tallomer
