#pragma once
// The Preferences window: eight check boxes bound to show/hide options.
//
// The values come from the shared user-defaults controller through three functions, so this window
// does not depend on how the defaults are stored. A key without a value shows its fallback; a box
// the user toggles writes its key back at once; a key changed elsewhere (the View menu, a key)
// turns its box at once, without writing anything back.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class QCheckBox;
class QWidget;

namespace tallomer {

class ZEVPreferencesController : public QObject {
    Q_OBJECT
public:
    // An invalid QVariant means "no value for this key".
    using ValueReader = std::function<QVariant(const QString& key)>;
    using ValueWriter = std::function<void(const QString& key, const QVariant& value)>;
    // Calls `changed` after each change of the key's value until the answered function is called.
    using ValueWatcher = std::function<std::function<void()>(const QString& key, std::function<void()> changed)>;

    struct Option {
        const char* outlet;
        const char* key;
        bool fallback;
        const char* label;
        // The box says the opposite of its key (a "Show" box over a "Hide" key).
        bool inverted = false;
    };
    static const std::vector<Option>& options();

    ZEVPreferencesController(ValueReader read, ValueWriter write, ValueWatcher watch = nullptr,
                             QObject* parent = nullptr);
    ~ZEVPreferencesController() override;

    // Built (and `windowDidLoad` run) on first call.
    QWidget* window();
    void showWindow();

    // The check box of an outlet name ("showAnimation", "hideTitle", …), once the window is loaded.
    QCheckBox* checkBox(const QString& outlet) const;
    QCheckBox* showAnimation() const { return checkBox("showAnimation"); }
    QCheckBox* hideTitle() const { return checkBox("hideTitle"); }
    QCheckBox* keepTimebar() const { return checkBox("keepTimebar"); }
    QCheckBox* keepTimeline() const { return checkBox("keepTimeline"); }
    QCheckBox* keepTracks() const { return checkBox("keepTracks"); }
    QCheckBox* keepToolbar() const { return checkBox("keepToolbar"); }
    QCheckBox* showRulerWhenSearch() const { return checkBox("showRulerWhenSearch"); }
    QCheckBox* showApps() const { return checkBox("showApps"); }

protected:
    virtual void windowDidLoad();

private:
    // The box of options()[i] set to what its key answers now, writing nothing back.
    void showValue(std::size_t i);

    ValueReader read_;
    ValueWriter write_;
    ValueWatcher watch_;
    std::vector<std::function<void()>> unwatch_;
    QPointer<QWidget> window_; // owned: deleted in the destructor
    std::vector<QCheckBox*> boxes_; // children of window_, in options() order
};

} // namespace tallomer
