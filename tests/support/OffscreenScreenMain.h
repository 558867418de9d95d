#pragma once
// Include in exactly one .cpp of a Qt test binary whose windows must fit a real-sized screen: the
// tests run on one screen of 1920 x 1200 (the main screen the Space's fake host reports), so
// that the window's frame and the screen it fits in agree. The offscreen screen keeps its frame
// margins of 2 pixels on every side: the window is framed as by a window manager.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

extern "C" int tallomerRunTests(int argc, char** argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        // HOME is the test's own temporary folder.
        const QString path = QDir::home().filePath(QStringLiteral("offscreen-screen.json"));
        QFile config(path);
        const QByteArray json = R"({"screens": [{"name": "Main", "width": 1920, "height": 1200}]})";
        if (!config.open(QIODevice::WriteOnly) || config.write(json) != json.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 2;
        }
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
