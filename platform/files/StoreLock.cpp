#include "platform/files/StoreLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tallomer {

QString StoreLock::lockFilePath(const QString& storeFolder) { return storeFolder + QStringLiteral("/.lock"); }

StoreLock::~StoreLock() { release(); }

StoreLock::State StoreLock::lock(const QString& lockFile)
{
    if (state_ == State::Locked)
        return state_;
    error_.clear();
    // The file itself says nothing; it is never written, so it cannot be left half written.
    // O_CLOEXEC: a program started from this one (an opener, gio) must not inherit the lock.
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return state_ = State::Failed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK)
            return state_ = State::Busy;
        error_ = QString::fromLocal8Bit(std::strerror(e));
        return state_ = State::Failed;
    }
    fd_ = fd;
    return state_ = State::Locked;
}

void StoreLock::release()
{
    if (fd_ >= 0) {
        // Closing the only descriptor of the open file description drops the lock.
        ::close(fd_);
        fd_ = -1;
    }
    state_ = State::Unlocked;
    error_.clear();
}

} // namespace tallomer
