#pragma once
// The Add Documents panel and the new-folder panel of the front layer: file panels of the
// program's own look (never the desktop's), whose wheel moves the time ruler instead of the file
// list, so the user can travel in time while one is up. While the Add Documents panel is up, the
// file last chosen moves the Search cursor to its date (by the go-to kind) and the chosen files
// already on the desk flick; on OK the files go to the collect grid at the pointer. The new
// folder is made in the chosen parent under the typed name, and goes to the grid too unless it
// was made in the drop folder.
//
// Both panels are modal but do not block: the answer arrives through their signals.

#include "runtime/Date.h"
#include "space/ZEVGoToFileDate.h"
#include "runtime/Scheduler.h"

#include <QDateTime>
#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

namespace tallomer {

class ZEVPanelWheel;
class ZEVRulerViewerServices;
class ZEVSpaceController;

// The name a new folder is made under: the typed text trimmed. None for an empty name, "." or
// "..", or a name holding "/" or NUL: those would not name one new folder inside the parent.
std::optional<QString> newFolderNameFrom(const QString& typed);

// What keeps `typed` from naming a new folder made in `parent`, in words for the user; empty when
// nothing does. Checked again when the folder is made, as the disk may change meanwhile.
QString newFolderProblem(const QString& parent, const QString& typed);

// The Add Documents panel's accepting button for n chosen files.
QString addPromptForCount(qsizetype n);

// The file panel of both: its own look, several choices of files and folders together, and the
// wheel over its empty areas handed to the ruler (its lists and fields scroll as usual).
class ZEVFrontFilePanel : public QFileDialog {
public:
    ZEVFrontFilePanel(QWidget* parent, const QString& title, const QString& directory);
    // Not owned; nullptr: the wheel does nothing.
    void setRulerViewer(ZEVRulerViewerServices* ruler) { ruler_ = ruler; }
    // What the panel chose on OK, absolute, in the panel's order.
    const QStringList& chosen() const { return chosen_; }
    // The line under the title that tells what to choose.
    void setMessage(const QString& message);
    // Where the accessory controls go, under the file list.
    void addAccessory(QWidget* accessory);
    // Whether OK takes a chosen folder as it takes a file (the default), or opens it to choose
    // files inside, as a panel of files only does.
    void setChoosesFolders(bool chooses) { choosesFolders_ = chooses; }

protected:
    void accept() override;
    // Whether OK may close the panel; a refusal keeps it up.
    virtual bool shouldAccept() { return true; }

private:
    ZEVRulerViewerServices* ruler_ = nullptr;
    ZEVPanelWheel* wheel_ = nullptr; // owned by the panel
    QStringList chosen_;
    bool choosesFolders_ = true;
};

class ZEVFrontAddPanel final : public ZEVFrontFilePanel {
public:
    static constexpr const char* kTitle = "Add Documents\u2026";
    ZEVFrontAddPanel(QWidget* parent, const QString& directory);
    QComboBox* goToPopUp() const { return goTo_; }
    QComboBox* durationPopUp() const { return duration_; }

private:
    QComboBox* goTo_ = nullptr;
    QComboBox* duration_ = nullptr;
};

class ZEVFrontNewDirPanel final : public ZEVFrontFilePanel {
public:
    static constexpr const char* kTitle = "Add a new Folder\u2026";
    // Makes the folder `name` in `parent`; answers what went wrong, empty once it is made.
    using Maker = std::function<QString(const QString& parent, const QString& name)>;
    ZEVFrontNewDirPanel(QWidget* parent, const QString& directory);
    QLineEdit* nameField() const { return name_; }
    // The name of the folder to make, valid by newFolderNameFrom once accepted.
    QString folderName() const;
    // The parent the panel would make the folder in: the chosen folder, else the one shown.
    QString parentFolder() const;
    // Without a maker OK only checks the name.
    void setMaker(Maker make) { make_ = std::move(make); }
    // The name field takes the focus with its text selected, unless the user has typed in it.
    void focusName();

protected:
    bool shouldAccept() override;

private:
    QLineEdit* name_ = nullptr;
    Maker make_;
};

// The front layer's side of both panels: makes and runs them, follows their selection, and
// carries out their answer.
class ZEVFrontPanels final : public QObject {
public:
    // `space` is not owned and outlives the panels.
    explicit ZEVFrontPanels(ZEVSpaceController& space);
    ~ZEVFrontPanels() override;

    // The Add Documents panel, starting in `folder`.
    void buttonAddWithUrl(const QString& folder);
    // The same panel for an inspector's files, titled and worded by it; `done` gets the chosen
    // files on OK. Go-to mode is counted on while it is up.
    // `follow`, when given, takes over the panel's pop-ups and selection follow-up (a panel
    // counting its own kind of Object).
    void buttonAddFilesWithUrl(const QString& folder, const QString& title, const QString& message,
                               std::function<void(const QStringList&)> done,
                               std::function<void(QFileDialog*)> follow = {});
    // The parent-folder panel of a new folder, starting in `folder` (empty: Documents).
    void addNewFolder(const QString& folder);

    ZEVFrontAddPanel* openPanel() const { return openPanel_.data(); }
    ZEVFrontNewDirPanel* newDirPanel() const { return newDirPanel_.data(); }
    const QStringList& openPanelSelections() const { return selections_; }
    const QString& previousURL() const { return previousURL_; }

    // A panel's selection changed: the follow-up runs 0.1 s after the last change.
    void panelSelectionDidChange(ZEVFrontFilePanel* panel);
    // The follow-up itself; nothing once the panel is closed.
    void _panelSelectionDidChange(ZEVFrontFilePanel* panel);
    // The go-to popup's choice.
    void popUpGoToChange(long tag);
    void popUpDurationChange(long tag);

    // The new folder `name` in `parent`; what went wrong (logged) when it could not be made,
    // empty once it is made.
    QString makeNewFolder(const QString& parent, const QString& name);

    static constexpr double kFollowUpDelay = 0.1;
    static constexpr double kNameFocusDelay = 0.3;

private:
    // The files go to the collect grid at that point of the desk.
    void added(const QStringList& paths, const QPointF& at);
    // The add panel with its pop-ups and selection follow-up wired, not yet open.
    ZEVFrontAddPanel* makeAddPanel(const QString& folder);
    void flick(const QStringList& paths);
    // The time line centred on t when t lies outside it.
    void centreTlineOn(KELDate t);
    void selectTag(QComboBox* popUp, long tag);
    QWidget* windowForPanels() const;

    ZEVSpaceController& space_; // not owned
    QPointer<ZEVFrontAddPanel> openPanel_;
    QPointer<ZEVFrontNewDirPanel> newDirPanel_;
    QStringList selections_;
    QString previousURL_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
