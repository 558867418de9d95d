#include "platform/desktop/Desktop.h"

#include "platform/sound/Sound.h"
#include "runtime/Log.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace tallomer {

namespace {

Desktop* installed = nullptr;

void tell(const Desktop::Failed& failed, const QString& why)
{
    if (failed)
        failed(why);
}

// The opener's own words for its failure: the last line it wrote, bounded.
QString lastLine(const QByteArray& output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.isEmpty() ? QByteArray() : lines.last().trimmed().left(300));
}

} // namespace

Desktop* Desktop::shared() { return installed; }
void Desktop::setShared(Desktop* desktop) { installed = desktop; }

bool Desktop::siRunsProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    if (info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0 || info.isExecutable())
        return true;
    // A script runs through its interpreter whatever its mode bits, once something hands it over.
    // Only a plain file is read: a named pipe would hold the program until something wrote to it.
    QFile file(path);
    if (info.isFile() && file.open(QIODevice::ReadOnly) && file.read(2) == "#!")
        return true;
    // The desktop picks what to do by the content's type, not the name: a launcher or a program
    // named like a document still runs.
    static const char* const programs[] = {"application/x-desktop",     "application/x-executable",
                                           "application/x-shellscript", "application/x-sharedlib",
                                           "application/x-pie-executable",
                                           "application/x-ms-dos-executable", "application/vnd.appimage",
                                           "application/x-msi",         "application/x-java-archive"};
    const QMimeDatabase db;
    for (const QMimeType& type : {db.mimeTypeForFile(info, QMimeDatabase::MatchContent),
                                  db.mimeTypeForFile(info, QMimeDatabase::MatchDefault)})
        for (const char* program : programs)
            if (type.inherits(QString::fromLatin1(program)))
                return true;
    return false;
}

bool Desktop::openUrl(const QUrl& url, Failed failed)
{
    if (!url.isValid() || url.isEmpty()) {
        tell(failed, QStringLiteral("it has no address"));
        return false;
    }
    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        if (!QFileInfo::exists(path)) {
            tell(failed, QStringLiteral("there is no file at %1").arg(path));
            return false;
        }
        if (siRunsProgram(path) && !(confirmRun_ && confirmRun_(path)))
            return false;
    }
    return launch(url, std::move(failed));
}

DesktopOpener DesktopOpener::find()
{
    const QString xdg = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdg.isEmpty())
        return {xdg, {}};
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty())
        return {gio, {QStringLiteral("open")}};
    return {};
}

SystemDesktop::SystemDesktop(QDBusConnection bus, DesktopOpener opener)
    : bus_(std::move(bus)), opener_(std::move(opener))
{
}

SystemDesktop::~SystemDesktop()
{
    for (QProcess* p : running_.findChildren<QProcess*>()) {
        p->disconnect();
        p->kill();
        p->waitForFinished(1000);
    }
}

bool SystemDesktop::launch(const QUrl& url, Failed failed)
{
    const QString shown = url.isLocalFile() ? url.toLocalFile() : url.toString();
    if (opener_.program.isEmpty()) {
        if (QDesktopServices::openUrl(url))
            return true;
        tell(failed, QStringLiteral("no program on this system opens %1").arg(shown));
        return false;
    }
    auto* p = new QProcess(&running_);
    p->setProgram(opener_.program);
    p->setArguments(opener_.arguments + QStringList{url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardOutputFile(QProcess::nullDevice());
    const QString program = QFileInfo(opener_.program).fileName();
    // What it says is read as it comes: an opener that waits for the program it started must never
    // block on a full pipe. Only the end is kept.
    auto said = std::make_shared<QByteArray>();
    QObject::connect(p, &QProcess::readyReadStandardError, p, [p, said] {
        said->append(p->readAllStandardError());
        if (said->size() > 4096)
            *said = said->right(4096);
    });
    QObject::connect(p, &QProcess::finished, p, [p, failed, shown, program, said](int code, QProcess::ExitStatus status) {
        p->deleteLater();
        if (status == QProcess::NormalExit && code == 0)
            return;
        said->append(p->readAllStandardError());
        const QString words = lastLine(*said);
        logFormat("Desktop open: %s ended with %d for %s: %s", qUtf8Printable(program), code, qUtf8Printable(shown),
                  qUtf8Printable(words));
        tell(failed, words.isEmpty() ? QStringLiteral("no program on this system opens %1").arg(shown) : words);
    });
    p->start();
    if (!p->waitForStarted(5000)) {
        const QString why = p->errorString();
        p->disconnect();
        delete p;
        logFormat("Desktop open: %s cannot be started: %s", qUtf8Printable(program), qUtf8Printable(why));
        tell(failed, QStringLiteral("the desktop's opener (%1) cannot be started: %2").arg(program, why));
        return false;
    }
    return true;
}

void SystemDesktop::reveal(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    // The answer never outlives this desktop: its watcher goes with it.
    callFileManager(QStringLiteral("ShowItems"), path, [this, folder] {
        if (!openUrl(QUrl::fromLocalFile(folder)))
            logFormat("Desktop reveal: the folder %s could not be opened", qUtf8Printable(folder));
    });
}

void SystemDesktop::showInfo(const QString& path, Failed failed)
{
    callFileManager(QStringLiteral("ShowItemProperties"), path, [path, failed] {
        logFormat("Desktop showInfo: no file manager shows the properties of %s", qUtf8Printable(path));
        if (failed)
            failed(QStringLiteral("no file manager shows the properties of %1").arg(path));
        else
            Sound::shared().beep();
    });
}

void SystemDesktop::callFileManager(const QString& method, const QString& path, std::function<void()> fallback)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), method);
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    if (!bus_.isConnected()) {
        fallback();
        return;
    }
    // No owner answers at once with an error; a hung file manager with a timeout's error.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &running_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, method, fallback = std::move(fallback)] {
                         watcher->deleteLater();
                         if (watcher->isError()) {
                             logFormat("Desktop %s: %s", qUtf8Printable(method),
                                       qUtf8Printable(watcher->error().message()));
                             fallback();
                         }
                     });
}

} // namespace tallomer
