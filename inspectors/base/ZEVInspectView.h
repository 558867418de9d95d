#pragma once
// The panel of an inspector: a child widget of the desk canvas' viewport hanging from the top of
// the front area, with its table, its status text and its controller's buttons built here, and
// its bar along the bottom edge carrying the marks of the active and the Now cursor where the time
// line shows them. Dragging the bar moves or resizes the panel; releasing a dragged bar keeps the
// geometry in the kind's ZEVInspect<Kind>X, W and H. All geometry is y-up in the front area's
// points; only setGeometry sees Qt's y-down.

#include "inspectors/base/ZEVInspectGeometry.h"
#include "inspectors/table/ZEVTableView.h"

#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QMenu;
class QPainter;

namespace tallomer {

class ZEVButton;
class ZEVInspectViewer;
class ZEVSpaceController;

class ZEVInspectView;

// The panel's shared table: it tells its controller when it gains or loses the keyboard focus.
class ZEVInspectTableView : public ZEVTableView {
public:
    ZEVInspectTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel);
    // From now on the table tells its viewer and its model nothing: its panel is being destroyed,
    // and the model may already be gone with the viewer's own kind.
    void leaveViewer()
    {
        siViewer_ = false;
        setZevClass(nullptr);
    }
    // The menu bar took the keys from the table for its keyboard navigation, and gives them back
    // when it is left: the table still has them for what the menus offer.
    bool siPreteeALaBarre() const { return siPreteeALaBarre_; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void focusDidChange() override;

private:
    ZEVInspectViewer& viewer_;
    bool siViewer_ = true;
    bool siPreteeALaBarre_ = false;
};

class ZEVInspectView : public QWidget {
public:
    // `kind` names the keys ("Icon" gives ZEVInspectIconX, W and H), whose initial values are
    // registered (never written) with the Space's defaults. The panel starts hidden, without a
    // parent; the controller hangs it from the canvas.
    ZEVInspectView(ZEVInspectViewer& viewer, QString kind, const ZEVInspectMetrics& initial);
    // The same with a table of the kind's own, made by `table` in place of the shared one.
    using TableFactory = std::function<ZEVInspectTableView*(ZEVInspectViewer&, ZEVInspectView*)>;
    ZEVInspectView(ZEVInspectViewer& viewer, QString kind, const ZEVInspectMetrics& initial, const TableFactory& table);
    ~ZEVInspectView() override;

    ZEVInspectViewer& viewer() const { return viewer_; }
    const ZEVInspectMetrics& metrics() const { return m_; }
    const QString& kind() const { return kind_; }
    QString keyX() const { return QStringLiteral("ZEVInspect%1X").arg(kind_); }
    QString keyW() const { return QStringLiteral("ZEVInspect%1W").arg(kind_); }
    QString keyH() const { return QStringLiteral("ZEVInspect%1H").arg(kind_); }
    ZEVInspectTableView* inspectTableView() const { return table_; }
    QLineEdit* searchField() const { return searchField_; }
    QLabel* inspectField() const { return field_; }
    // The count beside the bar's buttons, in a font small enough for it to read whole.
    void setCountText(const QString& text);
    ZEVButton* btnClose() const { return btnClose_; }
    ZEVButton* btnAdd() const { return btnAdd_; }
    ZEVButton* btnGotoPrevious() const { return btnGotoPrevious_; }
    ZEVButton* btnGotoNext() const { return btnGotoNext_; }
    ZEVButton* btnFind() const { return btnFind_; }
    ZEVButton* btnEntity() const { return btnEntity_; }
    // The four front-mode buttons (0 Icon, 1 Title, 2 Filter, 3 Link) and the five action buttons
    // in a row above the bar, for a kind that has them; nullptr until asked for.
    void ajouterBoutonsDAction();
    ZEVButton* btnFrontMode(int mode) const { return mode >= 0 && mode < 4 ? btnModes_[std::size_t(mode)] : nullptr; }
    ZEVButton* btnRecall() const { return btnRecall_; }
    ZEVButton* btnRetain() const { return btnRetain_; }
    ZEVButton* btnRelease() const { return btnRelease_; }
    ZEVButton* btnForget() const { return btnForget_; }
    ZEVButton* btnDeselect() const { return btnDeselect_; }
    int clickPosition() const { return clickPosition_; }
    bool siSelected() const { return siSelected_; }
    QRectF curseurActifRect() const { return curseurActifRect_; }
    QRectF curseurNowRect() const { return curseurNowRect_; }

    // The front area (y-up, origin at the canvas' lower left corner) and the header views' height.
    QRectF frontFrame() const;
    double headerViewsHeight() const;
    // The frame, y-up in the front area.
    QRectF frame() const { return frame_; }
    // With the constraint of the kind while no press runs and the panel hangs from the canvas.
    virtual void setFrame(const QRectF& r);
    void superSetFrame(const QRectF& r);
    QRectF closedRect() const;
    QRectF openedRect() const;
    QRectF inspectRect() const;
    virtual QRectF inspectBarRect() const;
    void displayInspectView() { update(); }
    void setSiSelected(bool selected);

    // The cursors' marks at the strip's x, and their hit rectangles (panel points, y-up).
    void majCurseurRects();
    // The panel's context menu, which the kinds fill.
    QMenu* inspectViewMenu() const { return menu_; }
    // The menu a secondary press at `p` (panel points, y-up) shows: the panel's inside the content
    // shape, none over the shadow's margin (the press goes on to the desk).
    QMenu* menuForPoint(const QPointF& p) const;

    // The cursors' marks (panel points, y-up) on `p`, which paints in Qt's y-down panel points.
    virtual void dessinerLesMarques(QPainter& p);

    // The table took the focus from a press on the panel: that press is the one giving the focus.
    void focusDonneeParUnClic();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Whether a plain click anywhere in the panel steps back, not only one on its bar.
    virtual bool siStepBackAnywhere() const { return false; }
    // The table put in its place, each time the panel lays out its content; a kind that holds
    // its table in more (a splitter with a preview) lays that out in the place instead.
    virtual void placeTable(const QRect& place);
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The press in progress, for a kind that handles its release itself.
    bool siMouseDragged() const { return siMouseDragged_; }
    bool siFirstClickDown() const { return siFirstClickDown_; }
    bool siDeplacementCurseur() const { return siDeplacementCurseur_; }
    void setSiDeplacementCurseur(bool moving) { siDeplacementCurseur_ = moving; }
    void setClickPosition(int position) { clickPosition_ = position; }
    // Keeps x, width and height (without its hidden 10 points) as the kind's geometry, written.
    void garderLaGeometrie(double x, double width, double height);
    QPointF yUpPoint(const QPointF& qtPoint) const { return yUp(qtPoint); }
    bool siDansLeContenu(const QPointF& p) const { return dansLeContenu(p); }

private:
    QPointF yUp(const QPointF& qtPoint) const { return QPointF(qtPoint.x(), height() - qtPoint.y()); }
    QPointF frontPoint(const QPointF& windowPoint) const;
    bool dansLeContenu(const QPointF& p) const;
    void lireLesCles();
    void ecrireLesCles();
    void placerLeContenu();
    void ajusterLeCompte();
    // Whether the count reads whole in `place` points, at a size no smaller than the smallest that reads.
    bool compteTient(int place) const;

    ZEVInspectViewer& viewer_;
    QString kind_;
    ZEVInspectMetrics m_;
    QRectF frame_;
    QPointF mouseLocForFrontView_;
    int clickPosition_ = ZEVInspectZoneNone;
    bool siMouseDragged_ = false;
    bool siFirstClickDown_ = false;
    bool siSelected_ = false;
    bool siDeplacementCurseur_ = false;
    bool siFocusParCeClic_ = false;
    QRectF curseurActifRect_;
    QRectF curseurNowRect_;

    ZEVInspectTableView* table_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QLabel* field_ = nullptr;
    ZEVButton* btnClose_ = nullptr;
    ZEVButton* btnAdd_ = nullptr;
    ZEVButton* btnGotoPrevious_ = nullptr;
    ZEVButton* btnGotoNext_ = nullptr;
    ZEVButton* btnFind_ = nullptr;
    ZEVButton* btnEntity_ = nullptr;
    std::array<ZEVButton*, 4> btnModes_{};
    ZEVButton* btnRecall_ = nullptr;
    ZEVButton* btnRetain_ = nullptr;
    ZEVButton* btnRelease_ = nullptr;
    ZEVButton* btnForget_ = nullptr;
    ZEVButton* btnDeselect_ = nullptr;
    QMenu* menu_ = nullptr;
    // Above the bar's buttons, so a mark passing under one stays in sight.
    QWidget* marques_ = nullptr;
};

} // namespace tallomer
