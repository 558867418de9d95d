#pragma once
// An undo entry made of its two directions.

#include <QUndoCommand>

#include <functional>
#include <utility>

namespace tallomer {

class ZEVKeyUndoCommand final : public QUndoCommand {
public:
    ZEVKeyUndoCommand(const QString& text, std::function<void()> redo, std::function<void()> undo)
        : QUndoCommand(text), redo_(std::move(redo)), undo_(std::move(undo))
    {
    }
    void redo() override { redo_(); }
    void undo() override { undo_(); }

private:
    std::function<void()> redo_;
    std::function<void()> undo_;
};

} // namespace tallomer
