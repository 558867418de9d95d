#pragma once
// A Unix socket bound at a path, as a running service leaves one in a folder: neither a file nor a
// folder. Closed when the test ends; the entry stays until removed.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tallomer::test {

class ListeningSocket {
public:
    explicit ListeningSocket(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (std::size_t(name.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ListeningSocket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;

    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace tallomer::test
