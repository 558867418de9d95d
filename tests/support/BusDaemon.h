#pragma once
// A D-Bus daemon of the test's own, on a socket in the test's temporary folder: it answers on
// `address()` (empty when dbus-daemon could not start) until it is destroyed.

#include "tests/support/TestHome.h"

#include <QProcess>
#include <QString>

namespace tallomer::test {

class BusDaemon {
public:
    BusDaemon()
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=unix:dir=") + QString::fromStdString(makeTempDir("bus"))});
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {}
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~BusDaemon()
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    BusDaemon(const BusDaemon&) = delete;
    BusDaemon& operator=(const BusDaemon&) = delete;

    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

} // namespace tallomer::test
