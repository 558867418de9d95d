// The panel moves the time cursors: back to the present, the Search cursor to a change of its
// Objects or to the date of a file chosen in its add panel, kept in view over the panel while it
// has the keys. And it opens, refreshes and closes the preview of its Objects.

#include "inspectors/base/ZEVInspectViewer.h"

#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "space/ZEVGoToFileDate.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpacePreview.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include <cmath>

namespace tallomer {

namespace {

constexpr const char* kGotoOffName = "_gotoOff";

// The time line centred on t when t lies outside it, in one move of the ruler.
void centrerSur(ZEVSpaceController& space, KELDate t)
{
    ZEVRulerViewerServices* r = space.rulerViewer();
    KELIContexte* c = space.tlContexte();
    if (!r || !c || !std::isfinite(t) || (t <= c->nowOut() && t >= c->nowIn()))
        return;
    const double d = t - (c->nowIn() + c->nowOut()) / 2.0;
    if (!std::isfinite(d) || !r->userInitieDeplacementCurseur())
        return;
    r->userPlaceRulerOffsetIn(d, d);
    r->userTermineDeplacementCurseur();
}

// The Search cursor and the ruler together onto e, from the Search cursor's date s.
void placerSur(ZEVRulerViewerServices* r, KELDate s, KELDate e)
{
    const double d = e - s;
    if (!std::isfinite(d) || !r->userInitieDeplacementCurseur())
        return;
    r->userPlaceCurseurEtRulerOffset(d);
    r->userTermineDeplacementCurseur();
}

// What the panel chose: the stock panel also lists its folder when nothing is chosen.
QStringList choisis(QFileDialog* panel)
{
    QStringList out;
    const QString dossier = QDir::cleanPath(panel->directory().absolutePath());
    for (const QString& f : panel->selectedFiles()) {
        // The panel takes files: a folder it would open, or a name that names nothing, is not
        // one of them.
        const QFileInfo info(f);
        const QString chemin = info.absoluteFilePath();
        if (!chemin.isEmpty() && QDir::cleanPath(chemin) != dossier && info.isFile())
            out << chemin;
    }
    return out;
}

long tagDe(QComboBox* popUp) { return popUp ? long(popUp->currentData().toLongLong()) : 0; }

} // namespace

// ---- the cursors ------------------------------------------------------------------------------

std::optional<ZEVChannelPanelSpan> ZEVInspectViewer::panneauRegarde() const
{
    ZEVInspectView* v = inspectView_;
    if (!v || !siShowInspectView_ || !siFirstResponder())
        return std::nullopt;
    const QRectF r = v->inspectRect();
    return ZEVChannelPanelSpan{v->frame().x(), r.x(), largeurRegardee()};
}

double ZEVInspectViewer::largeurRegardee() const
{
    return inspectView_ ? inspectView_->inspectRect().width() : 0.0;
}

std::unique_ptr<ZEVItemViewCopy> ZEVInspectViewer::copiePourLePreview(KELI* item)
{
    return std::make_unique<ZEVItemViewCopy>(QRectF(), 1.0f, nullptr, item);
}

void ZEVInspectViewer::_showNowCursor()
{
    const std::optional<ZEVChannelPanelSpan> p = panneauRegarde();
    space_.showNowCursorOver(p ? &*p : nullptr);
}

void ZEVInspectViewer::_showSearchCursorToDate(KELDate date)
{
    const std::optional<ZEVChannelPanelSpan> p = panneauRegarde();
    space_.showSearchCursorToDateOver(date, true, p ? &*p : nullptr);
}

void ZEVInspectViewer::_gotoOff()
{
    if (ZEVInspectView* v = inspectView_) {
        v->btnGotoPrevious()->setState(kZEVStateOff);
        v->btnGotoNext()->setState(kZEVStateOff);
    }
}

bool ZEVInspectViewer::userGotoPrevious()
{
    pasVersUnChangement(true);
    return true;
}

bool ZEVInspectViewer::userGotoNext()
{
    pasVersUnChangement(false);
    return true;
}

void ZEVInspectViewer::pasVersUnChangement(bool precedent)
{
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kGotoOffName);
    if (ZEVInspectView* v = inspectView_) {
        v->btnGotoPrevious()->setState(precedent ? kZEVStateOn : kZEVStateOff);
        v->btnGotoNext()->setState(precedent ? kZEVStateOff : kZEVStateOn);
    }
    auto eteindre = [this, &s](double apres) { s.perform(this, kGotoOffName, apres, [this] { _gotoOff(); }); };
    ZEVInspectClass* model = inspectClass();
    const KELDate d = model ? (precedent ? model->previousDate() : model->nextDate()) : 0.0;
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    KELICurseur* actif = space_.actifCurseur();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!now || !search || !ruler) {
        beep();
        eteindre(precedent ? kGotoOffPrevious : kGotoOffNext);
        return;
    }
    const KELDate nowT = now->now();
    const KELDate searchT = search->now();
    // The far side of the present from the Search cursor: a step there passes Now first.
    const bool auDela = precedent ? searchT > nowT : nowT > searchT;
    if (d != 0.0 && std::isfinite(d)) {
        if (actif == now) {
            ruler->userChangeActifCurseur(search);
            _showSearchCursorToDate(d);
        } else if (auDela && (precedent ? nowT > d : d > nowT)) {
            _showNowCursor();
            if (const std::optional<double> apres = gotoOffAfterNow(precedent))
                eteindre(*apres);
            return;
        } else {
            _showSearchCursorToDate(d);
        }
    } else if (actif == search && auDela) {
        _showNowCursor();
    } else {
        beep();
    }
    eteindre(precedent ? kGotoOffPrevious : kGotoOffNext);
}

// ---- the add panel ----------------------------------------------------------------------------

QString ZEVInspectViewer::addFilesPromptForCount(qsizetype n)
{
    return addPromptForCount(n, QStringLiteral("File"), QStringLiteral("Files"));
}

QString ZEVInspectViewer::addPromptForCount(qsizetype n, const QString& one, const QString& many)
{
    if (n <= 0)
        return QStringLiteral("Add");
    if (n == 1)
        return QStringLiteral("Add 1 %1").arg(one);
    return QStringLiteral("Add %1 %2").arg(int(n)).arg(many);
}

void ZEVInspectViewer::suivrePanneauAjout(QFileDialog* panel)
{
    openPanel_ = panel;
    previousURL_.clear();
    if (!panel)
        return;
    if (auto* goTo = panel->findChild<QComboBox*>(QStringLiteral("goToPopUp")))
        connect(goTo, &QComboBox::activated, this,
                [this, goTo](int i) { popUpGoToChange(long(goTo->itemData(i).toLongLong())); });
    if (auto* duree = panel->findChild<QComboBox*>(QStringLiteral("durationPopUp")))
        connect(duree, &QComboBox::activated, this,
                [this, duree](int i) { popUpDurationChange(long(duree->itemData(i).toLongLong())); });
    connect(panel, &QFileDialog::currentChanged, this, [this] { panelSelectionDidChange(); });
    if (auto* tape = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(tape, &QLineEdit::textChanged, this, [this] { panelSelectionDidChange(); });
    connect(panel, &QDialog::finished, this, [this] { previousURL_.clear(); });
}

QFileDialog* ZEVInspectViewer::openPanel() const { return openPanel_.data(); }

void ZEVInspectViewer::popUpDurationChange(long tag) { space_.setDurationTag(tag); }

void ZEVInspectViewer::centrerLeRulerSur(KELDate t) { centrerSur(space_, t); }

void ZEVInspectViewer::placerSearchSur(KELDate s, KELDate e)
{
    if (ZEVRulerViewerServices* r = space_.rulerViewer())
        placerSur(r, s, e);
}

void ZEVInspectViewer::popUpGoToChange(long k)
{
    previousURL_.clear();
    space_.setGoToTag(k);
    QFileDialog* panel = openPanel_;
    if (auto* duree = panel ? panel->findChild<QComboBox*>(QStringLiteral("durationPopUp")) : nullptr) {
        int i = duree->findData(qlonglong(space_.durationTag()));
        if (i < 0)
            i = duree->findData(qlonglong(0));
        const QSignalBlocker quiet(duree);
        duree->setCurrentIndex(i);
    }
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    KELICurseur* now = space_.nowCurseur();
    if (!r || !search || !now)
        return;
    if (k == 1 || k == 2) {
        KELICurseur* c = k == 1 ? now : search;
        r->userChangeActifCurseur(c);
        centrerSur(space_, c->now());
        return;
    }
    r->userChangeActifCurseur(search);
    const QStringList urls = panel ? choisis(panel) : QStringList();
    if (urls.isEmpty())
        return;
    const std::optional<KELDate> e = fileDateForGoToTag(urls.last(), k, siNaissance1970Valide());
    if (!e) {
        beep();
        return;
    }
    const KELDate s = search->now();
    centrerSur(space_, s);
    placerSur(r, search->now(), *e);
}

void ZEVInspectViewer::panelSelectionDidChange()
{
    QFileDialog* panel = openPanel_;
    if (!panel || !panel->isVisible())
        return;
    const long k = tagDe(panel->findChild<QComboBox*>(QStringLiteral("goToPopUp")));
    const QStringList urls = choisis(panel);
    const std::optional<ZEVInspectNouns> n = noms();
    panel->setLabelText(QFileDialog::Accept, n ? addPromptForCount(urls.size(), n->one, n->many)
                                               : addFilesPromptForCount(urls.size()));
    if (urls.isEmpty()) {
        previousURL_.clear();
        return;
    }
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    if (k < 3 || !r || !search)
        return;
    r->userChangeActifCurseur(search);
    // The same file chosen again moves nothing.
    const QString u = urls.last();
    if (u == previousURL_)
        return;
    previousURL_ = u;
    centrerSur(space_, search->now());
    const std::optional<KELDate> e = fileDateForGoToTag(u, k, siNaissance1970Valide());
    if (!e) {
        beep();
        return;
    }
    placerSur(r, search->now(), *e);
}

// ---- the preview ------------------------------------------------------------------------------

bool ZEVInspectViewer::pointeurSurLePanneau(QPoint& dansLaTable, bool& dansLeViewport) const
{
    dansLeViewport = false;
    ZEVInspectView* v = inspectView_;
    if (!v || !v->isVisible())
        return false;
    QWidget* w = v->window();
    const QPointF limite = space_.mouseLimitPoint();
    // y-up in the window to Qt's y-down at this edge.
    const QPointF fenetre(limite.x(), w->height() - limite.y());
    const QPointF panneau = v->mapFrom(w, fenetre);
    if (!v->inspectRect().contains(QPointF(panneau.x(), v->height() - panneau.y())))
        return false;
    ZEVInspectTableView* table = v->inspectTableView();
    dansLaTable = table->viewport()->mapFrom(w, fenetre.toPoint());
    dansLeViewport = table->viewport()->rect().contains(dansLaTable);
    return true;
}

KELI* ZEVInspectViewer::rowItemUnderPointer() const
{
    QPoint p;
    bool dedans = false;
    if (!pointeurSurLePanneau(p, dedans) || !dedans)
        return nullptr;
    ZEVInspectTableView* table = inspectView_->inspectTableView();
    const ZEVTableElement* e = table->element(table->rowAt(p.y()));
    return e ? e->item : nullptr;
}

std::vector<KELI*> ZEVInspectViewer::objetsChoisis()
{
    ZEVInspectClass* model = inspectClass();
    return model ? model->itemsForFrontMode().value_or(std::vector<KELI*>()) : std::vector<KELI*>();
}

void ZEVInspectViewer::donnerAuPreview(const std::vector<KELI*>& items)
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    // Bare copies of the Objects as the rows name them; the window reads them at once.
    std::vector<std::unique_ptr<ZEVItemViewCopy>> copies;
    std::vector<ZEVItemViewForDesks*> vues;
    for (KELI* item : items) {
        if (!item)
            continue;
        std::unique_ptr<ZEVItemViewCopy> c = copiePourLePreview(item);
        c->setChannelInt(item->channelInt());
        c->setItemType(QString::fromStdString(typeForItem(item).value_or("")));
        c->setItemTitle(QString::fromStdString(titleForItem(item).value_or("")));
        vues.push_back(c.get());
        copies.push_back(std::move(c));
    }
    w->setPreviewItems(vues);
}

void ZEVInspectViewer::montrerLePreview(const std::vector<KELI*>& items)
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || items.empty())
        return;
    donnerAuPreview(items);
    w->orderFrontPreviewPanel();
    // Several Objects: the window comes over everything, its arrows to browse them. It never
    // takes the keys from the panel, so one Object or several, the keys stay here.
    if (items.size() >= 2)
        if (ZEVPreviewWindow* p = w->preview().window())
            p->raise();
}

bool ZEVInspectViewer::userToggleQL(bool fromButton)
{
    ZEVInspectView* v = inspectView_;
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!v || !v->isVisible() || !w)
        return false;
    const bool f = siFirstResponder();
    const bool montre = w->siPreviewPanelVisible();
    if (fromButton) {
        if (!f)
            return false;
        if (montre)
            w->orderOutPreviewPanel();
        else
            montrerLePreview(objetsChoisis());
        return true;
    }
    QPoint dansLaTable;
    bool dedans = false;
    if (!pointeurSurLePanneau(dansLaTable, dedans))
        return false;
    std::vector<KELI*> items = f ? objetsChoisis() : std::vector<KELI*>();
    if (!dedans) {
        if (!f)
            return false;
        if (!montre) {
            montrerLePreview(items);
        } else if (items.empty()) {
            w->orderOutPreviewPanel();
        } else {
            donnerAuPreview(items);
            w->reloadPreviewPanel();
        }
        return true;
    }
    if (montre && !items.empty()) {
        w->orderOutPreviewPanel();
        return true;
    }
    if (items.empty())
        if (KELI* row = rowItemUnderPointer())
            items = {row};
    if (!montre) {
        montrerLePreview(items);
        return !items.empty() || f;
    }
    if (items.empty()) {
        if (!f)
            return false;
        w->orderOutPreviewPanel();
        return true;
    }
    donnerAuPreview(items);
    w->reloadPreviewPanel();
    return true;
}

bool ZEVInspectViewer::previewFollowsSelection()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    ZEVInspectView* v = inspectView_;
    if (!w || !v || !v->isVisible() || !w->siPreviewPanelVisible() || !siFirstResponder())
        return false;
    const std::vector<KELI*> items = objetsChoisis();
    // An emptied selection leaves the preview on what it showed.
    if (!items.empty()) {
        donnerAuPreview(items);
        w->reloadPreviewPanel();
    }
    return true;
}

} // namespace tallomer
