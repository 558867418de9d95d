#pragma once
// The desktop's services for files and web addresses: open one with the program the desktop
// chooses, show a file in the file manager, show the file manager's properties window for it.
// Files and addresses open through QDesktopServices (xdg-open or the portal); the file manager is
// reached by org.freedesktop.FileManager1 on the session bus, without waiting for its answer.
// The application installs the system's; unit tests install a RecordingDesktop.

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

namespace tallomer {

class Desktop {
public:
    virtual ~Desktop() = default;
    // False when it cannot be opened. A local file is looked at first: the desktop's opener
    // reports success for a file that is not there.
    virtual bool openUrl(const QUrl& url) = 0;
    // The file selected in a file manager window; with no file manager on the bus (or an error
    // from it) its folder opens instead.
    virtual void reveal(const QString& path) = 0;
    // The file manager's properties window for the file; with none, a log line and a beep.
    virtual void showInfo(const QString& path) = 0;

    // Whether opening the file would start a program: a desktop launcher, or a file that may be
    // executed (not a folder).
    static bool siRunsProgram(const QString& path);

    // The installed desktop; nullptr until the application installs one. Not owned.
    static Desktop* shared();
    static void setShared(Desktop* desktop);
};

class SystemDesktop final : public Desktop {
public:
    static constexpr const char* kService = "org.freedesktop.FileManager1";
    static constexpr const char* kPath = "/org/freedesktop/FileManager1";

    // `bus` is the session bus the file manager is looked for on.
    explicit SystemDesktop(QDBusConnection bus);

    bool openUrl(const QUrl& url) override;
    void reveal(const QString& path) override;
    void showInfo(const QString& path) override;

private:
    // Calls the file manager's method with the file's URI; `fallback` runs when no answer came.
    void callFileManager(const QString& method, const QString& path, std::function<void()> fallback);
    QDBusConnection bus_;
};

// Keeps what would have been asked of the desktop; for unit tests.
class RecordingDesktop final : public Desktop {
public:
    bool openUrl(const QUrl& url) override { return opened.push_back(url), opens; }
    void reveal(const QString& path) override { revealed << path; }
    void showInfo(const QString& path) override { infos << path; }

    bool opens = true;
    std::vector<QUrl> opened;
    QStringList revealed;
    QStringList infos;
};

} // namespace tallomer
