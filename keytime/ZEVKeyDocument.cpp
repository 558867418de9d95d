#include "keytime/ZEVKeyDocument.h"

#include "keytime/ZEVKeyUndo.h"
#include "platform/files/RecordFile.h"
#include "runtime/Date.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <cmath>

namespace tallomer {

namespace {

const QString kKind = QStringLiteral("Kind");
const QString kKeyTime = QStringLiteral("KeyTime");
const QString kSteps = QStringLiteral("Steps");
const QString kClass = QStringLiteral("Class");
const QString kStepClass = QStringLiteral("ZEVKeyStep");
const QString kBody = QStringLiteral("Body");
const QString kToolTip = QStringLiteral("ToolTip");
const QString kTableSummary = QStringLiteral("TableSummary");
const QString kSpaceDico = QStringLiteral("SpaceDico");

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// An optional text field: absent, or text.
bool readText(const QCborMap& map, const QString& key, std::optional<QString>* out, QString* error)
{
    const QCborValue v = map.value(key);
    if (v.isUndefined())
        return true;
    if (!v.isString())
        return fail(error, QStringLiteral("step field %1 is not text").arg(key));
    *out = v.toString();
    return true;
}

// The keys the KeyTime window reads, with the one type each may hold: a text there would read as
// the date 0 and send the desk to the first day of 2001.
enum class Sorte { Texte, Nombre, Drapeau };
std::optional<Sorte> sorteDe(const QString& key)
{
    static const QHash<QString, Sorte> sortes{{QStringLiteral("Time"), Sorte::Texte},
                                               {QStringLiteral("CursorPos"), Sorte::Nombre},
                                               {QStringLiteral("CursorIn"), Sorte::Nombre},
                                               {QStringLiteral("CursorOut"), Sorte::Nombre},
                                               {QStringLiteral("RulerIn"), Sorte::Nombre},
                                               {QStringLiteral("RulerOut"), Sorte::Nombre},
                                               {QStringLiteral("Animation"), Sorte::Drapeau}};
    const auto it = sortes.constFind(key);
    return it == sortes.constEnd() ? std::nullopt : std::optional<Sorte>(*it);
}

bool readDico(const QCborValue& v, ZEVSpaceDico* out, QString* error)
{
    if (!v.isMap())
        return fail(error, QStringLiteral("SpaceDico is not a map"));
    const QCborMap map = v.toMap();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!it.key().isString())
            return fail(error, QStringLiteral("SpaceDico has a key that is not text"));
        const QString key = it.key().toString();
        const QCborValue value = it.value();
        const std::optional<Sorte> sorte = sorteDe(key);
        if ((sorte == Sorte::Texte && !value.isString()) ||
            (sorte == Sorte::Nombre && !value.isDouble() && !value.isInteger()) ||
            (sorte == Sorte::Drapeau && !value.isBool()))
            return fail(error, QStringLiteral("SpaceDico value %1 is not of its kind").arg(key));
        if (value.isString()) {
            out->insert(key, value.toString());
        } else if (value.isBool()) {
            out->insert(key, value.toBool());
        } else if (value.isDouble() || value.isInteger()) {
            const double d = value.toDouble();
            if (!ZEVKeyDocument::siStepNumber(d))
                return fail(error, QStringLiteral("SpaceDico value %1 is not a date or a span of time").arg(key));
            out->insert(key, d);
        } else {
            return fail(error, QStringLiteral("SpaceDico value %1 is neither text, a number nor a flag").arg(key));
        }
    }
    return true;
}

QCborMap encodeDico(const ZEVSpaceDico& dico)
{
    QCborMap map;
    for (auto it = dico.constBegin(); it != dico.constEnd(); ++it) {
        const QVariant& v = it.value();
        if (v.typeId() == QMetaType::Bool)
            map.insert(it.key(), v.toBool());
        else if (v.typeId() == QMetaType::QString)
            map.insert(it.key(), v.toString());
        else if (v.canConvert<double>() && std::isfinite(v.toDouble()))
            map.insert(it.key(), v.toDouble());
        // Nothing else is ever put in a dictionary; what cannot be read back is not written.
    }
    return map;
}

} // namespace

bool ZEVKeyDocument::siStepNumber(double value)
{
    // The link base's open end (and the beginning of time) are no place a cursor can stand.
    return std::isfinite(value) && std::fabs(value) < KELDateOuverte;
}

ZEVKeyDocument::ZEVKeyDocument()
{
    connect(&undo_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

ZEVKeyDocument::~ZEVKeyDocument()
{
    // The stack's entries hold steps that point back here.
    for (const ZEVKeyStepPtr& s : steps_)
        s->setDocument(nullptr);
    undo_.clear();
}

int ZEVKeyDocument::indexOfStep(const ZEVKeyStep* step) const
{
    for (std::size_t i = 0; i < steps_.size(); ++i)
        if (steps_[i].get() == step)
            return int(i);
    return -1;
}

void ZEVKeyDocument::insertNow(ZEVKeyStepPtr step, int index)
{
    emit willInsertStep(index);
    step->setDocument(this);
    steps_.insert(steps_.begin() + index, std::move(step));
    emit didInsertStep(index);
}

ZEVKeyStepPtr ZEVKeyDocument::removeNow(int index)
{
    emit willRemoveStep(index);
    ZEVKeyStepPtr step = steps_.at(std::size_t(index));
    steps_.erase(steps_.begin() + index);
    emit didRemoveStep(index);
    return step;
}

void ZEVKeyDocument::insertObjectInStepsAtIndex(ZEVKeyStepPtr step, int index)
{
    if (!step || index < 0 || index > countOfSteps())
        return;
    step->setDocument(this);
    undo_.push(new ZEVKeyUndoCommand(
        QStringLiteral("Insert"), [this, step, index] { insertNow(step, index); }, [this, index] { removeNow(index); }));
}

void ZEVKeyDocument::removeObjectFromStepsAtIndex(int index)
{
    if (index < 0 || index >= countOfSteps())
        return;
    ZEVKeyStepPtr step = steps_.at(std::size_t(index));
    undo_.push(new ZEVKeyUndoCommand(
        QStringLiteral("Remove"), [this, index] { removeNow(index); }, [this, step, index] { insertNow(step, index); }));
}

void ZEVKeyDocument::replaceObjectInStepsAtIndex(int index, ZEVKeyStepPtr step)
{
    if (!step || index < 0 || index >= countOfSteps())
        return;
    ZEVKeyStepPtr old = steps_.at(std::size_t(index));
    step->setDocument(this);
    auto put = [this, index](const ZEVKeyStepPtr& s) {
        steps_.at(std::size_t(index)) = s;
        s->setDocument(this);
        emit stepChanged(index);
    };
    undo_.push(new ZEVKeyUndoCommand(QStringLiteral("Replace"), [put, step] { put(step); }, [put, old] { put(old); }));
}

void ZEVKeyDocument::stepDidChange(ZEVKeyStep* step)
{
    const int i = indexOfStep(step);
    if (i >= 0)
        emit stepChanged(i);
}

QString ZEVKeyDocument::displayName() const
{
    return filePath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(filePath_).fileName();
}

QCborMap ZEVKeyDocument::encodeStep(const ZEVKeyStep& step)
{
    QCborMap m;
    m.insert(kClass, kStepClass);
    if (step.body())
        m.insert(kBody, *step.body());
    if (step.tooltip())
        m.insert(kToolTip, *step.tooltip());
    if (step.tableSummary())
        m.insert(kTableSummary, *step.tableSummary());
    if (step.spaceDico())
        m.insert(kSpaceDico, encodeDico(*step.spaceDico()));
    return m;
}

std::optional<ZEVKeyStepPtr> ZEVKeyDocument::decodeStep(const QCborValue& value, QString* error)
{
    if (!value.isMap())
        return fail(error, QStringLiteral("a step is not a map")), std::nullopt;
    const QCborMap m = value.toMap();
    if (m.value(kClass) != QCborValue(kStepClass))
        return fail(error, QStringLiteral("an entry is not of class ZEVKeyStep")), std::nullopt;
    std::optional<QString> body, tooltip, title;
    if (!readText(m, kBody, &body, error) || !readText(m, kToolTip, &tooltip, error) ||
        !readText(m, kTableSummary, &title, error))
        return std::nullopt;
    std::optional<ZEVSpaceDico> dico;
    const QCborValue d = m.value(kSpaceDico);
    if (!d.isUndefined()) {
        ZEVSpaceDico read;
        if (!readDico(d, &read, error))
            return std::nullopt;
        dico = std::move(read);
    }
    return std::make_shared<ZEVKeyStep>(std::move(title), std::move(body), std::move(tooltip), std::move(dico));
}

QCborArray ZEVKeyDocument::encodeSteps(const std::vector<ZEVKeyStepPtr>& steps)
{
    QCborArray a;
    for (const ZEVKeyStepPtr& s : steps)
        a.append(encodeStep(*s));
    return a;
}

std::optional<std::vector<ZEVKeyStepPtr>> ZEVKeyDocument::decodeSteps(const QCborValue& value, QString* error)
{
    if (!value.isArray())
        return fail(error, QStringLiteral("the steps are not a list")), std::nullopt;
    std::vector<ZEVKeyStepPtr> out;
    for (const QCborValue& v : value.toArray()) {
        QString why;
        auto step = decodeStep(v, &why);
        if (!step)
            return fail(error, QStringLiteral("step %1: %2").arg(out.size() + 1).arg(why)), std::nullopt;
        out.push_back(std::move(*step));
    }
    return out;
}

QCborMap ZEVKeyDocument::encode() const
{
    QCborMap m;
    m.insert(kKind, kKeyTime);
    m.insert(kSteps, encodeSteps(steps_));
    return m;
}

std::optional<std::vector<ZEVKeyStepPtr>> ZEVKeyDocument::decode(const QCborMap& map, QString* error)
{
    if (map.value(kKind) != QCborValue(kKeyTime))
        return fail(error, QStringLiteral("not a KeyTime document")), std::nullopt;
    return decodeSteps(map.value(kSteps), error);
}

namespace {

// Why a file gives no document, in the user's words.
QString raisonPourLaLecture(const QString& path, const RecordRead& read)
{
    const QFileInfo info(path);
    switch (read.problem) {
    case RecordProblem::NotAFile:
        if (!info.exists())
            return QStringLiteral("It is no longer there.");
        return info.isDir() ? QStringLiteral("It is a folder, not a document.")
                            : QStringLiteral("It is not an ordinary file.");
    case RecordProblem::Unreadable:
        return QStringLiteral("It could not be read: %1.").arg(read.systemReason);
    case RecordProblem::TooLarge:
        return QStringLiteral("It is far larger than a KeyTime document can be.");
    case RecordProblem::NotARecord:
        return info.size() == 0 ? QStringLiteral("It is empty.") : QStringLiteral("It is not a KeyTime document.");
    case RecordProblem::OtherVersion:
        return QStringLiteral("It was written in a format this version cannot read.");
    case RecordProblem::Damaged:
    case RecordProblem::None:
        break;
    }
    return QStringLiteral("It is damaged: it was cut short or changed since it was saved.");
}

} // namespace

FileResult ZEVKeyDocument::readFromFile(const QString& path, QString* reason)
{
    const RecordRead read = readRecordFile(path);
    if (!read) {
        if (reason)
            *reason = raisonPourLaLecture(path, read);
        return FileResult::failure(read.error);
    }
    if (read.fields->value(kKind) != QCborValue(kKeyTime)) {
        if (reason)
            *reason = QStringLiteral("It is not a KeyTime document.");
        return FileResult::failure(QStringLiteral("%1: not a KeyTime document").arg(path));
    }
    QString error;
    auto steps = decode(*read.fields, &error);
    if (!steps) {
        static const QRegularExpression etape(QStringLiteral("^step (\\d+):"));
        const QRegularExpressionMatch m = etape.match(error);
        if (reason)
            *reason = m.hasMatch() ? QStringLiteral("It is damaged: its step %1 cannot be read.").arg(m.captured(1))
                                   : QStringLiteral("It is damaged: it holds no list of steps.");
        return FileResult::failure(QStringLiteral("%1: %2").arg(path, error));
    }
    undo_.clear();
    for (const ZEVKeyStepPtr& s : steps_)
        s->setDocument(nullptr);
    steps_ = std::move(*steps);
    for (const ZEVKeyStepPtr& s : steps_)
        s->setDocument(this);
    filePath_ = path;
    emit stepsReset();
    return FileResult::success();
}

FileResult ZEVKeyDocument::writeToFile(const QString& path)
{
    // The file is replaced by a rename, which a file's own permissions do not stop: one the user
    // made read-only (or that is not theirs to write) would be overwritten all the same. Its
    // write bits are read too, as the administrator may write anything.
    const QFileInfo existing(path);
    if (existing.exists() && existing.isFile() &&
        (!existing.isWritable() ||
         !(existing.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther))))
        return FileResult::failure(
            QStringLiteral("\u201c%1\u201d is read-only: it was left as it was.").arg(existing.fileName()));
    const FileResult written = writeRecordFile(path, encode());
    if (!written)
        return written;
    filePath_ = path;
    undo_.setClean();
    return written;
}

} // namespace tallomer
