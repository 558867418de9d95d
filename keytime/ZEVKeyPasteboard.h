#pragma once
// Steps on the clipboard and in drags: the step type (a CBOR list of step maps, read through the
// bounded reader) then plain text (each step's description, one per line). Plain text read back
// is one new step whose comment is the text. The moved-rows type carries the dragged row numbers
// and is read only from a drag of the same table.

#include "keytime/ZEVKeyStep.h"

#include <QByteArray>
#include <QMimeData>

#include <memory>
#include <optional>
#include <vector>

namespace tallomer {

std::unique_ptr<QMimeData> mimeDataForSteps(const std::vector<ZEVKeyStepPtr>& steps);
// The steps the data gives: those of the step type when it is there (nothing when it is
// damaged: a damaged list is refused, not half read), else one made from plain text; empty for
// nothing.
std::vector<ZEVKeyStepPtr> stepsFromMimeData(const QMimeData* data);
bool mimeDataHasSteps(const QMimeData* data);

QByteArray encodeMovedRows(const std::vector<int>& rows);
// Absent when the bytes are not a list of row numbers below `rowCount`.
std::optional<std::vector<int>> decodeMovedRows(const QByteArray& bytes, int rowCount);

} // namespace tallomer
