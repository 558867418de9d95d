// Steps and documents: the defaults and forms of a step, undo of every list change and field
// edit, the file round trip, and files that are not KeyTime documents, which are refused whole
// and left untouched.

#include "keytime/ZEVKeyDocument.h"
#include "keytime/ZEVKeyPasteboard.h"
#include "platform/AppId.h"
#include "platform/files/BoundedCbor.h"
#include "platform/files/RecordFile.h"
#include "tests/support/TestHome.h"

#include <QCborArray>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <limits>

namespace tallomer {
namespace {

QString tempFile(const char* name) { return QString::fromStdString(test::makeTempDir("kt")) + "/" + name; }

ZEVKeyStepPtr step(const QString& title, std::optional<ZEVSpaceDico> dico = std::nullopt)
{
    auto s = std::make_shared<ZEVKeyStep>();
    s->setTableSummary(title);
    s->setSpaceDico(std::move(dico));
    return s;
}

std::vector<QString> titles(const ZEVKeyDocument& d)
{
    std::vector<QString> out;
    for (const ZEVKeyStepPtr& s : d.steps())
        out.push_back(s->tableSummary().value_or(QString()));
    return out;
}

TEST(ZEVKeyStep, DefaultsDescriptionAndTextForm)
{
    ZEVKeyStep s;
    EXPECT_EQ(s.tableSummary(), QString("New Step"));
    EXPECT_EQ(s.body(), QString("No comment"));
    EXPECT_EQ(s.tooltip(), QString(""));
    EXPECT_FALSE(s.spaceDico());
    EXPECT_EQ(s.description(), "No comment");
    s.setBody(std::nullopt);
    EXPECT_EQ(s.description(), "No body");

    const ZEVKeyStepPtr t = ZEVKeyStep::fromText("Look at March");
    EXPECT_EQ(t->body(), QString("Look at March"));
    EXPECT_EQ(t->tableSummary(), QString("New Step"));
    EXPECT_FALSE(t->spaceDico());
}

TEST(ZEVKeyStep, EditsInADocumentAreUndoableAndMarkItModifiedButTheValueHeldRegistersNothing)
{
    ZEVKeyDocument doc;
    // A step that came from elsewhere (a file, a drop, a paste) edits through the stack alike.
    doc.insertObjectInStepsAtIndex(ZEVKeyStep::fromText("pasted"), 0);
    doc.undoStack().setClean();
    const ZEVKeyStepPtr s = doc.objectInStepsAtIndex(0);
    s->setTableSummary(QString("New Step"));
    EXPECT_EQ(doc.undoStack().count(), 1) << "the value held: no entry";
    EXPECT_FALSE(doc.isModified());

    s->setTableSummary(QString("Opening"));
    s->setSpaceDico(ZEVSpaceDico{{"Time", "Now"}});
    EXPECT_TRUE(doc.isModified());
    doc.undoStack().undo();
    EXPECT_FALSE(s->spaceDico());
    doc.undoStack().undo();
    EXPECT_EQ(s->tableSummary(), QString("New Step"));
    EXPECT_FALSE(doc.isModified());
    doc.undoStack().redo();
    EXPECT_EQ(s->tableSummary(), QString("Opening"));
}

TEST(ZEVKeyDocument, InsertRemoveAndReplaceUndoAndRedoAtTheirIndex)
{
    ZEVKeyDocument doc;
    const ZEVKeyStepPtr a = step("a"), b = step("b"), c = step("c");
    doc.insertObjectInStepsAtIndex(a, 0);
    doc.insertObjectInStepsAtIndex(c, 1);
    doc.insertObjectInStepsAtIndex(b, 1);
    EXPECT_EQ(titles(doc), (std::vector<QString>{"a", "b", "c"}));
    doc.undoStack().undo();
    EXPECT_EQ(titles(doc), (std::vector<QString>{"a", "c"}));
    doc.undoStack().redo();
    EXPECT_EQ(doc.objectInStepsAtIndex(1), b);

    doc.removeObjectFromStepsAtIndex(0);
    EXPECT_EQ(titles(doc), (std::vector<QString>{"b", "c"}));
    doc.undoStack().undo();
    EXPECT_EQ(doc.objectInStepsAtIndex(0), a) << "the same step back at its index";

    doc.replaceObjectInStepsAtIndex(2, step("z"));
    EXPECT_EQ(titles(doc), (std::vector<QString>{"a", "b", "z"}));
    doc.undoStack().undo();
    EXPECT_EQ(doc.objectInStepsAtIndex(2), c);

    // Out of range: nothing, no entry.
    const int entries = doc.undoStack().count();
    doc.removeObjectFromStepsAtIndex(3);
    doc.insertObjectInStepsAtIndex(step("x"), 9);
    EXPECT_EQ(doc.undoStack().count(), entries);
}

TEST(ZEVKeyDocument, ThreeStepsComeBackInOrderWithTheirFieldsAndEditableDictionaries)
{
    ZEVKeyDocument doc;
    doc.insertObjectInStepsAtIndex(step("Now 1", ZEVSpaceDico{{"Time", "Now"}, {"CursorIn", -120.0},
                                                             {"CursorOut", 60.5}, {"Animation", true}}),
                                   0);
    auto plain = ZEVKeyStep::fromText("just text");
    plain->setTooltip(std::nullopt);
    doc.insertObjectInStepsAtIndex(plain, 1);
    doc.insertObjectInStepsAtIndex(step("Search 3", ZEVSpaceDico{{"Time", "Search"}, {"CursorPos", 8.1e8}}), 2);
    const QString path = tempFile("three.keytime");
    ASSERT_TRUE(doc.writeToFile(path));
    EXPECT_FALSE(doc.isModified());

    ZEVKeyDocument back;
    ASSERT_TRUE(back.readFromFile(path));
    ASSERT_EQ(back.countOfSteps(), 3);
    EXPECT_EQ(titles(back), (std::vector<QString>{"Now 1", "New Step", "Search 3"}));
    const ZEVKeyStep& first = *back.objectInStepsAtIndex(0);
    EXPECT_EQ(first.spaceDico()->value("CursorOut").toDouble(), 60.5);
    EXPECT_EQ(first.spaceDico()->value("Animation").toBool(), true);
    EXPECT_EQ(first.spaceDico()->value("Animation").typeId(), QMetaType::Bool);
    EXPECT_EQ(back.objectInStepsAtIndex(1)->body(), QString("just text"));
    EXPECT_FALSE(back.objectInStepsAtIndex(1)->tooltip()) << "absent stays absent";
    EXPECT_FALSE(back.objectInStepsAtIndex(1)->spaceDico());
    EXPECT_EQ(back.objectInStepsAtIndex(2)->spaceDico()->value("CursorPos").toDouble(), 8.1e8);

    // A dictionary read back edits like any other, undoably.
    ZEVSpaceDico d = *back.objectInStepsAtIndex(2)->spaceDico();
    d.insert("CursorIn", -30.0);
    back.objectInStepsAtIndex(2)->setSpaceDico(d);
    EXPECT_TRUE(back.isModified());
}

TEST(ZEVKeyDocument, AFileThatIsNotAKeyTimeDocumentIsRefusedWholeAndLeftAsItIs)
{
    auto expectRefused = [](const QCborMap& map, const char* why) {
        const QString path = tempFile("foreign.keytime");
        ASSERT_TRUE(writeRecordFile(path, map));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        ZEVKeyDocument doc;
        doc.insertObjectInStepsAtIndex(step("kept"), 0);
        EXPECT_FALSE(doc.readFromFile(path)) << why;
        EXPECT_EQ(doc.countOfSteps(), 1) << why << ": the document is unchanged";
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << why;
    };
    const QCborMap goodStep{{"Class", "ZEVKeyStep"}, {"Body", "b"}};
    auto withSteps = [](QCborArray steps) { return QCborMap{{"Kind", "KeyTime"}, {"Steps", steps}}; };
    expectRefused(QCborMap{{"Kind", "Object"}, {"Steps", QCborArray{goodStep}}}, "another kind");
    expectRefused(QCborMap{{"Steps", QCborArray{goodStep}}}, "no kind");
    expectRefused(withSteps({goodStep, QCborMap{{"Class", "Other"}}}), "another class");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"Body", 3}}}), "a number as body");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"SpaceDico", "x"}}}), "a text as dictionary");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"SpaceDico", QCborMap{{"In", QCborArray{1}}}}}}),
                  "a nested value");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"},
                                      {"SpaceDico", QCborMap{{"In", std::numeric_limits<double>::infinity()}}}}}),
                  "an infinite number");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"},
                                      {"SpaceDico", QCborMap{{"In", std::numeric_limits<double>::quiet_NaN()}}}}}),
                  "not a number");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"SpaceDico", QCborMap{{"CursorPos", "tomorrow"}}}}}),
                  "a text as a date");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"SpaceDico", QCborMap{{"Time", 1}}}}}),
                  "a number as the time word");
    expectRefused(withSteps({QCborMap{{"Class", "ZEVKeyStep"}, {"SpaceDico", QCborMap{{"Animation", "yes"}}}}}),
                  "a text as the flag");

    // Not a record at all.
    const QString text = tempFile("notes.keytime");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("plain text, not ours");
    f.close();
    ZEVKeyDocument doc;
    EXPECT_FALSE(doc.readFromFile(text));
}

TEST(ZEVKeyDocument, ThousandsOfDamagedFilesAreRefusedOrReadWithoutCrashing)
{
    ZEVKeyDocument doc;
    for (int i = 0; i < 5; ++i)
        doc.insertObjectInStepsAtIndex(step(QString("s%1").arg(i), ZEVSpaceDico{{"Time", "Now"}, {"RulerIn", -i * 1.0}}),
                                       i);
    const QByteArray good = encodeRecord(doc.encode());
    const QByteArray payload = good.mid(16);
    QRandomGenerator rng(68);
    int read = 0;
    auto tryPayload = [&](const QByteArray& bytes) {
        QString error;
        const std::optional<QCborMap> map = decodeCborMap(bytes, &error);
        if (map && ZEVKeyDocument::decode(*map, &error))
            ++read;
    };
    for (int n = 0; n < 3000; ++n) {
        switch (n % 4) {
        case 0: // the whole file truncated
            EXPECT_FALSE(decodeRecord(good.left(int(rng.bounded(good.size())))));
            break;
        case 1: { // bit flips in the payload
            QByteArray bytes = payload;
            for (int k = 0; k < 1 + int(rng.bounded(4)); ++k)
                bytes[int(rng.bounded(bytes.size()))] ^= char(1 << rng.bounded(8));
            tryPayload(bytes);
            break;
        }
        case 2: { // a huge declared count somewhere
            QByteArray bytes = payload;
            const int at = int(rng.bounded(bytes.size()));
            bytes[at] = char(0x9b);
            bytes.insert(at + 1, QByteArray("\x7f\xff\xff\xff\xff\xff\xff\xff", 8));
            tryPayload(bytes);
            break;
        }
        default: { // random bytes
            QByteArray bytes;
            for (int k = 0; k < 64; ++k)
                bytes.append(char(rng.bounded(256)));
            tryPayload(bytes);
            break;
        }
        }
    }
    SUCCEED() << read << " damaged files still read as documents";
}

TEST(ZEVKeyDocument, AFailedSaveIsReportedAndTheDocumentStaysModified)
{
    ZEVKeyDocument doc;
    doc.insertObjectInStepsAtIndex(step("a"), 0);
    const QString missing = tempFile("x") + "/no/such/folder/a.keytime";
    const FileResult r = doc.writeToFile(missing);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(doc.filePath().isEmpty());
}

TEST(ZEVKeyPasteboard, StepsTravelInBothFormsAndDamagedStepDataIsRefused)
{
    auto a = step("one");
    auto b = step("two", ZEVSpaceDico{{"Time", "Ruler"}, {"RulerIn", -10.0}});
    b->setBody(std::nullopt);
    const std::unique_ptr<QMimeData> data = mimeDataForSteps({a, b});
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kStepPasteboardType)));
    EXPECT_EQ(data->text(), "No comment\nNo body");
    const std::vector<ZEVKeyStepPtr> back = stepsFromMimeData(data.get());
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1]->spaceDico()->value("RulerIn").toDouble(), -10.0);

    QMimeData text;
    text.setText("from a mail");
    ASSERT_EQ(stepsFromMimeData(&text).size(), 1u);
    EXPECT_EQ(stepsFromMimeData(&text)[0]->body(), QString("from a mail"));

    QMimeData damaged;
    damaged.setData(QString::fromLatin1(kStepPasteboardType), QByteArray("\x9b\x7f\xff\xff\xff\xff\xff\xff\xff", 9));
    damaged.setText("ignored when the step form is there");
    EXPECT_TRUE(stepsFromMimeData(&damaged).empty());
    QMimeData nothing;
    EXPECT_FALSE(mimeDataHasSteps(&nothing));

    EXPECT_EQ(decodeMovedRows(encodeMovedRows({3, 0}), 5), (std::vector<int>{0, 3}));
    EXPECT_FALSE(decodeMovedRows(encodeMovedRows({7}), 5)) << "a row the table does not have";
    EXPECT_FALSE(decodeMovedRows(QByteArray("junk"), 5));
}

} // namespace
} // namespace tallomer
