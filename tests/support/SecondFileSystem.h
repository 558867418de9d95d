#pragma once
// Folders on other file systems for the tests of moves across devices: small tmpfs mounts made in a
// private user and mount namespace of the test program (nothing outside it sees them, and they go
// with it), else a folder on /dev/shm when that is another device, else none, with the reason.
//
// prepare() must run while the program has one thread (a user namespace refuses a threaded
// process): a test file calls it from a static initializer.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomer::test {

class SecondFileSystem {
public:
    // big: another file system with room; full: a 1 MiB one; readOnly: one mounted read-only.
    static QString big() { return state().big; }
    static QString full() { return state().full; }
    static QString readOnly() { return state().readOnly; }
    static QString why() { return state().why; }

    static bool prepare()
    {
        State& s = state();
        if (s.prepared)
            return !s.big.isEmpty();
        s.prepared = true;
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            write("/proc/self/setgroups", "deny");
            write("/proc/self/uid_map", QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1");
            write("/proc/self/gid_map", QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1");
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
            s.big = mountTmpfs("size=256m", 0);
            s.full = mountTmpfs("size=1m", 0);
            s.readOnly = mountTmpfs("size=1m", MS_RDONLY);
            // The mount points are empty folders once the namespace is gone: removed at exit.
            std::atexit([] {
                for (const QString& d : {state().big, state().full, state().readOnly}) {
                    if (d.isEmpty())
                        continue;
                    ::umount2(QFile::encodeName(d).constData(), MNT_DETACH);
                    ::rmdir(QFile::encodeName(d).constData());
                }
            });
            if (!s.big.isEmpty())
                return true;
            s.why = QStringLiteral("no tmpfs could be mounted in the private namespace: %1").arg(std::strerror(errno));
        } else {
            s.why = QStringLiteral("no private user namespace: %1").arg(std::strerror(errno));
        }
        struct stat shm {}, tmp {};
        if (::stat("/dev/shm", &shm) == 0 && ::stat(QFile::encodeName(QDir::tempPath()).constData(), &tmp) == 0 &&
            shm.st_dev != tmp.st_dev) {
            QByteArray dir = "/dev/shm/tallomer-test-XXXXXX";
            if (::mkdtemp(dir.data()))
                s.big = QFile::decodeName(dir);
        }
        if (s.big.isEmpty())
            s.why += QStringLiteral("; /dev/shm is no other device");
        return !s.big.isEmpty();
    }

private:
    struct State {
        bool prepared = false;
        QString big, full, readOnly, why;
    };
    static State& state()
    {
        static State s;
        return s;
    }
    static void write(const char* path, const QByteArray& text)
    {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t n = ::write(fd, text.constData(), size_t(text.size()));
            ::close(fd);
        }
    }
    static QString mountTmpfs(const char* options, unsigned long flags)
    {
        QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/tallomer-fs-XXXXXX";
        if (!::mkdtemp(dir.data()))
            return {};
        if (::mount("tmpfs", dir.constData(), "tmpfs", flags, options) != 0) {
            ::rmdir(dir.constData());
            return {};
        }
        return QFile::decodeName(dir);
    }
};

} // namespace tallomer::test
