#pragma once
// A folder of the store that refuses new files for a while, as a store made read-only while the
// program runs: the record writes into it fail for real.

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace tallomer::test {

// The folder refuses new files while this lives: made read-only, or for root (whom permissions
// do not stop) moved aside with a file in its place.
class RefusedFolder {
public:
    explicit RefusedFolder(QString folder) : folder_(std::move(folder))
    {
        if (::geteuid() != 0) {
            ok_ = QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        aside_ = folder_ + ".aside";
        QFile stand(folder_);
        ok_ = QDir().rename(folder_, aside_) && stand.open(QIODevice::WriteOnly);
    }
    ~RefusedFolder()
    {
        if (aside_.isEmpty()) {
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            return;
        }
        QFile::remove(folder_);
        QDir().rename(aside_, folder_);
    }
    bool ok() const { return ok_; }

private:
    QString folder_;
    QString aside_;
    bool ok_ = false;
};

} // namespace tallomer::test
