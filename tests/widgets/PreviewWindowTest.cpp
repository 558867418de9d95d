// The preview window reads files away from the main thread: only the newest request shows, a
// window gone before its file was read is never touched, and keys go to the window underneath.

#include "widgets/ZEVPreviewWindow.h"

#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace tallomer {
namespace {

QString png(const QString& folder, const char* name, QColor colour)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + "/" + name;
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

TEST(PreviewWindow, OnlyTheNewestReadingShowsAndAGoneWindowIsLeftAlone)
{
    const QString dir = QString::fromStdString(test::makeTempDir("preview"));
    ZEVPreviewWindow w;
    w.setEntries({{png(dir, "red.png", Qt::red), "red", QImage()}, {png(dir, "blue.png", Qt::blue), "blue", QImage()}});
    w.reload();
    EXPECT_TRUE(w.siLoading());
    EXPECT_EQ(w.shown(), ZEVPreviewWindow::Shown::Facts) << "the name, until the file is read";
    w.setCurrentIndex(1);
    settle();
    EXPECT_FALSE(w.siLoading());
    ASSERT_EQ(w.shown(), ZEVPreviewWindow::Shown::Image);
    EXPECT_EQ(w.shownImage().pixelColor(10, 10), QColor(Qt::blue)) << "the red reading came too late";
    EXPECT_EQ(w.windowTitle(), "blue");

    // New entries drop what was being read.
    w.reload();
    w.setEntries({{QString(), "a contact", QImage()}});
    w.reload();
    settle();
    EXPECT_EQ(w.shown(), ZEVPreviewWindow::Shown::Facts);
    EXPECT_TRUE(w.factsText().contains("a contact"));

    auto* gone = new ZEVPreviewWindow;
    gone->setEntries({{png(dir, "green.png", Qt::green), "green", QImage()}});
    gone->reload();
    delete gone;
    settle(); // no crash: the delivery finds no window
}

TEST(PreviewWindow, KeysGoToTheWindowUnderneath)
{
    struct Recorder : QWidget {
        std::vector<int> pressed, released;
        void keyPressEvent(QKeyEvent* e) override { pressed.push_back(e->key()); }
        void keyReleaseEvent(QKeyEvent* e) override { released.push_back(e->key()); }
    } under;
    auto* w = new ZEVPreviewWindow(&under);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
    EXPECT_EQ(under.pressed, std::vector<int>{Qt::Key_Space});
    EXPECT_EQ(under.released, std::vector<int>{Qt::Key_Space});
}

} // namespace
} // namespace tallomer
