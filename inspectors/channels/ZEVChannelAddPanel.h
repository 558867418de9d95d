#pragma once
// The modal panel that adds a Channel or a Space: the name (and, for a Channel, the name of its
// first Space) above the shared background controls, then Cancel and Create. Create ends the
// panel with kCreate once the viewer's check let it; Cancel, Escape and closing end it with
// kCancel.

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace tallomer {

class ZEVChannelPanelControls;
class ZEVSpaceController;

class ZEVChannelAddPanel final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCreate = 1;
    static constexpr int kCancel = 2;
    enum class Kind { Channel, Space };

    // `space` is not owned; `parent` owns the panel when given.
    ZEVChannelAddPanel(Kind kind, ZEVSpaceController& space, QWidget* parent);

    Kind kind() const { return kind_; }
    // The Channel's name (Channel panel) or the Space's (Space panel).
    QLineEdit* nameField() const { return nameField_; }
    // The first Space's name; nullptr on the Space panel.
    QLineEdit* spaceField() const { return spaceField_; }
    ZEVChannelPanelControls* controls() const { return controls_; }
    QPushButton* createButton() const { return createButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    // Asked on Create; false keeps the panel running with its choices (optional: none lets
    // Create end it).
    void setCreateCheck(std::function<bool()> check) { createCheck_ = std::move(check); }

    void channelPanelAddCreate();
    void channelPanelAddCancel() { done(kCancel); }

public slots:
    void reject() override { channelPanelAddCancel(); }

private:
    Kind kind_;
    std::function<bool()> createCheck_;
    // Qt children of the panel.
    QLineEdit* nameField_ = nullptr;
    QLineEdit* spaceField_ = nullptr;
    ZEVChannelPanelControls* controls_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace tallomer
