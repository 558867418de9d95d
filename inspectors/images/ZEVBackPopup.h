#pragma once
// The colour popup: one small frameless window for the whole program, a list of named colours that
// opens under a colour swatch, grows in with a short bounce, and tells the one who opened it which
// colour was chosen, or that nothing was. Return chooses and Escape cancels (both keys are kept
// from the rest of the program); a click elsewhere, or the program losing the focus, cancels, and
// the click still reaches what it was aimed at. A second request while the popup counts as open
// only closes it, so that a click on the opening swatch closes the popup instead of reopening it.
//
// It is a tool window watched by an application event filter rather than a Qt popup: a popup would
// swallow the click that closes it.
//
// Also here: ZEVBackColorView, the plain colour area behind the Images inspector's preview.

#include "platform/SystemColours.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QListWidget;
class QPainterPath;

namespace tallomer {

class ZEVInspectViewer;

// The named colours the popup offers, in their fixed order.
struct ZEVNamedColor {
    QString name;
    QColor color;
};
const std::vector<ZEVNamedColor>& ZEVBackColorList();

// Told of the popup's end.
class ZEVBackPopupClient {
public:
    virtual ~ZEVBackPopupClient() = default;
    virtual void colorTableDidChooseColor(const QColor&, const QString&) = 0;
    virtual void didCancelColorTable() = 0;
};

// The popup's window: the list inside its rounded white shape, with the arrow on its top edge.
class ZEVBackPopupWindow final : public QWidget {
public:
    // The animation: its scales and the seconds each phase takes to reach them.
    static constexpr double kGrowScale = 1.25, kGrowTime = 0.2;
    static constexpr double kShrinkScale = 0.8, kShrinkTime = 0.1;
    static constexpr double kSettleTime = 0.1;
    static constexpr double kStartScale = 0.01;
    static constexpr double kFrameRate = 60.0;
    static constexpr int kArrow = 15;

    ZEVBackPopupWindow();
    ~ZEVBackPopupWindow() override;

    QListWidget* list() const { return list_; }
    // Shows the window and starts the grow animation on a snapshot of its content.
    void popup();
    bool siOpen() const { return siOpen_; }
    void resetSiOpen() { siOpen_ = false; }
    bool siAnimating() const { return !snapshot_.isNull(); }
    // The snapshot's scale now; 1.0 when no animation runs.
    double scale() const { return scale_; }
    enum class Phase { None, Growing, Shrinking, Settling };
    Phase phase() const { return phase_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void animateTo(double scale, double duration);
    void step();
    void phaseDone();
    void cleanupAndRestoreViews();
    static QPainterPath shape(const QRectF& bounds);
    QRectF snapshotRect() const;
    void ajusterMasque();

    QRect originalFrame_;
    QListWidget* list_ = nullptr; // a Qt child
    QImage snapshot_;
    Phase phase_ = Phase::None;
    double scale_ = 1.0;
    double from_ = 1.0, to_ = 1.0;
    double elapsed_ = 0.0, duration_ = 0.0;
    bool siOpen_ = false;
};

class ZEVBackPopupController final : public QObject {
public:
    // The one popup of the program, made on first use and kept until the program ends.
    static ZEVBackPopupController& shared();

    // Opens the popup for that colour with its arrow at `screenPoint` (Qt's screen coordinates),
    // or only closes it (a cancel) when it counts as open.
    void editColor(const QColor& color, const QPoint& screenPoint);
    // Told of the end; not owned. Setting another drops the previous one's claim.
    void setDelegate(ZEVBackPopupClient* delegate) { delegate_ = delegate; }
    ZEVBackPopupClient* delegate() const { return delegate_; }
    ZEVBackPopupWindow* window() const { return window_; }
    bool siVisible() const;

    // The selected row's name and colour; empty and invalid when no row is selected.
    QString selectedColorName() const;
    QColor selectedColor() const;
    // The row of the first name whose colour equals `color`; -1 for none.
    static int rowForColor(const QColor& color);

    // Closes the window and tells the delegate: a choice (a choice without a row is a cancel) or
    // a cancel. Answers whether a choice was reported.
    bool closeAndSendAction(bool choose);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZEVBackPopupController();
    ~ZEVBackPopupController() override;
    void windowClosed();
    void listClicked();

    QPointer<ZEVBackPopupWindow> window_;
    ZEVBackPopupClient* delegate_ = nullptr; // not owned
    bool siMonitoring_ = false;
    QMetaObject::Connection appState_;
};

// The colour behind the Images inspector's preview: opaque while the Images panel has the keys,
// 0.85 otherwise; a plain click on it (not the click that gave the panel the keys, nor a drag)
// presses the preview button.
class ZEVBackColorView final : public QWidget {
public:
    static constexpr double kUnfocusedAlpha = 0.85;
    ZEVBackColorView(ZEVInspectViewer* viewer, QWidget* parent = nullptr);
    const QColor& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    // Not owned; a Qt sibling.
    void setPreviewButton(QAbstractButton* button) { btnPreview_ = button; }
    double alpha() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ZEVInspectViewer* viewer_; // not owned; outlives the view
    QPointer<QAbstractButton> btnPreview_;
    QColor backgroundColor_{systemDarkGrey()};
    bool siMouseDragged_ = false;
};

} // namespace tallomer
