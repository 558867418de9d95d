#pragma once
// The browser's look: the grey background of windows and columns, the table header that keeps a
// band below the column titles for a date ruler strip, the table that turns mouse presses and
// drags into row choices for its column, and the colour table the link cells draw with.

#include <QColor>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace tallomer {

// Built once, on first use, and kept for the run.
struct GUICouleurs {
    QColor CouleurFond, CouleurLienM, CouleurLienR;
    QColor SelectionCouleurBdFocus, SelectionCouleurBd, SelectionCouleurHlFocus, SelectionCouleurHl;
    QColor LegoCouleur, LegoCouleurHl, LegoCouleurBordClair, LegoCouleurBordFonce;
    QColor MarkerCouleurIn, MarkerCouleurUp, MarkerCouleurDown;
    QColor TexteCouleurBlack, TexteCouleurDarkGray, TexteCouleurModel, TexteCouleurRedDark, TexteCouleurBlue,
        TexteCouleurBlueDark;

    static const GUICouleurs& table();
};

// Grey 0.8 behind everything it holds.
class GUIView : public QWidget {
public:
    explicit GUIView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A horizontal header as tall as its titles plus the ruler band; the titles keep their own height
// and the band below them stays free for the strip a column lays there.
class GUITableHeaderView : public QHeaderView {
public:
    explicit GUITableHeaderView(QWidget* parent = nullptr);
    void setHauteurRuler(double h);
    void setHauteurHeader(double h);
    double hauteurRuler() const { return hauteurRuler_; }
    double hauteurHeader() const { return hauteurHeader_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    double hauteurRuler_ = 0;
    double hauteurHeader_ = 0;
};

// What a table tells its column. Rows are -1 below the last row.
class GUITableViewClient {
public:
    virtual ~GUITableViewClient() = default;
    virtual bool tableShouldSelectRow(int row, Qt::KeyboardModifiers modifiers) = 0;
    virtual void tableSimpleClick(int clickedRow, Qt::KeyboardModifiers modifiers) = 0;
    virtual void tableDoubleClick(int clickedRow, Qt::KeyboardModifiers modifiers) = 0;
};

// The table's own selection is never used: presses and drags go to the client as row choices, a
// release as the click action. A press with Control (Meta) held is ignored.
class GUITableView : public QTableView {
public:
    explicit GUITableView(QWidget* parent = nullptr);
    void setClient(GUITableViewClient* client) { client_ = client; }
    // Brings the row wholly into sight now, rows added by a reload just before included: the
    // scroll range follows a reload only later, and a row past its old end would stay out of reach.
    void montrerLaLigne(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void choisirSous(QMouseEvent* event);

    GUITableViewClient* client_ = nullptr; // not owned: the column owns this table
    bool appuye_ = false;
    bool doubleClick_ = false;
    int derniereLigne_ = -1;
};

} // namespace tallomer
