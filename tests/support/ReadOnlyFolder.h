#pragma once
// A folder of the store that turns read-only for a while, its files still read as before: writes
// into it fail for real while what it holds stays readable. A read-only bind mount of the folder
// over itself where the test program may mount (its own namespace, see SecondFileSystem.h), which
// stops root as well; else its permissions, which stop anyone but root.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <unistd.h>

namespace tallomer::test {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString folder) : folder_(std::move(folder))
    {
        const QByteArray path = QFile::encodeName(folder_);
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0) {
            mounted_ = true;
            ok_ = ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
            return;
        }
        if (::geteuid() != 0)
            ok_ = QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
        else if (ok_)
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool ok() const { return ok_; }

private:
    QString folder_;
    bool mounted_ = false;
    bool ok_ = false;
};

} // namespace tallomer::test
