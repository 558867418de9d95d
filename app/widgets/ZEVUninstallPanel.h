#pragma once
// The uninstall dialog, and what it does while the program still runs: it moves the Objects'
// stored files out of the store into a folder the user picks, and leaves there a link to each file
// Object's file and a .webloc file for each web Object. The removals themselves wait for the end
// of the quit sequence (KELWholeStore).
//
// Its static CreateWeblocFileWithURL is the program's one writer of .webloc files.

#include "engine/KELTypes.h"
#include "platform/files/FileMoves.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tallomer {

class ZEVUninstallPanel : public QDialog {
    Q_OBJECT
public:
    struct Folders {
        QString zevDir;  // the store folder
        QString zevDrop; // the Objects' stored files, one folder per Channel
        QString zevData; // the Objects' records, one folder per Channel
    };
    // An Object's title as the timeline cursor sees it; "" for none.
    using TitleReader = std::function<QString(KELId item)>;

    ZEVUninstallPanel(Folders folders, TitleReader titles, QWidget* parent = nullptr);
    ~ZEVUninstallPanel() override;

    // 1 when the user chose Uninstall, 0 for Cancel.
    int runModal();
    // The count shown in the dialog: the stored files the move takes, but wallpaper copies.
    static qint64 storedFileCount(const QString& zevDrop);
    // Sets the boxes and label from the count, as runModal does before it shows.
    void prepare();

    bool siRemoveUserPref() const;
    bool siExportZevItems() const;
    bool siExportZevAlias() const;

    // Into folder/"Tallomer Objects"/<Channel>/: YES when every stored file was moved.
    bool backupAllZevItemsAtURL(const QString& folder);
    // Into folder/"Tallomer Alias"/: YES when every link was made.
    bool backupAllZevAliasAtURL(const QString& folder);

    // Writes a new .webloc file at exactly `path` (never replacing one there); true when written.
    static bool CreateWeblocFileWithURL(const QString& url, const QString& path);

    // "name (1).ext"; "name (1)." for a name without extension.
    static QString numberedName(const QString& name, int n);

    // Moves go through this rename (tests put failures in its place).
    void setRename(RenameFn rename) { rename_ = std::move(rename); }

    QCheckBox* itemsCheckBox() const { return itemsCheckBox_; }
    QCheckBox* aliasCheckBox() const { return aliasCheckBox_; }
    QCheckBox* prefCheckBox() const { return prefCheckBox_; }
    QLabel* itemsLabel() const { return itemsLabel_; }
    QPushButton* uninstallButton() const { return uninstallButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void exportZevItems();

    Folders folders_;
    TitleReader titles_;
    RenameFn rename_ = systemRename();
    QCheckBox* itemsCheckBox_ = nullptr;
    QCheckBox* aliasCheckBox_ = nullptr;
    QCheckBox* prefCheckBox_ = nullptr;
    QLabel* itemsLabel_ = nullptr;
    QPushButton* uninstallButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace tallomer
