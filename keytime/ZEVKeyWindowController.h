#pragma once
// The KeyTime window of one document: a tool window above the Space window with the step table,
// Start, +, −, Update, the Animation box, the progress indicator and the five fields of the
// applied state, and its own keys for Undo, Redo, Copy, Paste, Save and Close (the menu bar is
// the Space window's).
//
// It captures the state of the time cursors and the ruler into a space dictionary and applies a
// dictionary back, animated over 1.5 s or at once, always through the ruler's move protocol.

#include "keytime/HIDRemote.h"
#include "keytime/ZEVKeyArrayController.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tallomer {

class ZEVKeyDocument;
class ZEVKeyTimeSpace;

class ZEVKeyWindowController final : public QWidget, public ZEVKeyCapture, public HIDRemoteDelegate {
    Q_OBJECT
public:
    static constexpr float kAnimationDuration = 1.5f;

    struct Hooks {
        // The Space it reads and moves; nullptr while there is none (nothing is captured).
        std::function<ZEVKeyTimeSpace*()> space;
        std::function<void()> beep;
        // Asked before the window closes; false keeps it open.
        std::function<bool(ZEVKeyWindowController*)> shouldClose;
        std::function<void(ZEVKeyWindowController*)> save;
        // The window became the active one.
        std::function<void(ZEVKeyWindowController*)> activated;
        // Start and Stop (`keyTimeStartStop:`).
        std::function<void()> startStop;
        // The window is being destroyed.
        std::function<void(ZEVKeyWindowController*)> gone;
    };

    // `document` is not owned and outlives the window; `parent` is the Space window.
    ZEVKeyWindowController(ZEVKeyDocument& document, Hooks hooks, QWidget* parent);
    ~ZEVKeyWindowController() override;

    ZEVKeyDocument& document() const { return document_; }
    ZEVKeyArrayController& arrayController() { return *array_; }
    QTableView* tableView() const { return table_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* updateButton() const { return update_; }
    QCheckBox* animationButton() const { return animation_; }
    QProgressBar* progress() const { return progress_; }
    QLineEdit* cursorPosTextField() const { return fields_[0]; }
    QLineEdit* cursorInTextField() const { return fields_[1]; }
    QLineEdit* cursorOutTextField() const { return fields_[2]; }
    QLineEdit* rulerInTextField() const { return fields_[3]; }
    QLineEdit* rulerOutTextField() const { return fields_[4]; }

    // ---- ZEVKeyCapture ----
    ZEVSpaceDico spaceDico() override;
    void setSpaceDico(const std::optional<ZEVSpaceDico>& dico) override;
    void beep() override;

    // Commits the text of one of the five fields to the last selected step: a finite number is
    // stored under the field's key as one undo entry and the step applied; anything else beeps
    // and changes nothing. Return and leaving the field commit.
    void commitField(int field);
    // What is being typed, in a field or in a row of the table, is committed as Return would: a
    // save, a close or another command of the window never leaves it behind, nor lets it land
    // later on another step.
    void commitTyping();

    // ---- playback ----
    // Every KeyTime window while playback runs: "Stop", and no editing.
    void startHIDRemote();
    // Every KeyTime window when it ends: "Start", editing again, the progress indicator still.
    void stopHIDRemote();
    // The running window: its last selected step applied, the progress indicator animating.
    void setAsRunning();
    bool isRunning() const { return running_; }
    void nextStep();
    void previousStep();
    // Performs a remote button's action; answers its name.
    QString actionForButtonCode(int buttonCode);
    // ---- HIDRemoteDelegate ----
    // Releases only.
    void hidRemoteEventWithButton(HIDRemote& remote, int buttonCode, bool isPressed,
                                  const QVariantMap& hardwareAttributes) override;

    void copy() { array_->copy(); }
    void paste() { array_->paste(); }
    // Follows the document's name and modified state.
    void updateTitle();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // `unused`: bits (position 0 .. ruler out 4) of the fields the applied kind of step does not
    // use; they are rewritten even while typed in.
    void showFields(const QString& pos, const QString& in, const QString& out, const QString& rulerIn,
                    const QString& rulerOut, unsigned unused = 0);
    // − and Update follow the selection; without one the fields are emptied.
    void majSelection();

    ZEVKeyDocument& document_;
    Hooks hooks_;
    std::unique_ptr<ZEVKeyArrayController> array_;
    QTableView* table_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* update_ = nullptr;
    QCheckBox* animation_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLineEdit* fields_[5] = {};
    bool running_ = false;
    // Playback runs, in this window or another: the editing controls stay off.
    bool playback_ = false;
};

} // namespace tallomer
