#include "keytime/ZEVKeyDocumentController.h"

#include "runtime/Log.h"
#include "services/ZEVKeyTimeSpace.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace tallomer {

namespace {

const QString kFilter = QStringLiteral("KeyTime documents (*.keytime)");

QString defaultOpenPath(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open KeyTime Document"), QDir::homePath(), kFilter,
                                        nullptr, QFileDialog::DontUseNativeDialog);
}

QString defaultSavePath(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save KeyTime Document"), suggested, kFilter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

} // namespace

ZEVKeyDocumentController::ZEVKeyDocumentController(Hooks hooks) : hooks_(std::move(hooks))
{
    if (!hooks_.chooseOpenPath)
        hooks_.chooseOpenPath = defaultOpenPath;
    if (!hooks_.chooseSavePath)
        hooks_.chooseSavePath = defaultSavePath;
}

ZEVKeyDocumentController::~ZEVKeyDocumentController()
{
    // Windows first: they hold their documents.
    for (Open& o : open_)
        delete o.window.data();
}

std::vector<ZEVKeyDocument*> ZEVKeyDocumentController::documents() const
{
    std::vector<ZEVKeyDocument*> out;
    for (const Open& o : open_)
        out.push_back(o.document.get());
    return out;
}

ZEVKeyDocument* ZEVKeyDocumentController::currentDocument() const { return current_; }

ZEVKeyWindowController* ZEVKeyDocumentController::windowFor(const ZEVKeyDocument* document) const
{
    for (const Open& o : open_)
        if (o.document.get() == document)
            return o.window.data();
    return nullptr;
}

int ZEVKeyDocumentController::alert(const QString& message, const QString& informative, const QStringList& buttons)
{
    if (hooks_.alert)
        return hooks_.alert(message, informative, buttons);
    QMessageBox box;
    box.setText(message);
    box.setInformativeText(informative);
    QList<QAbstractButton*> list;
    for (const QString& b : buttons)
        list << box.addButton(b, QMessageBox::AcceptRole);
    box.exec();
    const int i = int(list.indexOf(box.clickedButton()));
    return i < 0 ? int(buttons.size()) - 1 : i;
}

ZEVKeyDocument* ZEVKeyDocumentController::adopt(std::unique_ptr<ZEVKeyDocument> document)
{
    ZEVKeyTimeSpace* space = hooks_.space ? hooks_.space() : nullptr;
    QWidget* parent = space ? space->spaceWindow() : nullptr;
    ZEVKeyWindowController::Hooks wh;
    wh.space = hooks_.space;
    wh.beep = hooks_.beep;
    wh.shouldClose = [this](ZEVKeyWindowController* w) {
        if (!quitting_ && !confirmClose(&w->document()))
            return false;
        // Playback stops before its window goes.
        if (hooks_.windowWillClose)
            hooks_.windowWillClose(w);
        // The window goes once its close event is over.
        QTimer::singleShot(0, this, [this, w] { forget(w); });
        return true;
    };
    wh.startStop = hooks_.startStop;
    wh.gone = hooks_.windowWillClose;
    wh.save = [this](ZEVKeyWindowController* w) { saveDocument(&w->document()); };
    wh.activated = [this](ZEVKeyWindowController* w) { current_ = &w->document(); };
    ZEVKeyDocument* doc = document.get();
    auto* w = new ZEVKeyWindowController(*doc, std::move(wh), parent);
    open_.push_back({std::move(document), w});
    current_ = doc;
    if (hooks_.running && hooks_.running())
        w->startHIDRemote();
    // A floating window beside the Space window, never over its menus.
    placement::placeBeside(w, parent);
    showWindow(w);
    return doc;
}

void ZEVKeyDocumentController::showWindow(ZEVKeyWindowController* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void ZEVKeyDocumentController::forget(ZEVKeyWindowController* window)
{
    for (auto it = open_.begin(); it != open_.end(); ++it) {
        if (it->window.data() != window)
            continue;
        if (current_ == it->document.get())
            current_ = nullptr;
        // Still shown means the close was taken back (or never happened).
        if (window->isVisible())
            return;
        delete it->window.data();
        open_.erase(it);
        break;
    }
    if (!current_ && !open_.empty())
        current_ = open_.back().document.get();
}

ZEVKeyDocument* ZEVKeyDocumentController::newDocument() { return adopt(std::make_unique<ZEVKeyDocument>()); }

ZEVKeyDocument* ZEVKeyDocumentController::openDocument()
{
    ZEVKeyTimeSpace* space = hooks_.space ? hooks_.space() : nullptr;
    const QString path = hooks_.chooseOpenPath(space ? space->spaceWindow() : nullptr);
    return path.isEmpty() ? nullptr : openDocumentAtPath(path);
}

ZEVKeyDocument* ZEVKeyDocumentController::openDocumentAtPath(const QString& path)
{
    const QString canonical = QFileInfo(path).absoluteFilePath();
    for (Open& o : open_)
        if (!o.document->filePath().isEmpty() && QFileInfo(o.document->filePath()).absoluteFilePath() == canonical) {
            current_ = o.document.get();
            if (o.window)
                showWindow(o.window.data());
            return o.document.get();
        }
    auto doc = std::make_unique<ZEVKeyDocument>();
    QString raison;
    const FileResult read = doc->readFromFile(canonical, &raison);
    if (!read) {
        logFormat("ZEVKeyDocumentController openDocument: %s", qPrintable(read.error));
        // The name in the message; its folder with the reason, as two files of one name may be
        // in reach.
        alert(QStringLiteral("The document \u201c%1\u201d could not be opened.").arg(QFileInfo(path).fileName()),
              QStringLiteral("%1 It is in \u201c%2\u201d and was left as it is.")
                  .arg(raison, QDir::toNativeSeparators(QFileInfo(canonical).absolutePath())),
              {QStringLiteral("OK")});
        return nullptr;
    }
    return adopt(std::move(doc));
}

bool ZEVKeyDocumentController::saveDocument(ZEVKeyDocument* document)
{
    if (!document)
        return false;
    if (ZEVKeyWindowController* w = windowFor(document))
        w->commitTyping();
    if (document->filePath().isEmpty())
        return saveDocumentAs(document);
    const FileResult written = document->writeToFile(document->filePath());
    if (!written) {
        logFormat("ZEVKeyDocumentController saveDocument: %s", qPrintable(written.error));
        alert(QStringLiteral("The document \u201c%1\u201d could not be saved.").arg(document->displayName()),
              written.error, {QStringLiteral("OK")});
        return false;
    }
    if (ZEVKeyWindowController* w = windowFor(document))
        w->updateTitle();
    return true;
}

bool ZEVKeyDocumentController::saveDocumentAs(ZEVKeyDocument* document)
{
    if (!document)
        return false;
    if (ZEVKeyWindowController* w = windowFor(document))
        w->commitTyping();
    const QString suggested = document->filePath().isEmpty()
                                  ? QDir::home().filePath(QStringLiteral("Untitled.keytime"))
                                  : document->filePath();
    QString path = hooks_.chooseSavePath(windowFor(document), suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".keytime");
    const FileResult written = document->writeToFile(path);
    if (!written) {
        logFormat("ZEVKeyDocumentController saveDocumentAs: %s", qPrintable(written.error));
        alert(QStringLiteral("The document \u201c%1\u201d could not be saved.").arg(QFileInfo(path).fileName()),
              written.error, {QStringLiteral("OK")});
        return false;
    }
    if (ZEVKeyWindowController* w = windowFor(document))
        w->updateTitle();
    return true;
}

void ZEVKeyDocumentController::addStep()
{
    ZEVKeyDocument* doc = current_;
    ZEVKeyWindowController* w = windowFor(doc);
    if (!doc || !w)
        return;
    showWindow(w);
    w->commitTyping();
    w->arrayController().add();
}

bool ZEVKeyDocumentController::confirmClose(ZEVKeyDocument* document)
{
    // A value still being typed is a change to ask about.
    if (ZEVKeyWindowController* w = windowFor(document))
        w->commitTyping();
    if (!document || !document->isModified())
        return true;
    const int answer = alert(
        QStringLiteral("Do you want to save the changes made to the document \u201c%1\u201d?").arg(document->displayName()),
        QStringLiteral("Your changes will be lost if you don\u2019t save them."),
        {QStringLiteral("Save"), QStringLiteral("Don\u2019t Save"), QStringLiteral("Cancel")});
    if (answer == 0)
        return saveDocument(document);
    return answer == 1;
}

bool ZEVKeyDocumentController::siModified()
{
    bool modified = false;
    for (const Open& o : open_) {
        if (o.window)
            o.window->commitTyping();
        modified = modified || (o.document && o.document->isModified());
    }
    return modified;
}

bool ZEVKeyDocumentController::confirmCloseAll()
{
    for (const Open& o : open_)
        if (!confirmClose(o.document.get()))
            return false;
    return true;
}

bool ZEVKeyDocumentController::closeAllForQuit()
{
    if (!confirmCloseAll())
        return false;
    quitting_ = true;
    for (Open& o : open_)
        if (o.window)
            o.window->hide();
    return true;
}

} // namespace tallomer
