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

// "<verb> 1 <one><suffix>" or "<verb> <n> <many><suffix>".
QString compte(const QString& verbe, quint64 count, const std::pair<QString, QString>& noms,
               const QString& suffixe = QString())
{
    if (count == 1)
        return QStringLiteral("%1 1 %2%3").arg(verbe, noms.first, suffixe);
    return QStringLiteral("%1 %2 %3%4").arg(verbe).arg(qint32(count)).arg(noms.second, suffixe);
}

ZEVMenuLine ligne(long tag, std::optional<QString> title, std::optional<bool> enabled)
{
    ZEVMenuLine l;
    l.tag = tag;
    l.title = std::move(title);
    l.enabled = enabled;
    return l;
}

} // namespace

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
        {25, QStringLiteral("Duplicate"), false, c.duplicateTo, false},
        {24, QStringLiteral("Duplicate"), true, c.duplicateTo, false},
    };
    for (const Manier& m : maniers) {
        const QString fin = m.versLeMagasin ? QStringLiteral(" in %1").arg(n.store) : QStringLiteral(" to\u2026");
        QString titre = m.count == 0   ? m.verbe + fin
                        : m.count == 1 ? QStringLiteral("%1 1 %2%3").arg(m.verbe, n.one, fin)
                                       : QStringLiteral("%1 %2 %3%4").arg(m.verbe).arg(qint64(m.count)).arg(n.many, fin);
        // Duplicate is never offered from a panel's Object menu.
        out.push_back(ligne(m.tag, std::move(titre), m.possible && m.count > 0));
    }
    out.push_back(ligne(60, std::nullopt, c.showOriginal));
    return out;
}

std::vector<ZEVMenuLine> ZEVInspectMacLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n)
{
    const bool s = c.isSearch;
    auto a = [](ZEVMenuPlace place, long tag, bool enabled) {
        ZEVMenuLine l = ligne(tag, std::nullopt, enabled);
        l.place = place;
        return l;
    };
    using P = ZEVMenuPlace;
    // A kind that cannot duplicate keeps both Duplicate items off: enabled, they would do nothing.
    const bool duplique = n.duplicates && c.duplicateTo > 0;
    return {
        a(P::Object, 31, true),
        a(P::Spaces, 40, !s && c.deskHasItems),
        a(P::Spaces, 41, c.deskHasSelection),
        a(P::Spaces, 44, s),
        a(P::Spaces, 43, s),
        a(P::Object, 1, c.nTotal > 0),
        // The front layer enables Remove for whichever list has the focus; the panel's has none
        // to remove when nothing is selected, as its Object menu says.
        a(P::Object, 13, c.nTotal > 0),
        a(P::Handle, 21, c.moveTo > 0),
        a(P::Handle, 20, c.moveToSpace > 0),
        a(P::Handle, 23, c.copyTo > 0),
        a(P::Handle, 22, c.copyToSpace > 0),
        a(P::Handle, 25, duplique),
        a(P::Handle, 24, duplique),
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
    };
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
