#include "platform/sound/Sound.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <map>

namespace tallomer {

namespace {

Sound* g_shared = nullptr;

// The bell event of the sound theme: what a beep is, where a player exists.
const QString kBellId = QStringLiteral("bell");

QStringList themeSoundFolders()
{
    QStringList folders;
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/sounds/freedesktop/stereo");
    return folders;
}

} // namespace

Sound& Sound::shared()
{
    static SystemSound system;
    return g_shared ? *g_shared : system;
}

void Sound::setShared(Sound* sound) { g_shared = sound; }

QString soundThemeId(const QString& name)
{
    // The design's sounds by what they say: a small tick, an alert, a completion.
    static const std::map<QString, QString> ids{
        {QStringLiteral("Tink"), QStringLiteral("message")},
        {QStringLiteral("Pop"), QStringLiteral("message")},
        {QStringLiteral("Morse"), QStringLiteral("dialog-information")},
        {QStringLiteral("Ping"), QStringLiteral("dialog-information")},
        {QStringLiteral("Glass"), QStringLiteral("complete")},
        {QStringLiteral("Hero"), QStringLiteral("complete")},
        {QStringLiteral("Purr"), QStringLiteral("complete")},
        {QStringLiteral("Basso"), QStringLiteral("dialog-error")},
        {QStringLiteral("Funk"), QStringLiteral("dialog-warning")},
        {QStringLiteral("Sosumi"), QStringLiteral("dialog-warning")},
        {QStringLiteral("Blow"), QStringLiteral("dialog-warning")},
        {QStringLiteral("Bottle"), QStringLiteral("message-new-instant")},
        {QStringLiteral("Frog"), QStringLiteral("message-new-instant")},
        {QStringLiteral("Submarine"), QStringLiteral("message-new-instant")},
    };
    const auto it = ids.find(name);
    return it != ids.end() ? it->second : name.toLower();
}

SystemSound::SystemSound()
    : SystemSound([](const QString& program, const QStringList& arguments) {
                      return QProcess::startDetached(program, arguments);
                  },
                  [](const QString& program) { return QStandardPaths::findExecutable(program); },
                  themeSoundFolders())
{
}

SystemSound::SystemSound(Launcher launcher, Finder finder, QStringList soundFolders)
    : launcher_(std::move(launcher)), finder_(std::move(finder)), soundFolders_(std::move(soundFolders))
{
}

QString SystemSound::soundFileForId(const QString& id) const
{
    // The id comes from a table or from our own callers, but it still names one file only.
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.startsWith(QLatin1Char('.')))
        return QString();
    for (const QString& folder : soundFolders_)
        for (const char* extension : {".oga", ".ogg", ".wav"}) {
            const QString path = folder + QLatin1Char('/') + id + QLatin1String(extension);
            if (QFileInfo(path).isFile())
                return path;
        }
    return QString();
}

bool SystemSound::playThemeId(const QString& id)
{
    const QString canberra = finder_(QStringLiteral("canberra-gtk-play"));
    if (!canberra.isEmpty() && launcher_(canberra, {QStringLiteral("-i"), id}))
        return true;
    const QString paplay = finder_(QStringLiteral("paplay"));
    const QString file = paplay.isEmpty() ? QString() : soundFileForId(id);
    return !file.isEmpty() && launcher_(paplay, {file});
}

void SystemSound::beep()
{
    if (!playThemeId(kBellId))
        QApplication::beep();
}

void SystemSound::play(const QString& name)
{
    if (!playThemeId(soundThemeId(name)))
        QApplication::beep();
}

} // namespace tallomer
