#include "browser/GUIWidgets.h"

#include "platform/Keys.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace tallomer {

namespace {
QColor rgb(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b), 1.0f); }
} // namespace

const GUICouleurs& GUICouleurs::table()
{
    static const GUICouleurs t = [] {
        GUICouleurs c;
        c.CouleurFond = rgb(0.8, 0.8, 0.8);
        c.CouleurLienM = rgb(0.9, 0.99, 0.9);
        c.CouleurLienR = rgb(0.9, 0.9, 0.99);
        c.SelectionCouleurBdFocus = Qt::black;
        c.SelectionCouleurBd = Qt::red;
        c.SelectionCouleurHlFocus = rgb(154 / 255.0, 180 / 255.0, 233 / 255.0);
        c.SelectionCouleurHl = rgb(0.71, 0.835, 1.0);
        c.LegoCouleur = rgb(0.68, 0.7, 0.68);
        c.LegoCouleurHl = rgb(0.3, 0.8, 1.0);
        c.LegoCouleurBordClair = rgb(0.83, 0.83, 0.83);
        c.LegoCouleurBordFonce = rgb(0.25, 0.25, 0.25);
        c.MarkerCouleurIn = rgb(1.0, 0.5, 0.0);
        c.MarkerCouleurUp = rgb(1.0, 0.5, 0.0);
        c.MarkerCouleurDown = Qt::red;
        c.TexteCouleurBlack = Qt::black;
        c.TexteCouleurDarkGray = rgb(0.5, 0.5, 0.5);
        c.TexteCouleurModel = rgb(45 / 255.0, 145 / 255.0, 49 / 255.0);
        c.TexteCouleurRedDark = rgb(0.62, 0.31, 0.0);
        c.TexteCouleurBlue = Qt::blue;
        c.TexteCouleurBlueDark = rgb(0.35, 0.35, 1.0);
        return c;
    }();
    return t;
}

GUIView::GUIView(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void GUIView::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.fillRect(rect(), rgb(0.8, 0.8, 0.8));
}

GUITableHeaderView::GUITableHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Without sections the header's own hint has no height yet: take the titles' line.
    hauteurHeader_ = std::max(QHeaderView::sizeHint().height(), fontMetrics().height() + 6);
}

void GUITableHeaderView::setHauteurRuler(double h)
{
    hauteurRuler_ = h;
    updateGeometry();
}

void GUITableHeaderView::setHauteurHeader(double h)
{
    hauteurHeader_ = h;
    updateGeometry();
}

QSize GUITableHeaderView::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(int(hauteurHeader_ + hauteurRuler_));
    return s;
}

void GUITableHeaderView::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), rgb(0.7, 0.7, 0.7));
    }
    QHeaderView::paintEvent(event);
}

void GUITableHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // The titles keep their own height; the band below is the ruler's.
    QRect titres = rect;
    titres.setHeight(int(hauteurHeader_));
    QHeaderView::paintSection(painter, titres, logicalIndex);
}

GUITableView::GUITableView(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setShowGrid(false);
    setMouseTracking(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void GUITableView::montrerLaLigne(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    updateGeometries();
    scrollTo(model()->index(row, 0));
}

void GUITableView::choisirSous(QMouseEvent* event)
{
    const int r = rowAt(int(event->position().y()));
    if (r < 0 || r == derniereLigne_ || !client_)
        return;
    derniereLigne_ = r;
    client_->tableShouldSelectRow(r, event->modifiers());
}

void GUITableView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || event->modifiers().testFlag(keys::kControl))
        return;
    appuye_ = true;
    doubleClick_ = false;
    derniereLigne_ = -1;
    choisirSous(event);
}

void GUITableView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (appuye_)
        choisirSous(event);
}

void GUITableView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!appuye_ || event->button() != Qt::LeftButton)
        return;
    appuye_ = false;
    derniereLigne_ = -1;
    const int r = rowAt(int(event->position().y()));
    if (!client_)
        return;
    if (std::exchange(doubleClick_, false))
        client_->tableDoubleClick(r, event->modifiers());
    else
        client_->tableSimpleClick(r, event->modifiers());
}

void GUITableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || event->modifiers().testFlag(keys::kControl))
        return;
    appuye_ = true;
    doubleClick_ = true;
    derniereLigne_ = -1;
    choisirSous(event);
}

} // namespace tallomer
