#pragma once
// The ruler bar: the row of controls that goes with the timeline strip at the top of the Space
// window. It shows one selected cursor (Now, Search, or the timeline cursor whose context is the
// visible range): that cursor's in-date, moment and out-date in its pickers, its button lit, its
// boxes tinted by the part of the cursor being moved. It holds the Now, Search and Ruler buttons,
// the From, cursor and Until boxes with their pickers, the nine preset buttons with their menu and
// the preset name field (which renames a preset in place), and the row of entity buttons; it owns
// a calendar panel. It lays its controls out by its width, and turns its buttons, pickers, calendar picks and
// box menus into moves of the ruler viewer. Main thread only.
//
// Frames are y-up in the parent's points; the conversion to Qt happens here, once.

#include "ruler/ZEVRulerParts.h"
#include "ruler/ZEVRulerViewbarLayout.h"
#include "ruler/ZEVZoomPeriods.h"
#include "runtime/Date.h"
#include "runtime/Scheduler.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;

namespace tallomer {

class KELSharedResources;
class ZEVButton;
class ZEVContextViewStandIn;
class ZEVFrontViewerServices;
class ZEVRulerBox;
class ZEVRulerDatePicker;
class ZEVRulerPickerPanel;
class ZEVRulerPresetButton;
class ZEVRulerViewer;
class ZEVScrollBox;
class ZEVSpaceController;
class ZEVStampServices;

class ZEVRulerViewbar final : public QWidget, public ZEVRulerViewbarServices {
    Q_OBJECT
public:
    static constexpr double kHeight = ZEVRulerBarFrames::kHeight;
    // The Home Time preset, and the first of the nine presets' stamps.
    static constexpr KELId kHomeTime = 2000009;
    // The box-menu items shown only while the bar shows the Search cursor.
    static constexpr int kTagGoToNow = 1000;
    static constexpr int kTagGoToNowRangeKept = 1001;
    // The date refreshes: the repeating one while the bar or the panel shows, and the throttle's.
    static constexpr double kDisplayPeriod = 0.5;
    static constexpr double kThrottle = 0.05;
    // An edge this close to the active cursor's moment hides its box (the Now display).
    static constexpr double kEqualsZero = 0.15000000000000002;
    // A calendar pick this close to the clock is today's.
    static constexpr double kToday = 86395;
    // The duration of the Now and Search commands' widening of the ruler.
    static constexpr float kWidenDuration = 1.5f;

    // The bar at `frame` (y-up, in `parent`'s points), hidden. `viewer` is not owned and outlives
    // the bar; the presets model is the viewer's when none is given.
    ZEVRulerViewbar(const QRectF& frame, ZEVRulerViewer& viewer, QWidget* parent,
                    std::unique_ptr<ZEVStampServices> stampClass = nullptr);
    ~ZEVRulerViewbar() override;

    // ---- ZEVRulerViewbarServices ----
    QRectF frame() const override;
    void initierDeplacementCurseur() override;
    void terminerDeplacementCurseur() override;
    void majDatePicker() override;
    void majMenubarForCurseur(KELICurseur* curseur) override;
    void setClickPositionForDisplay(int code) override { clickPositionForDisplay_ = code; }
    void showRulerPickerPanel(bool shown) override;
    bool stateOfRulerButton() override;
    bool stateOfNowButton() override;
    bool stateOfSearchButton() override;
    void menuNowCurseur(QObject* sender) override;
    void menuSearchCurseur(QObject* sender) override;
    void menuRuler(QObject* sender) override;
    bool siShowRulerPickerPanel() const override { return siShowRulerPickerPanel_; }
    // Shows the preset's name, cleared after `duration` seconds.
    void showPresetTitleWithTag(KELId stamp, float duration) override;
    KELId presetTitleShown() const { return presetTitleShown_; }
    void menuPresetDidRename() override;
    void entrerLesDatesTapees() override;
    void highlightButtonWithTag(KELId stamp) override;

    // ---- state ----
    void setFrameYUp(const QRectF& frame);
    ZEVRulerViewer& rulerViewer() const { return viewer_; }
    ZEVSpaceController& spaceController() const;
    ZEVStampServices& stampClass() const;
    KELICurseur* selectedCurseur() const { return selectedCurseur_; }
    KELICurseur* actifCurseur() const { return actifCurseur_; }
    int clickPositionForDisplay() const { return clickPositionForDisplay_; }
    bool siDisplayTimer() const;
    bool siPanelMouseDown() const { return panelMouseDown_; }
    void setPanelMouseDown(bool down) { panelMouseDown_ = down; }

    // ---- the preset buttons ----
    // The durations of a press: frames every 0.1 s, a call on a release within 0.2 s, a save once
    // held 1.3 s; a drag resting 0.8 s on a saved preset calls it.
    static constexpr double kFramePeriod = 0.1;
    static constexpr double kCallWithin = 0.2;
    static constexpr double kArmDelay = 1.3;
    static constexpr float kCallDuration = 1.5f;
    static constexpr double kStopPresetDelay = 0.1;
    static constexpr double kStopPresetAfterRename = 0.7;
    static constexpr double kJustEdited = 0.2;
    void mouseDownOnPresetButton(ZEVRulerPresetButton* button);
    // siSearch: the Command key (Ctrl) was held at the release.
    void mouseUpOnPresetButton(ZEVRulerPresetButton* button, bool siSearch);
    void mouseDragOutOfPresetButton(ZEVRulerPresetButton* button);
    void mouseRightOnPresetButton(ZEVRulerPresetButton* button);
    // Opens the preset menu at a global point, without waiting for it to close.
    void popUpPresetMenu(ZEVRulerPresetButton* button, const QPoint& global);
    void mouseEnteredWithTag(KELId stamp);
    void mouseExitedWithTag(KELId stamp);
    bool siPresetJustEdited() const;
    bool siEditPreset() const { return siEditPreset_; }
    bool siSavePreset() const { return siSavePreset_; }
    ZEVRulerPresetButton* presetButton() const;
    ZEVRulerPresetButton* presetButtonWithTag(KELId stamp) const;
    // The preset menu and its commands.
    QMenu* presetMenu() const { return presetMenu_; }
    void presetMenuWillOpen();
    void presetMenuWillHighlightItem(QAction* item);
    void presetMenuDidClose();
    void menuPresetCall();
    // siSecond: sent by the menu's second save item (a Search preset).
    void menuPresetSave(bool siSecond);
    void menuPresetClear();
    void menuPresetRename();
    void cancelOperation();
    // The main menu's command that saves the current view as the Home Time.
    void userPresetSaveHome();
    QAction* presetMenuName() const { return presetMenuName_; }
    QAction* presetMenuClear() const { return presetMenuClear_; }
    QAction* presetMenuGoto() const { return presetMenuGoto_; }
    QAction* presetMenuNew() const { return presetMenuNew_; }
    QAction* presetMenuSeparator() const { return presetMenuSeparator_; }
    QAction* presetMenuSave() const { return presetMenuSave_; }

    // ---- responsive layout ----
    // Arms the layout (the entity-button row is built): every breakpoint on its wide side, then
    // one pass from 10000 to the present width.
    void initPreviousWidth();
    // The effective width last laid out; 0 until armed.
    double previousWidth() const { return previousWidth_; }
    double contextWidthMax() const { return contextWidthMax_; }
    const ZEVRulerLayoutSides& layoutSides() const { return sides_; }

    // ---- the controls (Qt children) ----
    ZEVButton* nowButton() const { return btnNowCurseur_; }
    ZEVButton* searchButton() const { return btnSearchCurseur_; }
    ZEVButton* rulerButton() const { return btnRuler_; }
    const std::array<ZEVRulerPresetButton*, 9>& presetButtons() const { return presetButtons_; }
    QLineEdit* presetTextField() const { return presetTextField_; }
    ZEVRulerBox* fromBox() const { return fromBox_; }
    ZEVRulerBox* nowBox() const { return nowBox_; }
    ZEVRulerBox* toBox() const { return toBox_; }
    ZEVRulerDatePicker* fromDatePicker() const { return fromDatePicker_; }
    ZEVRulerDatePicker* nowDatePicker() const { return nowDatePicker_; }
    ZEVRulerDatePicker* nowHourPicker() const { return nowHourPicker_; }
    ZEVRulerDatePicker* toDatePicker() const { return toDatePicker_; }
    ZEVRulerPickerPanel* rulerPickerPanel() const { return rulerPickerPanel_; }
    ZEVContextViewStandIn* contextView() const { return contextView_; }
    // The entity toggle bar's own row takes the place of the empty one (the bar owns it).
    void adopterContextView(ZEVContextViewStandIn* row);
    ZEVScrollBox* scrollBox() const { return scrollBox_; }

    // ---- actions ----
    void passeDatePickerChanged();
    void presentDatePickerChanged();
    void presentHourPickerChanged();
    void futurDatePickerChanged();
    // A day picked in the calendar (the press only noted it).
    void panelDatePickerChanged(const QDate& day);
    // Shows the calendar panel and keeps the dates running while it shows.
    void menuShowRulerPickerPanel();
    // The panel closes.
    void windowWillClose();
    bool acceptsFirstResponderForDatePicker(const ZEVRulerDatePicker* picker) const;
    // The zoom items of the box menus, with the selected cursor.
    void menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite);
    // The box menus: highlight codes while one is open, and whether it was dismissed or an item
    // chosen, known on the turn after it closed.
    void menuWillOpen(QMenu* menu);
    void menuWillHighlightItem(QMenu* menu, QAction* item);
    void menuDidClose(QMenu* menu);
    void menuItemChosen(QMenu* menu, QAction* item);
    QAction* highlightMenuItem() const { return highlightMenuItem_; }

    // Showing starts the date refreshes; hiding stops them unless the calendar shows.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Construction.
    void construireLesBoutons();
    void construireLesBoites();
    void construireLesMenus();
    QMenu* construireMenu(ZEVRulerBox* box, ZEVZoomFamille famille);

    // Display (the dates, the boxes, the buttons, the presets).
    void majDatePickerComplet();
    void majVisibiliteDesBoites();
    void calculerLesZeros();
    void majViewbarForNowCurseur();
    void majViewbarForSearchCurseur();
    void majViewbarForRulerCurseur();
    void majViewbarForSelectedCurseur();
    void majPresets(int (ZEVStampServices::*etat)(KELId));
    void majPresetsForSelectedCurseur();
    void majFocusDesPickers();
    void demarrerTimer();
    void arreterTimer();
    void tick();
    // The highlight code goes to the strip (timeline shown) or to the shown cursor's view.
    void envoyerCode(int code);
    // The calendar opened under the cursor's box stays under it as the bar or the window moves.
    void suivreLePanel();

    // Layout.
    // A control at a frame of the bar's points, y-up.
    static void placer(QWidget* w, const QRectF& frame);
    void adjustRulerViewbar(double width);
    void appliquer(const ZEVRulerStepEffect& effect);
    void placerLesPresets(double x);
    void placerLaRangeeDesEntites();

    // Presets.
    void construireLePresetMenu();
    void presetsAuReveil();
    void restaurerImage(ZEVRulerPresetButton* button);
    void appelerParClic(ZEVRulerPresetButton* button);
    void appliquerSauvegarde(ZEVRulerPresetButton* button, bool siSearch);
    void stopPreset();
    void planifierStopPreset(double delay);
    void finirRenommage(bool siGarder);
    // The main menu's preset items ask the presets each time their menu opens: saves and clears
    // need not tell them.
    bool siNowActif() const;

    // Commands.
    ZEVFrontViewerServices* front() const;
    const KELSharedResources& couleurs() const;
    bool siHideRulerWhenSearch() const;
    bool siHorsDuStrip(double t) const;
    void recentrer(double t);
    void elargirPourLeBordIn(double t, double in);
    void deplacerSearch(double d);
    void agirSurLeCurseurAffiche();

    ZEVRulerViewer& viewer_; // not owned
    // A presets model of the bar's own; the viewer's when there is none.
    std::unique_ptr<ZEVStampServices> stampClass_;
    KELICurseur* tlCurseur_ = nullptr;       // not owned; links live for the run
    KELICurseur* selectedCurseur_ = nullptr; // not owned
    KELICurseur* actifCurseur_ = nullptr;    // not owned
    bool siAccepteMaj_ = true;
    int clickPositionForDisplay_ = 10;
    // What was typed is being entered, or a picker is acting on its own entry.
    bool siEntreeDesDates_ = false;
    QColor futurColor_;
    QColor passeColor_;
    bool siFromBoxHidable_ = false;
    bool siToBoxHidable_ = false;
    bool siHideToBox_ = false;
    bool siFromEqualsZero_ = false;
    bool siToEqualsZero_ = false;
    bool siShowRulerPickerPanel_ = false;
    // The calendar was opened under the cursor's box (the bar showing).
    bool siPanelSousLaBarre_ = false;
    KELId presetTitleShown_ = 0;
    bool panelMouseDown_ = false;
    double previousWidth_ = 0;
    double contextWidthMax_ = 0;
    ZEVRulerLayoutSides sides_;

    // Qt children.
    ZEVButton* btnNowCurseur_ = nullptr;
    ZEVButton* btnSearchCurseur_ = nullptr;
    ZEVButton* btnRuler_ = nullptr;
    std::array<ZEVRulerPresetButton*, 9> presetButtons_{};
    QLineEdit* presetTextField_ = nullptr;
    ZEVRulerBox* fromBox_ = nullptr;
    ZEVRulerBox* nowBox_ = nullptr;
    ZEVRulerBox* toBox_ = nullptr;
    ZEVRulerDatePicker* fromDatePicker_ = nullptr;
    ZEVRulerDatePicker* nowDatePicker_ = nullptr;
    ZEVRulerDatePicker* nowHourPicker_ = nullptr;
    ZEVRulerDatePicker* toDatePicker_ = nullptr;
    ZEVRulerPickerPanel* rulerPickerPanel_ = nullptr;
    ZEVContextViewStandIn* contextView_ = nullptr;
    ZEVScrollBox* scrollBox_ = nullptr;
    QAction* highlightMenuItem_ = nullptr;
    QAction* choisi_ = nullptr;
    // Presets.
    QMenu* presetMenu_ = nullptr;
    QAction* presetMenuName_ = nullptr;
    QAction* presetMenuClear_ = nullptr;
    QAction* presetMenuGoto_ = nullptr;
    QAction* presetMenuNew_ = nullptr;
    QAction* presetMenuSeparator_ = nullptr;
    QAction* presetMenuSave_ = nullptr;
    KELId presetTag_ = 0;
    ZEVRulerPresetButton* presetButton_ = nullptr; // a child of the bar, or nullptr
    double presetButtonTime_ = 0;
    bool siEditPreset_ = false;
    double editedPresetTime_ = -1e9;
    bool siSavePreset_ = false;
    bool siWidth05Min_ = false;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
