#pragma once
// A KeyTime document: the ordered steps of one presentation, kept in one file of our own record
// format, edited only through the accessors below so that every insertion, removal, replacement
// and field change is an entry of the document's undo stack. The document is modified while
// that stack is not at its clean state.
//
// File: a record file (platform/files/RecordFile.h) whose map is
//   "Kind": "KeyTime",
//   "Steps": [ { "Class": "ZEVKeyStep", "Body": text, "ToolTip": text, "TableSummary": text,
//                "SpaceDico": { key: text | finite number | flag } }, ... ]
// "Time" is text, the five dates and offsets numbers, "Animation" a flag. Absent step keys read as
// no value. Anything else (another kind, a wrong type, a nested or non-finite value in a
// dictionary) makes the whole file unreadable: it is refused, never half read.

#include "keytime/ZEVKeyStep.h"
#include "platform/files/FileResult.h"

#include <QCborArray>
#include <QCborMap>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <optional>
#include <vector>

namespace tallomer {

inline constexpr const char* kKeyTimeExtension = "keytime";

class ZEVKeyDocument final : public QObject {
    Q_OBJECT
public:
    ZEVKeyDocument();
    ~ZEVKeyDocument() override;

    // ---- the steps ----
    int countOfSteps() const { return int(steps_.size()); }
    const ZEVKeyStepPtr& objectInStepsAtIndex(int index) const { return steps_.at(std::size_t(index)); }
    const std::vector<ZEVKeyStepPtr>& steps() const { return steps_; }
    int indexOfStep(const ZEVKeyStep* step) const;
    // Each is one undo entry (or part of the open macro); the step joins the document.
    void insertObjectInStepsAtIndex(ZEVKeyStepPtr step, int index);
    void removeObjectFromStepsAtIndex(int index);
    void replaceObjectInStepsAtIndex(int index, ZEVKeyStepPtr step);

    QUndoStack& undoStack() { return undo_; }
    // One user action is one macro: one Undo undoes all of it.
    void beginAction(const QString& name) { undo_.beginMacro(name); }
    void endAction() { undo_.endMacro(); }
    bool isModified() const { return !undo_.isClean(); }

    // ---- the file ----
    const QString& filePath() const { return filePath_; }
    // "Untitled" until saved; then the file's name without its folder.
    QString displayName() const;
    // Replaces the steps by the file's (not undoable: a document is read once, when opened). On
    // failure the document is left as it was, and `reason` tells the user why in one sentence.
    FileResult readFromFile(const QString& path, QString* reason = nullptr);
    // Atomic; on success the document takes the path and is no longer modified. On failure (a
    // read-only file among them) it stays modified and keeps its path, and the file is left as
    // it was.
    FileResult writeToFile(const QString& path);

    // ---- the forms ----
    // Whether a number of a step's state (a date, an offset of a cursor or the ruler) is one a
    // step may hold: finite and inside the link base's time. Steps come from files and other
    // programs: a number past that would send the desk beyond the end of time.
    static bool siStepNumber(double value);
    static QCborMap encodeStep(const ZEVKeyStep& step);
    // Absent, with `error` set, when the map is not a step.
    static std::optional<ZEVKeyStepPtr> decodeStep(const QCborValue& value, QString* error);
    static QCborArray encodeSteps(const std::vector<ZEVKeyStepPtr>& steps);
    static std::optional<std::vector<ZEVKeyStepPtr>> decodeSteps(const QCborValue& value, QString* error);
    QCborMap encode() const;
    static std::optional<std::vector<ZEVKeyStepPtr>> decode(const QCborMap& map, QString* error);

    // A step of this document changed (for its table).
    void stepDidChange(ZEVKeyStep* step);

signals:
    void willInsertStep(int index);
    void didInsertStep(int index);
    void willRemoveStep(int index);
    void didRemoveStep(int index);
    void stepChanged(int index);
    void stepsReset();
    void modifiedChanged(bool modified);

private:
    void insertNow(ZEVKeyStepPtr step, int index);
    ZEVKeyStepPtr removeNow(int index);

    std::vector<ZEVKeyStepPtr> steps_;
    QUndoStack undo_;
    QString filePath_;
};

} // namespace tallomer
