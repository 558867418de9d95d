#pragma once
// The small modal panel of a stroll back through the history: it names the mark shown, and its
// Select button keeps that place while Cancel returns to where the stroll began. Its arrow keys
// step: with Meta, up is newer and down older; without, they move the Channel selection, which
// records no mark.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tallomer {

class ZEVMarkHistoryViewer;

class ZEVMarkScannPanel final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSelect = 1;
    static constexpr int kCancel = 2;

    // `viewer` is not owned and outlives the panel.
    ZEVMarkScannPanel(ZEVMarkHistoryViewer& viewer, const QString& message, QWidget* parent);

    // Runs the panel's modal loop; answers the code it stopped with.
    int runModal();
    void buttonSelect() { done(kSelect); }
    void buttonCancel() { done(kCancel); }
    // A null message is ignored.
    void setMessage(const QString& message);
    QString message() const;
    QPushButton* selectButton() const { return selectBtn_; }
    QPushButton* cancelButton() const { return cancelBtn_; }

    // The window's close button cancels: the stroll ends where it began, not at the mark shown.
    void reject() override { buttonCancel(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ZEVMarkHistoryViewer& viewer_; // not owned
    QLabel* messageTextField_;
    QPushButton* selectBtn_;
    QPushButton* cancelBtn_;
};

} // namespace tallomer
