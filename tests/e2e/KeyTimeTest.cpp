// KeyTime in the running program: a document made from the File menu, steps captured from the
// Search cursor dragged on the strip, undone and redone with the window's keys, saved, applied
// by a click on a row (the Search cursor and the bar's date boxes come back to the step's date),
// and read again from the file; the fields and the Now mode; unsaved changes asked about before
// a window closes or the program quits; a foreign file refused and left as it was; what is typed
// in a field or a title kept by the buttons, Save and Close, in the step it was typed for.

#include "tests/e2e/KeyTimeFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "keytime/ZEVKeyDocument.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "platform/files/RecordFile.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QCborArray>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace e2e {
namespace {

class KeyTime : public KeyTimeE2E {
protected:
    // The program with its bar, a new KeyTime document from the File menu and the Space window
    // in front at the Now cursor; the document's window, null (with a failure) when there is none.
    ZEVKeyWindowController* startWithANewDocumentAtNow()
    {
        startWithTheBar();
        chooseMenuItem(KELMainMenu::kMenuFile, 1);
        ZEVKeyWindowController* w = keyWindow();
        EXPECT_NE(w, nullptr);
        window()->activateWindow();
        pump();
        EXPECT_TRUE(bar()->stateOfNowButton());
        return w;
    }
    // The next file dialog gets this path typed into its name field, then is accepted.
    void typeIntoNextFileDialog(const QString& path)
    {
        QTimer::singleShot(0, qApp, [this, path] { answerFileDialog(path); });
    }
    // Tried again every 10 ms until the dialog is up.
    void answerFileDialog(const QString& path)
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, qApp, [this, path] { answerFileDialog(path); });
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setFocus();
        QTest::keyClicks(name, path);
        // Return is left to the dialog's completer and folder model, which answer it on a later
        // turn or not at all while the folder is still being read: the dialog is accepted with
        // the typed name instead, as its Save button would.
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
        dialogsAnswered++;
    }
    // The Search button, then a new document with one step captured from the Search cursor.
    ZEVKeyWindowController* newDocumentWithASearchStep()
    {
        QTest::mouseClick(bar()->searchButton(), Qt::LeftButton);
        pump();
        chooseMenuItem(KELMainMenu::kMenuFile, 1);
        ZEVKeyWindowController* w = keyWindow();
        if (!w)
            return nullptr;
        click(w->addButton());
        keyInWindow(Qt::Key_Return);
        return w;
    }
    QStringList titles() const
    {
        QStringList out;
        QAbstractItemModel* m = keyWindow()->tableView()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString();
        return out;
    }

    int dialogsAnswered = 0;
};

TEST_F(KeyTime, StepsCapturedFromTheSearchCursorAreSavedAppliedByAClickAndReadAgain)
{
    startWithTheBar();
    EXPECT_FALSE(mainMenu()->item(KELMainMenu::kMenuFile, 5)->isEnabled()) << "Add Step waits for a document";
    EXPECT_FALSE(mainMenu()->item(KELMainMenu::kMenuFile, 6)->isEnabled()) << "so does Start KeyTime";
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    ASSERT_NE(keyTime().currentDocument(), nullptr);
    ZEVKeyWindowController* w = keyWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->parentWidget(), window()) << "above the Space window";
    EXPECT_TRUE(w->windowFlags() & Qt::Tool);
    EXPECT_TRUE(w->startButton()->isEnabled());
    EXPECT_EQ(w->startButton()->text(), "Start");
    EXPECT_FALSE(w->animationButton()->isChecked());

    // The Search button, then the strip dragged to two dates, each captured with "+".
    window()->activateWindow();
    pump();
    QTest::mouseClick(bar()->searchButton(), Qt::LeftButton);
    pump();
    KELICurseur* search = space()->searchCurseur();
    ASSERT_EQ(space()->actifCurseur(), search);
    const KELDate start = search->now();
    scrub(start, start - 1800);
    const KELDate first = search->now();
    EXPECT_LT(first, start - 600) << "the drag took the Search cursor back";
    click(w->addButton());
    keyInWindow(Qt::Key_Return); // the title opened for editing is kept as it is
    scrub(first, first - 1800);
    const KELDate second = search->now();
    EXPECT_LT(second, first - 600);
    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    EXPECT_EQ(titles(), (QStringList{"Search 1", "Search 2"}));

    // The window's own Undo and Redo.
    keyInWindow(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(titles(), QStringList{"Search 1"});
    keyInWindow(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(titles(), (QStringList{"Search 1", "Search 2"}));
    EXPECT_TRUE(keyTime().currentDocument()->isModified());

    // Save As from the File menu.
    const QString path = home + "/talk.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    EXPECT_EQ(dialogsAnswered, 1);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(keyTime().currentDocument()->isModified());
    EXPECT_TRUE(w->windowTitle().startsWith("talk.keytime"));

    // With the box off, a click on the first row brings the Search cursor back to its date.
    clickRow(0);
    EXPECT_NEAR(search->now(), first, 0.01);
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_TRUE(ruler()->siAccepteDeplacement()) << "the move ended";
    // The bar's boxes follow a moment later; the Search cursor goes on with the clock meanwhile.
    advance(0.3);
    const QDateTime shown = *ZEVChampsPourDate(search->now());
    EXPECT_NEAR(search->now(), first, 0.5);
    EXPECT_EQ(bar()->nowDatePicker()->date(), shown.date()) << "the bar's date box shows it";
    EXPECT_EQ(bar()->nowHourPicker()->time().toString("HHmmss"), shown.time().toString("HHmmss"));
    EXPECT_EQ(w->cursorPosTextField()->text(), QString::asprintf("%.2f", first));

    // Closed (nothing unsaved: no question), then opened again from its file.
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(keyTime().currentDocument(), nullptr);
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 2);
    ASSERT_NE(keyWindow(), nullptr);
    EXPECT_EQ(titles(), (QStringList{"Search 1", "Search 2"}));
    clickRow(1);
    EXPECT_NEAR(search->now(), second, 0.01);
}

TEST_F(KeyTime, ANowStepAppliedAtOnceMovesNothingAndItsFieldsCommitOnlyFiniteNumbers)
{
    ZEVKeyWindowController* w = startWithANewDocumentAtNow();
    ASSERT_NE(w, nullptr);
    KELIContexte* tl = space()->tlContexte();
    KELIContexte* nowWindow = space()->nowCurseur()->contexte();
    ASSERT_TRUE(tl && nowWindow);
    // Add Step from the menu acts on the current document.
    chooseMenuItem(KELMainMenu::kMenuFile, 5);
    keyInWindow(Qt::Key_Return);
    EXPECT_EQ(titles(), QStringList{"Now 1"});
    const double in = tl->offsetIn(), out = tl->offsetOut(), cIn = nowWindow->offsetIn();
    clickRow(0);
    EXPECT_DOUBLE_EQ(tl->offsetIn(), in);
    EXPECT_DOUBLE_EQ(tl->offsetOut(), out);
    EXPECT_DOUBLE_EQ(nowWindow->offsetIn(), cIn);

    // A finite number typed into a field is one undoable change and is applied.
    QLineEdit* rulerIn = w->rulerInTextField();
    const double wider = in - 3600;
    rulerIn->setFocus();
    rulerIn->selectAll();
    QTest::keyClicks(rulerIn, QString::number(wider, 'f', 0));
    QTest::keyClick(rulerIn, Qt::Key_Return);
    pump();
    EXPECT_NEAR(tl->offsetIn(), wider, 0.01);
    EXPECT_EQ(rulerIn->text(), QString::number(wider, 'f', 0)) << "the typed text is left alone";
    keyTime().currentDocument()->undoStack().undo();
    EXPECT_NEAR(keyTime().currentDocument()->steps()[0]->spaceDico()->value("RulerIn").toDouble(), in, 0.01);

    // Not a number: a beep, nothing stored. A range with its start after its end: stored, but
    // the ruler refuses it and nothing moves.
    const int beeps = sound.beeps;
    const double before = tl->offsetIn();
    rulerIn->selectAll();
    QTest::keyClicks(rulerIn, "-");
    QTest::keyClick(rulerIn, Qt::Key_Return);
    pump();
    EXPECT_EQ(sound.beeps, beeps + 1);
    rulerIn->selectAll();
    QTest::keyClicks(rulerIn, QString::number(tl->offsetOut() + 100, 'f', 0));
    QTest::keyClick(rulerIn, Qt::Key_Return);
    pump();
    EXPECT_DOUBLE_EQ(tl->offsetIn(), before);
    EXPECT_TRUE(ruler()->siAccepteDeplacement());
}

TEST_F(KeyTime, ANumberTypedIntoAFieldTheStepsKindDoesNotUseIsStoredButShownAsTheStepUsesIt)
{
    ZEVKeyWindowController* w = startWithANewDocumentAtNow();
    ASSERT_NE(w, nullptr);
    chooseMenuItem(KELMainMenu::kMenuFile, 5);
    keyInWindow(Qt::Key_Return);
    ASSERT_EQ(titles(), QStringList{"Now 1"});
    ZEVKeyDocument* doc = keyTime().currentDocument();
    KELIContexte* nowWindow = space()->nowCurseur()->contexte();
    ASSERT_NE(nowWindow, nullptr);
    const double in = nowWindow->offsetIn(), out = nowWindow->offsetOut();
    auto enter = [&](QLineEdit* field, const QString& text) {
        w->activateWindow();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        pump();
    };

    // A Now step has no position: the number is kept in the step, and the field says "0".
    enter(w->cursorPosTextField(), QStringLiteral("5"));
    EXPECT_EQ(doc->steps()[0]->spaceDico()->value("CursorPos").toDouble(), 5.0);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(w->cursorPosTextField()->text(), QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(nowWindow->offsetIn(), in);
    EXPECT_DOUBLE_EQ(nowWindow->offsetOut(), out);
    // A field the step uses keeps what was typed.
    enter(w->cursorInTextField(), QStringLiteral("-7200"));
    EXPECT_EQ(w->cursorInTextField()->text(), QStringLiteral("-7200"));
    EXPECT_NEAR(nowWindow->offsetIn(), -7200, 0.01);

    // A Search step has no end of window: the Out field stays empty.
    QTest::mouseClick(bar()->searchButton(), Qt::LeftButton);
    pump();
    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    ASSERT_EQ(titles().size(), 2);
    ASSERT_EQ(selectedRow(), 1);
    enter(w->cursorOutTextField(), QStringLiteral("600"));
    EXPECT_EQ(doc->steps()[1]->spaceDico()->value("CursorOut").toDouble(), 600.0);
    EXPECT_TRUE(w->cursorOutTextField()->text().isEmpty()) << w->cursorOutTextField()->text().toStdString();
}

TEST_F(KeyTime, UnsavedChangesAreAskedAboutAndCancelKeepsTheWindowAndTheProgram)
{
    startWithTheBar();
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    ZEVKeyWindowController* w = keyWindow();
    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    alertAnswer = 2; // Cancel
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].buttons, (QStringList{"Save", "Don\u2019t Save", "Cancel"}));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(keyWindow(), w);

    // Quit asks the same before the quit sequence; Cancel keeps the program running.
    key(Qt::Key_Q, Qt::ControlModifier);
    pump();
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_TRUE(stops.empty());
    EXPECT_FALSE(app()->isTerminating());

    // Don't Save lets the window go.
    alertAnswer = 1;
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    EXPECT_EQ(keyTime().currentDocument(), nullptr);
}

// The desktop's session manager asks before a log-out: unsaved changes are asked about as at a
// quit, and Cancel calls the log-out off with everything left open.
TEST_F(KeyTime, AnEndingSessionAsksAboutUnsavedChangesAndCancelKeepsIt)
{
    startWithTheBar();
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    ZEVKeyWindowController* w = keyWindow();
    ASSERT_NE(w, nullptr);
    struct Session final : tallomer::KELApplication::SessionEnd {
        bool allowsInteraction() override { return ++asked, allowed; }
        void cancel() override { ++cancelled; }
        bool allowed = true;
        int asked = 0, cancelled = 0;
    } session;

    // Nothing unsaved: nothing to ask.
    app()->sessionWillEnd(session);
    EXPECT_EQ(session.asked, 0);
    EXPECT_TRUE(alerts.empty());

    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    alertAnswer = 2; // Cancel
    app()->sessionWillEnd(session);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].buttons, (QStringList{"Save", "Don\u2019t Save", "Cancel"}));
    EXPECT_EQ(session.cancelled, 1);
    EXPECT_TRUE(w->isVisible());
    ASSERT_NE(keyTime().currentDocument(), nullptr);
    EXPECT_TRUE(keyTime().currentDocument()->isModified());
    EXPECT_FALSE(app()->isTerminating());
    EXPECT_TRUE(stops.empty());

    // Without leave to ask, nothing is shown and the session is not held up.
    session.allowed = false;
    app()->sessionWillEnd(session);
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(session.cancelled, 1);

    // Don't Save lets the session end; the session's own quit follows.
    session.allowed = true;
    alertAnswer = 1;
    app()->sessionWillEnd(session);
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(session.cancelled, 1);
    EXPECT_TRUE(stops.empty()) << "the program goes when the session says so";
}

TEST_F(KeyTime, AFileThatIsNotAKeyTimeDocumentIsRefusedInAnAlertNamingItAndLeftUntouched)
{
    startWithTheBar();
    const QString path = home + "/notes.keytime";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a KeyTime document");
    }
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 2);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].message.contains("notes.keytime"));
    EXPECT_EQ(keyTime().currentDocument(), nullptr);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a KeyTime document"));
}

TEST_F(KeyTime, AFileThatGivesNoDocumentIsNamedWithItsReasonAndTheOpenDocumentStaysAsItWas)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    const QString path = home + "/kept.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ZEVKeyDocument* kept = keyTime().currentDocument();
    ASSERT_NE(kept, nullptr);
    const QStringList before = titles();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();

    const struct {
        const char* name;
        QByteArray contents;
        const char* reason;
    } cases[] = {
        {"cut.keytime", bytes.left(bytes.size() - 5), "It is damaged: it was cut short or changed since it was saved."},
        {"words.keytime", "not a KeyTime document", "It is not a KeyTime document."},
        {"empty.keytime", "", "It is empty."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString bad = home + "/" + c.name;
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.contents);
        f.close();
        alerts.clear();
        typeIntoNextFileDialog(bad);
        chooseMenuItem(KELMainMenu::kMenuFile, 2);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, QStringLiteral("The document \u201c%1\u201d could not be opened.").arg(c.name));
        EXPECT_TRUE(alerts[0].informative.startsWith(QString::fromUtf8(c.reason))) << alerts[0].informative.toStdString();
        EXPECT_TRUE(alerts[0].informative.contains(QDir::toNativeSeparators(home)));
        EXPECT_EQ(keyTime().currentDocument(), kept);
        EXPECT_EQ(keyWindow(), w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(titles(), before);
        EXPECT_FALSE(kept->isModified());
        EXPECT_EQ(kept->filePath(), QFileInfo(path).absoluteFilePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.contents) << "the file was left as it was";
    }
}

TEST_F(KeyTime, AStepDatePastTheEndOfTimeIsRefusedTypedOrReadAndTheDeskStaysWhereItWas)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(titles(), QStringList{"Search 1"});
    KELICurseur* search = space()->searchCurseur();
    const KELDate date = search->now();

    // Typed: a beep, and nothing stored. The link base's own ends are no date either.
    QLineEdit* pos = w->cursorPosTextField();
    for (const QString& typed : {QStringLiteral("1e300"), QStringLiteral("-1e300"), QStringLiteral("4503599627370496")}) {
        const int beeps = sound.beeps;
        pos->setFocus();
        pos->selectAll();
        QTest::keyClicks(pos, typed);
        QTest::keyClick(pos, Qt::Key_Return);
        pump();
        EXPECT_EQ(sound.beeps, beeps + 1) << typed.toStdString();
        EXPECT_NEAR(keyTime().currentDocument()->steps()[0]->spaceDico()->value("CursorPos").toDouble(), date, 0.01);
        EXPECT_NEAR(search->now(), date, 1.0);
    }

    // Saved, then the file changed by another program: one date past the end of time, another
    // step's offset before its beginning.
    const QString path = home + "/far.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ASSERT_TRUE(QFileInfo::exists(path));
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    ASSERT_EQ(keyTime().currentDocument(), nullptr);
    const RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read);
    for (const auto& [key, value] : std::vector<std::pair<QString, double>>{{"CursorPos", 1e300}, {"RulerIn", -1e300}}) {
        QCborMap fields = *read.fields;
        QCborArray steps = fields.value("Steps").toArray();
        QCborMap step = steps.at(0).toMap();
        QCborMap dico = step.value("SpaceDico").toMap();
        dico.insert(key, value);
        step.insert(QStringLiteral("SpaceDico"), dico);
        steps[0] = step;
        fields.insert(QStringLiteral("Steps"), steps);
        ASSERT_TRUE(writeRecordFile(path, fields));
        const QByteArray bytes = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        // Opened: the document's alert, no window, the desk where it was, the file untouched.
        alerts.clear();
        typeIntoNextFileDialog(path);
        chooseMenuItem(KELMainMenu::kMenuFile, 2);
        ASSERT_EQ(alerts.size(), 1u) << key.toStdString();
        EXPECT_TRUE(alerts[0].message.contains("far.keytime"));
        EXPECT_EQ(keyTime().currentDocument(), nullptr);
        EXPECT_NEAR(search->now(), date, 1.0);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
    }
}

TEST_F(KeyTime, AStepWhoseDateIsATextIsRefusedWhenOpenedAndTheDeskStaysWhereItWas)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    const KELDate date = space()->searchCurseur()->now();
    const QString path = home + "/worded.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ASSERT_TRUE(QFileInfo::exists(path));
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    ASSERT_EQ(keyTime().currentDocument(), nullptr);

    // Another program wrote a word where the step's date is.
    RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read);
    QCborArray steps = read.fields->value("Steps").toArray();
    QCborMap step = steps.at(0).toMap();
    QCborMap dico = step.value("SpaceDico").toMap();
    dico.insert(QStringLiteral("CursorPos"), QStringLiteral("tomorrow"));
    step.insert(QStringLiteral("SpaceDico"), dico);
    steps[0] = step;
    read.fields->insert(QStringLiteral("Steps"), steps);
    ASSERT_TRUE(writeRecordFile(path, *read.fields));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();

    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 2);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The document \u201cworded.keytime\u201d could not be opened."));
    EXPECT_TRUE(alerts[0].informative.startsWith(QStringLiteral("It is damaged: its step 1 cannot be read.")));
    EXPECT_EQ(keyTime().currentDocument(), nullptr);
    EXPECT_NEAR(space()->searchCurseur()->now(), date, 1.0) << "not sent to the first day of 2001";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

TEST_F(KeyTime, WhatIsTypedAndNotYetEnteredIsKeptBySaveCloseAndTheButtonsAndGoesToItsOwnStep)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    const QString path = home + "/typed.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ASSERT_TRUE(QFileInfo::exists(path));
    ZEVKeyDocument* doc = keyTime().currentDocument();
    auto position = [&](int step) { return doc->steps()[std::size_t(step)]->spaceDico()->value("CursorPos").toDouble(); };
    auto typeInto = [&](QLineEdit* field, const QString& text) {
        w->activateWindow();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        pump();
    };

    // A date typed for the first step, then "+" without Return: the first step takes it, not the new one.
    typeInto(w->cursorPosTextField(), QStringLiteral("0.5"));
    click(w->addButton());
    ASSERT_EQ(titles().size(), 2);
    EXPECT_EQ(position(0), 0.5) << "the step the date was typed for";
    EXPECT_NEAR(space()->searchCurseur()->now(), 0.5, 1.0) << "and applied, as Return does";

    // The new step's title typed, then Ctrl+S: the file has the title.
    QTest::keyClicks(w->focusWidget(), QStringLiteral("Intro"));
    keyInWindow(Qt::Key_S, Qt::ControlModifier);
    {
        const RecordRead read = readRecordFile(path);
        ASSERT_TRUE(read);
        const QCborArray steps = read.fields->value("Steps").toArray();
        ASSERT_EQ(steps.size(), 2);
        EXPECT_EQ(steps.at(1).toMap().value("TableSummary").toString(), QStringLiteral("Intro"));
        EXPECT_EQ(steps.at(0).toMap().value("SpaceDico").toMap().value("CursorPos").toDouble(), 0.5);
    }
    EXPECT_FALSE(doc->isModified());

    // A date typed for the second step, then Ctrl+W: an unsaved change to ask about; Save keeps it.
    clickRow(1);
    typeInto(w->cursorPosTextField(), QStringLiteral("-1000000000"));
    alertAnswer = 0; // Save
    keyInWindow(Qt::Key_W, Qt::ControlModifier);
    advance(0.1);
    ASSERT_EQ(alerts.size(), 1u) << "the typed date is a change";
    EXPECT_EQ(keyTime().currentDocument(), nullptr);
    const RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read);
    const QCborArray steps = read.fields->value("Steps").toArray();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps.at(1).toMap().value("SpaceDico").toMap().value("CursorPos").toDouble(), -1000000000.0);
}

TEST_F(KeyTime, SaveOverAReadOnlyFileOrIntoAFolderRemovedIsToldAndLeavesTheFileAsItWas)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    const QString path = home + "/kept.keytime";
    typeIntoNextFileDialog(path);
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ASSERT_TRUE(QFileInfo::exists(path));
    const auto bytesOf = [](const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray saved = bytesOf(path);
    ZEVKeyDocument* doc = keyTime().currentDocument();

    // Made read-only by the user, then a step added and Save: told, and the file as it was.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    ASSERT_EQ(titles().size(), 2);
    keyInWindow(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The document \u201ckept.keytime\u201d could not be saved."));
    EXPECT_TRUE(alerts[0].informative.contains("read-only")) << alerts[0].informative.toStdString();
    EXPECT_EQ(bytesOf(path), saved);
    EXPECT_FALSE(QFileInfo(path).permissions() & QFileDevice::WriteOwner) << "still read-only";
    EXPECT_TRUE(doc->isModified());
    EXPECT_TRUE(w->windowTitle().startsWith("kept.keytime *")) << w->windowTitle().toStdString();

    // Save As into a folder that went meanwhile: told, nothing made, still unsaved.
    const QString gone = home + "/gone";
    ASSERT_TRUE(QDir().mkpath(gone));
    ASSERT_TRUE(QDir(gone).removeRecursively());
    typeIntoNextFileDialog(gone + "/talk.keytime");
    chooseMenuItem(KELMainMenu::kMenuFile, 4);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].message, QStringLiteral("The document \u201ctalk.keytime\u201d could not be saved."));
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->filePath(), QFileInfo(path).absoluteFilePath());

    // Writable again: Save writes both steps.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    keyInWindow(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_FALSE(doc->isModified());
    const RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.fields->value("Steps").toArray().size(), 2);
}

TEST_F(KeyTime, TheProgramEndingWhileANumberIsTypedInTheActiveKeyTimeWindowEndsQuietly)
{
    // As when the session ends: the program goes without the Quit command's questions, its
    // KeyTime window still up and a number typed in one of its fields.
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    pump();
    ASSERT_EQ(QApplication::activeWindow(), w);
    QLineEdit* pos = w->cursorPosTextField();
    pos->setFocus();
    pos->selectAll();
    QTest::keyClicks(pos, QStringLiteral("12"));
    pump();
    ASSERT_TRUE(pos->hasFocus());
    graph.reset();
    const QWidgetList left = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](QWidget* t) { return t->isVisible(); }))
        << "no window of the program is left";
}

TEST_F(KeyTime, WithNoStepSelectedTheFieldsAreEmptyMinusAndUpdateAreOffAndANumberTypedIsRefusedAloud)
{
    startWithTheBar();
    ZEVKeyWindowController* w = newDocumentWithASearchStep();
    ASSERT_NE(w, nullptr);
    click(w->addButton());
    keyInWindow(Qt::Key_Return);
    ASSERT_EQ(titles().size(), 2);
    EXPECT_TRUE(w->removeButton()->isEnabled());
    EXPECT_TRUE(w->updateButton()->isEnabled());
    ZEVKeyDocument* doc = keyTime().currentDocument();
    const double rulerIn = doc->steps()[0]->spaceDico()->value("RulerIn").toDouble();

    // The step removed: no step is selected, and none is offered.
    click(w->removeButton());
    ASSERT_EQ(titles().size(), 1);
    ASSERT_EQ(selectedRow(), -1);
    EXPECT_FALSE(w->removeButton()->isEnabled());
    EXPECT_FALSE(w->updateButton()->isEnabled());
    for (QLineEdit* f : {w->cursorPosTextField(), w->cursorInTextField(), w->cursorOutTextField(),
                         w->rulerInTextField(), w->rulerOutTextField()})
        EXPECT_TRUE(f->text().isEmpty()) << f->objectName().toStdString();

    // A number typed with no step to take it: a beep, and the field does not keep it.
    const int beeps = sound.beeps;
    w->activateWindow();
    w->rulerInTextField()->setFocus();
    QTest::keyClicks(w->rulerInTextField(), QStringLiteral("-5000"));
    QTest::keyClick(w->rulerInTextField(), Qt::Key_Return);
    pump();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_TRUE(w->rulerInTextField()->text().isEmpty());
    EXPECT_EQ(doc->steps()[0]->spaceDico()->value("RulerIn").toDouble(), rulerIn);

    // The remaining step clicked: its numbers, and both buttons again.
    clickRow(0);
    EXPECT_TRUE(w->removeButton()->isEnabled());
    EXPECT_TRUE(w->updateButton()->isEnabled());
    EXPECT_EQ(w->rulerInTextField()->text(), QString::asprintf("%.2f", rulerIn));
}

} // namespace
} // namespace e2e
