#include "platform/desktop/FolderIcon.h"

#include "engine/runtime/Log.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

using tallomer::FolderIcon;

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A stand-in gio that records its arguments (or, with `hang`, never ends on its own).
QString fakeGio(const QString& dir, const QString& body)
{
    const QString path = dir + "/gio";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body.toUtf8() + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}
} // namespace

TEST(FolderIcon, DirectoryFileGetsTheIconAndKeepsOtherLines)
{
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("", "/i/zevFolder.svg"),
              "[Desktop Entry]\nIcon=/i/zevFolder.svg\n");
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Desktop Entry]\nIcon=old.png\nName=x\n[Other]\nIcon=keep\n",
                                                "/i/new.svg"),
              "[Desktop Entry]\nIcon=/i/new.svg\nName=x\n[Other]\nIcon=keep\n");
    EXPECT_EQ(FolderIcon::directoryFileWithIcon("[Dolphin]\nViewMode=1", "/i/a.svg"),
              "[Desktop Entry]\nIcon=/i/a.svg\n\n[Dolphin]\nViewMode=1\n");
}

TEST(FolderIcon, WritesDotDirectoryAndCallsGioWithAFileUri)
{
    const QString dir = QString::fromStdString(tallomer::test::makeTempDir("folder"));
    const QString bin = QString::fromStdString(tallomer::test::makeTempDir("bin"));
    FolderIcon::Options o;
    o.gioProgram = fakeGio(bin, "printf '%s\\n' \"$@\" > \"" + bin + "/args\"");
    const auto r = FolderIcon::setIcon(dir, "/opt/my icons/zevFolder.svg", o);
    EXPECT_TRUE(r.directoryFileWritten);
    EXPECT_TRUE(r.gioSucceeded);
    EXPECT_EQ(readFile(dir + "/.directory"), "[Desktop Entry]\nIcon=/opt/my icons/zevFolder.svg\n");
    EXPECT_EQ(readFile(bin + "/args"),
              "set\n" + dir.toUtf8() + "\nmetadata::custom-icon\nfile:///opt/my%20icons/zevFolder.svg\n");
}

TEST(FolderIcon, GioFailureOrHangIsLoggedAndBounded)
{
    const QString dir = QString::fromStdString(tallomer::test::makeTempDir("folder"));
    const QString bin = QString::fromStdString(tallomer::test::makeTempDir("bin"));
    tallomer::ScopedLogCapture log;
    FolderIcon::Options o;
    o.gioProgram = fakeGio(bin, "echo 'no metadata here' >&2; exit 1");
    auto r = FolderIcon::setIcon(dir, "/i/a.svg", o);
    EXPECT_TRUE(r.directoryFileWritten);
    EXPECT_TRUE(r.gioRan);
    EXPECT_FALSE(r.gioSucceeded);
    EXPECT_TRUE(log.sink.contains("no metadata here"));

    o.gioProgram = fakeGio(bin, "exec sleep 30");
    o.gioTimeoutMs = 200;
    r = FolderIcon::setIcon(dir, "/i/a.svg", o);
    EXPECT_FALSE(r.gioSucceeded);
    EXPECT_TRUE(log.sink.contains("did not finish"));
    EXPECT_TRUE(r.directoryFileWritten);
}

TEST(FolderIcon, MissingGioLeavesTheDotDirectoryAlone)
{
    const QString dir = QString::fromStdString(tallomer::test::makeTempDir("folder"));
    FolderIcon::Options o;
    o.gioProgram = dir + "/no-such-gio";
    tallomer::ScopedLogCapture log;
    const auto r = FolderIcon::setIcon(dir, "/i/a.svg", o);
    EXPECT_TRUE(r.directoryFileWritten);
    EXPECT_FALSE(r.gioRan);
    EXPECT_TRUE(log.sink.contains("cannot start"));
}
