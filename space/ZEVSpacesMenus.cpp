#include "space/ZEVSpacesMenus.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "platform/CalendarDate.h"
#include "platform/MenuText.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWalks.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QWidgetAction>

#include <algorithm>
#include <set>

namespace tallomer {

namespace {

constexpr const char* kProprieteEspaces = "ZEVSpacesMenuAction";
constexpr const char* kProprieteChannels = "userGotoChannel";

std::string motDe(KELI* mot)
{
    const KELValue v = mot ? mot->base() : KELValue{};
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
}

void enleverLesActions(QMenu* menu, const char* propriete, const QVariant& valeur)
{
    for (QAction* a : menu->actions())
        if (a->property(propriete) == valeur) {
            menu->removeAction(a);
            a->deleteLater();
        }
}

void insererA(QMenu* menu, int index, QAction* action)
{
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(index >= 0 && index < actions.size() ? actions.at(index) : nullptr, action);
}

} // namespace

QIcon ZEVSpacesMenus::vignette(KELI* image, KELId channel, KELI* couleur, KELI* echelle)
{
    if (!space_.spaceClass())
        return {};
    return QIcon(QPixmap::fromImage(space_.spaceClass()->imageForImageItem(image, channel, couleur, echelle)));
}

void ZEVSpacesMenus::addSpacesToMenu(QMenu* menu, ZEVSpacesMenuAction action, int startIndex, long maxPrev,
                                     long maxNext, KELI* channel)
{
    if (!menu)
        return;
    const QVariant marque = int(action);
    enleverLesActions(menu, kProprieteEspaces, marque);
    gotoObjects_.clear();
    ZEVChannelClassServices* canaux = space_.channelClass();
    if (!channel || !canaux || !space_.nowCurseur())
        return;
    space_.walks().reveillerLesRelations();
    space_.nowCurseur()->placeToi();
    const KELId c = channel->idInt();
    KELI* b = canaux->backItemForChannel(channel, space_.nowCurseur());
    const bool inSpace = canaux->siChannelActif(channel, space_.nowCurseur());
    std::set<KELId> listees;
    if (inSpace && b)
        listees.insert(b->idInt());
    std::vector<ZEVSpaceWalks::EspaceTrouve> trouves;
    if (maxPrev > 0 || maxNext > 0) {
        const std::size_t voulus = std::size_t(std::max(0L, maxPrev)) + 1;
        space_.walks().marcherVersLePasse(
            space_.nowCurseur()->gtIndexInt(), c, inSpace, inSpace ? nullptr : b,
            [&](KELId image) { return listees.count(image) != 0; },
            [&](const ZEVSpaceWalks::EspaceTrouve& e) {
                trouves.push_back(e);
                if (e.image)
                    listees.insert(e.image->idInt());
                return trouves.size() < voulus;
            });
    }
    for (const ZEVSpaceWalks::EspaceTrouve& e : trouves) {
        const KELDate date = space_.walks().dateDansLEspace(e, c);
        gotoObjects_.emplace_back(date, e.image, space_.walks().premierEnfant(c, KELRELATION_IDENTITY_BACK_COLOR, date),
                                  space_.walks().premierEnfant(c, KELRELATION_IDENTITY_BACK_SCALE, date));
    }
    const bool autreCanal = c != space_.currentChannelInt();
    for (std::size_t k = gotoObjects_.size(); k-- > 0;) {
        const ZEVSpaceGotoObject& g = gotoObjects_[k];
        const std::optional<CalendarDate> jour = CalendarDate::fromDate(g.date());
        KELI* titre = g.imageItem() && space_.actifCurseur()
                          ? g.imageItem()->enfantDeRelInt(KELRELATION_ITEM_TITLE, space_.actifCurseur())
                          : nullptr;
        const QString texte = QStringLiteral("%1  %2").arg(jour ? jour->format(QStringLiteral("%Y.%m.%d")) : QString(),
                                                           QString::fromStdString(motDe(titre)));
        const QIcon icone = vignette(g.imageItem(), c, g.colorItem(), g.scaleMot());
        QAction* a = nullptr;
        if (autreCanal) {
            // The Spaces of another Channel are titled in grey italic, which a plain item cannot do.
            auto* w = new QWidgetAction(menu);
            auto* ligne = new QWidget(menu);
            auto* disposition = new QHBoxLayout(ligne);
            disposition->setContentsMargins(6, 2, 6, 2);
            auto* image = new QLabel(ligne);
            image->setPixmap(icone.pixmap(32, 20));
            auto* nom = new QLabel(ligne);
            // A title is shown as typed, even one that looks like markup.
            nom->setTextFormat(Qt::PlainText);
            nom->setText(texte);
            QFont police = nom->font();
            police.setItalic(true);
            police.setPointSize(14);
            nom->setFont(police);
            nom->setStyleSheet(QStringLiteral("color: grey;"));
            disposition->addWidget(image);
            disposition->addWidget(nom, 1);
            w->setDefaultWidget(ligne);
            a = w;
        } else {
            a = new QAction(menu);
        }
        a->setText(menuText(texte));
        a->setIcon(icone);
        a->setData(qlonglong(k));
        a->setProperty(kProprieteEspaces, marque);
        const long tag = long(k);
        QObject::connect(a, &QAction::triggered, menu, [this, action, tag] {
            if (action == ZEVSpacesMenuAction::ReplacePrevSpace)
                userReplacePrevSpace(tag);
            else
                userGotoPrevSpace(tag);
        });
        insererA(menu, startIndex, a);
    }
}

void ZEVSpacesMenus::userGotoPrevSpace(long tag)
{
    ZEVChannelViewerServices* canaux = space_.channelViewerServices();
    KELICurseur* actif = space_.actifCurseur();
    if (!canaux || !canaux->spaceBrowsing() || !space_.rulerViewer() || !actif || !space_.nowCurseur() ||
        !space_.searchCurseur())
        return;
    const KELDate now0 = actif->now();
    KELDate t = 0;
    if (tag == -1) {
        t = gotoDate_;
    } else if (tag == -2) {
        if (actif == space_.searchCurseur())
            space_.walks()._showNowCursor();
        space_.walks().selectionEspace(!(space_.nowCurseur()->now() > now0), true);
        return;
    } else if (tag >= 0 && std::size_t(tag) < gotoObjects_.size()) {
        t = gotoObjects_[std::size_t(tag)].date();
    } else {
        return;
    }
    if (actif == space_.nowCurseur())
        space_.rulerViewer()->userChangeActifCurseur(space_.searchCurseur());
    space_.walks().selectionEspace(!(t > now0), false);
    space_.walks()._showSearchCursorToDate(t, true);
}

void ZEVSpacesMenus::userReplacePrevSpace(long tag)
{
    if (tag < 0 || std::size_t(tag) >= gotoObjects_.size() || !space_.rulerViewer() || !space_.searchCurseur())
        return;
    const KELDate t = gotoObjects_[std::size_t(tag)].date();
    if (space_.actifCurseur() == space_.nowCurseur())
        space_.rulerViewer()->userChangeActifCurseur(space_.searchCurseur());
    if (!space_.contextViewer() || !space_.contextViewer()->isShowedEntityWithInt(KELENTITY_CHANNEL_VIEWER))
        space_.host().ouvrirEntityWithInt(KELENTITY_CHANNEL_VIEWER);
    space_.walks()._showSearchCursorToDate(t, false);
    // The Space shown at the Search cursor replaces the Now desk's, as Clean and Replace does.
    if (space_.frontViewer())
        space_.frontViewer()->userSpaceCleanAndReplace();
}

void ZEVSpacesMenus::addChannelsToMenu(QMenu* menu, int startIndex, bool siShowZevFolder)
{
    if (!menu)
        return;
    enleverLesActions(menu, kProprieteChannels, true);
    KELICurseur* actif = space_.actifCurseur();
    ZEVChannelClassServices* canaux = space_.channelClass();
    if (!actif || !canaux)
        return;
    actif->placeToi();
    auto* separateur = new QAction(menu);
    separateur->setSeparator(true);
    separateur->setProperty(kProprieteChannels, true);
    insererA(menu, startIndex, separateur);
    const std::vector<KELI*> liste = canaux->timeLineItems();
    const KELId courant = space_.currentChannelInt();
    for (auto it = liste.rbegin(); it != liste.rend(); ++it) {
        KELI* canal = *it;
        if (!canal)
            continue;
        const KELId id = canal->idInt();
        QString nom = QString::fromStdString(canaux->nameOfChannel(canal));
        // A name of any length may be typed; the menu must still fit the screen, and the home
        // mark after the name must stay in sight.
        if (nom.size() > kLongestChannelTitle)
            nom = leftWholeCharacters(nom, kLongestChannelTitle - 1) + QChar(0x2026);
        const bool home = id == space_.homeChannelInt();
        const bool dossier = siShowZevFolder && id == space_.zevFolderChannelInt();
        if (home && dossier)
            nom = QStringLiteral("%1 (Home & zevFolder)").arg(nom);
        else if (home)
            nom = QStringLiteral("%1 (Home)").arg(nom);
        else if (dossier)
            nom = QStringLiteral("%1 (zevFolder)").arg(nom);
        KELI* image = canaux->siChannelActif(canal, actif) ? canaux->backItemForChannel(canal, actif) : nullptr;
        auto* a = new QAction(menuText(nom), menu);
        a->setIcon(vignette(image, id, space_.walks().premierEnfant(id, KELRELATION_IDENTITY_BACK_COLOR, actif->now()),
                            space_.walks().premierEnfant(id, KELRELATION_IDENTITY_BACK_SCALE, actif->now())));
        a->setData(qlonglong(id));
        a->setCheckable(true);
        a->setChecked(id == courant);
        a->setProperty(kProprieteChannels, true);
        QObject::connect(a, &QAction::triggered, menu, [this, id] { userGotoChannel(long(id)); });
        insererA(menu, startIndex + 1, a);
    }
}

void ZEVSpacesMenus::userGotoChannel(long tag)
{
    if (ZEVChannelClassServices* canaux = space_.channelClass(); canaux && tag > 0)
        canaux->selectChannelInt(KELId(tag));
}

} // namespace tallomer
