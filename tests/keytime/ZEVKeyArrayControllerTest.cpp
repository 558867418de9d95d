// The step table: adds titled by the captured mode, the drag moves with their selection and one
// Undo for the whole move, drops and pastes from elsewhere, refusals that change nothing, and
// the state applied when the selection changes.

#include "keytime/ZEVKeyArrayController.h"
#include "keytime/ZEVKeyPasteboard.h"
#include "platform/AppId.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTableView>

#include <gtest/gtest.h>

namespace tallomer {
namespace {

class FakeCapture final : public ZEVKeyCapture {
public:
    ZEVSpaceDico spaceDico() override { return captured; }
    void setSpaceDico(const std::optional<ZEVSpaceDico>& d) override { applied.push_back(d); }
    void beep() override { ++beeps; }

    ZEVSpaceDico captured;
    std::vector<std::optional<ZEVSpaceDico>> applied;
    int beeps = 0;
};

class ZEVKeyArrayControllerTest : public ::testing::Test {
protected:
    void SetUp() override { array.setTableView(&view); }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    // Five steps titled 0 .. 4, each with its own dictionary.
    void fiveSteps()
    {
        for (int i = 0; i < 5; ++i) {
            auto s = std::make_shared<ZEVKeyStep>();
            s->setTableSummary(QString::number(i));
            s->setSpaceDico(ZEVSpaceDico{{"Time", "Ruler"}, {"RulerIn", double(-i)}});
            doc.insertObjectInStepsAtIndex(s, i);
        }
        doc.undoStack().clear();
    }
    QString order() const
    {
        QString out;
        for (const ZEVKeyStepPtr& s : doc.steps())
            out += s->tableSummary().value_or("?");
        return out;
    }

    ZEVKeyDocument doc;
    FakeCapture capture;
    ZEVKeyArrayController array{doc, capture};
    QTableView view;
};

TEST_F(ZEVKeyArrayControllerTest, AddTitlesByTheCapturedModeSelectsTheNewRowAloneAndIsOneUndo)
{
    capture.captured = {{"Time", "Search"}, {"CursorPos", 1000.0}};
    array.add();
    array.add();
    ASSERT_EQ(doc.countOfSteps(), 2);
    EXPECT_EQ(doc.objectInStepsAtIndex(1)->tableSummary(), QString("Search 2"));
    EXPECT_EQ(doc.objectInStepsAtIndex(1)->spaceDico()->value("CursorPos").toDouble(), 1000.0);
    EXPECT_EQ(array.selectedRows(), std::vector<int>{1});
    ASSERT_FALSE(capture.applied.empty());
    EXPECT_EQ(capture.applied.back()->value("Time").toString(), "Search") << "the new step is applied";

    // No mode button on: an empty dictionary and the number alone.
    capture.captured.clear();
    array.add();
    EXPECT_EQ(doc.objectInStepsAtIndex(2)->tableSummary(), QString("3"));
    ASSERT_TRUE(doc.objectInStepsAtIndex(2)->spaceDico());
    EXPECT_TRUE(doc.objectInStepsAtIndex(2)->spaceDico()->isEmpty());

    EXPECT_TRUE(doc.isModified());
    doc.undoStack().undo();
    EXPECT_EQ(doc.countOfSteps(), 2) << "one Undo takes back one add";
    EXPECT_EQ(array.newObject()->tableSummary(), QString("Step 3"));
}

TEST_F(ZEVKeyArrayControllerTest, DraggedRowsMoveAsOneBlockAndOneUndoTakesTheWholeMoveBack)
{
    fiveSteps();
    ASSERT_TRUE(array.acceptDrop(array.mimeData({array.index(0, 0), array.index(1, 0)}), 4, true));
    EXPECT_EQ(order(), "23014");
    EXPECT_EQ(array.selectedRows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(capture.applied.back()->value("RulerIn").toDouble(), -1.0) << "the last selected step is applied";
    doc.undoStack().undo();
    EXPECT_EQ(order(), "01234");
    doc.undoStack().redo();
    EXPECT_EQ(order(), "23014");
    doc.undoStack().undo();

    ASSERT_TRUE(array.acceptDrop(array.mimeData({array.index(3, 0)}), 0, true));
    EXPECT_EQ(order(), "30124");
    EXPECT_EQ(array.selectedRows(), std::vector<int>{0});

    // Moved-rows data from another table would name rows that are not these: a drag from
    // elsewhere is read as steps and copied in.
    ASSERT_TRUE(array.acceptDrop(array.mimeData({array.index(0, 0)}), -3, false));
    EXPECT_EQ(order(), "330124") << "a negative row counts as 0";
    EXPECT_EQ(ZEVKeyArrayController::rowsAboveRow(3, {0, 2, 3, 4}), 2);
}

TEST_F(ZEVKeyArrayControllerTest, TextDroppedFromAnotherProgramIsOneStepAndNothingReadableIsRefused)
{
    fiveSteps();
    QMimeData text;
    text.setText("Remember the launch");
    ASSERT_TRUE(array.acceptDrop(&text, 2, false));
    EXPECT_EQ(doc.countOfSteps(), 6);
    EXPECT_EQ(doc.objectInStepsAtIndex(2)->body(), QString("Remember the launch"));

    const int entries = doc.undoStack().count();
    QMimeData nothing;
    nothing.setData("image/png", "png");
    EXPECT_FALSE(array.acceptDrop(&nothing, 0, false));
    QMimeData damaged;
    damaged.setData(QString::fromLatin1(kStepPasteboardType), "\xff\x00");
    EXPECT_FALSE(array.acceptDrop(&damaged, 0, false));
    EXPECT_EQ(capture.beeps, 2);
    EXPECT_EQ(doc.countOfSteps(), 6);
    EXPECT_EQ(doc.undoStack().count(), entries);

    // A dropped step edits through the document's stack.
    doc.objectInStepsAtIndex(2)->setTableSummary(QString("Launch"));
    doc.undoStack().undo();
    EXPECT_EQ(doc.objectInStepsAtIndex(2)->tableSummary(), QString("New Step"));
}

TEST_F(ZEVKeyArrayControllerTest, PasteAppendsAndSelectsExactlyThePastedStepsAndPlainTextPastesAsOne)
{
    fiveSteps();
    array.selectRange(1, 2);
    array.copy();
    EXPECT_TRUE(array.canPaste());
    array.paste();
    EXPECT_EQ(order(), "0123412");
    EXPECT_EQ(array.selectedRows(), (std::vector<int>{5, 6}));
    doc.undoStack().undo();
    EXPECT_EQ(order(), "01234") << "one Undo for the paste";

    QGuiApplication::clipboard()->setText("plain words");
    EXPECT_TRUE(array.canPaste());
    array.paste();
    EXPECT_EQ(doc.countOfSteps(), 6);
    EXPECT_EQ(doc.objectInStepsAtIndex(5)->body(), QString("plain words"));

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(array.canPaste());
    array.paste();
    EXPECT_EQ(capture.beeps, 1);
}

TEST_F(ZEVKeyArrayControllerTest, UpdateTakesTheCapturedStateIntoTheLastSelectedStepOnly)
{
    fiveSteps();
    array.updateStep();
    EXPECT_FALSE(doc.isModified()) << "no selection, nothing";
    array.selectRange(1, 3);
    EXPECT_EQ(capture.applied.back()->value("RulerIn").toDouble(), -3.0);
    capture.captured = {{"Time", "Now"}, {"CursorIn", -5.0}};
    array.updateStep();
    EXPECT_EQ(doc.objectInStepsAtIndex(3)->spaceDico()->value("Time").toString(), "Now");
    EXPECT_EQ(doc.objectInStepsAtIndex(2)->spaceDico()->value("Time").toString(), "Ruler");
    EXPECT_TRUE(doc.isModified());

    // Titles and comments typed in the table are undoable too.
    EXPECT_TRUE(array.setData(array.index(0, ZEVKeyArrayController::kComment), "Intro", Qt::EditRole));
    EXPECT_EQ(doc.objectInStepsAtIndex(0)->body(), QString("Intro"));
    array.remove();
    EXPECT_EQ(order(), "04");
    doc.undoStack().undo();
    EXPECT_EQ(order(), "01234");
}

} // namespace
} // namespace tallomer
