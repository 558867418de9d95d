#include "keytime/ZEVKeyPasteboard.h"

#include "keytime/ZEVKeyDocument.h"
#include "platform/AppId.h"
#include "platform/files/BoundedCbor.h"

#include <QCborArray>
#include <QCborValue>
#include <QStringList>

#include <algorithm>

namespace tallomer {

namespace {

// Parses bytes we did not write: bounded first, then decoded.
std::optional<QCborValue> boundedValue(const QByteArray& bytes)
{
    if (!cborWithinBounds(bytes))
        return std::nullopt;
    QCborParserError error;
    QCborValue v = QCborValue::fromCbor(bytes, &error);
    if (error.error != QCborError::NoError)
        return std::nullopt;
    return v;
}

} // namespace

std::unique_ptr<QMimeData> mimeDataForSteps(const std::vector<ZEVKeyStepPtr>& steps)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kStepPasteboardType), QCborValue(ZEVKeyDocument::encodeSteps(steps)).toCbor());
    QStringList text;
    for (const ZEVKeyStepPtr& s : steps)
        text << s->description();
    data->setText(text.join(QLatin1Char('\n')));
    return data;
}

std::vector<ZEVKeyStepPtr> stepsFromMimeData(const QMimeData* data)
{
    if (!data)
        return {};
    const QString type = QString::fromLatin1(kStepPasteboardType);
    if (data->hasFormat(type)) {
        const std::optional<QCborValue> v = boundedValue(data->data(type));
        if (!v)
            return {};
        auto steps = ZEVKeyDocument::decodeSteps(*v, nullptr);
        return steps ? std::move(*steps) : std::vector<ZEVKeyStepPtr>{};
    }
    if (data->hasText())
        return {ZEVKeyStep::fromText(data->text())};
    return {};
}

bool mimeDataHasSteps(const QMimeData* data) { return !stepsFromMimeData(data).empty(); }

QByteArray encodeMovedRows(const std::vector<int>& rows)
{
    QCborArray a;
    for (int r : rows)
        a.append(r);
    return QCborValue(a).toCbor();
}

std::optional<std::vector<int>> decodeMovedRows(const QByteArray& bytes, int rowCount)
{
    const std::optional<QCborValue> v = boundedValue(bytes);
    if (!v || !v->isArray())
        return std::nullopt;
    std::vector<int> rows;
    for (const QCborValue& r : v->toArray()) {
        if (!r.isInteger() || r.toInteger() < 0 || r.toInteger() >= rowCount)
            return std::nullopt;
        rows.push_back(int(r.toInteger()));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace tallomer
