#pragma once
// The desktop's services for files and web addresses: open one with the program the desktop
// chooses, show a file in the file manager, show the file manager's properties window for it.
// Files and addresses are handed to the desktop's opener (xdg-open, else `gio open`), whose exit
// tells whether anything opened them; without either, to QDesktopServices (the portal). The file
// manager is reached by org.freedesktop.FileManager1 on the session bus, without waiting for its
// answer. The application installs the system's; unit tests install a RecordingDesktop.
//
// Every opening passes through Desktop::openUrl, which asks before a file that would run a
// program is handed over: nothing else in the program hands files to the desktop.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

namespace tallomer {

class Desktop {
public:
    // Told why a file or an address could not be opened (or its properties shown).
    using Failed = std::function<void(const QString& why)>;
    // Asked before a file that would run a program is handed over; true lets it run.
    using ConfirmRun = std::function<bool(const QString& path)>;

    virtual ~Desktop() = default;
    // Hands a file or an address to the desktop. False when nothing was handed over: no such
    // file, a program the user chose not to run, no opener. `failed` is told why, at once or
    // when the opener ended without opening it; a program the user declined is no failure. A
    // local file is looked at first: the desktop's opener reports success for a file that is not
    // there.
    bool openUrl(const QUrl& url, Failed failed = {});
    // The file selected in a file manager window; with no file manager on the bus (or an error
    // from it) its folder opens instead.
    virtual void reveal(const QString& path) = 0;
    // The file manager's properties window for the file; with none, `failed` is told (without
    // one, a log line and a beep).
    virtual void showInfo(const QString& path, Failed failed = {}) = 0;

    // Whether opening the file would start a program: a desktop launcher, a file that may be
    // executed, a script (it starts with "#!") or a file whose content is a program.
    static bool siRunsProgram(const QString& path);

    // Who is asked before a program runs; with nobody, programs are never run.
    void setConfirmRun(ConfirmRun confirm) { confirmRun_ = std::move(confirm); }

    // The installed desktop; nullptr until the application installs one. Not owned.
    static Desktop* shared();
    static void setShared(Desktop* desktop);

protected:
    // Hands over what openUrl let through.
    virtual bool launch(const QUrl& url, Failed failed) = 0;

private:
    ConfirmRun confirmRun_;
};

// The program that opens files and addresses for the desktop, with the arguments that go before
// the address; no program: QDesktopServices.
struct DesktopOpener {
    QString program;
    QStringList arguments;

    // xdg-open, else `gio open`, as found on the PATH; none when neither is there.
    static DesktopOpener find();
};

class SystemDesktop final : public Desktop {
public:
    static constexpr const char* kService = "org.freedesktop.FileManager1";
    static constexpr const char* kPath = "/org/freedesktop/FileManager1";

    // `bus` is the session bus the file manager is looked for on; `opener` what opens files and
    // addresses (QDesktopServices unless told).
    explicit SystemDesktop(QDBusConnection bus, DesktopOpener opener = {});
    // Openers still running are stopped, and answers of the file manager no longer awaited: they
    // would have nobody to go to.
    ~SystemDesktop() override;

    void reveal(const QString& path) override;
    void showInfo(const QString& path, Failed failed = {}) override;

protected:
    bool launch(const QUrl& url, Failed failed) override;

private:
    // Calls the file manager's method with the file's URI; `fallback` runs when no answer came.
    void callFileManager(const QString& method, const QString& path, std::function<void()> fallback);
    QDBusConnection bus_;
    DesktopOpener opener_;
    QObject running_; // parent of the opener processes and the file manager calls still running
};

// Keeps what would have been asked of the desktop; for unit tests.
class RecordingDesktop final : public Desktop {
public:
    void reveal(const QString& path) override { revealed << path; }
    void showInfo(const QString& path, Failed failed = {}) override
    {
        infos << path;
        if (!shows && failed)
            failed(QStringLiteral("no file manager"));
    }

    bool opens = true;
    bool shows = true;
    std::vector<QUrl> opened;
    QStringList revealed;
    QStringList infos;

protected:
    bool launch(const QUrl& url, Failed failed) override
    {
        opened.push_back(url);
        if (!opens && failed)
            failed(QStringLiteral("no program opens it"));
        return opens;
    }
};

} // namespace tallomer
