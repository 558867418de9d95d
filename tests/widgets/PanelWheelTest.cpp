// A panel's wheel: over its empty areas it travels in time, over a list or a field it does what
// that control does.

#include "widgets/ZEVPanelWheel.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

// A panel as the add panels are made: a message, a long list, a name field, an empty margin.
class PanelWheel : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&panel);
        layout->setContentsMargins(20, 20, 20, 20);
        message = new QLabel(QStringLiteral("Select the files"), &panel);
        list = new QListWidget(&panel);
        for (int i = 0; i < 60; ++i)
            list->addItem(QStringLiteral("file %1.txt").arg(i));
        field = new QLineEdit(&panel);
        layout->addWidget(message);
        layout->addWidget(list);
        layout->addWidget(field);
        panel.resize(400, 300);
        wheel = new ZEVPanelWheel(&panel, [this](QWheelEvent*) { ++turnsInTime; });
        panel.show();
        QApplication::processEvents();
    }

    // One notch down, delivered where the system would deliver it: to the widget under the point.
    void turn(QWidget* w, QPoint at)
    {
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }

    QDialog panel;
    QLabel* message = nullptr;
    QListWidget* list = nullptr;
    QLineEdit* field = nullptr;
    ZEVPanelWheel* wheel = nullptr;
    int turnsInTime = 0;
};

TEST_F(PanelWheel, TheListScrollsUnderTheWheelAndOnlyTheEmptyAreasTravelInTime)
{
    ASSERT_GT(list->verticalScrollBar()->maximum(), 0);
    turn(list->viewport(), list->viewport()->rect().center());
    EXPECT_GT(list->verticalScrollBar()->value(), 0) << "the list scrolled";
    EXPECT_EQ(turnsInTime, 0);
    turn(list->verticalScrollBar(), list->verticalScrollBar()->rect().center());
    EXPECT_EQ(turnsInTime, 0) << "nor over its scroll bar";
    turn(field, field->rect().center());
    EXPECT_EQ(turnsInTime, 0) << "nor over the field";

    turn(message, message->rect().center());
    EXPECT_EQ(turnsInTime, 1) << "over the message";
    turn(&panel, QPoint(5, 5));
    EXPECT_EQ(turnsInTime, 2) << "over the margin";
    // A turn handed to the panel over its list stays the list's.
    turn(&panel, list->geometry().center());
    EXPECT_EQ(turnsInTime, 2);
}

TEST_F(PanelWheel, AnAccessoryAddedLaterIsWatchedToo)
{
    auto* accessory = new QWidget(&panel);
    auto* note = new QLabel(QStringLiteral("Go to:"), accessory);
    panel.layout()->addWidget(accessory);
    wheel->watch(accessory);
    panel.adjustSize();
    QApplication::processEvents();
    turn(note, note->rect().center());
    EXPECT_EQ(turnsInTime, 1);
}

} // namespace
