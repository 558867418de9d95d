#include "keytime/ZEVKeyArrayController.h"

#include "keytime/ZEVKeyPasteboard.h"
#include "platform/AppId.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTableView>

#include <algorithm>

namespace tallomer {

ZEVKeyArrayController::ZEVKeyArrayController(ZEVKeyDocument& document, ZEVKeyCapture& capture)
    : document_(document), capture_(capture)
{
    connect(&document_, &ZEVKeyDocument::willInsertStep, this, [this](int i) { beginInsertRows({}, i, i); });
    connect(&document_, &ZEVKeyDocument::didInsertStep, this, [this](int) { endInsertRows(); });
    connect(&document_, &ZEVKeyDocument::willRemoveStep, this, [this](int i) { beginRemoveRows({}, i, i); });
    connect(&document_, &ZEVKeyDocument::didRemoveStep, this, [this](int) { endRemoveRows(); });
    connect(&document_, &ZEVKeyDocument::stepChanged, this,
            [this](int i) { emit dataChanged(index(i, 0), index(i, kColumns - 1)); });
    connect(&document_, &ZEVKeyDocument::stepsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

void ZEVKeyArrayController::setTableView(QTableView* view)
{
    view_ = view;
    if (!view_)
        return;
    view_->setModel(this);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_)
            selectionDidChange();
    });
}

int ZEVKeyArrayController::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : document_.countOfSteps();
}

int ZEVKeyArrayController::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant ZEVKeyArrayController::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= document_.countOfSteps())
        return {};
    const ZEVKeyStep& s = *document_.objectInStepsAtIndex(index.row());
    if (role == Qt::ToolTipRole)
        return s.tooltip().value_or(QString());
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return index.column() == kTitle ? s.tableSummary().value_or(QString()) : s.body().value_or(QString());
}

QVariant ZEVKeyArrayController::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == kTitle ? QStringLiteral("Title") : QStringLiteral("Comment");
}

Qt::ItemFlags ZEVKeyArrayController::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

bool ZEVKeyArrayController::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= document_.countOfSteps())
        return false;
    const ZEVKeyStepPtr& s = document_.objectInStepsAtIndex(index.row());
    if (index.column() == kTitle)
        s->setTableSummary(value.toString());
    else
        s->setBody(value.toString());
    return true;
}

QStringList ZEVKeyArrayController::mimeTypes() const
{
    return {QString::fromLatin1(kStepPasteboardType), QString::fromLatin1(kMovedRowsPasteboardType),
            QStringLiteral("text/plain")};
}

QMimeData* ZEVKeyArrayController::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid())
            rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<ZEVKeyStepPtr> steps;
    for (int r : rows)
        steps.push_back(document_.objectInStepsAtIndex(r));
    std::unique_ptr<QMimeData> data = mimeDataForSteps(steps);
    data->setData(QString::fromLatin1(kMovedRowsPasteboardType), encodeMovedRows(rows));
    return data.release();
}

ZEVKeyStepPtr ZEVKeyArrayController::newObject() const
{
    auto step = std::make_shared<ZEVKeyStep>();
    step->setTableSummary(QStringLiteral("Step %1").arg(document_.countOfSteps() + 1));
    return step;
}

QString ZEVKeyArrayController::titleForDico(const ZEVSpaceDico& dico, int number) const
{
    // Captured with no mode button on: the number alone.
    const QString word = dico.value(QStringLiteral("Time")).toString();
    return word.isEmpty() ? QString::number(number) : QStringLiteral("%1 %2").arg(word, QString::number(number));
}

void ZEVKeyArrayController::add()
{
    const int n = document_.countOfSteps();
    const ZEVSpaceDico dico = capture_.spaceDico();
    auto step = std::make_shared<ZEVKeyStep>();
    step->setTableSummary(titleForDico(dico, n + 1));
    step->setSpaceDico(dico);
    document_.beginAction(QStringLiteral("Add Step"));
    document_.insertObjectInStepsAtIndex(step, n);
    document_.endAction();
    selectRange(n, 1);
    if (view_) {
        view_->setFocus();
        view_->edit(index(n, kTitle));
    }
}

void ZEVKeyArrayController::updateStep()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const ZEVSpaceDico dico = capture_.spaceDico();
    document_.beginAction(QStringLiteral("Update Step"));
    document_.objectInStepsAtIndex(rows.back())->setSpaceDico(dico);
    document_.endAction();
}

void ZEVKeyArrayController::remove()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    selecting_ = true;
    document_.beginAction(QStringLiteral("Remove"));
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        document_.removeObjectFromStepsAtIndex(*it);
    document_.endAction();
    selecting_ = false;
}

void ZEVKeyArrayController::copy()
{
    std::vector<ZEVKeyStepPtr> steps;
    for (int r : selectedRows())
        steps.push_back(document_.objectInStepsAtIndex(r));
    if (steps.empty())
        return;
    QGuiApplication::clipboard()->setMimeData(mimeDataForSteps(steps).release());
}

bool ZEVKeyArrayController::canPaste() const { return mimeDataHasSteps(QGuiApplication::clipboard()->mimeData()); }

void ZEVKeyArrayController::paste()
{
    const std::vector<ZEVKeyStepPtr> steps = stepsFromMimeData(QGuiApplication::clipboard()->mimeData());
    if (steps.empty()) {
        capture_.beep();
        return;
    }
    const int first = document_.countOfSteps();
    selecting_ = true;
    document_.beginAction(QStringLiteral("Paste"));
    for (std::size_t i = 0; i < steps.size(); ++i)
        document_.insertObjectInStepsAtIndex(steps[i], first + int(i));
    document_.endAction();
    selecting_ = false;
    selectRange(first, int(steps.size()));
}

bool ZEVKeyArrayController::acceptDrop(const QMimeData* data, int row, bool fromThisTable)
{
    row = std::clamp(row, 0, document_.countOfSteps());
    if (fromThisTable && data && data->hasFormat(QString::fromLatin1(kMovedRowsPasteboardType))) {
        const auto rows =
            decodeMovedRows(data->data(QString::fromLatin1(kMovedRowsPasteboardType)), document_.countOfSteps());
        if (!rows || rows->empty()) {
            capture_.beep();
            return false;
        }
        moveObjectsInArrangedObjectsFromIndexes(*rows, row);
        selectRange(row - rowsAboveRow(row, *rows), int(rows->size()));
        return true;
    }
    const std::vector<ZEVKeyStepPtr> steps = stepsFromMimeData(data);
    if (steps.empty()) {
        capture_.beep();
        return false;
    }
    selecting_ = true;
    document_.beginAction(QStringLiteral("Drop"));
    for (std::size_t i = 0; i < steps.size(); ++i)
        document_.insertObjectInStepsAtIndex(steps[i], row + int(i));
    document_.endAction();
    selecting_ = false;
    return true;
}

void ZEVKeyArrayController::moveObjectsInArrangedObjectsFromIndexes(const std::vector<int>& indexes, int row)
{
    std::vector<int> sorted = indexes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    int insertIndex = row;
    int aboveCount = 0;
    selecting_ = true;
    document_.beginAction(QStringLiteral("Move"));
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
        int take = *it;
        if (take >= insertIndex) {
            take += aboveCount;
            ++aboveCount;
        } else {
            --insertIndex;
        }
        if (take < 0 || take >= document_.countOfSteps())
            continue;
        const ZEVKeyStepPtr step = document_.objectInStepsAtIndex(take);
        document_.removeObjectFromStepsAtIndex(take);
        document_.insertObjectInStepsAtIndex(step, std::clamp(insertIndex, 0, document_.countOfSteps()));
    }
    document_.endAction();
    selecting_ = false;
}

int ZEVKeyArrayController::rowsAboveRow(int row, const std::vector<int>& indexes)
{
    return int(std::count_if(indexes.begin(), indexes.end(), [row](int i) { return i < row; }));
}

std::vector<int> ZEVKeyArrayController::selectedRows() const
{
    std::vector<int> rows;
    if (!view_ || !view_->selectionModel())
        return rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ZEVKeyArrayController::selectRange(int first, int count)
{
    if (!view_ || !view_->selectionModel())
        return;
    QItemSelection selection;
    if (count > 0 && first >= 0 && first + count <= rowCount())
        selection.select(index(first, 0), index(first + count - 1, kColumns - 1));
    selecting_ = true;
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (count > 0)
        view_->selectionModel()->setCurrentIndex(index(first + count - 1, 0), QItemSelectionModel::NoUpdate);
    selecting_ = false;
    selectionDidChange();
}

void ZEVKeyArrayController::selectionDidChange()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    capture_.setSpaceDico(document_.objectInStepsAtIndex(rows.back())->spaceDico());
}

} // namespace tallomer
