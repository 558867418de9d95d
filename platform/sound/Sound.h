#pragma once
// Sounds: the system beep and named system sounds ("Tink", "Morse", ...). Played through the
// freedesktop sound theme with canberra-gtk-play or paplay when one of them is installed, else
// by the window system's beep. Every caller goes through Sound::shared(), which tests replace by
// a recording sink.

#include <QString>
#include <QStringList>

#include <functional>

namespace tallomer {

class Sound {
public:
    virtual ~Sound() = default;
    virtual void beep() = 0;
    virtual void play(const QString& name) = 0;

    // The program's sound; the system's unless replaced. Not owned; nullptr restores the system's.
    static Sound& shared();
    static void setShared(Sound* sound);
};

// The freedesktop sound theme's event id for one of the design's named sounds; the name itself,
// lower-cased, for one it does not know.
QString soundThemeId(const QString& name);

class SystemSound final : public Sound {
public:
    // How a sound is started: a program and its arguments, never waited for. The default starts
    // it detached; answers whether it started.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;
    // Where a program is looked for (default: the PATH); an empty answer for none.
    using Finder = std::function<QString(const QString& program)>;

    SystemSound();
    SystemSound(Launcher launcher, Finder finder, QStringList soundFolders);

    void beep() override;
    void play(const QString& name) override;

    // The sound file of a theme event for paplay, from the "freedesktop" theme's folders; "" for none.
    QString soundFileForId(const QString& id) const;

private:
    // Whether a player took the event; the caller beeps otherwise.
    bool playThemeId(const QString& id);

    Launcher launcher_;
    Finder finder_;
    QStringList soundFolders_;
};

// Keeps what would have been heard, for tests.
class RecordingSound final : public Sound {
public:
    void beep() override { ++beeps; }
    void play(const QString& name) override { played << name; }

    int beeps = 0;
    QStringList played;
};

} // namespace tallomer
