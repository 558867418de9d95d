#pragma once
// The dialog that points a file Object's record at its file found again: the path the record
// holds, a proposed new path the user may edit or browse for, and Select (1), Cancel (2) or
// Delete (3, the caller deletes the Object).

#include <QDialog>
#include <QString>

#include <functional>

class KELI;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tallomer {

class ZEVItemData;

class ZEVRetrieveItemPanel final : public QDialog {
public:
    static constexpr int kSelect = 1;
    static constexpr int kCancel = 2;
    static constexpr int kDelete = 3;

    // What Browse shows: the folder it starts in, its title and its accept button; it answers
    // the chosen path, empty for Cancel. Tests put their own in place of the dialog.
    using Browser = std::function<QString(const QString& directory, const QString& title, const QString& prompt)>;
    static Browser setBrowser(Browser browser);

    // `item` is not owned and outlives the panel.
    explicit ZEVRetrieveItemPanel(KELI* item, QWidget* parent = nullptr);
    ~ZEVRetrieveItemPanel() override;

    int runModal();
    // The accepted file, absolute; empty until Select was accepted.
    QString newFileURL() const { return newFileURL_; }

    void buttonBrowse();
    void buttonSelect();
    void buttonCancel();
    void buttonDelete();

    QLineEdit* oldPathTextField() const { return oldPath_; }
    QLineEdit* newPathTextField() const { return newPath_; }
    QLabel* messageTextField() const { return message_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* selectButton() const { return select_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* deleteButton() const { return delete_; }

private:
    // The Object's own Channel's store; the current one for an Object of no Channel.
    ZEVItemData& store() const;
    void showMessage(const QString& text);

    KELI* item_;
    QString oldPathText_;
    QString newFileURL_;
    QLineEdit* oldPath_ = nullptr;
    QLineEdit* newPath_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* select_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* delete_ = nullptr;
};

} // namespace tallomer
