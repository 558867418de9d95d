#pragma once
// The type-select of a shared table: a text field that selects the rows matching what is typed,
// with an operation chosen by the modifiers (none: replace the selection; Ctrl: add; Ctrl+Alt:
// intersect; Ctrl+Shift: remove, Shift winning over Alt), and a menu of the recent searches.
// While the field shows, an application-wide filter watches presses and keys: Ctrl+Return sets
// the operation and ends the edit as a plain Return, a press outside the field hides it. The
// filter goes whenever the field goes: hidden by anyone, or the table or window destroyed.

#include <QObject>
#include <QPointer>
#include <QStringList>

class QAbstractButton;
class QAction;
class QLineEdit;
class QMenu;

namespace tallomer {

class ZEVTableView;

class ZEVTypeSelect final : public QObject {
public:
    static constexpr int kMaxRecents = 20;
    // The tags of the recents menu's items.
    static constexpr int kTagRecentsTitle = 1000, kTagRecents = 1001, kTagClear = 1002, kTagNoRecents = 1003;

    explicit ZEVTypeSelect(ZEVTableView& table);
    ~ZEVTypeSelect() override;

    // The field (and the button that shows it, may be null) the table's owner placed; the one
    // attached before is let go (a null field lets go of it alone).
    void attach(QLineEdit* field, QAbstractButton* button);
    QLineEdit* field() const { return field_; }

    bool siSearching() const { return siSearching_; }
    void show();
    // True when it hid the field.
    bool hide();
    // The operation a Ctrl+Return left for the action; 0 for none.
    int searchOperation() const { return searchOperation_; }
    // The operation of the modifiers held: 0 without Ctrl, else 3 with Shift, 1 with Alt, else 2.
    static int operationForModifiers(Qt::KeyboardModifiers modifiers);
    // The field's action: the pass of the type-select on the field's text.
    void updateSearchField();

    QMenu* recentsMenu() const { return recentsMenu_; }
    const QStringList& recents() const { return recents_; }
    bool siFilterInstalled() const { return siFilter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void majRecentsMenu();
    void ajouterRecent(const QString& text);
    void retirerLeFiltre();

    ZEVTableView& table_;
    QPointer<QLineEdit> field_;
    QPointer<QObject> fieldObject_; // the same field, for the event filter
    QPointer<QAbstractButton> button_;
    QPointer<QAction> recentsAction_; // in the field, which owns it
    QMenu* recentsMenu_ = nullptr; // owned here
    QStringList recents_;
    bool siSearching_ = false;
    bool siFilter_ = false;
    int searchOperation_ = 0;
};

} // namespace tallomer
