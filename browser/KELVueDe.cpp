#include "browser/KELVueDe.h"

#include "browser/GUITextFieldCell.h"
#include "browser/KELVueController.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/KeyLayout.h"
#include "platform/Keys.h"
#include "runtime/Clock.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace tallomer {

void KELGlisser::ligne(int r, std::uint32_t k, bool mono, const Crochets& c)
{
    if (draggedRow == -1) {
        firstDraggedRow = r;
        c.debuter();
        if (mono) {
            if ((k & keys::kCommandFlag) && c.siChoisi(r)) {
                draggedRow = r;
                c.recharger();
                return;
            }
            k &= ~keys::kCommandFlag;
        }
    }
    const int d = draggedRow, f = firstDraggedRow;
    if (r == d)
        return;
    if (d == -1 && f == r) {
        c.choisir(r, k, true);
    } else if (mono) {
        c.choisir(r, k & ~keys::kCommandFlag, true);
    } else if (d < r && f <= d) {
        for (int i = d + 1; i <= r; ++i)
            c.choisir(i, k, false);
    } else if (d > r && f <= r) {
        for (int i = d; i > r; --i)
            c.rejeter(i, k);
    } else if (d > r && d <= f) {
        for (int i = d - 1; i >= r; --i)
            c.choisir(i, k, false);
    } else if (d < r && f >= r) {
        for (int i = d; i < r; ++i)
            c.rejeter(i, k);
    } else if (d > f && f > r) {
        // Crossing the anchor upwards: both stretches are chosen.
        for (int i = d; i > f; --i)
            c.choisir(i, k, false);
        for (int i = f - 1; i >= r; --i)
            c.choisir(i, k, false);
    } else if (d < f && f < r) {
        for (int i = d; i < f; ++i)
            c.choisir(i, k, false);
        for (int i = f + 1; i <= r; ++i)
            c.choisir(i, k, false);
    }
    draggedRow = r;
    c.recharger();
}

int KELVueDeModele::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(vue_->lignes().size());
}

int KELVueDeModele::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(vue_->colonnes().size());
}

QVariant KELVueDeModele::data(const QModelIndex& index, int role) const
{
    const auto r = std::size_t(index.row());
    const auto c = std::size_t(index.column());
    if (!index.isValid() || r >= vue_->lignes().size() || c >= vue_->colonnes().size())
        return {};
    KELI* lien = vue_->lignes()[r];
    if (role == GUITextFieldCell::kRoleLien)
        return QVariant::fromValue(quintptr(lien));
    if (role == Qt::DisplayRole)
        return vue_->valeur(lien, vue_->colonnes()[c].identifiant);
    return {};
}

QVariant KELVueDeModele::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || std::size_t(section) >= vue_->colonnes().size())
        return {};
    return vue_->colonnes()[std::size_t(section)].titre;
}

std::function<bool()>& KELVueDe::lectureCapsLock()
{
    static std::function<bool()> f = [] { return KeyLayout::capsLockOn(); };
    return f;
}

double& KELVueDe::intervalleDeRecharge()
{
    static double i = 2.0;
    return i;
}

namespace {
double g_derniereRecharge = 0;
}

KELVueDe::KELVueDe(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur)
    : QObject(nullptr), vueController_(vc), curseur_(curseur), modelInt_(lienInt), precedente_(precedente)
{
    Scheduler::shared().perform(this, "_recharger", 0, [this] { rechargerPeriodiquement(); });
}

KELVueDe::~KELVueDe()
{
    Scheduler::shared().cancelAll(this);
    libererLeRuler();
    if (guiView_ && !libere_)
        delete guiView_.data();
}

GUITextFieldCell* KELVueDe::cellule(int colonne) const
{
    return colonne >= 0 && std::size_t(colonne) < cellules_.size() ? cellules_[std::size_t(colonne)] : nullptr;
}

void KELVueDe::initLaScrollView()
{
    guiView_ = new GUIView(vueController_->contenu());
    guiView_->resize(largeurDelaVue(), 200);
    auto* layout = new QVBoxLayout(guiView_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    entete_ = new QLabel(texteDeLEntete(), guiView_);
    entete_->setFixedHeight(18);
    entete_->setAlignment(Qt::AlignCenter);
    QFont f(GUITextFieldCell::familleHelvetica());
    f.setPointSize(12);
    entete_->setFont(f);
    layout->addWidget(entete_);
    table_ = new GUITableView(guiView_);
    layout->addWidget(table_, 1);
    boutons_ = new QWidget(guiView_);
    boutons_->setFixedHeight(hauteurDesBoutons() + 6);
    layout->addWidget(boutons_);
}

void KELVueDe::initLaTableView()
{
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(hauteurRow());
    table_->verticalHeader()->setMinimumSectionSize(hauteurRow());
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette p = table_->palette();
    p.setColor(QPalette::Base, QColor::fromRgbF(0.7f, 0.7f, 0.7f));
    table_->setPalette(p);
    table_->setClient(this);
    modele_ = new KELVueDeModele(this);
    modele_->setParent(guiView_);
    table_->setModel(modele_);
    table_->viewport()->installEventFilter(this);
}

bool KELVueDe::eventFilter(QObject* watched, QEvent* event)
{
    const bool vue = (table_ && watched == table_->viewport()) || (header_ && watched == header_->viewport());
    if (vue && event->type() == QEvent::Paint && header_) {
        double total = 0;
        for (int i = 0; i < header_->count(); ++i)
            total += header_->sectionSize(i);
        const GUITextFieldCell* premiere = cellule(0);
        if (premiere && premiere->largeurTotale() != total)
            majGeometrieDesCellules();
    }
    return false;
}

void KELVueDe::initLaHeaderView()
{
    header_ = new GUITableHeaderView(table_);
    header_->setHauteurRuler(hauteurRuler());
    table_->setHorizontalHeader(header_);
    header_->setStretchLastSection(true);
    header_->viewport()->installEventFilter(this);
    connect(header_, &QHeaderView::sectionResized, this, [this] { majGeometrieDesCellules(); });
    connect(header_, &QHeaderView::sectionMoved, this, [this] { majGeometrieDesCellules(); });
    initLaRulerView();
}

void KELVueDe::initLesColonnes(std::vector<Colonne> colonnes)
{
    colonnes_ = std::move(colonnes);
    modele_->reinitialiser();
    for (std::size_t i = 0; i < colonnes_.size(); ++i) {
        auto* cell = new GUITextFieldCell(GUITextFieldCell::Sorte::Ordinaire, guiView_);
        cell->referencerSelCtrl(selCtrl_);
        cell->referencerSelIds(vueController_->selIdHl(), vueController_->selIdBd());
        table_->setItemDelegateForColumn(int(i), cell);
        cellules_.push_back(cell);
    }
    appliquerLesLargeurs();
    recharger();
}

int KELVueDe::largeurLisible(const Colonne& c) const
{
    int l = c.largeur;
    if (header_ && !c.titre.isEmpty()) {
        // The header's own margins on each side of its text.
        const int marge = header_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header_);
        l = std::max(l, header_->fontMetrics().horizontalAdvance(c.titre) + 4 * marge);
    }
    if (c.ids && !cellules_.empty()) {
        // The cell draws its text 3 points in from the left and 2 from the right.
        const QFontMetrics m(cellules_.front()->font(true, false));
        l = std::max(l, m.horizontalAdvance(QString::fromLatin1(kIdLePlusLarge)) + 3 + 2 + 2);
    }
    return l;
}

void KELVueDe::appliquerLesLargeurs()
{
    if (!header_)
        return;
    int total = 0;
    for (std::size_t i = 0; i < colonnes_.size(); ++i) {
        const int l = largeurLisible(colonnes_[i]);
        header_->resizeSection(int(i), l);
        total += l;
    }
    majGeometrieDesCellules();
    const auto& vues = vueController_->vues();
    const bool placee = std::any_of(vues.begin(), vues.end(), [this](const auto& v) { return v.get() == this; });
    const int voulue = total + table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth();
    if (!placee && guiView_ && guiView_->width() < voulue)
        guiView_->resize(voulue, guiView_->height());
}

void KELVueDe::majGeometrieDesCellules()
{
    if (!header_)
        return;
    double total = 0;
    for (int i = 0; i < header_->count(); ++i)
        total += header_->sectionSize(i);
    double x = 0;
    for (int v = 0; v < header_->count(); ++v) {
        const int logique = header_->logicalIndex(v);
        GUITextFieldCell* cell = cellule(logique);
        if (!cell)
            continue;
        const double l = header_->sectionSize(logique);
        cell->setDecalage(x);
        cell->setLargeurTotale(total);
        cell->setLargeur(l);
        cell->referencerCurseur(curseur_);
        cell->setCellHauteur(hauteurRow());
        x += l;
    }
    if (table_)
        table_->viewport()->update();
}

void KELVueDe::rechargerPeriodiquement()
{
    if (libere_)
        return;
    recharger();
    Scheduler::shared().perform(this, "_recharger", intervalleDeRecharge(), [this] { rechargerPeriodiquement(); });
}

void KELVueDe::recharger()
{
    if (libere_ || !table_)
        return;
    lignes_ = elements();
    majLeRuler();
    entete_->setText(texteDeLEntete());
    modele_->reinitialiser();
    majEntete();
}

void KELVueDe::libererSelf()
{
    if (libere_)
        return;
    libere_ = true;
    Scheduler::shared().cancelAll(this);
    libererLeRuler();
    if (table_)
        table_->setClient(nullptr);
    for (QPushButton* b : {ajouterBouton_, enleverBouton_, relEnfantsBouton_, relParentsBouton_})
        if (b)
            b->disconnect(this);
    if (guiView_) {
        guiView_->hide();
        guiView_->deleteLater();
    }
}

void KELVueDe::enleverProchaineVue()
{
    if (relEnfantsBouton_)
        relEnfantsBouton_->setChecked(false);
    if (relParentsBouton_)
        relParentsBouton_->setChecked(false);
    if (prochaine_) {
        prochaine_->enleverProchaineVue();
        prochaine_ = nullptr;
        vueController_->enleverDerniereVueAvecAnimation(true);
    }
}

void KELVueDe::majLieBouton()
{
    if (prochaine_)
        prochaine_->majLieBouton();
}

void KELVueDe::activerLieMode(int mode)
{
    lieMode_ = mode;
    QPalette p = entete_->palette();
    p.setColor(QPalette::WindowText, mode ? Qt::red : Qt::black);
    entete_->setPalette(p);
    static const QCursor fleche = [] {
        // Our own red arrow, hot spot at its tip.
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::red);
        painter.setPen(Qt::darkRed);
        painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(0, 13), QPoint(4, 10), QPoint(7, 15), QPoint(9, 14),
                                      QPoint(6, 9), QPoint(11, 9)}));
        return QCursor(pm, 0, 0);
    }();
    table_->viewport()->setCursor(mode ? fleche : QCursor());
}

std::uint32_t KELVueDe::flagsActuels() const
{
    return keys::flagsFromModifiers(QGuiApplication::keyboardModifiers()) |
           (vueController_->siFonction() ? kFonctionFlag : 0);
}

KELSelIdRef KELVueDe::selIdPour(std::uint32_t flags) const
{
    return (flags & keys::kOptionFlag) ? vueController_->selIdBd() : vueController_->selIdHl();
}

QString KELVueDe::texteDe(const KELValue& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return QString::fromStdString(*s);
    if (const auto* d = std::get_if<double>(&v)) {
        // Fifteen digits, or as many more as tell the number apart from every other: two
        // numbers never look alike, and 100000 still reads as such.
        for (int chiffres = 15; chiffres < 17; ++chiffres) {
            const QString t = QString::number(*d, 'g', chiffres);
            if (t.toDouble() == *d)
                return t;
        }
        return QString::number(*d, 'g', 17);
    }
    return QString();
}

void KELVueDe::majEnteteSelonLesChoix()
{
    if (!selCtrl_ || !entete_)
        return;
    QPalette p = entete_->palette();
    if (selCtrl_->nbDeChoix(vueController_->selIdHl()) > 0)
        p.setColor(QPalette::WindowText, Qt::blue);
    else if (!lieMode_)
        p.setColor(QPalette::WindowText, Qt::black);
    entete_->setPalette(p);
    QFont f = entete_->font();
    f.setBold(selCtrl_->nbDeChoix(vueController_->selIdBd()) > 0);
    entete_->setFont(f);
}

void KELVueDe::debuterChoix(const KELSelIdRef& s)
{
    anciensChoix_ = selCtrl_ ? selCtrl_->choix(s) : KELSelCtrl::Choix{};
}

void KELVueDe::choisirSelonLesTouches(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter)
{
    if (lierSiLieMode(e, k, s, true) || !selCtrl_ || !e)
        return;
    if (k & keys::kCommandFlag) {
        if (selCtrl_->siChoisit(e, s))
            selCtrl_->rejeter(e, s);
        else
            selCtrl_->choisir(e, s);
    } else {
        if (siRejeter && selCtrl_->nbDeChoix(s) > 0)
            selCtrl_->rejeterTous(s);
        selCtrl_->choisir(e, s);
    }
    recharger();
}

void KELVueDe::rejeterSelonLesTouches(KELI* e, std::uint32_t k, const KELSelIdRef& s)
{
    if (k & keys::kCommandFlag) {
        if (!selCtrl_->siChoisit(e, s))
            selCtrl_->choisir(e, s);
    } else {
        selCtrl_->rejeter(e, s);
    }
    recharger();
}

bool KELVueDe::enleverLesChoisis(const KELSelIdRef& s, const std::function<bool(KELI*)>& enlever)
{
    if (!selCtrl_)
        return false;
    const std::vector<KELI*> choisis(selCtrl_->choix(s).begin(), selCtrl_->choix(s).end());
    std::vector<KELI*> enleves;
    {
        const KELServeurDeLiens::Acte acte(0);
        for (KELI* e : choisis) {
            selCtrl_->rejeter(e, s);
            if (enlever(e))
                enleves.push_back(e);
        }
    }
    // A removal the store did not keep took its element back to the dates the store has.
    const KELDate t = curseur_->now();
    return !enleves.empty() &&
           std::none_of(enleves.begin(), enleves.end(), [t](KELI* e) { return e->siIncluLaDate(t); });
}

bool KELVueDe::tableShouldSelectRow(int row, Qt::KeyboardModifiers modifiers)
{
    if (!selCtrl_ || row < 0 || std::size_t(row) >= lignes_.size())
        return false;
    const std::uint32_t k = keys::flagsFromModifiers(modifiers) | (vueController_->siFonction() ? kFonctionFlag : 0);
    const KELSelIdRef s = selIdPour(k);
    if (glisser_.draggedRow == -1)
        siMonoChoix_ = lectureCapsLock() && lectureCapsLock()();
    auto ligne = [this](int r) { return std::size_t(r) < lignes_.size() ? lignes_[std::size_t(r)] : nullptr; };
    KELGlisser::Crochets c;
    c.debuter = [this, s] { debuterChoix(s); };
    c.siChoisi = [this, s, ligne](int r) { KELI* e = ligne(r); return e && selCtrl_->siChoisit(e, s); };
    c.choisir = [this, s, ligne](int r, std::uint32_t f, bool rej) {
        if (KELI* e = ligne(r))
            choisir(e, f, s, rej);
    };
    c.rejeter = [this, s, ligne](int r, std::uint32_t f) {
        if (KELI* e = ligne(r))
            rejeter(e, f, s);
    };
    c.recharger = [this] { vueController_->rechargerVueController(); };
    glisser_.ligne(row, k, siMonoChoix_, c);
    const double now = Clock::shared().now();
    if (now - g_derniereRecharge > intervalleDeRecharge()) {
        g_derniereRecharge = now;
        vueController_->rechargerVueController();
    }
    return false;
}

void KELVueDe::tableSimpleClick(int clickedRow, Qt::KeyboardModifiers modifiers)
{
    simpleClick(clickedRow, keys::flagsFromModifiers(modifiers) | (vueController_->siFonction() ? kFonctionFlag : 0));
}

void KELVueDe::tableDoubleClick(int clickedRow, Qt::KeyboardModifiers modifiers)
{
    doubleClick(clickedRow, keys::flagsFromModifiers(modifiers) | (vueController_->siFonction() ? kFonctionFlag : 0));
}

void KELVueDe::simpleClick(int clickedRow, std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    glisser_.reinitialiser();
    if (clickedRow < 0 && selCtrl_) {
        selCtrl_->rejeterTous(s);
        enleverProchaineVue();
        vueController_->rechargerVueController();
    }
    acheverChoix(s);
}

void KELVueDe::doubleClick(int, std::uint32_t flags)
{
    const KELSelIdRef s = selIdPour(flags);
    if (ouvrirModelBouton_)
        ouvrirModelBouton_->click();
    glisser_.reinitialiser();
    acheverChoix(s);
}

void KELVueDe::transfererSelectionDepuisVue(KELVueDe* autre, std::uint32_t k)
{
    KELSelCtrl* S = autre ? autre->selCtrl() : nullptr;
    if (!S || !selCtrl_)
        return;
    KELVueController* ov = autre->vueController();
    const bool opt = k & keys::kOptionFlag;
    const KELSelIdRef X = opt ? ov->selIdBd() : ov->selIdHl();
    const KELSelIdRef Y = opt ? ov->selIdHl() : ov->selIdBd();
    const KELSelIdRef mien = opt ? vueController_->selIdBd() : vueController_->selIdHl();
    auto depart = [S](const KELSelIdRef& id) { return static_cast<KELSelCtrl*>(id->ctrlMDeDepart()) == S; };
    auto choisis = [S](const KELSelIdRef& id) { return std::vector<KELI*>(S->choix(id).begin(), S->choix(id).end()); };
    auto attaches = [S](const KELSelIdRef& id) {
        std::vector<KELI*> v;
        for (const auto& [o, n] : S->attaches(id).copie())
            v.push_back(o);
        return v;
    };
    auto ensemble = [&](const KELSelIdRef& id) { return depart(id) ? choisis(id) : attaches(id); };
    auto dans = [](const std::vector<KELI*>& v, KELI* o) { return std::find(v.begin(), v.end(), o) != v.end(); };
    std::vector<KELI*> picks;
    if (k & keys::kControlFlag) {
        const auto sx = ensemble(X);
        if (depart(X))
            selCtrl_->rejeterTous(mien);
        const auto sy = ensemble(Y);
        for (KELI* o : sx)
            if (dans(sy, o))
                picks.push_back(o);
    } else if (k & keys::kShiftFlag) {
        picks = ensemble(X);
        selCtrl_->rejeterTous(mien);
        for (KELI* o : ensemble(Y))
            if (!dans(picks, o))
                picks.push_back(o);
    } else if (k & keys::kCommandFlag) {
        const bool d = depart(X);
        const auto moins = d ? choisis(X) : attaches(X);
        if (d)
            selCtrl_->rejeterTous(mien);
        for (KELI* o : elements())
            if (!dans(moins, o))
                picks.push_back(o);
    } else if (ov != vueController_) {
        picks = ensemble(X);
    } else if (depart(X)) {
        const auto ch = choisis(X);
        for (KELI* o : attaches(X))
            if (!dans(ch, o))
                picks.push_back(o);
        selCtrl_->rejeterTous(mien);
    } else {
        picks = attaches(X);
    }
    for (KELI* o : picks)
        choisir(o, 0, mien, false);
    vueController_->rechargerVueController();
}

} // namespace tallomer
