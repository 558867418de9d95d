#include "ruler/ZEVRulerViewbar.h"

#include "ruler/ZEVRulerPresetButton.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerStandIns.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <cmath>

namespace tallomer {

namespace {

constexpr char kDisplayTimer[] = "_displayTimer";
constexpr char kTrailing[] = "_majDatePicker";
constexpr char kWindowTitle[] = "majWindowTitle";
constexpr char kMenuDidClose[] = "_menuDidClose";

QColor gris(double g) { return QColor::fromRgbF(float(g), float(g), float(g)); }
// The platform's dark grey.
const QColor& darkGrey()
{
    static const QColor c = gris(1.0 / 3.0);
    return c;
}

// The images of the cursor buttons: the Now and Search cursors' colours, and a ruler's ticks.
QIcon imageDeCurseur(const QColor& couleur)
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(couleur.darker(130), 2));
    g.setBrush(couleur);
    g.drawEllipse(QRectF(6, 6, 20, 20));
    g.setPen(QPen(Qt::white, 3));
    g.drawLine(QPointF(16, 9), QPointF(16, 23));
    return QIcon(p);
}

QIcon imageDeRegle()
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 1.5));
    g.setBrush(QColor(250, 240, 200));
    g.drawRect(QRectF(3, 10, 26, 12));
    for (int i = 0; i < 6; ++i)
        g.drawLine(QPointF(6 + i * 4, 10), QPointF(6 + i * 4, i % 2 ? 14 : 17));
    return QIcon(p);
}

} // namespace

ZEVRulerViewbar::ZEVRulerViewbar(const QRectF& frame, ZEVRulerViewer& viewer, QWidget* parent,
                                 std::unique_ptr<ZEVStampServices> stampClass)
    : QWidget(parent), viewer_(viewer), stampClass_(std::move(stampClass))
{
    setObjectName(QStringLiteral("ZEVRulerViewbar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    const KELSharedResources& r = couleurs();
    passeColor_ = r.passeColor();
    futurColor_ = r.futurColor();
    tlCurseur_ = spaceController().tlCurseur();

    construireLesBoutons();
    construireLesBoites();
    construireLesMenus();
    construireLePresetMenu();
    setFrameYUp(frame);
    presetsAuReveil();
    hide();
    // The calendar shown under the cursor's box follows the window as it moves.
    if (QWidget* fenetre = window(); fenetre != this)
        fenetre->installEventFilter(this);
}

ZEVRulerViewbar::~ZEVRulerViewbar()
{
    // The menus and the panel go with the bar's widget part, after this: none may call back.
    for (ZEVRulerBox* b : {fromBox_, nowBox_, toBox_})
        b->menu()->disconnect(this);
}

ZEVSpaceController& ZEVRulerViewbar::spaceController() const { return viewer_.spaceController(); }

ZEVStampServices& ZEVRulerViewbar::stampClass() const { return stampClass_ ? *stampClass_ : *viewer_.stampClass(); }

ZEVFrontViewerServices* ZEVRulerViewbar::front() const { return spaceController().frontViewer(); }

const KELSharedResources& ZEVRulerViewbar::couleurs() const { return spaceController().host().sharedResources(); }

// ---------------------------------------------------------------------------------------------
// Construction

void ZEVRulerViewbar::construireLesBoutons()
{
    const KELSharedResources& r = couleurs();
    auto bouton = [this](const QString& titre, const QIcon& image) {
        auto* b = new ZEVButton(this);
        b->setObjectName(titre + QStringLiteral("Button"));
        b->setCell(std::make_unique<ZEVButtonCell2>());
        b->setCheckable(true);
        // The command decides the states: a refused one leaves them as they were.
        b->setSiClickKeepsState(true);
        b->setText(titre);
        b->setIcon(image);
        b->setImagePosition(ZEVImagePosition::ImageLeft);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    btnNowCurseur_ = bouton(QStringLiteral("Now"), imageDeCurseur(r.nowCurseurColor()));
    btnSearchCurseur_ = bouton(QStringLiteral("Search"), imageDeCurseur(r.searchCurseurColor()));
    btnRuler_ = bouton(QStringLiteral("Ruler"), imageDeRegle());
    connect(btnNowCurseur_, &QToolButton::clicked, this, [this] { menuNowCurseur(btnNowCurseur_); });
    connect(btnSearchCurseur_, &QToolButton::clicked, this, [this] { menuSearchCurseur(btnSearchCurseur_); });
    connect(btnRuler_, &QToolButton::clicked, this, [this] { menuRuler(btnRuler_); });
    // A long press, or a drag resting on the button, clicks it on a later turn.
    auto clique = [this](ZEVButton* b) {
        if (b == btnNowCurseur_)
            menuNowCurseur(b);
        else if (b == btnSearchCurseur_)
            menuSearchCurseur(b);
    };
    btnNowCurseur_->setCliqueTarget(this, clique);
    btnSearchCurseur_->setCliqueTarget(this, clique);

    // The presets' places; the presets bring them to life.
    scrollBox_ = new ZEVScrollBox(this);
    scrollBox_->setRulerViewer(&viewer_);
    for (int i = 0; i < 9; ++i) {
        auto* b = new ZEVRulerPresetButton(kHomeTime + KELId(i), *this, scrollBox_);
        b->setObjectName(QStringLiteral("Preset%1Button").arg(i + 1));
        b->setCell(std::make_unique<ZEVButtonCell4>());
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(2 + i * int(ZEVRulerBarFrames::kPresetSpacing), 0, 24, 23);
        presetButtons_[std::size_t(i)] = b;
    }
    presetTextField_ = new QLineEdit(this);
    presetTextField_->setObjectName(QStringLiteral("PresetTextField"));
    presetTextField_->setReadOnly(true);
    presetTextField_->setFrame(false);
    presetTextField_->setFocusPolicy(Qt::NoFocus);
    presetTextField_->setStyleSheet(QStringLiteral("background: transparent"));
    presetTextField_->installEventFilter(this);
    connect(presetTextField_, &QLineEdit::returnPressed, this, [this] { menuPresetDidRename(); });
    connect(presetTextField_, &QLineEdit::editingFinished, this, [this] { menuPresetDidRename(); });

    contextView_ = new ZEVContextViewStandIn(this);
}

void ZEVRulerViewbar::construireLesBoites()
{
    fromBox_ = new ZEVRulerBox(QStringLiteral("FromBox"), *this, viewer_, this);
    nowBox_ = new ZEVRulerBox(QStringLiteral("PeriodBox"), *this, viewer_, this);
    toBox_ = new ZEVRulerBox(QStringLiteral("UntilBox"), *this, viewer_, this);
    for (ZEVRulerBox* b : {fromBox_, nowBox_, toBox_})
        b->setFillColor(darkGrey());

    const QString complet = QStringLiteral("yyyy-MM-dd HH:mm");
    fromDatePicker_ = new ZEVRulerDatePicker(fromBox_, *this, complet, fromBox_);
    toDatePicker_ = new ZEVRulerDatePicker(toBox_, *this, complet, toBox_);
    nowDatePicker_ = new ZEVRulerDatePicker(nowBox_, *this, QStringLiteral("yyyy-MM-dd"), nowBox_);
    nowHourPicker_ = new ZEVRulerDatePicker(nowBox_, *this, QStringLiteral("HH:mm:ss"), nowBox_);
    fromDatePicker_->setObjectName(QStringLiteral("FromDatePicker"));
    toDatePicker_->setObjectName(QStringLiteral("UntilDatePicker"));
    nowDatePicker_->setObjectName(QStringLiteral("NowDatePicker"));
    nowHourPicker_->setObjectName(QStringLiteral("NowHourPicker"));
    // The From and Until pickers step with their arrows only; the cursor's pickers take typing.
    for (ZEVRulerDatePicker* p : {nowDatePicker_, nowHourPicker_})
        p->setButtonSymbols(QAbstractSpinBox::NoButtons);
    fromDatePicker_->setGeometry(2, 0, 155, 19);
    toDatePicker_->setGeometry(2, 0, 155, 19);
    nowDatePicker_->setGeometry(4, 0, 80, 19);
    nowHourPicker_->setGeometry(86, 0, 68, 19);
    fromDatePicker_->setAction([this] { passeDatePickerChanged(); });
    nowDatePicker_->setAction([this] { presentDatePickerChanged(); });
    nowHourPicker_->setAction([this] { presentHourPickerChanged(); });
    toDatePicker_->setAction([this] { futurDatePickerChanged(); });

    rulerPickerPanel_ = new ZEVRulerPickerPanel(*this, viewer_, this);
    rulerPickerPanel_->setTextColors(couleurs().searchCurseurColor(), couleurs().searchCurseurColor());

    // The wide layout, until the breakpoints say otherwise.
    placer(btnNowCurseur_, ZEVRulerBarFrames::nowButton(false));
    placer(btnSearchCurseur_, ZEVRulerBarFrames::searchButton(false));
    placer(btnRuler_, ZEVRulerBarFrames::rulerButton());
    placer(fromBox_, ZEVRulerBarFrames::fromBox());
    placer(nowBox_, ZEVRulerBarFrames::cursorBox(ZEVRulerBarFrames::kCursorBoxX));
    placer(toBox_, ZEVRulerBarFrames::untilBox());
    placerLesPresets(ZEVRulerBarFrames::kPresetX);
    placer(presetTextField_, ZEVRulerBarFrames::nameField(ZEVRulerBarFrames::kNameFieldX));
}

QMenu* ZEVRulerViewbar::construireMenu(ZEVRulerBox* box, ZEVZoomFamille famille)
{
    QMenu* m = box->menu();
    struct Zoom {
        const char* titre;
        ZEVZoomUnite unite;
    };
    static const Zoom kThis[] = {{"This Minute", ZEVZoomUnite::Minute}, {"This Hour", ZEVZoomUnite::Heure},
                                 {"This Day", ZEVZoomUnite::Jour},       {"This Week", ZEVZoomUnite::Semaine},
                                 {"This Month", ZEVZoomUnite::Mois},     {"This Quarter", ZEVZoomUnite::Trimestre},
                                 {"This Year", ZEVZoomUnite::Annee}};
    static const Zoom kPrev[] = {{"Back a Minute", ZEVZoomUnite::Minute}, {"Back an Hour", ZEVZoomUnite::Heure},
                                 {"Back a Day", ZEVZoomUnite::Jour},       {"Back a Week", ZEVZoomUnite::Semaine},
                                 {"Back a Month", ZEVZoomUnite::Mois},     {"Back Six Months", ZEVZoomUnite::SixMois},
                                 {"Back a Year", ZEVZoomUnite::Annee}};
    static const Zoom kNext[] = {{"On a Minute", ZEVZoomUnite::Minute}, {"On an Hour", ZEVZoomUnite::Heure},
                                 {"On a Day", ZEVZoomUnite::Jour},       {"On a Week", ZEVZoomUnite::Semaine},
                                 {"On a Month", ZEVZoomUnite::Mois},     {"On Six Months", ZEVZoomUnite::SixMois},
                                 {"On a Year", ZEVZoomUnite::Annee}};
    const Zoom* zooms = famille == ZEVZoomFamille::This ? kThis : famille == ZEVZoomFamille::Prev ? kPrev : kNext;
    for (int i = 0; i < 7; ++i) {
        const Zoom z = zooms[i];
        connect(m->addAction(QString::fromLatin1(z.titre)), &QAction::triggered, this,
                [this, famille, z] { menuZoom(famille, z.unite); });
    }
    connect(m, &QMenu::aboutToShow, this, [this, m] { menuWillOpen(m); });
    connect(m, &QMenu::hovered, this, [this, m](QAction* a) { menuWillHighlightItem(m, a); });
    connect(m, &QMenu::aboutToHide, this, [this, m] { menuDidClose(m); });
    connect(m, &QMenu::triggered, this, [this, m](QAction* a) { menuItemChosen(m, a); });
    return m;
}

void ZEVRulerViewbar::construireLesMenus()
{
    construireMenu(fromBox_, ZEVZoomFamille::Prev);
    construireMenu(toBox_, ZEVZoomFamille::Next);
    QMenu* m = construireMenu(nowBox_, ZEVZoomFamille::This);
    m->addSeparator();
    connect(m->addAction(QStringLiteral("Show Calendar")), &QAction::triggered, this,
            [this] { menuShowRulerPickerPanel(); });
    // The Search cursor, with the visible range or alone, glides to the Now cursor's moment.
    auto allerAMaintenant = [this](bool avecLeRuler) {
        KELICurseur* search = viewer_.searchCurseur();
        KELICurseur* now = viewer_.nowCurseur();
        if (!search || !now || !viewer_.siAccepteDeplacement())
            return;
        viewer_.setCurseurEnDeplacement(search);
        if (avecLeRuler)
            viewer_.userAnimeCurseurEtRulerToDate(now->now());
        else
            viewer_.userAnimeCurseurToDate(now->now());
    };
    QAction* now = m->addAction(QStringLiteral("Go to Now"));
    now->setData(kTagGoToNow);
    connect(now, &QAction::triggered, this, [allerAMaintenant] { allerAMaintenant(true); });
    QAction* seul = m->addAction(QStringLiteral("Go to Now, Range Kept"));
    seul->setData(kTagGoToNowRangeKept);
    connect(seul, &QAction::triggered, this, [allerAMaintenant] { allerAMaintenant(false); });
}

// ---------------------------------------------------------------------------------------------
// Frame and drawing

QRectF ZEVRulerViewbar::frame() const
{
    const QRect g = geometry();
    const double parentHeight = parentWidget() ? parentWidget()->height() : g.height();
    return QRectF(g.x(), parentHeight - g.y() - g.height(), g.width(), g.height());
}

void ZEVRulerViewbar::setFrameYUp(const QRectF& f)
{
    const double parentHeight = parentWidget() ? parentWidget()->height() : f.height();
    setGeometry(QRectF(f.x(), parentHeight - f.y() - f.height(), f.width(), f.height()).toRect());
    // A hidden widget hears of its new size only when it shows: the layout follows the frame now.
    placerLaRangeeDesEntites();
    if (previousWidth_ != 0)
        adjustRulerViewbar(width());
}

void ZEVRulerViewbar::paintEvent(QPaintEvent*)
{
    ZEVFrontViewerServices* f = front();
    const bool focus = f && f->siFocus();
    // Top to bottom (the gradient's angle of 270 degrees), in grey levels.
    const double haut[2] = {0.65, 0.85}, milieu[2] = {0.55, 0.75}, bas[2] = {0.35, 0.55};
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0.0, gris(haut[focus]));
    g.setColorAt(0.1, gris(milieu[focus]));
    g.setColorAt(0.9, gris(milieu[focus]));
    g.setColorAt(1.0, gris(bas[focus]));
    QPainter p(this);
    p.fillRect(rect(), g);
    QPalette pal = presetTextField_->palette();
    const QColor texte = focus ? QColor(Qt::black) : darkGrey();
    if (pal.color(QPalette::Text) != texte) {
        pal.setColor(QPalette::Text, texte);
        presetTextField_->setPalette(pal);
    }
}

void ZEVRulerViewbar::mousePressEvent(QMouseEvent* event)
{
    // Presses on the bar's background go nowhere; a right press opens the bar's menu.
    event->accept();
    if (event->button() == Qt::RightButton)
        if (QMenu* m = viewer_.rulerbarMenu())
            m->popup(event->globalPosition().toPoint());
}

void ZEVRulerViewbar::wheelEvent(QWheelEvent* event)
{
    event->accept();
    ZEVTlineViewServices* strip = viewer_.tlineView();
    if (!strip)
        return;
    const QWidget* w = window();
    QWheelEvent e = events::wheelEventAt(*event, w && w != this ? mapTo(w, event->position()) : event->position());
    strip->scrollWheel(&e);
}

// ---------------------------------------------------------------------------------------------
// Showing, hiding and the date refreshes

void ZEVRulerViewbar::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    // The constructor hides the bar before its controls exist.
    if (!fromBox_)
        return;
    if (visible) {
        demarrerTimer();
        majDatePickerComplet();
        return;
    }
    // The calendar shown under the cursor's box goes with the bar; one opened without the bar
    // stays, and keeps the dates running.
    if (siPanelSousLaBarre_ && rulerPickerPanel_->isVisible())
        rulerPickerPanel_->close();
    if (!siShowRulerPickerPanel_)
        arreterTimer();
}

bool ZEVRulerViewbar::siDisplayTimer() const { return Scheduler::shared().isPending(this, kDisplayTimer); }

void ZEVRulerViewbar::demarrerTimer()
{
    if (!siDisplayTimer())
        Scheduler::shared().perform(this, kDisplayTimer, kDisplayPeriod, [this] { tick(); }, true);
}

void ZEVRulerViewbar::arreterTimer() { Scheduler::shared().cancel(this, kDisplayTimer); }

void ZEVRulerViewbar::tick()
{
    majDatePickerComplet();
    Scheduler::shared().perform(this, kDisplayTimer, kDisplayPeriod, [this] { tick(); }, true);
}

void ZEVRulerViewbar::majDatePicker()
{
    if (siAccepteMaj_ && (!isHidden() || siShowRulerPickerPanel_)) {
        majDatePickerComplet();
        siAccepteMaj_ = false;
        Scheduler::shared().cancel(this, kTrailing);
        Scheduler::shared().perform(this, kTrailing, kThrottle, [this] { majDatePickerComplet(); }, true);
    }
    // The ruler redraws at every tick of an animation: one title refresh waits at a time.
    if (!Scheduler::shared().isPending(this, kWindowTitle)) {
        ZEVSpaceController* space = &spaceController();
        Scheduler::shared().perform(this, kWindowTitle, 0.0, [space] { space->majWindowTitle(); }, true);
    }
}

void ZEVRulerViewbar::calculerLesZeros()
{
    KELICurseur* actif = actifCurseur_ ? actifCurseur_ : spaceController().actifCurseur();
    KELICurseur* choisi = selectedCurseur_ ? selectedCurseur_ : actif;
    if (!actif || !choisi)
        return;
    const double m = actif->now();
    siFromEqualsZero_ = m - choisi->nowIn() < kEqualsZero;
    siToEqualsZero_ = choisi->nowOut() - m < kEqualsZero;
}

void ZEVRulerViewbar::majVisibiliteDesBoites()
{
    calculerLesZeros();
    const bool etroit = previousWidth_ < kZEVRulerBreakpoints[1];
    fromBox_->setHidden(siFromBoxHidable_ && siFromEqualsZero_ ? true : etroit);
    toBox_->setHidden(siHideToBox_ || (siToBoxHidable_ && siToEqualsZero_) ? true : etroit);
}

void ZEVRulerViewbar::majDatePickerComplet()
{
    KELICurseur* actif = actifCurseur_ ? actifCurseur_ : spaceController().actifCurseur();
    KELICurseur* choisi = selectedCurseur_ ? selectedCurseur_ : actif;
    if (actif && choisi) {
        majVisibiliteDesBoites();
        const double m = actif->now();
        fromDatePicker_->afficherDate(choisi->nowIn());
        toDatePicker_->afficherDate(choisi->nowOut());
        nowDatePicker_->afficherDate(m);
        // The time picker stands in the cursor's box, next to the date: it shows the moment
        // always, not only while the calendar shows.
        nowHourPicker_->afficherDate(m);
        if (rulerPickerPanel_->isVisible() && !panelMouseDown_) {
            if (const std::optional<QDateTime> champs = ZEVChampsPourDate(m)) {
                // Only a change of day turns the page: another month browsed with the arrows stays
                // in view while the cursor keeps to its day.
                QCalendarWidget* calendrier = rulerPickerPanel_->calendar();
                if (calendrier->selectedDate() != champs->date())
                    calendrier->setSelectedDate(champs->date());
                rulerPickerPanel_->dateLine()->setText(QLocale().toString(champs->date(), QLocale::LongFormat));
            }
        }
    }
    siAccepteMaj_ = true;
}

// ---------------------------------------------------------------------------------------------
// Display per selected cursor

void ZEVRulerViewbar::majMenubarForCurseur(KELICurseur* curseur)
{
    selectedCurseur_ = curseur;
    ZEVSpaceController& space = spaceController();
    ZEVTlineViewServices* strip = viewer_.tlineView();
    if (curseur && curseur == space.nowCurseur()) {
        actifCurseur_ = curseur;
        if (strip)
            strip->setSiRulerTime(false);
        majViewbarForNowCurseur();
        majPresets(&ZEVStampServices::stateOfNowPresetWithStampInt);
    } else if (curseur && curseur == space.searchCurseur()) {
        actifCurseur_ = curseur;
        if (strip)
            strip->setSiRulerTime(false);
        majViewbarForSearchCurseur();
        majPresets(&ZEVStampServices::stateOfSearchPresetWithStampInt);
    } else if (curseur && curseur == tlCurseur_) {
        actifCurseur_ = space.actifCurseur();
        if (strip)
            strip->setSiRulerTime(true);
        majViewbarForRulerCurseur();
        majPresets(&ZEVStampServices::stateOfRulerPresetWithStampInt);
    }
    majFocusDesPickers();
    majDatePickerComplet();
}

void ZEVRulerViewbar::majFocusDesPickers()
{
    for (ZEVRulerDatePicker* p : {fromDatePicker_, toDatePicker_, nowDatePicker_, nowHourPicker_})
        p->majFocus();
}

void ZEVRulerViewbar::entrerLesDatesTapees()
{
    if (siEntreeDesDates_)
        return;
    siEntreeDesDates_ = true;
    // The part of the cursor a gesture has just pointed at outlives the moves of the entry.
    const int code = clickPositionForDisplay_;
    for (ZEVRulerDatePicker* p : {nowDatePicker_, nowHourPicker_})
        if (p->siEdition())
            p->entrerEdition();
    clickPositionForDisplay_ = code;
    siEntreeDesDates_ = false;
}

bool ZEVRulerViewbar::acceptsFirstResponderForDatePicker(const ZEVRulerDatePicker* picker) const
{
    return (picker == nowDatePicker_ || picker == nowHourPicker_) && selectedCurseur_ &&
           selectedCurseur_ == viewer_.searchCurseur();
}

void ZEVRulerViewbar::majViewbarForNowCurseur()
{
    const KELSharedResources& r = couleurs();
    btnSearchCurseur_->setState(kZEVStateOff);
    btnNowCurseur_->setState(kZEVStateOn);
    btnRuler_->setState(kZEVStateOff);
    siFromBoxHidable_ = true;
    siToBoxHidable_ = true;
    siHideToBox_ = false;
    const QColor noir(Qt::black);
    switch (clickPositionForDisplay_) {
    case 0:
    case 2:
        fromDatePicker_->setTextColor(noir);
        toDatePicker_->setTextColor(r.futurActifColor());
        fromBox_->setFillColor(r.presentActifColor());
        toBox_->setFillColor(darkGrey());
        break;
    case 1:
    case 3:
        fromDatePicker_->setTextColor(r.passeActifColor());
        toDatePicker_->setTextColor(noir);
        fromBox_->setFillColor(darkGrey());
        toBox_->setFillColor(r.presentActifColor());
        break;
    case 4:
    case 5:
        fromDatePicker_->setTextColor(noir);
        toDatePicker_->setTextColor(noir);
        fromBox_->setFillColor(r.presentActifColor());
        toBox_->setFillColor(r.presentActifColor());
        break;
    case 10:
        fromDatePicker_->setTextColor(r.passeActifColor());
        toDatePicker_->setTextColor(r.futurActifColor());
        fromBox_->setFillColor(darkGrey());
        toBox_->setFillColor(darkGrey());
        break;
    default:
        break;
    }
    nowDatePicker_->setTextColor(Qt::white);
    nowDatePicker_->setReadOnly(false);
    nowBox_->setFillColor(darkGrey());
    // The calendar's white ground needs the cursor's colour; the date line stands on dark.
    rulerPickerPanel_->setTextColors(r.nowCurseurColor(), Qt::white);
    nowHourPicker_->setTextColor(Qt::white);
}

void ZEVRulerViewbar::majViewbarForSearchCurseur()
{
    const KELSharedResources& r = couleurs();
    btnSearchCurseur_->setState(kZEVStateOn);
    btnNowCurseur_->setState(kZEVStateOff);
    btnRuler_->setState(kZEVStateOff);
    siFromBoxHidable_ = true;
    siToBoxHidable_ = false;
    siHideToBox_ = true;
    const QColor noir(Qt::black);
    switch (clickPositionForDisplay_) {
    case 4:
    case 5:
        fromDatePicker_->setTextColor(noir);
        nowDatePicker_->setTextColor(noir);
        fromBox_->setFillColor(r.presentActifColor());
        nowBox_->setFillColor(r.presentActifColor());
        break;
    case 0:
        fromDatePicker_->setTextColor(noir);
        nowDatePicker_->setTextColor(r.searchCurseurColor());
        fromBox_->setFillColor(r.presentActifColor());
        nowBox_->setFillColor(darkGrey());
        break;
    case 10:
        fromDatePicker_->setTextColor(r.passeActifColor());
        nowDatePicker_->setTextColor(r.searchCurseurColor());
        fromBox_->setFillColor(darkGrey());
        nowBox_->setFillColor(darkGrey());
        break;
    default:
        break;
    }
    nowDatePicker_->setReadOnly(false);
    rulerPickerPanel_->setTextColors(r.curseurColor(), r.curseurColor());
    nowHourPicker_->setTextColor(r.curseurColor());
}

void ZEVRulerViewbar::majViewbarForRulerCurseur()
{
    ZEVSpaceController& space = spaceController();
    KELICurseur* actif = space.actifCurseur();
    btnSearchCurseur_->setState(actif && actif == space.searchCurseur() ? kZEVStateMixed : kZEVStateOff);
    btnNowCurseur_->setState(actif && actif == space.nowCurseur() ? kZEVStateMixed : kZEVStateOff);
    btnRuler_->setState(kZEVStateOn);
    siFromBoxHidable_ = false;
    siToBoxHidable_ = false;
    siHideToBox_ = false;
    const KELSharedResources& r = couleurs();
    const double m = actif ? actif->now() : 0.0;
    const QColor fromRepos = tlCurseur_ && m > tlCurseur_->nowIn() ? passeColor_ : futurColor_;
    const QColor untilRepos = tlCurseur_ && m > tlCurseur_->nowOut() ? passeColor_ : futurColor_;
    switch (clickPositionForDisplay_) {
    case 7:
        fromBox_->setFillColor(r.presentActifColor());
        toBox_->setFillColor(untilRepos);
        break;
    case 8:
        fromBox_->setFillColor(fromRepos);
        toBox_->setFillColor(r.presentActifColor());
        break;
    case 9:
        fromBox_->setFillColor(r.presentActifColor());
        toBox_->setFillColor(r.presentActifColor());
        break;
    case 10:
        fromBox_->setFillColor(fromRepos);
        toBox_->setFillColor(untilRepos);
        break;
    default:
        break;
    }
    fromDatePicker_->setTextColor(Qt::black);
    toDatePicker_->setTextColor(Qt::black);
    nowDatePicker_->setTextColor(btnNowCurseur_->state() != kZEVStateOff ? QColor(Qt::white) : r.searchCurseurColor());
    nowBox_->setFillColor(darkGrey());
    // The moment is the active cursor's here: the Search display makes it editable again.
    nowDatePicker_->setReadOnly(true);
}

void ZEVRulerViewbar::majViewbarForSelectedCurseur()
{
    ZEVSpaceController& space = spaceController();
    KELICurseur* c = selectedCurseur_;
    if (!c)
        return;
    if (c == space.nowCurseur())
        majViewbarForNowCurseur();
    else if (c == space.searchCurseur())
        majViewbarForSearchCurseur();
    else if (c == tlCurseur_)
        majViewbarForRulerCurseur();
}

void ZEVRulerViewbar::majPresets(int (ZEVStampServices::*etat)(KELId))
{
    for (ZEVRulerPresetButton* b : presetButtons_)
        b->setState((stampClass().*etat)(b->tag()));
}

void ZEVRulerViewbar::majPresetsForSelectedCurseur()
{
    ZEVSpaceController& space = spaceController();
    KELICurseur* c = selectedCurseur_;
    if (c && c == space.nowCurseur())
        majPresets(&ZEVStampServices::stateOfNowPresetWithStampInt);
    else if (c && c == space.searchCurseur())
        majPresets(&ZEVStampServices::stateOfSearchPresetWithStampInt);
    else if (c && c == tlCurseur_)
        majPresets(&ZEVStampServices::stateOfRulerPresetWithStampInt);
}

bool ZEVRulerViewbar::stateOfNowButton() { return btnNowCurseur_->state() == kZEVStateOn; }
bool ZEVRulerViewbar::stateOfSearchButton() { return btnSearchCurseur_->state() == kZEVStateOn; }
bool ZEVRulerViewbar::stateOfRulerButton() { return btnRuler_->state() == kZEVStateOn; }

// ---------------------------------------------------------------------------------------------
// Move hooks

void ZEVRulerViewbar::initierDeplacementCurseur()
{
    // What was typed was entered before the move began (the viewer asks for it), unless the move
    // is a picker's own: the other fields' typing is left behind then, as they would show a moment
    // the cursor left and Return would take it back there. Fields refused as no date stay, for
    // the user to mend.
    for (ZEVRulerDatePicker* p : {fromDatePicker_, toDatePicker_, nowDatePicker_, nowHourPicker_})
        if (p->siEdition() && !p->siSaisieRefusee())
            p->annulerEdition();
    majViewbarForSelectedCurseur();
}

void ZEVRulerViewbar::terminerDeplacementCurseur()
{
    clickPositionForDisplay_ = 10;
    KELICurseur* c = selectedCurseur_;
    if (c && c == tlCurseur_)
        if (ZEVTlineViewServices* strip = viewer_.tlineView())
            strip->setClickPositionForDisplay(10);
    majViewbarForSelectedCurseur();
    majPresetsForSelectedCurseur();
}

// ---------------------------------------------------------------------------------------------
// The calendar panel

void ZEVRulerViewbar::menuShowRulerPickerPanel()
{
    demarrerTimer();
    siShowRulerPickerPanel_ = true;
    if (!rulerPickerPanel_->isVisible()) {
        // Under the cursor's box, when the bar shows.
        siPanelSousLaBarre_ = !isHidden();
        if (siPanelSousLaBarre_)
            suivreLePanel();
        else
            placement::placeBeside(rulerPickerPanel_, window());
    }
    const bool ouverture = !rulerPickerPanel_->isVisible();
    rulerPickerPanel_->show();
    rulerPickerPanel_->raise();
    majDatePickerComplet();
    // It opens on the month of the moment shown, whatever month was browsed before it closed.
    if (ouverture)
        rulerPickerPanel_->calendar()->showSelectedDate();
    if (ZEVFrontViewerServices* f = front())
        f->setSiShowCalandar(true);
}

void ZEVRulerViewbar::suivreLePanel()
{
    if (!siPanelSousLaBarre_ || isHidden())
        return;
    const QPoint sous = nowBox_->mapToGlobal(QPoint(0, nowBox_->height() + 4));
    // Under the box, moved only as far as needed to stay whole on the screen.
    placement::placeAt(rulerPickerPanel_, sous);
}

void ZEVRulerViewbar::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The bar sliding in or out of the window.
    if (rulerPickerPanel_->isVisible())
        suivreLePanel();
}

void ZEVRulerViewbar::showRulerPickerPanel(bool shown)
{
    if (shown)
        menuShowRulerPickerPanel();
    else if (rulerPickerPanel_->isVisible())
        rulerPickerPanel_->close();
}

void ZEVRulerViewbar::windowWillClose()
{
    if (isHidden())
        arreterTimer();
    siShowRulerPickerPanel_ = false;
    siPanelSousLaBarre_ = false;
    panelMouseDown_ = false;
    if (ZEVFrontViewerServices* f = front())
        f->setSiShowCalandar(false);
}

// ---------------------------------------------------------------------------------------------
// Box menus

void ZEVRulerViewbar::envoyerCode(int code)
{
    ZEVTlineViewServices* strip = viewer_.tlineView();
    if (selectedCurseur_ && selectedCurseur_ == tlCurseur_) {
        if (strip)
            strip->setClickPositionForDisplay(code);
        return;
    }
    if (ZEVTlineCurseurViewServices* v = viewer_.curseurViewForCurseur(selectedCurseur_))
        v->setClickPositionForDisplay(code);
    if (strip)
        strip->setNeedsDisplay();
}

void ZEVRulerViewbar::menuWillOpen(QMenu* menu)
{
    choisi_ = nullptr;
    Scheduler::shared().cancel(this, kMenuDidClose);
    if (menu == fromBox_->menu())
        envoyerCode(0);
    else if (menu == toBox_->menu())
        envoyerCode(1);
    else if (menu == nowBox_->menu())
        envoyerCode(4);
}

void ZEVRulerViewbar::menuWillHighlightItem(QMenu*, QAction* item) { highlightMenuItem_ = item; }

void ZEVRulerViewbar::menuItemChosen(QMenu*, QAction* item) { choisi_ = item; }

void ZEVRulerViewbar::menuDidClose(QMenu* menu)
{
    if (menu != fromBox_->menu() && menu != toBox_->menu() && menu != nowBox_->menu())
        return;
    // Qt closes a menu before it sends the chosen item: whether it was dismissed or an item was
    // chosen is known on the next turn. A chosen item's move resets the highlight when it ends;
    // one that started none, or one already over, leaves nothing to wait for.
    Scheduler::shared().perform(this, kMenuDidClose, 0.0, [this] {
        if (!choisi_ || viewer_.siAccepteDeplacement())
            envoyerCode(10);
        choisi_ = nullptr;
        highlightMenuItem_ = nullptr;
    }, true);
}

void ZEVRulerViewbar::menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite)
{
    viewer_.userZoom(famille, unite, selectedCurseur_);
}

// ---------------------------------------------------------------------------------------------
// Responsive layout

void ZEVRulerViewbar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placerLaRangeeDesEntites();
    if (previousWidth_ != 0)
        adjustRulerViewbar(width());
}

void ZEVRulerViewbar::placerLaRangeeDesEntites()
{
    contextView_->setGeometry(width() - contextView_->width(), 0, contextView_->width(), int(kHeight));
}

void ZEVRulerViewbar::adopterContextView(ZEVContextViewStandIn* row)
{
    if (!row || row == contextView_)
        return;
    const bool visible = contextView_->isVisibleTo(this);
    row->setParent(this);
    row->setVisible(visible);
    delete contextView_;
    contextView_ = row;
    placerLaRangeeDesEntites();
}

void ZEVRulerViewbar::initPreviousWidth()
{
    // Armed again (each maker of the bar's parts arms it), the controls first go back to the wide
    // layout the flags are reset to, whatever an earlier pass left: the entity row is measured in
    // its wide form, and the pass below then depends on the width alone.
    previousWidth_ = 10000;
    for (int i = int(kZEVRulerBreakpoints.size()) - 1; i >= 0; --i)
        appliquer(ZEVRulerStepEffectFor({i, false}));
    sides_ = ZEVRulerLayoutSides{};
    contextWidthMax_ = contextView_->width();
    adjustRulerViewbar(width());
}

void ZEVRulerViewbar::adjustRulerViewbar(double largeur)
{
    const double e = largeur - contextWidthMax_;
    for (const ZEVRulerLayoutStep& step : ZEVRulerLayoutPass(sides_, previousWidth_, e))
        appliquer(ZEVRulerStepEffectFor(step));
    previousWidth_ = e;
    if (rulerPickerPanel_->isVisible())
        suivreLePanel();
}

void ZEVRulerViewbar::placerLesPresets(double x)
{
    scrollBox_->setGeometry(int(x) - 2, 0, 9 * int(ZEVRulerBarFrames::kPresetSpacing) + 4, int(kHeight));
}

void ZEVRulerViewbar::placer(QWidget* w, const QRectF& f)
{
    w->setGeometry(QRectF(f.x(), kHeight - f.y() - f.height(), f.width(), f.height()).toRect());
}

void ZEVRulerViewbar::appliquer(const ZEVRulerStepEffect& e)
{
    if (e.entityRowNarrow) {
        if (*e.entityRowNarrow)
            contextView_->adjustMin();
        else
            contextView_->adjustMax();
        placerLaRangeeDesEntites();
    }
    if (e.hideFromAndUntil) {
        fromBox_->hide();
        toBox_->hide();
    }
    if (e.reevaluateBoxes)
        majVisibiliteDesBoites();
    if (e.buttonsNarrow) {
        const bool n = *e.buttonsNarrow;
        for (ZEVButton* b : {btnNowCurseur_, btnSearchCurseur_, btnRuler_})
            b->setImagePosition(n ? ZEVImagePosition::ImageOnly : ZEVImagePosition::ImageLeft);
        placer(btnNowCurseur_, ZEVRulerBarFrames::nowButton(n));
        placer(btnSearchCurseur_, ZEVRulerBarFrames::searchButton(n));
        btnRuler_->setHidden(n);
    }
    if (e.cursorBoxX)
        placer(nowBox_, ZEVRulerBarFrames::cursorBox(*e.cursorBoxX));
    if (e.cursorBoxHidden)
        nowBox_->setHidden(*e.cursorBoxHidden);
    if (e.presetX)
        placerLesPresets(*e.presetX);
    if (e.nameFieldX)
        placer(presetTextField_, ZEVRulerBarFrames::nameField(*e.nameFieldX));
    if (e.nameFieldHidden) {
        siWidth05Min_ = *e.nameFieldHidden;
        // A rename under way keeps its field; it hides when the rename ends.
        presetTextField_->setHidden(siWidth05Min_ && !siEditPreset_);
    }
}

} // namespace tallomer
