#pragma once
// The Contacts inspector's people pickers and its add panel. The add panel is a dialog built in
// code around a picker: the go-to and duration pop-ups, Cancel and Add. Its wheel travels in time
// (the ruler viewer's), wherever it turns over the panel: the panel itself never scrolls by it.
// The retrieve panel offers a picker to bind a contact Object whose card has gone to another one.

#include "platform/contacts/PeoplePicker.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace tallomer {

class VCardFolder;
class ZEVPersonViewer;
class ZEVRulerViewerServices;

// The picker inside the Contacts panels; mouse presses go to the base picker unchanged.
class ZEVPersonPickerView final : public PeoplePicker {
    Q_OBJECT
public:
    // Neither is owned.
    ZEVPersonPickerView(ZEVPersonViewer* personViewer, VCardFolder* book, QWidget* parent = nullptr)
        : PeoplePicker(book, parent), personViewer_(personViewer)
    {
    }
    ZEVPersonViewer* personViewer() const { return personViewer_; }

private:
    ZEVPersonViewer* personViewer_; // not owned
};

class ZEVPersonAddPanel final : public QDialog {
    Q_OBJECT
public:
    // The space between the Add button and the window's right edge, and between the two buttons.
    static constexpr int kRightMargin = 20;
    static constexpr int kButtonGap = 5;

    ZEVPersonAddPanel(ZEVPersonViewer* personViewer, VCardFolder* book, QWidget* parent);

    // Not owned; nullptr: the wheel does nothing.
    void setRulerViewer(ZEVRulerViewerServices* ruler) { rulerViewer_ = ruler; }
    ZEVRulerViewerServices* rulerViewer() const { return rulerViewer_; }

    ZEVPersonPickerView* picker() const { return picker_; }
    QComboBox* goToPopUp() const { return goTo_; }
    QComboBox* durationPopUp() const { return duration_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The pop-up's item of that tag selected, quietly; the one tagged 0 for an unknown tag.
    static void selectTag(QComboBox* popUp, long tag);
    static long selectedTag(QComboBox* popUp);
    // The Add button titled and sized to fit, then both buttons right-aligned.
    void setAddTitle(const QString& title, bool enabled);
    void placeButtons();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ZEVRulerViewerServices* rulerViewer_ = nullptr; // not owned
    ZEVPersonPickerView* picker_;
    QComboBox* goTo_;
    QComboBox* duration_;
    QPushButton* cancel_;
    QPushButton* add_;
};

// The retrieve panel: "Select a Contact for "title"", a picker searching that title, Cancel and
// Select. Made each time it opens.
class ZEVPersonRetrievePanel final : public QDialog {
    Q_OBJECT
public:
    ZEVPersonRetrievePanel(ZEVPersonViewer* personViewer, VCardFolder* book, const QString& title, QWidget* parent);

    ZEVPersonPickerView* picker() const { return picker_; }
    QLabel* prompt() const { return prompt_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    ZEVPersonPickerView* picker_;
    QLabel* prompt_;
    QPushButton* cancel_;
    QPushButton* select_;
};

} // namespace tallomer
