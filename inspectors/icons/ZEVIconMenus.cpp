#include "inspectors/icons/ZEVIconMenus.h"

#include <optional>
#include <utility>

namespace tallomer {

namespace {

using Noms = std::pair<QString, QString>;

const Noms kObjets{QStringLiteral("Object"), QStringLiteral("Objects")};

QString compte(const QString& verbe, quint64 count, const Noms& noms, const QString& suffixe = QString())
{
    return ZEVCountTitle(verbe, count, noms.first, noms.second, suffixe);
}

ZEVMenuLine ligne(long tag, std::optional<QString> title, std::optional<bool> enabled)
{
    return ZEVMenuLineOf(tag, std::move(title), enabled);
}

ZEVHandleCounts manier(const ZEVIconMenuCounts& c)
{
    return {c.moveTo, c.moveToSpace, c.copyTo, c.copyToSpace, c.duplicateTo};
}

// A count's item: its counted title and enabled, or its bare title and disabled.
ZEVMenuLine compteOuNu(long tag, quint64 count, const QString& verbe, const Noms& noms, const QString& nu,
                       const QString& suffixe = QString())
{
    return count > 0 ? ligne(tag, compte(verbe, count, noms, suffixe), true) : ligne(tag, nu, false);
}

ZEVMenuLine deselectionnerLesFiltres()
{
    ZEVMenuLine l = ligne(7, QStringLiteral("Deselect all Filters"), true);
    l.state = 1;
    return l;
}

} // namespace

std::vector<ZEVMenuLine> ZEVIconObjectLines(const ZEVIconMenuCounts& c)
{
    std::vector<ZEVMenuLine> out;
    ZEVMenuLine add = ligne(31, std::nullopt, true);
    ZEVMenuLine find = ligne(32, std::nullopt, true);
    ZEVMenuLine filter = ligne(7, std::nullopt, std::nullopt);
    filter.state = 0;
    const QString documents = QStringLiteral("Add Documents\u2026");
    const Noms noeuds{QStringLiteral("Node"), QStringLiteral("Nodes")};
    const quint64 n = c.n;
    switch (c.mode) {
    case 0:
    case 1: {
        const QString rien = c.mode == 0 ? QStringLiteral("Icon") : QStringLiteral("Title");
        add.title = documents;
        out.push_back(compteOuNu(1, n, QStringLiteral("Open"), kObjets, QStringLiteral("Open (no %1)").arg(rien)));
        out.push_back(compteOuNu(13, n, QStringLiteral("Remove"), kObjets, QStringLiteral("Remove Objects")));
        filter = c.filters > 0 ? deselectionnerLesFiltres()
                               : compteOuNu(7, n, QStringLiteral("Filter"), kObjets, QStringLiteral("Filter (no %1)").arg(rien));
        break;
    }
    case 2:
        add.title = n > 0 ? QStringLiteral("Add and link Objects\u2026") : documents;
        out.push_back(compteOuNu(1, n, QStringLiteral("Open"), {QStringLiteral("Filter"), QStringLiteral("Filters")},
                                 QStringLiteral("Open (no Filter)")));
        out.push_back(compteOuNu(13, n, QStringLiteral("Remove"), kObjets, QStringLiteral("Remove Objects")));
        // With no filter, Filter offers the selected icons as filters.
        filter = n > 0 ? deselectionnerLesFiltres()
                       : compteOuNu(7, c.icons, QStringLiteral("Filter"), kObjets, QStringLiteral("Filter (no Icon)"));
        break;
    case 3:
        add.title = documents;
        out.push_back(n > 0 ? ligne(1, QStringLiteral("Open %1 linked Objects").arg(qint32(n)), true)
                            : ligne(1, QStringLiteral("Open (no Link)"), false));
        out.push_back(compteOuNu(13, c.nodes, QStringLiteral("Remove"), noeuds, QStringLiteral("Remove Objects")));
        filter = c.filters > 0 ? deselectionnerLesFiltres()
                               : compteOuNu(7, c.nodes, QStringLiteral("Filter"), noeuds, QStringLiteral("Filter (no Node)"));
        break;
    default:
        break;
    }
    if (c.mode >= 0 && c.mode <= 3) {
        find.title = QStringLiteral("Find Objects");
        out.push_back(ligne(60, std::nullopt, c.showOriginal));
    }
    if (!filter.state)
        filter.state = 0;
    out.insert(out.end(), {add, find, filter});

    out.push_back(ligne(4333, QStringLiteral("Handle Objects"), std::nullopt));
    const std::vector<ZEVMenuLine> handle = ZEVHandleLines(manier(c), kObjets.first, kObjets.second,
                                                           QStringLiteral("Tallomer"), true);
    out.insert(out.end(), handle.begin(), handle.end());
    return out;
}

std::vector<ZEVMenuLine> ZEVIconEditLines(const ZEVIconMenuCounts& c)
{
    const bool s = c.isSearch;
    std::vector<ZEVMenuLine> out;
    // Each cursor's own items: at Now the Now column, at Search the plain commands and Recall Now.
    auto montrer = [&out](long tag, bool visible) {
        ZEVMenuLine l;
        l.tag = tag;
        l.visible = visible;
        out.push_back(l);
    };
    for (long tag : {65L, 62L, 63L})
        montrer(tag, !s);
    for (long tag : {4L, 5L, 2L, 3L})
        montrer(tag, s);
    if (!s)
        montrer(6, true);
    if (c.mode < 0 || c.mode > 3)
        return out;

    const Noms noms = c.mode == 2   ? Noms{QStringLiteral("Filter"), QStringLiteral("Filters")}
                      : c.mode == 3 ? Noms{QStringLiteral("Link"), QStringLiteral("Links")}
                                    : kObjets;
    // A Link mode item with nothing to take names what it would take.
    auto nu = [&c](const char* verbe) {
        const QString v = QString::fromLatin1(verbe);
        return c.mode == 3 ? v + QStringLiteral(" Link") : v;
    };
    if (s) {
        ZEVMenuLine now = ligne(6, std::nullopt, std::nullopt);
        now.visible = c.recallingNow > 0;
        if (c.recallingNow > 0) {
            now.title = compte(QStringLiteral("Recall Now"), c.recallingNow, noms, c.duration);
            now.enabled = true;
        }
        out.push_back(now);
    }
    out.push_back(compteOuNu(s ? 4 : 6, c.recalling, QStringLiteral("Recall"), noms, nu("Recall"), c.duration));
    out.push_back(compteOuNu(s ? 5 : 65, c.retaining, QStringLiteral("Retain"), noms, nu("Retain")));
    out.push_back(compteOuNu(s ? 2 : 62, c.releasing, QStringLiteral("Release"), noms, nu("Release")));
    out.push_back(compteOuNu(s ? 3 : 63, c.releasing, QStringLiteral("Forget"), noms, nu("Forget")));
    return out;
}

std::vector<ZEVMenuLine> ZEVIconMacLines(const ZEVIconMenuCounts& c)
{
    const bool s = c.isSearch;
    using P = ZEVMenuPlace;
    auto a = [](P place, long tag, bool enabled) { return ZEVMenuLineOf(tag, std::nullopt, enabled, place); };
    std::vector<ZEVMenuLine> out = ZEVDeskMacLines(s, c.deskHasItems, c.deskHasSelection);
    const std::vector<ZEVMenuLine> handle = ZEVHandleMacLines(manier(c), true);
    out.insert(out.end(), handle.begin(), handle.end());
    out.insert(out.end(), {a(P::Edit, 103, true), a(P::Edit, 104, true), a(P::Edit, 105, true)});
    // Cut and Copy take the mode's Objects (links are not copied); Copy also takes the title
    // being edited.
    const bool copies = c.mode >= 0 && c.mode <= 2 && c.n > 0;
    out.insert(out.end(), {a(P::Edit, 100, copies), a(P::Edit, 101, copies || c.titleEditing)});
    if (c.mode >= 0 && c.mode <= 3) {
        out.push_back(a(P::Handle, 60, c.showOriginal));
        // Open, Filter and Remove as the Object menu enables them when it opens, so that their keys
        // work exactly when the menu offers them.
        for (const ZEVMenuLine& l : ZEVIconObjectLines(c))
            if ((l.tag == 1 || l.tag == 7 || l.tag == 13) && l.enabled)
                out.push_back(a(P::Object, l.tag, *l.enabled));
    } else {
        out.push_back(a(P::Object, 1, false));
    }
    // The temporal items are enabled by the counts the Edit menu titles them with, so that an item
    // is never enabled in the bar and refused in the menu, nor the other way round. Which of them
    // show is the Edit menu's to say as it opens.
    const bool actifs = c.mode >= 0 && c.mode <= 3;
    const struct {
        long tag;
        bool enabled;
    } temporels[] = {
        {6, actifs && (s ? c.recallingNow > 0 : c.recalling > 0)},
        {65, actifs && !s && c.retaining > 0},
        {62, actifs && !s && c.releasing > 0},
        {63, actifs && !s && c.releasing > 0},
        {4, actifs && s && c.recalling > 0},
        {5, actifs && s && c.retaining > 0},
        {2, actifs && s && c.releasing > 0},
        {3, actifs && s && c.releasing > 0},
    };
    for (const auto& t : temporels)
        out.push_back(a(P::Edit, t.tag, t.enabled));
    return out;
}

ZEVIconButtonStates ZEVIconButtons(const ZEVIconMenuCounts& c)
{
    ZEVIconButtonStates b;
    if (c.mode < 0 || c.mode > 3)
        return b;
    b.recall = c.recalling > 0;
    b.retain = c.retaining > 0;
    b.release = b.forget = c.releasing > 0;
    return b;
}

} // namespace tallomer
