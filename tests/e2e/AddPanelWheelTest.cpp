// The wheel over an add panel in the running program: over the file list it scrolls the list and
// leaves time alone; over the panel's empty areas it moves the active cursor's view on the time
// line.

#include "tests/e2e/FilesAddPanelFixture.h"

#include "engine/KELICurseur.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QWheelEvent>

#include <vector>

namespace e2e {
namespace {

class AddPanelWheel : public FilesAddPanelE2E {
protected:
    // Three turns at a point of a widget, as the system delivers them, and the time the ruler
    // takes to end a move. Down scrolls a list; sideways moves the Now cursor's span.
    static constexpr QPoint kDown{0, -120};
    static constexpr QPoint kSideways{-1200, 0};
    void wheelAt(QWidget* w, QPoint at, QPoint delta)
    {
        for (int turn = 0; turn < 3; ++turn) {
            QWheelEvent e(at, w->mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
            QCoreApplication::sendEvent(w, &e);
            advance(0.1);
        }
        advance(1.0);
    }
    // Where the active cursor, its span and the time line's span stand, from the clock's
    // present (the Now cursor follows the clock).
    std::vector<double> timePlace() const
    {
        KELICurseur* c = space()->actifCurseur();
        KELIContexte* tl = space()->tlContexte();
        tl->placeToi();
        const double t = clock.now();
        return {c->now() - t, c->nowIn() - t, c->nowOut() - t, tl->nowIn() - t, tl->nowOut() - t};
    }
};

TEST_F(AddPanelWheel, TheFilesPlusPanelsListScrollsUnderTheWheelAndItsEmptyAreasMoveTime)
{
    start();
    const QString folder = home + "/Sixty";
    QDir().mkpath(folder);
    for (int i = 0; i < 60; ++i) {
        QFile f(folder + QStringLiteral("/note %1.txt").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    const auto [panel, list] = openAddPanelOn(folder);
    ASSERT_NE(list, nullptr);
    // The folder is read on a thread of its own, in wall time: the clock moves on no more than a
    // listing takes, however long the thread does.
    ASSERT_TRUE(advanceUntil([&] { return list->verticalScrollBar()->maximum() > 0; }, 0.05, 2.0))
        << "the list never filled";
    advance(2.0);

    const auto before = timePlace();
    wheelAt(list->viewport(), list->viewport()->rect().center(), kDown);
    EXPECT_GT(list->verticalScrollBar()->value(), 0) << "the list did not scroll";
    wheelAt(list->viewport(), list->viewport()->rect().center(), kSideways);
    EXPECT_EQ(timePlace(), before) << "the wheel over the list moved time";

    auto* message = panel->findChild<QLabel*>(QStringLiteral("panelMessage"));
    ASSERT_NE(message, nullptr);
    const int scrolled = list->verticalScrollBar()->value();
    wheelAt(message, message->rect().center(), kSideways);
    EXPECT_NE(timePlace(), before) << "the wheel over the panel's message did not move time";
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    advance(1.0);
    panel->reject();
    advance(1.0);
}

} // namespace
} // namespace e2e
