#pragma once
// The small widgets of the ruler bar: its date boxes, its date pickers, its calendar panel and the
// box that hands the wheel to the ruler viewer. Each belongs to the bar (a Qt child), and knows
// the bar and the ruler viewer, which outlive it.

#include "runtime/Date.h"

#include <QDateTimeEdit>
#include <QWidget>

#include <functional>
#include <optional>

class QCalendarWidget;
class QLabel;
class QMenu;

namespace tallomer {

class ZEVRulerViewbar;
class ZEVRulerViewer;

// A date box of the bar: From, the cursor's box (Period) or Until, its role read from its title.
// It draws its fill, opens its menu on a right click (also one passed on by its pickers) and sends
// the wheel to the strip while the Ruler button is on, else to the active cursor's view.
class ZEVRulerBox final : public QWidget {
    Q_OBJECT
public:
    ZEVRulerBox(const QString& title, ZEVRulerViewbar& bar, ZEVRulerViewer& viewer, QWidget* parent);

    bool siFromBox() const { return siFromBox_; }
    bool siPeriodBox() const { return siPeriodBox_; }
    bool siUntilBox() const { return siUntilBox_; }
    const QColor& fillColor() const { return fillColor_; }
    void setFillColor(const QColor& color);
    QMenu* menu() const { return menu_; }
    // The menu of a right click: none, with a beep, while a move runs; the items tagged 1000 and
    // 1001 show only while the bar shows the Search cursor.
    QMenu* menuForEvent();
    // Opens the menu at a global position; false when there was none.
    bool ouvrirMenu(const QPoint& globalPosition);
    // Not owned: the strip or the cursor view that got the last wheel event; nullptr before.
    const void* targetView() const { return targetView_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    ZEVRulerViewbar& bar_;   // not owned
    ZEVRulerViewer& viewer_; // not owned
    bool siFromBox_ = false;
    bool siPeriodBox_ = false;
    bool siUntilBox_ = false;
    QColor fillColor_;
    QMenu* menu_ = nullptr; // a Qt child
    const void* targetView_ = nullptr;
};

// A date picker of the bar. It shows the local wall clock of a date and hands the date the user
// picked, through its action, after a step of its arrows or keys, or after typing ended with a
// change. It takes the keyboard only when the bar lets it; its wheel goes to its box, and a right
// click opens its box's menu. A click selects the field under the pointer, so that digits typed
// replace it. From the first key typed until Return (or the keyboard leaving it) applies, or Esc
// puts back the date the bar shows, the refreshes leave the fields to the user.
class ZEVRulerDatePicker final : public QDateTimeEdit {
    Q_OBJECT
public:
    ZEVRulerDatePicker(ZEVRulerBox* box, ZEVRulerViewbar& bar, const QString& format, QWidget* parent);

    void setAction(std::function<void()> action) { action_ = std::move(action); }
    ZEVRulerBox* rulerBox() const { return box_; }
    // Shows the date, unless the user is typing into the picker: then it is only kept, for Esc.
    void afficherDate(KELDate date);
    // The user has typed into the fields since they last showed a date.
    bool siEdition() const { return siEdition_ || siModifie_; }
    // Esc: the fields show the bar's date again; nothing moves.
    void annulerEdition();
    // What is typed and not entered yet is entered, as Return would; fields that make no date are
    // refused aloud (once for what was typed) and kept, to be mended or dropped with Esc.
    void entrerEdition();
    // Typing is under way whose fields make no date.
    bool siSaisieRefusee() const { return siEdition() && !siSaisieComplete(); }

    // The date the picker holds, read through the local time zone; nothing when its fields make
    // no date.
    std::optional<KELDate> dateChoisie() const;
    bool acceptsFirstResponder() const;
    // The focus policy follows acceptsFirstResponder; a picker that may not keep the keyboard
    // gives it up.
    void majFocus();
    QColor textColor() const;
    void setTextColor(const QColor& color);

protected:
    void stepBy(int steps) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    void agir();
    void montrer(KELDate date);
    // Typing ended (Return, or the keyboard went elsewhere): a changed date is applied, else the
    // fields show the bar's date again.
    void finirEdition();
    // Whether the fields as typed make a date whose wall clock reads as they do.
    bool siSaisieComplete() const;
    // The wall-clock fields the picker stands for: its own, completed by those of the moment the
    // bar shows now.
    QDateTime champsChoisis() const;

    ZEVRulerBox* box_;     // not owned: a Qt sibling or parent
    ZEVRulerViewbar& bar_; // not owned
    std::function<void()> action_;
    // The fields last shown: the date of a time-only picker and the time of a date-only one.
    QDateTime champs_;
    // The date the bar last asked to show, shown again when an edit is dropped.
    std::optional<KELDate> dateAffichee_;
    bool siAffichage_ = false;
    // The fields as typed were refused by an entry asked from elsewhere; said once until typed again.
    bool siRefusDit_ = false;
    // The fields make a date other than the one shown.
    bool siModifie_ = false;
    // A key changed the fields, possibly to a value not complete yet.
    bool siEdition_ = false;
    bool siPas_ = false;
    // The field the last key typed a digit into, -1 after any other key: a separator typed once
    // the fields have moved past it (now or on a later event) only ends that field.
    int champDuChiffre_ = -1;
};

// The calendar panel: a calendar of the moment shown and its long date line, in a tool window that
// never takes the keyboard. A press on a day is only noted; the pick comes with the release. The
// months are browsed with the arrows and the month menu; the year is no field to type in.
class ZEVRulerPickerPanel final : public QWidget {
    Q_OBJECT
public:
    ZEVRulerPickerPanel(ZEVRulerViewbar& bar, ZEVRulerViewer& viewer, QWidget* parent);

    QCalendarWidget* calendar() const { return calendar_; }
    QLabel* dateLine() const { return dateLine_; }
    // The calendar's own colour (its selected day and its month's bar, on white) and the date
    // line's (on the panel's dark ground).
    void setTextColors(const QColor& calendar, const QColor& dateLine);
    QColor calendarColor() const;
    QColor textColor() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZEVRulerViewbar& bar_;                // not owned
    ZEVRulerViewer& viewer_;              // not owned
    QCalendarWidget* calendar_ = nullptr; // Qt children
    QWidget* days_ = nullptr;             // the viewport of the calendar's table of days
    QLabel* dateLine_ = nullptr;
};

// A box of the bar that hands its wheel to the ruler viewer (the active cursor's view).
class ZEVScrollBox final : public QWidget {
    Q_OBJECT
public:
    explicit ZEVScrollBox(QWidget* parent) : QWidget(parent) {}
    // Not owned; nullptr sends nothing.
    void setRulerViewer(ZEVRulerViewer* viewer) { viewer_ = viewer; }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    ZEVRulerViewer* viewer_ = nullptr;
};

} // namespace tallomer
