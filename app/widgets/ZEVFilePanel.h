#pragma once
// The save, open and folder panels of the whole-store commands.
//
// Like ZEVAlert, tests (and any caller that must not block on a human) install an answerer; while
// one is installed no dialog is shown and the answerer gives the chosen path ("" for Cancel).

#include <QString>
#include <QStringList>

#include <functional>

namespace tallomer {

struct ZEVFilePanelRequest {
    enum class Kind { Save, Open, Folder, FilesAndFolders };
    Kind kind = Kind::Open;
    QString title;
    QString prompt;    // the accepting button's text
    QString message;   // shown above the list, when given
    QString directory; // where the panel starts
    QString suffix;    // the one allowed file type ("zip"); empty for folders
    QString name;      // a save panel's name field at the start
    bool noOverwriteQuestion = false; // the caller settles names already taken itself
};

class ZEVFilePanel {
public:
    using Answerer = std::function<QString(const ZEVFilePanelRequest&)>;

    // The chosen path, absolute; empty when the user cancelled. A saved file gets the suffix
    // when its name has none.
    static QString run(const ZEVFilePanelRequest& request);

    static Answerer setAnswerer(Answerer answerer);

    // Several files and folders at once (Kind::FilesAndFolders): the chosen paths, absolute, in
    // the dialog's order; empty when the user cancelled. An installed answerer gives them one a
    // line.
    static QStringList runMany(const ZEVFilePanelRequest& request);
};

class ScopedFilePanelAnswerer {
public:
    explicit ScopedFilePanelAnswerer(ZEVFilePanel::Answerer a) : previous_(ZEVFilePanel::setAnswerer(std::move(a))) {}
    ~ScopedFilePanelAnswerer() { ZEVFilePanel::setAnswerer(std::move(previous_)); }
    ScopedFilePanelAnswerer(const ScopedFilePanelAnswerer&) = delete;
    ScopedFilePanelAnswerer& operator=(const ScopedFilePanelAnswerer&) = delete;

private:
    ZEVFilePanel::Answerer previous_;
};

} // namespace tallomer
