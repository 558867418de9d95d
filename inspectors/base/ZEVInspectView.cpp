#include "inspectors/base/ZEVInspectView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "objects/drawing/ZEVShadowCache.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"
#include "platform/SystemColours.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tallomer {

// ---- table --------------------------------------------------------------------------------------

ZEVInspectTableView::ZEVInspectTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel)
    : ZEVTableView(panel, panel), viewer_(viewer)
{
    // The keys gone to anything but the menu bar are no longer lent.
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now != this && !qobject_cast<QMenuBar*>(now))
            siPreteeALaBarre_ = false;
    });
}

void ZEVInspectTableView::focusOutEvent(QFocusEvent* event)
{
    siPreteeALaBarre_ = event->reason() == Qt::MenuBarFocusReason;
    ZEVTableView::focusOutEvent(event);
}

void ZEVInspectTableView::focusInEvent(QFocusEvent* event)
{
    siPreteeALaBarre_ = false;
    if (!siViewer_)
        return ZEVTableView::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason)
        if (ZEVInspectView* panel = viewer_.inspectViewIfBuilt())
            panel->focusDonneeParUnClic();
    ZEVTableView::focusInEvent(event);
}

void ZEVInspectTableView::focusDidChange()
{
    if (siViewer_)
        viewer_.tableFocusDidChange();
}

// ---- panel --------------------------------------------------------------------------------------

namespace {

// Paints the panel's cursor marks over its children; never takes a mouse event.
class Marques final : public QWidget {
public:
    explicit Marques(ZEVInspectView& panel) : QWidget(&panel), panel_(panel)
    {
        setObjectName(QStringLiteral("InspectMarks"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        panel_.dessinerLesMarques(p);
    }

private:
    ZEVInspectView& panel_;
};

// The open panel's top points, behind the header views.
constexpr int kHautCache = 10;
// The width of the bar's buttons that show a sign (Previous, Next, Add).
constexpr int kSigne = 18;
// Below this size a shrunk text no longer reads; a row that needs less is squeezed instead.
constexpr double kPlusPetitePolice = 6.5;

// `base`, made smaller step by step, until what `largeur` measures with it fits `place`.
QFont policeQuiTient(QFont base, int place, const std::function<int(const QFont&)>& largeur)
{
    while (base.pointSizeF() > kPlusPetitePolice && largeur(base) > place)
        base.setPointSizeF(std::max(kPlusPetitePolice, base.pointSizeF() - 0.5));
    return base;
}

// The worded action buttons laid out in lines above the bar, all in one font.
struct Rangees {
    struct Place {
        ZEVButton* bouton;
        int x;
        int ligne;
        int largeur;
    };
    std::size_t lignes = 0;
    QFont police;
    std::vector<Place> places;
};

// `mots` in `police`, each as wide as its word, in order from `debut`; a word that would pass `fin`
// starts a new line at `gauche`. None when a word is wider than a whole line.
std::optional<Rangees> couler(const std::vector<ZEVButton*>& mots, const QFont& police, int debut, int gauche, int fin)
{
    Rangees r;
    r.police = police;
    r.lignes = 1;
    const QFontMetrics fm(police);
    int x = debut;
    for (ZEVButton* b : mots) {
        const int bw = fm.horizontalAdvance(b->text()) + 10;
        if (x + bw + 2 > fin && x != gauche) {
            ++r.lignes;
            x = gauche;
        }
        if (x + bw + 2 > fin)
            return std::nullopt;
        r.places.push_back({b, x, int(r.lignes) - 1, bw});
        x += bw + 2;
    }
    return r;
}

// As few lines as the words need to read whole, in the largest font that keeps to them: a panel
// too narrow for one line at a size that still reads gives the words a second line rather than
// cutting them.
Rangees ranger(const std::vector<ZEVButton*>& mots, const QFont& base, int debut, int gauche, int fin)
{
    if (mots.empty())
        return Rangees{1, base, {}};
    for (std::size_t lignes = 1; lignes <= mots.size(); ++lignes) {
        QFont police = base;
        for (;;) {
            if (const std::optional<Rangees> r = couler(mots, police, debut, gauche, fin); r && r->lignes <= lignes)
                return *r;
            if (police.pointSizeF() <= kPlusPetitePolice)
                break;
            police.setPointSizeF(std::max(kPlusPetitePolice, police.pointSizeF() - 0.5));
        }
    }
    // Not even one word a line reads whole: each keeps what room its line has.
    QFont police = base;
    police.setPointSizeF(std::min(base.pointSizeF(), kPlusPetitePolice));
    const QFontMetrics fm(police);
    Rangees r{mots.size(), police, {}};
    int ligne = 0;
    for (ZEVButton* b : mots) {
        r.places.push_back({b, gauche, ligne, std::max(0, std::min(fm.horizontalAdvance(b->text()) + 10, fin - gauche - 2))});
        ++ligne;
    }
    return r;
}

ZEVButton* bouton(QWidget* parent, const QString& name, const QString& title)
{
    auto* b = new ZEVButton(parent);
    b->setObjectName(name);
    b->setText(title);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCell(std::make_unique<ZEVButtonCell2>());
    return b;
}

} // namespace

ZEVInspectView::ZEVInspectView(ZEVInspectViewer& viewer, QString kind, const ZEVInspectMetrics& initial)
    : ZEVInspectView(viewer, std::move(kind), initial, TableFactory())
{
}

ZEVInspectView::ZEVInspectView(ZEVInspectViewer& viewer, QString kind, const ZEVInspectMetrics& initial,
                               const TableFactory& table)
    : QWidget(nullptr), viewer_(viewer), kind_(std::move(kind)), m_(initial)
{
    setObjectName(QStringLiteral("ZEV%1View").arg(kind_));
    setAttribute(Qt::WA_TranslucentBackground);
    // Every move over the panel reaches the space controller, which opens the header views at
    // the window's top edge.
    setMouseTracking(true);
    hide();
    lireLesCles();

    table_ = table ? table(viewer_, this) : new ZEVInspectTableView(viewer_, this);
    table_->referencerSpaceController(viewer_.spaceController(), viewer_.frontViewer());
    table_->setLegoHeight(19.0, 0.0);
    // A press anywhere on the panel gives the table the keyboard focus (before the press arrives).
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(table_);
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("TypeSelectField"));
    searchField_->hide();
    QObject::connect(searchField_, &QLineEdit::editingFinished, this, [this] { viewer_.searchingDidFinish(); });
    field_ = new QLabel(this);
    field_->setObjectName(QStringLiteral("InspectField"));
    field_->setAttribute(Qt::WA_TransparentForMouseEvents);
    btnClose_ = bouton(this, QStringLiteral("CloseButton"), QStringLiteral("\u00d7"));
    btnEntity_ = bouton(this, QStringLiteral("EntityButton"), kind_);
    btnFind_ = bouton(this, QStringLiteral("FindButton"), QStringLiteral("Find"));
    btnGotoPrevious_ = bouton(this, QStringLiteral("GotoPreviousButton"), QStringLiteral("\u25c0"));
    btnGotoNext_ = bouton(this, QStringLiteral("GotoNextButton"), QStringLiteral("\u25b6"));
    // On from a step until it rests, mixed while the Go-to menu is open: the step sets them, not
    // the click.
    for (ZEVButton* b : {btnGotoPrevious_, btnGotoNext_}) {
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
    }
    btnAdd_ = bouton(this, QStringLiteral("AddButton"), QStringLiteral("+"));
    btnAdd_->setEnabled(false);
    // The bar's words a size below the table's, as a compact bar's are.
    QFont petite = font();
    if (petite.pointSizeF() > 0)
        petite.setPointSizeF(petite.pointSizeF() * 0.9);
    else if (petite.pixelSize() > 0)
        petite.setPixelSize(std::max(1, int(petite.pixelSize() * 0.9)));
    for (QWidget* w : std::initializer_list<QWidget*>{field_, btnEntity_, btnFind_})
        w->setFont(petite);

    marques_ = new Marques(*this);
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("InspectViewMenu"));
    auto entree = [this](const QString& title, void (ZEVInspectViewer::*command)()) {
        QAction* a = menu_->addAction(title);
        QObject::connect(a, &QAction::triggered, this, [this, command] { (viewer_.*command)(); });
        return a;
    };
    // Tagged as the menu bar's Handle items: the panel enables and words them by the Objects each
    // command would take, as it does those.
    entree(QStringLiteral("Move To\u2026"), &ZEVInspectViewer::menuMoveTo)->setProperty("tag", 21);
    entree(QStringLiteral("Move To Space"), &ZEVInspectViewer::menuMoveToSpace)->setProperty("tag", 20);
    entree(QStringLiteral("Copy To\u2026"), &ZEVInspectViewer::menuCopyTo)->setProperty("tag", 23);
    entree(QStringLiteral("Copy To Space"), &ZEVInspectViewer::menuCopyToSpace)->setProperty("tag", 22);
    entree(QStringLiteral("Duplicate To\u2026"), &ZEVInspectViewer::menuDuplicateTo)->setProperty("tag", 25);
    entree(QStringLiteral("Duplicate To Space"), &ZEVInspectViewer::menuDuplicateToSpace)->setProperty("tag", 24);
    entree(QStringLiteral("Show Original"), &ZEVInspectViewer::menuShowOriginal)->setProperty("tag", 60);
    menu_->addSeparator();
    entree(QStringLiteral("Recall Now"), &ZEVInspectViewer::userRecallNow);
    QAction* recall = entree(QStringLiteral("Recall"), &ZEVInspectViewer::userRecall);
    QAction* retain = entree(QStringLiteral("Retain"), &ZEVInspectViewer::userRetain);
    QAction* release = entree(QStringLiteral("Release"), &ZEVInspectViewer::userRelease);
    QAction* forget = entree(QStringLiteral("Forget"), &ZEVInspectViewer::userForget);
    QObject::connect(menu_, &QMenu::aboutToShow, this, [this, recall, retain, release, forget] {
        viewer_.updateMenuObject(menu_);
        // These press the panel's own buttons, which do nothing while disabled: each is offered as
        // its button is. A kind without the buttons carries them out otherwise.
        const std::pair<QAction*, ZEVButton*> boutons[] = {
            {recall, btnRecall_}, {retain, btnRetain_}, {release, btnRelease_}, {forget, btnForget_}};
        for (const auto& [a, b] : boutons)
            if (b)
                a->setEnabled(b->isEnabled());
        viewer_.menuWillOpen(menu_);
    });
    QObject::connect(menu_, &QMenu::aboutToHide, this, [this] { viewer_.menuDidClose(menu_); });
}

void ZEVInspectView::ajouterBoutonsDAction()
{
    if (btnRecall_)
        return;
    const QString modes[] = {QStringLiteral("Icon"), QStringLiteral("Title"), QStringLiteral("Filter"), QStringLiteral("Link")};
    for (int i = 0; i < 4; ++i) {
        btnModes_[std::size_t(i)] = bouton(this, QStringLiteral("FrontMode%1Button").arg(modes[i]), modes[i].left(1));
        btnModes_[std::size_t(i)]->setToolTip(modes[i]);
        // The front viewer's mode sets the state; a click only asks for it.
        btnModes_[std::size_t(i)]->setCheckable(true);
        btnModes_[std::size_t(i)]->setSiClickKeepsState(true);
    }
    btnRecall_ = bouton(this, QStringLiteral("RecallButton"), QStringLiteral("Recall"));
    btnRetain_ = bouton(this, QStringLiteral("RetainButton"), QStringLiteral("Retain"));
    btnRelease_ = bouton(this, QStringLiteral("ReleaseButton"), QStringLiteral("Release"));
    btnForget_ = bouton(this, QStringLiteral("ForgetButton"), QStringLiteral("Forget"));
    btnDeselect_ = bouton(this, QStringLiteral("DeselectButton"), QStringLiteral("Deselect"));
    for (ZEVButton* b : {btnRecall_, btnRetain_, btnRelease_, btnForget_, btnDeselect_}) {
        b->setEnabled(false);
        b->setSiClickKeepsState(true);
    }
    placerLeContenu();
}

QMenu* ZEVInspectView::menuForPoint(const QPointF& p) const { return dansLeContenu(p) ? menu_ : nullptr; }

void ZEVInspectView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = menuForPoint(yUp(QPointF(event->pos())));
    if (!menu) {
        event->ignore();
        return;
    }
    event->accept();
    menu->popup(event->globalPos());
}

ZEVInspectView::~ZEVInspectView()
{
    Scheduler::shared().cancelAll(this);
    // The table loses the focus only once the panel is half gone (QWidget's own destructor): no
    // focus change of it may then reach the viewer, which would look at this panel.
    if (table_)
        table_->leaveViewer();
}

void ZEVInspectView::focusDonneeParUnClic()
{
    // Only the press being delivered now gave it; forgotten on the next turn.
    siFocusParCeClic_ = true;
    Scheduler::shared().cancel(this, "focusDonneeParUnClic");
    Scheduler::shared().perform(this, "focusDonneeParUnClic", 0.0, [this] { siFocusParCeClic_ = false; });
}

void ZEVInspectView::lireLesCles()
{
    ZEVSpaceController& space = viewer_.spaceController();
    UserDefaultsController& values = space.host().defaults();
    // The initial values are registered, never written: a user who never moves the panel keeps
    // following them.
    values.setInitialValues({{keyX(), m_.initialX}, {keyW(), m_.initialWidth}, {keyH(), m_.initialHeight}});
    auto lire = [&values](const QString& key, double initial, bool allowZero) {
        const QVariant v = values.values(key);
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ZEVInspectGeometry::readKept(key, ok ? d : std::nan(""), v.isValid(), initial, allowZero);
    };
    m_.initialX = lire(keyX(), m_.initialX, true);
    m_.initialWidth = lire(keyW(), m_.initialWidth, false);
    m_.initialHeight = lire(keyH(), m_.initialHeight, false);
}

void ZEVInspectView::ecrireLesCles()
{
    UserDefaultsController& values = viewer_.spaceController().host().defaults();
    values.setValue(keyX(), m_.initialX);
    values.setValue(keyW(), m_.initialWidth);
    values.setValue(keyH(), m_.initialHeight);
}

void ZEVInspectView::garderLaGeometrie(double x, double width, double height)
{
    m_.initialX = x;
    m_.initialWidth = width;
    m_.initialHeight = height;
    ecrireLesCles();
}

double ZEVInspectView::headerViewsHeight() const
{
    ZEVFrontViewerServices* f = viewer_.frontViewer();
    return f ? f->headerViewsHeight() : 0.0;
}

QRectF ZEVInspectView::frontFrame() const
{
    const QWidget* p = parentWidget();
    if (!p)
        return {};
    return QRectF(0, 0, p->width(), std::max(0.0, p->height() - headerViewsHeight()));
}

void ZEVInspectView::setFrame(const QRectF& r)
{
    if (clickPosition_ == ZEVInspectZoneNone && parentWidget())
        superSetFrame(ZEVInspectGeometry::constrainedFrame(m_, frontFrame(), r));
    else
        superSetFrame(r);
}

void ZEVInspectView::superSetFrame(const QRectF& r)
{
    // A frame is never anything but finite numbers, whatever was asked.
    if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) || !std::isfinite(r.height()))
        return;
    frame_ = r;
    const double parentHeight = parentWidget() ? parentWidget()->height() : r.bottom();
    setGeometry(QRectF(r.x(), parentHeight - (r.y() + r.height()), r.width(), r.height()).toRect());
}

QRectF ZEVInspectView::closedRect() const
{
    return ZEVInspectGeometry::closedRect(m_, frontFrame(), headerViewsHeight());
}

QRectF ZEVInspectView::openedRect() const
{
    return ZEVInspectGeometry::openedRect(m_, frontFrame(), headerViewsHeight());
}

QRectF ZEVInspectView::inspectRect() const { return ZEVInspectGeometry::inspectRect(width(), height()); }

QRectF ZEVInspectView::inspectBarRect() const { return ZEVInspectGeometry::inspectBarRect(width(), 28); }

void ZEVInspectView::setSiSelected(bool selected)
{
    siSelected_ = selected;
    repaint();
}

void ZEVInspectView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placerLeContenu();
}

bool ZEVInspectView::event(QEvent* event)
{
    if (event->type() == QEvent::ParentAboutToChange && parentWidget())
        parentWidget()->removeEventFilter(this);
    else if (event->type() == QEvent::ParentChange && parentWidget())
        parentWidget()->installEventFilter(this);
    return QWidget::event(event);
}

bool ZEVInspectView::eventFilter(QObject* watched, QEvent* event)
{
    // A canvas of another height leaves the panel where it hangs on screen: the frame, counted
    // from the canvas' bottom edge, follows, so a drag or slide starts where the panel is seen.
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        const QRect g = geometry();
        frame_ = QRectF(g.x(), parentWidget()->height() - (g.y() + g.height()), g.width(), g.height());
    }
    return QWidget::eventFilter(watched, event);
}

void ZEVInspectView::placerLeContenu()
{
    // Qt's y-down: the content spans the top of the widget down to the shadow's margin, the bar
    // is its last barWidth points.
    const int w = width(), h = height();
    const int bar = int(m_.barWidth);
    const int barTop = h - 20 - bar;
    const int by = barTop + (bar - 22) / 2;
    btnClose_->setGeometry(26, by, 22, 22);
    int x = w - 26;
    for (ZEVButton* b : {btnAdd_, btnGotoNext_, btnGotoPrevious_, btnFind_, btnEntity_}) {
        // The two worded buttons are as wide as their words, the others as their sign: at a
        // narrow panel's width the count beside them must read whole.
        const bool worded = b == btnEntity_ || b == btnFind_;
        const int bw = worded ? std::max(kSigne, b->fontMetrics().horizontalAdvance(b->text()) + 8) : kSigne;
        x -= bw;
        b->setGeometry(x, by, bw, 22);
        x -= 2;
    }
    // A count that would not read whole beside the bar's buttons, even smaller, has a line of
    // its own just above the bar.
    const int placeDuCompte = std::max(0, x - 56);
    const bool compteSeul = !compteTient(placeDuCompte) && barTop - 24 >= kHautCache;
    const int ligneDuCompte = compteSeul ? 24 : 0;

    // The action rows, when the kind has some, lie between the table and the bar. The open
    // panel's top 10 points stand behind the header views: the table starts below them.
    Rangees rangees;
    if (btnRecall_) {
        int modes = 0;
        for (const ZEVButton* b : btnModes_)
            modes += b->isHidden() ? 0 : 1;
        std::vector<ZEVButton*> mots;
        for (ZEVButton* b : {btnRecall_, btnRetain_, btnRelease_, btnForget_, btnDeselect_})
            if (!b->isHidden())
                mots.push_back(b);
        // The worded buttons follow the mode buttons; their further lines start under them.
        const int debut = 24 + 23 * modes + 8;
        rangees = ranger(mots, font(), debut, modes > 0 ? 24 : debut, w - 24);
    }
    const int actions = 24 * int(rangees.lignes) + ligneDuCompte;
    const int top = kHautCache + 4;
    const int tableHeight = std::max(0, barTop - 2 - top - actions);
    placeTable(QRect(24, top, std::max(0, w - 48), tableHeight));
    searchField_->setGeometry(24, std::max(top, barTop - 26 - actions), std::max(0, w - 48), 22);
    if (btnRecall_) {
        int ax = 24;
        const int ay = barTop - actions;
        // A panel too short for a line, which would stand half behind the header views, shows
        // none of its buttons rather than their cut halves.
        auto placer = [](ZEVButton* b, QRect r) { b->setGeometry(r.top() < kHautCache ? QRect() : r); };
        // A kind that hides some of them gives their place to the others.
        for (ZEVButton* b : btnModes_) {
            if (b->isHidden())
                continue;
            placer(b, QRect(ax, ay, 22, 22));
            ax += 23;
        }
        for (const Rangees::Place& place : rangees.places) {
            place.bouton->setFont(rangees.police);
            placer(place.bouton, QRect(place.x, ay + 24 * place.ligne, place.largeur, 22));
        }
    }
    if (compteSeul)
        field_->setGeometry(28, barTop - 24, std::max(0, w - 56), 22);
    else
        field_->setGeometry(52, by, placeDuCompte, 22);
    ajusterLeCompte();
    marques_->setGeometry(rect());
    marques_->raise();
    // The count stays over the marks: a mark passing behind it never hides what it reads.
    field_->raise();
}

void ZEVInspectView::placeTable(const QRect& place) { table_->setGeometry(place); }

bool ZEVInspectView::compteTient(int place) const
{
    const QString texte = field_->text();
    auto largeur = [&texte](const QFont& f) { return QFontMetrics(f).horizontalAdvance(texte); };
    return largeur(policeQuiTient(font(), place, largeur)) <= place;
}

void ZEVInspectView::setCountText(const QString& text)
{
    field_->setText(text);
    // A longer count may need its own line, a shorter one goes back beside the buttons.
    placerLeContenu();
}

void ZEVInspectView::ajusterLeCompte()
{
    // A count too long for the room beside the bar's buttons is set smaller rather than cut.
    const QString texte = field_->text();
    field_->setFont(policeQuiTient(font(), field_->width(),
                                   [&texte](const QFont& f) { return QFontMetrics(f).horizontalAdvance(texte); }));
}

void ZEVInspectView::majCurseurRects()
{
    ZEVSpaceController& space = viewer_.spaceController();
    ZEVRulerViewerServices* ruler = space.rulerViewer();
    const double largeur = ruler ? ruler->tlineWidth() : -1;
    const double span = ruler ? ruler->tlineSpan() : 0;
    auto position = [&](KELICurseur* c) -> double {
        if (!c || largeur <= 0 || !(span > 0))
            return -1e9;
        const double rel = (c->now() - ruler->dateForTlinePoint(0)) / span;
        const double x = std::floor(rel * largeur) - frame_.x();
        return std::isfinite(x) ? x : -1e9;
    };
    const double a = position(space.actifCurseur());
    const double n = position(space.nowCurseur());
    curseurActifRect_ = QRectF(a - 5, 29, 10, 22);
    curseurNowRect_ = QRectF(n - 5, 20, 10, m_.barWidth);
}

void ZEVInspectView::paintEvent(QPaintEvent*)
{
    majCurseurRects();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // y-up rectangles of the panel drawn on Qt's y-down device.
    auto qt = [this](const QRectF& r) { return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()); };
    auto arrondi = [](const QRectF& r) {
        QPainterPath path;
        path.addRoundedRect(r, 5, 5);
        return path;
    };
    const QRectF contenu = qt(inspectRect());
    const bool focus = viewer_.siFirstResponder();
    QColor texte = systemDarkGrey();
    if (viewer_.siTextSearching() || focus) {
        // The Objects' own shadow, from the same cache: the margin of 20 points holds its blur.
        const KELShadow& ombre = viewer_.spaceController().host().sharedResources().itemShadow();
        if (!ombre.none)
            ZEVShadowCache::shared().draw(p, arrondi(contenu), QPointF(ombre.offset.x(), -ombre.offset.y()),
                                          ombre.blurRadius, ombre.color);
        if (viewer_.siTextSearching()) {
            p.fillPath(arrondi(contenu), systemLightGrey());
        } else {
            p.fillPath(arrondi(contenu), QColor(255, 255, 255, siSelected_ ? 255 : 204));
            texte = Qt::black;
        }
    } else {
        p.fillPath(arrondi(qt(QRectF(20, 20, width() - 40, m_.barWidth))), QColor(128, 128, 128, 204));
        p.setPen(QPen(systemDarkGrey(), 1.0));
        p.drawPath(arrondi(qt(QRectF(20, 20, width() - 40, height()))));
    }
    QPalette pal = field_->palette();
    pal.setColor(QPalette::WindowText, texte);
    field_->setPalette(pal);

    // The marks follow, drawn over the buttons by their own layer.
}

void ZEVInspectView::dessinerLesMarques(QPainter& p)
{
    auto qt = [this](const QRectF& r) { return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()); };
    const KELSharedResources& colours = viewer_.spaceController().host().sharedResources();
    ZEVSpaceController& space = viewer_.spaceController();
    const double a = curseurActifRect_.x() + 5, n = curseurNowRect_.x() + 5;
    auto visible = [this](double x) { return x >= 20 && x < frame_.width() - 20; };
    auto disque = [&](double x, double y, double d, const QColor& c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(qt(QRectF(x, y, d, d)));
    };
    const bool search = space.actifCurseur() && space.actifCurseur() == space.searchCurseur();
    if (search) {
        if (visible(n))
            p.fillRect(qt(QRectF(n, 20, 1, m_.barWidth)), colours.nowCurseurColor());
        if (visible(a)) {
            p.fillRect(qt(QRectF(a, 30, 1, 22)), colours.searchCurseurColor());
            disque(a - 5, 27, 11, colours.searchCurseurColor());
        }
    } else if (visible(a)) {
        p.fillRect(qt(QRectF(a, 29, 1, 22)), colours.nowCurseurColor());
        disque(a - 6, 26, 13, colours.nowCurseurColor());
    }
}

QPointF ZEVInspectView::frontPoint(const QPointF& windowPoint) const
{
    const QWidget* p = parentWidget();
    if (!p)
        return {};
    const QPointF local = p->mapFrom(window(), QPointF(std::floor(windowPoint.x()), std::floor(windowPoint.y())));
    return QPointF(local.x(), p->height() - local.y());
}

bool ZEVInspectView::dansLeContenu(const QPointF& p) const
{
    QPainterPath path;
    path.addRoundedRect(inspectRect(), 5, 5);
    return path.contains(p);
}

void ZEVInspectView::mousePressEvent(QMouseEvent* event)
{
    const QPointF windowPoint = mapTo(window(), event->position());
    const QPointF p = yUp(QPointF(std::floor(event->position().x()), std::floor(event->position().y())));
    mouseLocForFrontView_ = frontPoint(windowPoint);
    clickPosition_ = ZEVInspectZoneNone;
    siMouseDragged_ = false;
    if (!dansLeContenu(p)) {
        event->ignore();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        // Inside, the secondary press is the context menu's (which follows as its own event),
        // never the desk's.
        event->setAccepted(event->button() == Qt::RightButton);
        return;
    }
    ZEVSpaceController& space = viewer_.spaceController();
    ZEVRulerViewerServices* ruler = space.rulerViewer();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (curseurActifRect_.contains(p) && ruler) {
        if (!siDeplacementCurseur_)
            siDeplacementCurseur_ = ruler->userInitieDeplacementCurseur();
        if (siDeplacementCurseur_ && space.actifCurseur() == space.searchCurseur() && !ctrl) {
            ruler->setClickPositionForDisplay(space.actifCurseur(), 4);
            if (auto* r = dynamic_cast<ZEVRulerViewer*>(ruler); r && r->rulerViewbar())
                r->rulerViewbar()->majMenubarForCurseur(space.actifCurseur());
            ruler->displayRuler();
        }
    } else if (curseurNowRect_.contains(p) && ruler) {
        ruler->userChangeActifCurseur(space.nowCurseur());
        if (!siDeplacementCurseur_)
            siDeplacementCurseur_ = ruler->userInitieDeplacementCurseur();
    } else if (!ctrl) {
        const bool parCeClic = std::exchange(siFocusParCeClic_, false);
        if (viewer_.siFirstResponder() && !parCeClic) {
            siFirstClickDown_ = false;
        } else {
            viewer_.setFirstResponder();
            QWidget::raise();
            siFirstClickDown_ = true;
        }
        setSiSelected(true);
    }
    clickPosition_ = ZEVInspectGeometry::zoneForX(frame_.x(), frame_.width(), mouseLocForFrontView_.x());
    event->accept();
}

void ZEVInspectView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        if (event->buttons() == Qt::NoButton) {
            const QPointF w = mapTo(window(), event->position());
            viewer_.spaceController().mouseMovedInLocation(QPointF(w.x(), window()->height() - w.y()));
        }
        return;
    }
    siMouseDragged_ = true;
    if (clickPosition_ == ZEVInspectZoneNone) {
        event->ignore();
        return;
    }
    if (siDeplacementCurseur_)
        if (auto* ruler = dynamic_cast<ZEVRulerViewer*>(viewer_.spaceController().rulerViewer()))
            ruler->draggEntityWithEvent(event);
    const QPointF m = frontPoint(mapTo(window(), event->position()));
    const ZEVInspectGeometry::DragStep step =
        ZEVInspectGeometry::drag(m_, ZEVInspectZone(clickPosition_), frame_, frontFrame(),
                                 m.x() - mouseLocForFrontView_.x(), m.y() - mouseLocForFrontView_.y());
    setFrame(step.frame);
    if (!step.keepX)
        mouseLocForFrontView_.setX(m.x());
    if (!step.keepY)
        mouseLocForFrontView_.setY(m.y());
}

void ZEVInspectView::mouseReleaseEvent(QMouseEvent* event)
{
    if (clickPosition_ == ZEVInspectZoneNone) {
        event->ignore();
        return;
    }
    if (siMouseDragged_) {
        m_.initialHeight = frame_.height() + headerViewsHeight() - 10;
        m_.initialWidth = frame_.width();
        m_.initialX = frame_.x();
        ecrireLesCles();
    } else if (!siFirstClickDown_ && (siStepBackAnywhere() || inspectBarRect().contains(yUp(event->position())))) {
        // Only a release still on the bar steps back: a press on an edge, or one slipping off the
        // bar, changes nothing.
        viewer_.inspectStepBack();
    }
    if (siDeplacementCurseur_) {
        siDeplacementCurseur_ = false;
        if (ZEVRulerViewerServices* ruler = viewer_.spaceController().rulerViewer())
            ruler->userTermineDeplacementCurseur();
    }
    setSiSelected(false);
    clickPosition_ = ZEVInspectZoneNone;
}

void ZEVInspectView::wheelEvent(QWheelEvent* event)
{
    const QPointF p = yUp(event->position());
    if (!dansLeContenu(p)) {
        event->ignore();
        return;
    }
    event->accept();
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(viewer_.spaceController().rulerViewer());
    if (!ruler)
        return;
    // The ruler reads the pointer in the window's coordinates.
    QWheelEvent inWindow(mapTo(window(), event->position()), event->globalPosition(), event->pixelDelta(),
                         event->angleDelta(), event->buttons(), event->modifiers(), event->phase(), event->inverted());
    auto* strip = dynamic_cast<ZEVTlineView*>(ruler->tlineView());
    // Over the active cursor's mark the wheel moves that cursor, unless the strip's own scroll runs.
    if (curseurActifRect_.contains(p) && !(strip && strip->siScrollWheelStart())) {
        if (ZEVTlineCurseurViewServices* c = ruler->curseurViewForActifCurseur()) {
            c->scrollWheelEntityWithEvent(&inWindow);
            return;
        }
    }
    // Elsewhere it scrolls the time line, opened first when closed.
    ZEVFrontViewerServices* front = viewer_.frontViewer();
    if (front && !front->siTlineOpened())
        front->userToggleTline();
    if (ZEVTlineViewServices* t = ruler->tlineView())
        t->scrollWheel(&inWindow);
}

} // namespace tallomer
