#pragma once
// The step table's model and controller: the document's steps as rows (title, comment; the
// tooltip on hover), edited only through the document's accessors, so that every change is
// undoable. It adds steps from the captured state, refreshes the selected step's state, moves
// rows dragged inside the table, takes steps dropped or pasted from elsewhere, and applies the
// state of the last selected step whenever the selection changes.

#include "keytime/ZEVKeyDocument.h"
#include "keytime/ZEVKeyStep.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

#include <optional>
#include <vector>

class QMimeData;

namespace tallomer {

// Where the table gets the state it captures and sends the state it applies (the KeyTime
// window).
class ZEVKeyCapture {
public:
    virtual ~ZEVKeyCapture() = default;
    // The present state; an empty dictionary when none of the ruler bar's mode buttons is on.
    virtual ZEVSpaceDico spaceDico() = 0;
    virtual void setSpaceDico(const std::optional<ZEVSpaceDico>& dico) = 0;
    // A refusal.
    virtual void beep() = 0;
};

class ZEVKeyArrayController final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kTitle = 0, kComment = 1, kColumns = 2 };

    // `document` and `capture` are not owned and outlive the controller.
    ZEVKeyArrayController(ZEVKeyDocument& document, ZEVKeyCapture& capture);

    // The table it selects in and edits (not owned); its selection drives the applying.
    void setTableView(QTableView* view);
    QTableView* tableView() const { return view_; }
    ZEVKeyDocument& document() const { return document_; }

    // ---- the model ----
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    QStringList mimeTypes() const override;
    // The dragged steps in both forms, with the moved-rows form.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // ---- commands ----
    // A step titled "Step n" (n = count + 1) that is not in the list yet.
    ZEVKeyStepPtr newObject() const;
    // `add:`: a step of the captured state, titled by its time word and number, at the end,
    // selected alone, its title open for editing. One undo entry.
    void add();
    // The last selected step takes the captured state; nothing without a selection.
    void updateStep();
    // Removes the selected steps as one undo entry.
    void remove();
    // The selected steps in both forms on the clipboard.
    void copy();
    // Appends the clipboard's steps and selects exactly them; a beep when it holds none.
    void paste();
    bool canPaste() const;

    // ---- drops ----
    // A drop at `row` (between rows; a negative row counts as 0, past the end as the end):
    // rows of this same table move (`fromThisTable`), steps from elsewhere are inserted there.
    // False, with a beep and nothing changed, when nothing reads as a step.
    bool acceptDrop(const QMimeData* data, int row, bool fromThisTable);
    // Moves the steps at `indexes` to `row` as one block, keeping their order; one undo entry.
    void moveObjectsInArrangedObjectsFromIndexes(const std::vector<int>& indexes, int row);
    static int rowsAboveRow(int row, const std::vector<int>& indexes);

    // ---- selection ----
    std::vector<int> selectedRows() const;
    // The selection becomes exactly rows first .. first + count - 1.
    void selectRange(int first, int count);

private:
    void selectionDidChange();
    QString titleForDico(const ZEVSpaceDico& dico, int number) const;

    ZEVKeyDocument& document_;
    ZEVKeyCapture& capture_;
    QPointer<QTableView> view_;
    // Inside our own selection changes the step is applied once, at their end.
    bool selecting_ = false;
};

} // namespace tallomer
