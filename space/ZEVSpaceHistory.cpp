#include "space/ZEVSpaceHistory.h"

#include "engine/KELICurseur.h"
#include "platform/MenuText.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include <algorithm>

namespace tallomer {

void ZEVSpaceHistory::addToHistory()
{
    // Every end of a cursor move and every change of place comes by here: the title follows.
    space_.majWindowTitle();
    if (!siAddToHistory_ || !space_.markHistoryViewer())
        return;
    // A place of the user's own ends a stroll through the history where it stands.
    if (!initialZevpString_.isEmpty())
        menuHistoryStop();
    const KELId canal = space_.currentChannelInt();
    const std::vector<KELI*> items = space_.selections().selectedItemsForChannelInt(canal);
    const QString url = space_.zevpStringForItems(&items, space_.actifCurseur() == space_.nowCurseur());
    if (url.isEmpty())
        return;
    if (ZEVMarkObject* mark = space_.markHistoryViewer()->markObjectForZevpString(url)) {
        space_.markHistoryViewer()->selectMarkObject(mark);
        return;
    }
    ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur());
    QString title = desk ? QString::fromStdString(desk->currentBackImageItemName()) : QString();
    if (items.size() == 1) {
        ZEVIconClassServices* icons = space_.iconClass();
        if (const auto nom = icons ? icons->itemTitleForItem(items.front()) : std::nullopt)
            title = QStringLiteral("%1 - %2").arg(title, QString::fromStdString(*nom));
    } else if (items.size() > 1) {
        const int mode = space_.frontMode();
        const QString genre = mode == ZEVFrontModeLinks     ? QStringLiteral("Nodes")
                              : mode == ZEVFrontModeTitles  ? QStringLiteral("Titles")
                              : mode == ZEVFrontModeFilters ? QStringLiteral("Filters")
                                                            : QStringLiteral("Icons");
        title = QStringLiteral("%1 - %2 %3").arg(title, QString::number(items.size()), genre);
    }
    if (title.size() >= 36)
        title = leftWholeCharacters(title, 35) + QChar(0x2026);
    ZEVChannelClassServices* channels = space_.channelClass();
    KELI* channel = space_.channelForIdentityInt(canal);
    const QString nomCanal = channels && channel ? QString::fromStdString(channels->nameOfChannel(channel)) : QString();
    space_.markHistoryViewer()->addMarkObject(std::make_unique<ZEVMarkObject>(url, QImage(), canal, nomCanal, title),
                                              url);
}

void ZEVSpaceHistory::addZevStoryToMenu(QMenu* menu, int startIndex, unsigned max)
{
    if (!menu)
        return;
    for (QAction* a : menu->actions())
        if (a->property("userGotoHistory").toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    const std::vector<ZEVMarkObject*> marks =
        space_.markHistoryViewer() ? space_.markHistoryViewer()->markObjects() : std::vector<ZEVMarkObject*>();
    const std::size_t n = std::min<std::size_t>(std::size_t(max) + 1, marks.size());
    for (std::size_t k = n; k-- > 1;) {
        const ZEVMarkObject* mark = marks[k];
        auto* a = new QAction(menuText(QStringLiteral("%1 | %2").arg(mark->channelTitle(), mark->spaceTitle())), menu);
        if (!mark->markImage().isNull())
            a->setIcon(QIcon(QPixmap::fromImage(mark->markImage())));
        a->setData(qlonglong(k));
        a->setProperty("userGotoHistory", true);
        const long tag = long(k);
        QObject::connect(a, &QAction::triggered, menu, [this, tag] { userGotoHistory(tag); });
        const QList<QAction*> actions = menu->actions();
        menu->insertAction(startIndex >= 0 && startIndex < actions.size() ? actions.at(startIndex) : nullptr, a);
    }
    menuHistoryStart();
}

void ZEVSpaceHistory::menuHistoryStart()
{
    const std::vector<KELI*> items = space_.selections().selectedItemsForChannelInt(space_.currentChannelInt());
    initialZevpString_ = space_.zevpStringForItems(&items, space_.actifCurseur() == space_.nowCurseur());
}

void ZEVSpaceHistory::menuHistoryPrevious()
{
    if (!space_.markHistoryViewer())
        return;
    // The stroll's panel runs modally within this call; the History menu that asked for it closes
    // meanwhile.
    const bool dejaEnCours = siStroll_;
    siStroll_ = true;
    if (!initialZevpString_.isEmpty())
        space_.markHistoryViewer()->previous();
    else
        space_.markHistoryViewer()->previousHistory();
    siStroll_ = dejaEnCours;
}

void ZEVSpaceHistory::menuHistoryNext()
{
    if (space_.markHistoryViewer())
        space_.markHistoryViewer()->next();
}

void ZEVSpaceHistory::ouvrirSansHistorique(const QString& url)
{
    siAddToHistory_ = false;
    space_.openZevpURL(url, true);
    siAddToHistory_ = true;
}

void ZEVSpaceHistory::userGotoHistory(long tag)
{
    const std::vector<ZEVMarkObject*> marks =
        space_.markHistoryViewer() ? space_.markHistoryViewer()->markObjects() : std::vector<ZEVMarkObject*>();
    if (tag < 0 || std::size_t(tag) >= marks.size())
        return;
    ZEVMarkObject* mark = marks[std::size_t(tag)];
    const QString url = mark->zevpString();
    space_.markHistoryViewer()->selectMarkObject(mark);
    ouvrirSansHistorique(url);
}

void ZEVSpaceHistory::userScannHistory(long tag, bool outOfHistory)
{
    QString url;
    if (outOfHistory) {
        url = initialZevpString_;
    } else {
        const std::vector<ZEVMarkObject*> marks =
            space_.markHistoryViewer() ? space_.markHistoryViewer()->markObjects() : std::vector<ZEVMarkObject*>();
        if (tag >= 0 && std::size_t(tag) < marks.size())
            url = marks[std::size_t(tag)]->zevpString();
    }
    if (url.isEmpty())
        return;
    ouvrirSansHistorique(url);
}

void ZEVSpaceHistory::userDeleteHistory()
{
    if (space_.markHistoryViewer())
        space_.markHistoryViewer()->deleteHistory();
    addToHistory();
}

} // namespace tallomer
