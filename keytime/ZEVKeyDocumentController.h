#pragma once
// The open KeyTime documents, each with its one window, and the current one: the document whose
// window was active last and is still open. New, Open, Save, Save As and Add Step of the main
// menu act through it; closing a window or quitting with changes asks Save, Don't Save or
// Cancel, and Cancel keeps everything open.

#include "keytime/ZEVKeyDocument.h"
#include "keytime/ZEVKeyWindowController.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace tallomer {

class ZEVKeyTimeSpace;

class ZEVKeyDocumentController final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<ZEVKeyTimeSpace*()> space;
        std::function<void()> beep;
        // An alert with these buttons (the first is the default); answers the index chosen.
        std::function<int(const QString& message, const QString& informative, const QStringList& buttons)> alert;
        // A file to open, or a path to save to; empty when the user cancelled. The defaults ask
        // in the desktop's file dialogs.
        std::function<QString(QWidget* parent)> chooseOpenPath;
        std::function<QString(QWidget* parent, const QString& suggested)> chooseSavePath;
        // Playback: the windows' Start and Stop, whether it runs, and a window going (closed, its
        // document closed, or destroyed).
        std::function<void()> startStop;
        std::function<bool()> running;
        std::function<void(ZEVKeyWindowController*)> windowWillClose;
    };

    explicit ZEVKeyDocumentController(Hooks hooks);
    ~ZEVKeyDocumentController() override;

    std::vector<ZEVKeyDocument*> documents() const;
    ZEVKeyDocument* currentDocument() const;
    ZEVKeyWindowController* windowFor(const ZEVKeyDocument* document) const;

    // ---- the menu's commands ----
    ZEVKeyDocument* newDocument();
    // Asks for the file; a file that is not a KeyTime document is refused in an alert naming it
    // and left as it is. A file already open brings its window to the front.
    ZEVKeyDocument* openDocument();
    ZEVKeyDocument* openDocumentAtPath(const QString& path);
    // True when written; a failure is told in an alert and the document stays modified.
    bool saveDocument(ZEVKeyDocument* document);
    bool saveDocumentAs(ZEVKeyDocument* document);
    // `keyTimeAddStep:`: a step added to the current document, whose window comes to the front.
    void addStep();

    // Asks about unsaved changes; true when the document may go (saved or changes dropped).
    bool confirmClose(ZEVKeyDocument* document);
    // Whether a document has unsaved changes (what is being typed counts).
    bool siModified();
    // Asks for each modified document, leaving every window open; false when the user cancelled.
    bool confirmCloseAll();
    // Before quitting: asks for each modified document; false when the user cancelled (nothing
    // was closed then).
    bool closeAllForQuit();

private:
    struct Open {
        std::unique_ptr<ZEVKeyDocument> document;
        // Owned here, and a child of the Space window, which may take it first when it goes.
        QPointer<ZEVKeyWindowController> window;
    };
    ZEVKeyDocument* adopt(std::unique_ptr<ZEVKeyDocument> document);
    void showWindow(ZEVKeyWindowController* window);
    // Removes the document once its window closed.
    void forget(ZEVKeyWindowController* window);
    int alert(const QString& message, const QString& informative, const QStringList& buttons);

    Hooks hooks_;
    std::vector<Open> open_;
    ZEVKeyDocument* current_ = nullptr; // one of open_
    bool quitting_ = false;
};

} // namespace tallomer
