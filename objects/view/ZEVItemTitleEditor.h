#pragma once
// An Object's title edited in place: a line editor laid over the title, on the canvas that shows
// the view. Return keeps a changed text (through the item viewer), as leaving the editor does;
// Escape puts the title back.

class QLineEdit;

namespace tallomer {

class ZEVItemView;

class ZEVItemTitleEditor {
public:
    explicit ZEVItemTitleEditor(ZEVItemView& view) : view_(view) {}
    ZEVItemTitleEditor(const ZEVItemTitleEditor&) = delete;
    ZEVItemTitleEditor& operator=(const ZEVItemTitleEditor&) = delete;

    // False when it cannot start: the title is hidden or no canvas shows the view.
    bool start();
    // `keep` sends a changed text to the item viewer.
    void end(bool keep);
    // The line editor while an edit runs; nullptr otherwise.
    QLineEdit* editor() const { return editor_; }

private:
    ZEVItemView& view_;
    QLineEdit* editor_ = nullptr; // owned by the canvas' viewport while an edit runs
};

} // namespace tallomer
