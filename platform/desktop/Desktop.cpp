#include "platform/desktop/Desktop.h"

#include "platform/sound/Sound.h"
#include "runtime/Log.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

namespace tallomer {

namespace {

Desktop* installed = nullptr;

bool openChecked(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace

Desktop* Desktop::shared() { return installed; }
void Desktop::setShared(Desktop* desktop) { installed = desktop; }

bool Desktop::siRunsProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    return info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0 || info.isExecutable();
}

SystemDesktop::SystemDesktop(QDBusConnection bus) : bus_(std::move(bus)) {}

bool SystemDesktop::openUrl(const QUrl& url) { return openChecked(url); }

void SystemDesktop::reveal(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    // The answer may come after this desktop went: the fallback keeps nothing of it.
    callFileManager(QStringLiteral("ShowItems"), path, [folder] {
        if (!openChecked(QUrl::fromLocalFile(folder)))
            logFormat("Desktop reveal: the folder %s could not be opened", qUtf8Printable(folder));
    });
}

void SystemDesktop::showInfo(const QString& path)
{
    callFileManager(QStringLiteral("ShowItemProperties"), path, [path] {
        logFormat("Desktop showInfo: no file manager shows the properties of %s", qUtf8Printable(path));
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
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), nullptr);
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
