#pragma once
// The one table of every inspector panel and of the front's selection lists. Over a plain Qt
// table (rows selected by Qt, extended) it draws a time band behind every row: the row's presence
// intervals ("legos") on the scale of the timeline strip, so that a lego lies under the stretch of
// the strip its dates cover, coloured by where it lies against the active cursor's window and
// moment; over the rows the cursor's window, its moment and its edges. Clicks select rows and
// legos, a horizontal wheel moves time, the keys drive the strip and the history, and the
// type-select field selects rows by text. Everything it shows or does is asked of its zevClass.
//
// The owner's row array is not copied: it is read with bounds checks on every use. The selected,
// right-clicked and dragged legos are kept by link id and woken again when used, so an interval
// forgotten meanwhile is simply gone.

#include "engine/KELTypes.h"
#include "inspectors/table/ZEVLegoGeometry.h"
#include "inspectors/table/ZEVTableProtocols.h"
#include "services/ZEVInspectorServices.h"

#include <QColor>
#include <QPixmap>
#include <QFont>
#include <QPointer>
#include <QTableView>

#include <array>
#include <memory>
#include <vector>

class KELI;
class KELICurseur;
class QLinearGradient;
class QMenu;
class QMimeData;
class QPainter;

namespace tallomer {

class ZEVFrontViewerServices;
class ZEVInspectView;
class ZEVRulerViewer;
class ZEVSpaceController;
class ZEVTableModel;
class ZEVTlineView;
class ZEVTypeSelect;

class ZEVTableView : public QTableView, public ZEVLegoSource {
public:
    // The font a cell of that row height draws its text in: the given one, or a smaller one whose
    // accents and tails stay inside the row.
    static QFont fontFittingRow(const QFont& font, int rowHeight);
    // The mode columns: the columns that stand for front modes 0 Icons, 1 Titles, 2 Filters and
    // 3 Links. 4 is no mode.
    static constexpr int kModeNone = 4;
    // Codes of the strip's cursor view telling which part of the cursor is highlighted.
    static constexpr int kClickIn = 0, kClickOut = 1, kClickAll = 4, kClickNone = 10;

    // `inspectView` is the panel holding the table, nullptr for a table outside a panel.
    explicit ZEVTableView(QWidget* parent, ZEVInspectView* inspectView = nullptr);
    ~ZEVTableView() override;

    // ---- set-up, by the owner, in this order ----
    // Not owned; both outlive the table. Takes the cursors, the ruler, its axis and strip.
    void referencerSpaceController(ZEVSpaceController& space, ZEVFrontViewerServices* frontViewer);
    void setZevClass(ZEVTableViewClass* zevClass) { zevClass_ = zevClass; }
    void setLegoHeight(double height, double yOffset);
    // The owner's array, read where it stands (not copied); nullptr for none. The owner calls
    // reloadData after changing it.
    void setElements(const std::vector<ZEVTableElement>* elements);
    void setSiAllLegos(bool all) { siAllLegos_ = all; }
    void setSiArrowUpDown() { siArrowUpDown_ = true; }
    // Makes the table a selection list with that fixed mode.
    void setDefaultFrontMode(int mode);
    // The columns and which of them stand for the front modes (-1: none).
    void setColumnIdentifiers(const QStringList& ids);
    void setModeColumn(int mode, int column);
    void reloadData();

    // ---- state ----
    ZEVSpaceController* spaceController() const { return space_; }
    ZEVTableViewClass* zevClass() const { return zevClass_; }
    ZEVTableModel* tableModel() const { return model_; }
    ZEVInspectView* inspectView() const { return inspectView_; }
    int numberOfRows() const;
    // The row's element; nullptr outside the owner's array.
    const ZEVTableElement* element(int row) const;
    void setActifCurseur(KELICurseur* curseur);
    bool siNowCurseur() const { return siNowCurseur_; }
    int defaultFrontMode() const { return defaultFrontMode_; }
    int currentFrontMode() const { return currentFrontMode_; }
    bool siSelectionViewMode() const { return siSelectionViewMode_; }
    bool siAllLegos() const { return siAllLegos_; }
    bool siArrowUpDown() const { return siArrowUpDown_; }
    void frontModeDidChange();
    void selectionIsChanging();
    void selectionDidChange();
    int monoSelectedRow() const { return monoSelectedRow_; }
    int rightSelectedRow() const { return rightSelectedRow_; }
    // The column under the pointer at the last right click on a row; -1 before any.
    int rightSelectedColumn() const { return rightSelectedColumn_; }
    int previousColumn() const { return previousColumn_; }

    // ---- legos (woken again by id; nullptr once forgotten) ----
    KELI* selectedLego() const;
    KELI* rightSelectedLego() const;
    KELI* draggingLego() const override;
    // nullptr also gives the go-to kind back to the Space.
    void setDraggingLego(KELI* lego);
    // Clears the selected lego; true when there was one.
    bool deselectLego() override;
    void disableRightSelectedRow();
    // The first lego of the row whose rectangle holds the point (viewport coordinates).
    KELI* legoAtPoint(int row, const QPointF& point);

    // ---- colours ----
    void setFondColorOn(const QColor& c) { fondColorOn_ = c; }
    void setFondColorOff(const QColor& c) { fondColorOff_ = c; }
    void updateFondColor();
    const QColor& fondColor() const { return fondColor_; }
    // The band of the active cursor's window behind the rows.
    const QColor& curseurPeriodColor() const { return curseurPeriodColor_; }

    // ---- the scale, as the last paint (or prepare) set it ----
    // Takes the strip's width, the strip's left edge in the table and the cursor's dates.
    void viewWillDraw();
    const ZEVLegoScale& scale() const { return scale_; }
    double curseurNowPosition() const { return curseurNowPosition_; }
    double curseurInPosition() const { return curseurInPosition_; }
    double curseurOutPosition() const { return curseurOutPosition_; }

    // ---- menus ----
    QMenu* rowMenu() const { return rowMenu_; }
    QMenu* legoMenu() const { return legoMenu_; }
    // The menu for a right click on the row: the lego menu when the selected lego is the one right
    // clicked, else the row menu (as the delegate returns them); nullptr without a row.
    QMenu* menuForRow(int row);
    void menuAction(ZEVTableMenuAction action);
    // The edit commands while the table has the focus.
    void copy();
    void cut();
    void paste();

    // ---- drags out ----
    // What a drag of these rows shows under the pointer: each row's cells from `column` to the
    // end of the one after it (the picture and its title), drawn as the table draws them and
    // stacked in the rows' order, a few rows at most. `press` is where the drag began (viewport
    // coordinates); `hotSpot` gets that point in the picture. Null when nothing can be drawn.
    QPixmap dragPixmapForRows(const std::vector<int>& rows, int column, QPoint press, QPoint* hotSpot) const;
    // A drag of the rows started from that press, showing them as above.
    void execDragOut(std::unique_ptr<QMimeData> data, const std::vector<int>& rows, int column, QPoint press);

    // ---- events the owners pass on ----
    // The pointer moved over the table (viewport coordinates): the hovered column follows.
    void mouseMovedAtPoint(const QPointF& point);
    // Escape: the front viewer's step back.
    void cancelOperation();

    // ---- type-select ----
    ZEVTypeSelect* typeSelect() const { return typeSelect_.get(); }
    bool siTextSearching() const;
    void showSearchField();
    bool hideSearchField() override;

protected:
    // The keyboard focus came or went: the toggle bar and the front layer follow (the panel's
    // table lets its controller do it).
    virtual void focusDidChange();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    friend class ZEVTypeSelect;
    void construireLesMenus();
    ZEVTlineView* strip() const;
    ZEVRulerViewer* ruler() const;
    KELICurseur* actifCurseur() const;
    KELICurseur* nowCurseur() const;
    double stripShift() const;
    int currentChannelInt() const;
    bool siColonneDeMode(int column) const;
    int modeDeColonne(int column) const;
    QRectF rectOfRow(int row) const;
    QRectF rectOfColumn(int column) const;
    int selectedRowCount() const;
    void rightMouseDown(QMouseEvent* event);
    void mouseUpInSelectionList(QMouseEvent* event, int row);
    KELI* lienPourId(KELId id) const;

    // The drawing, in order: background, then per row what lies under the cells, the cells, then
    // what lies over them.
    void drawBackground(QPainter& p, const QRectF& clip);
    void drawRowUnderCells(QPainter& p, int row, bool& selectedRightClicked);
    void drawRowOverCells(QPainter& p, int row, bool selectedRightClicked);
    void drawCurseurLines(QPainter& p);

    ZEVSpaceController* space_ = nullptr;
    ZEVFrontViewerServices* frontViewer_ = nullptr;
    ZEVTableViewClass* zevClass_ = nullptr;
    ZEVTableModel* model_ = nullptr;
    ZEVInspectView* inspectView_ = nullptr;
    const std::vector<ZEVTableElement>* elements_ = nullptr;
    KELICurseur* actifCurseur_ = nullptr;

    bool siNowCurseur_ = true;
    bool siAllLegos_ = false;
    bool siArrowUpDown_ = false;
    bool siSelectionViewMode_ = false;
    int currentFrontMode_ = 0;
    int defaultFrontMode_ = kModeNone;
    std::array<int, 4> modeColumns_{-1, -1, -1, -1};
    int previousColumn_ = -1;

    double legoHeight_ = 19.0;
    double legoOffset_ = 0.0;
    ZEVLegoScale scale_;
    KELDate curseurNowDate_ = 0, curseurInDate_ = 0, curseurOutDate_ = 0;
    double curseurNowPosition_ = 0, curseurInPosition_ = 0, curseurOutPosition_ = 0;

    KELId selectedLegoId_ = 0;
    KELId rightSelectedLegoId_ = 0;
    KELId draggingLegoId_ = 0;
    int monoSelectedRow_ = -1;
    // While the model's answer to a proposed selection is being applied.
    bool siSelectionAnswer_ = false;
    int rightSelectedRow_ = -2;
    int rightSelectedColumn_ = -1;

    QColor fondColor_, fondColorOn_, fondColorOff_;
    QColor presentLegoColor_, curseurPeriodColor_;
    QColor passeColor2_, futurColor2_, presentLegoColor2_;

    QMenu* rowMenu_ = nullptr; // Qt children
    QMenu* legoMenu_ = nullptr;
    std::unique_ptr<ZEVTypeSelect> typeSelect_;
};

} // namespace tallomer
