#pragma once
// Include in exactly one .cpp of a Qt test binary: the tests then run inside a QApplication
// (offscreen), after the test home is set up.

#include <QApplication>
#include <gtest/gtest.h>

extern "C" int tallomerRunTests(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                      : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
