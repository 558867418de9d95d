#include "inspectors/base/ZEVInspectMenus.h"

#include "platform/MenuText.h"

#include <QAction>
#include <QMenu>

namespace tallomer {

namespace {

// The singular and plural noun of a front mode; none outside 0 to 3.
std::optional<std::pair<QString, QString>> nomsDuMode(int mode, const ZEVInspectNouns& n)
{
    switch (mode) {
    case 0:
    case 1:
        return std::make_pair(n.one, n.many);
    case 2:
        return std::make_pair(QStringLiteral("Filter"), QStringLiteral("Filters"));
    case 3:
        return std::make_pair(QStringLiteral("Node"), QStringLiteral("Nodes"));
    default:
        return std::nullopt;
    }
}

QString compte(const QString& verbe, quint64 count, const std::pair<QString, QString>& noms,
               const QString& suffixe = QString())
{
    return ZEVCountTitle(verbe, count, noms.first, noms.second, suffixe);
}

ZEVMenuLine ligne(long tag, std::optional<QString> title, std::optional<bool> enabled)
{
    return ZEVMenuLineOf(tag, std::move(title), enabled);
}

} // namespace

ZEVMenuLine ZEVMenuLineOf(long tag, std::optional<QString> title, std::optional<bool> enabled, ZEVMenuPlace place)
{
    ZEVMenuLine l;
    l.tag = tag;
    l.title = std::move(title);
    l.enabled = enabled;
    l.place = place;
    return l;
}

QString ZEVCountTitle(const QString& verb, quint64 count, const QString& one, const QString& many, const QString& suffix)
{
    if (count == 1)
        return QStringLiteral("%1 1 %2%3").arg(verb, one, suffix);
    return QStringLiteral("%1 %2 %3%4").arg(verb).arg(qint32(count)).arg(many, suffix);
}

std::vector<ZEVMenuLine> ZEVHandleLines(const ZEVHandleCounts& c, const QString& one, const QString& many,
                                        const QString& store, bool duplicateOffered)
{
    struct Manier {
        long tag;
        QString verbe;
        bool versLeMagasin;
        quint64 count;
        bool possible;
    };
    const Manier maniers[] = {
        {21, QStringLiteral("Move"), false, c.moveTo, true},
        {20, QStringLiteral("Move"), true, c.moveToSpace, true},
        {23, QStringLiteral("Copy"), false, c.copyTo, true},
        {22, QStringLiteral("Copy"), true, c.copyToSpace, true},
        {25, QStringLiteral("Duplicate"), false, c.duplicateTo, duplicateOffered},
        {24, QStringLiteral("Duplicate"), true, c.duplicateTo, duplicateOffered},
    };
    std::vector<ZEVMenuLine> out;
    for (const Manier& m : maniers) {
        const QString fin = m.versLeMagasin ? QStringLiteral(" in %1").arg(store) : QStringLiteral(" to\u2026");
        // These counts are written as 64-bit integers.
        QString titre = m.count == 0   ? m.verbe + fin
                        : m.count == 1 ? QStringLiteral("%1 1 %2%3").arg(m.verbe, one, fin)
                                       : QStringLiteral("%1 %2 %3%4").arg(m.verbe).arg(qint64(m.count)).arg(many, fin);
        out.push_back(ligne(m.tag, std::move(titre), m.possible && m.count > 0));
    }
    return out;
}

std::vector<ZEVMenuLine> ZEVDeskMacLines(bool isSearch, bool deskHasItems, bool deskHasSelection)
{
    using P = ZEVMenuPlace;
    return {
        ZEVMenuLineOf(31, std::nullopt, true, P::Object),
        ZEVMenuLineOf(40, std::nullopt, !isSearch && deskHasItems, P::Spaces),
        ZEVMenuLineOf(41, std::nullopt, deskHasSelection, P::Spaces),
        ZEVMenuLineOf(44, std::nullopt, isSearch, P::Spaces),
        ZEVMenuLineOf(43, std::nullopt, isSearch, P::Spaces),
    };
}

std::vector<ZEVMenuLine> ZEVHandleMacLines(const ZEVHandleCounts& c, bool duplicates)
{
    using P = ZEVMenuPlace;
    // A kind that cannot duplicate keeps both Duplicate items off: enabled, they would do nothing.
    const bool duplique = duplicates && c.duplicateTo > 0;
    return {
        ZEVMenuLineOf(21, std::nullopt, c.moveTo > 0, P::Handle),
        ZEVMenuLineOf(20, std::nullopt, c.moveToSpace > 0, P::Handle),
        ZEVMenuLineOf(23, std::nullopt, c.copyTo > 0, P::Handle),
        ZEVMenuLineOf(22, std::nullopt, c.copyToSpace > 0, P::Handle),
        ZEVMenuLineOf(25, std::nullopt, duplique, P::Handle),
        ZEVMenuLineOf(24, std::nullopt, duplique, P::Handle),
    };
}

std::vector<ZEVMenuLine> ZEVInspectEditLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n)
{
    const auto noms = nomsDuMode(c.mode, n);
    if (!noms)
        return {};
    std::vector<ZEVMenuLine> out;
    ZEVMenuLine now;
    now.tag = 6;
    now.visible = c.isSearch && c.nNotNow > 0;
    if (*now.visible)
        now.title = compte(QStringLiteral("Recall Now"), c.nNotNow, *noms, c.duration);
    out.push_back(now);
    const bool rappel = c.nInactive > 0;
    out.push_back(ligne(4, rappel ? compte(QStringLiteral("Recall"), c.nInactive, *noms, c.duration) : QStringLiteral("Recall"), rappel));
    out.push_back(ligne(5, rappel ? compte(QStringLiteral("Retain"), c.nInactive, *noms) : QStringLiteral("Retain"), rappel));
    const bool present = c.nActive > 0;
    out.push_back(ligne(2, present ? compte(QStringLiteral("Release"), c.nActive, *noms) : QStringLiteral("Release"), present));
    out.push_back(ligne(3, present ? compte(QStringLiteral("Forget"), c.nActive, *noms) : QStringLiteral("Forget"), present));
    return out;
}

std::vector<ZEVMenuLine> ZEVInspectObjectLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n)
{
    std::vector<ZEVMenuLine> out;
    const std::pair<QString, QString> objets{n.one, n.many};
    const quint64 total = c.nTotal;
    ZEVMenuLine add = ligne(31, std::nullopt, true);
    ZEVMenuLine filter = ligne(7, std::nullopt, std::nullopt);
    filter.state = 0;
    ZEVMenuLine find = ligne(32, std::nullopt, true);
    ZEVMenuLine open = ligne(1, std::nullopt, std::nullopt);

    ZEVMenuLine remove = ligne(13, std::nullopt, total > 0);
    remove.title = total == 1 ? QStringLiteral("Remove 1 %1 Object").arg(n.one)
                   : total > 1 ? QStringLiteral("Remove %1 %2 Objects").arg(qint32(total)).arg(n.one)
                               : QStringLiteral("Remove %1 Objects").arg(n.one);

    const QString ajouter = QStringLiteral("Add %1\u2026").arg(n.many);
    const QString chercher = QStringLiteral("Find %1").arg(n.many);
    auto ouvrir = [&](const std::pair<QString, QString>& noms) {
        open.title = total > 0 ? compte(QStringLiteral("Open"), total, noms) : QStringLiteral("Open (no %1)").arg(noms.first);
        open.enabled = total > 0;
    };
    auto filtrer = [&](const std::pair<QString, QString>& noms) {
        if (c.filters > 0) {
            filter.title = QStringLiteral("Deselect all Filters");
            filter.enabled = true;
            filter.state = 1;
        } else {
            filter.title = total > 0 ? compte(QStringLiteral("Filter"), total, noms)
                                     : QStringLiteral("Filter (no %1)").arg(noms.first);
            filter.enabled = total > 0;
        }
    };
    switch (c.mode) {
    case 0:
    case 1:
        add.title = ajouter;
        find.title = chercher;
        ouvrir(objets);
        filtrer(objets);
        break;
    case 2:
        find.title = chercher;
        if (total > 0) {
            add.title = QStringLiteral("Add and link %1\u2026").arg(n.many);
            open.title = compte(QStringLiteral("Open"), total, {QStringLiteral("Filter"), QStringLiteral("Filters")});
            open.enabled = true;
            filter.title = QStringLiteral("Deselect all Filters");
            filter.enabled = true;
            filter.state = 1;
        } else {
            add.title = ajouter;
            open.title = QStringLiteral("Open (no %1 filtered)").arg(n.one);
            open.enabled = false;
            filter.title = c.iconMode == 0 ? QStringLiteral("Filter (no Icon)")
                                           : compte(QStringLiteral("Filter"), c.iconMode, objets);
            filter.enabled = c.iconMode > 0;
        }
        break;
    case 3: {
        const std::pair<QString, QString> noeuds{QStringLiteral("Node"), QStringLiteral("Nodes")};
        add.title = ajouter;
        find.title = chercher;
        ouvrir(noeuds);
        filtrer(noeuds);
        break;
    }
    default:
        break;
    }
    out.insert(out.end(), {add, filter, find, open, remove});

    out.push_back(ligne(4333, QStringLiteral("Handle %1").arg(n.many), std::nullopt));
    // Duplicate is never offered from a panel's Object menu.
    const std::vector<ZEVMenuLine> handle = ZEVHandleLines(
        {c.moveTo, c.moveToSpace, c.copyTo, c.copyToSpace, c.duplicateTo}, n.one, n.many, n.store, false);
    out.insert(out.end(), handle.begin(), handle.end());
    out.push_back(ligne(60, std::nullopt, c.showOriginal));
    return out;
}

std::vector<ZEVMenuLine> ZEVInspectMacLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n)
{
    const bool s = c.isSearch;
    auto a = [](ZEVMenuPlace place, long tag, bool enabled) { return ZEVMenuLineOf(tag, std::nullopt, enabled, place); };
    using P = ZEVMenuPlace;
    std::vector<ZEVMenuLine> out = ZEVDeskMacLines(s, c.deskHasItems, c.deskHasSelection);
    out.push_back(a(P::Object, 1, c.nTotal > 0));
    // The front layer enables Remove for whichever list has the focus; the panel's has none to
    // remove when nothing is selected, as its Object menu says.
    out.push_back(a(P::Object, 13, c.nTotal > 0));
    const std::vector<ZEVMenuLine> handle =
        ZEVHandleMacLines({c.moveTo, c.moveToSpace, c.copyTo, c.copyToSpace, c.duplicateTo}, n.duplicates);
    out.insert(out.end(), handle.begin(), handle.end());
    out.insert(out.end(), {
        a(P::Handle, 60, c.showOriginal),
        a(P::Edit, 6, c.nNotNow > 0),
        a(P::Edit, 65, c.nInactive > 0 && !s),
        a(P::Edit, 62, c.nActive > 0 && !s),
        a(P::Edit, 63, c.nActive > 0 && !s),
        // With a panel focused these four are its plain Recall, Retain, Release and Forget, which
        // the Edit menu offers at either cursor: disabled at Now, they would refuse what it shows.
        a(P::Edit, 4, c.nInactive > 0),
        a(P::Edit, 5, c.nInactive > 0),
        a(P::Edit, 2, c.nActive > 0),
        a(P::Edit, 3, c.nActive > 0),
        a(P::Edit, 103, true),
        a(P::Edit, 104, true),
        a(P::Edit, 105, true),
        a(P::Edit, 100, c.mode != 3 && c.nTotal > 0),
        a(P::Edit, 101, c.mode != 3 && c.nTotal > 0),
    });
    return out;
}

void ZEVApplyMenuLines(QMenu* menu, const std::vector<ZEVMenuLine>& lines, ZEVMenuPlace place)
{
    for (const ZEVMenuLine& l : lines) {
        if (l.place != ZEVMenuPlace::Given && l.place != place)
            continue;
        QAction* a = ZEVMenuItemWithTag(menu, l.tag);
        if (!a)
            continue;
        if (l.title)
            a->setText(menuText(*l.title));
        if (l.enabled)
            a->setEnabled(*l.enabled);
        if (l.visible)
            a->setVisible(*l.visible);
        if (l.state) {
            a->setProperty("state", *l.state);
            a->setCheckable(*l.state != -1);
            a->setChecked(*l.state == 1);
        }
    }
}

} // namespace tallomer
