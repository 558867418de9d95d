#include "inspectors/core/ZEVInspectMenus.h"

#include "look/KELSharedResources.h"
#include "engine/KELLien.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/MenuText.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QMenu>

namespace tallomer {

namespace {
const QString kIndent = QStringLiteral("     ");
} // namespace

ZEVInspectMenus::ZEVInspectMenus(ZEVInspectNouns nouns, ZEVRowMenuShape shape)
    : nouns_(std::move(nouns)), shape_(shape)
{
}

ZEVInspectMenus::~ZEVInspectMenus() = default;

QString ZEVInspectMenus::headerTitle(const QString& title)
{
    // Counted in characters, not UTF-16 units: a cut never splits a pair.
    const QList<uint> chars = title.toUcs4();
    const QString cut =
        chars.size() <= 24
            ? title
            : QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), 24) + QStringLiteral("\u2026");
    return QStringLiteral("\"%1\"").arg(cut);
}

std::vector<ZEVRowMenuItem> ZEVInspectMenus::rowItems(const ZEVRowMenuState& s) const
{
    const QString& n = nouns_.one;
    const bool p = s.present;
    std::vector<ZEVRowMenuItem> out;
    out.push_back({ZEVRowTagHeader, headerTitle(s.title)});
    // Recall Now is offered only where it would add something: away from Now, absent at Now.
    out.push_back({ZEVRowTagRecallNow, QStringLiteral("Recall %1 Now%2").arg(n, s.gotoSuffix), true,
                   !s.nowActif && !s.presentNow});
    out.push_back(
        {ZEVRowTagRecall, p ? QStringLiteral("Recall") : QStringLiteral("Recall %1%2").arg(n, s.gotoSuffix), !p});
    out.push_back({ZEVRowTagRetain, p ? QStringLiteral("Retain") : QStringLiteral("Retain %1").arg(n), !p});
    out.push_back({ZEVRowTagRelease, p ? QStringLiteral("Release %1").arg(n) : QStringLiteral("Release"), p});
    out.push_back({ZEVRowTagForget, p ? QStringLiteral("Forget %1").arg(n) : QStringLiteral("Forget"), p});
    out.push_back({ZEVRowTagMoveTo, {}, s.moveTo});
    out.push_back({ZEVRowTagMoveToSpace, {}, s.moveToSpace});
    out.push_back({ZEVRowTagCopyTo, {}, s.copyTo});
    out.push_back({ZEVRowTagCopyToSpace, {}, s.copyToSpace});
    // This panel does not duplicate: the items stay, off.
    out.push_back({ZEVRowTagDuplicateTo, {}, false});
    out.push_back({ZEVRowTagDuplicateToSpace, {}, false});
    out.push_back({ZEVRowTagShowOriginal, {}, s.showOriginal});
    struct Mode {
        long tag;
        int mode;
        const char* word;
        bool checked;
    };
    const Mode modes[] = {{ZEVRowTagIcon, ZEVFrontModeIcons, "Icon", s.iconSelected},
                          {ZEVRowTagTitle, ZEVFrontModeTitles, "Title", s.titleSelected},
                          {ZEVRowTagLink, ZEVFrontModeLinks, "Link", s.linkSelected},
                          {ZEVRowTagFilter, ZEVFrontModeFilters, "Filter", s.filterSelected}};
    const bool enMode = s.frontMode >= ZEVFrontModeIcons && s.frontMode <= ZEVFrontModeLinks;
    for (const Mode& m : modes) {
        const QString word = QString::fromLatin1(m.word);
        // Outside the four modes the titles are left as they are.
        ZEVRowMenuItem item{m.tag,     enMode ? (m.mode == s.frontMode ? word : kIndent + word) : QString(),
                            true,      true,
                            m.checked, enMode && m.mode == s.frontMode};
        out.push_back(item);
    }
    out.push_back({ZEVRowTagDuration, s.duration, false});
    return out;
}

QString ZEVInspectMenus::legoDeleteTitle(int liveLegos) const
{
    return liveLegos == 1 ? QStringLiteral("Remove %1").arg(nouns_.object) : QStringLiteral("Delete Interval");
}

void ZEVInspectMenus::buildRowMenu()
{
    rowMenu_ = std::make_unique<QMenu>();
    rowMenu_->setObjectName(QStringLiteral("InspectRowMenu"));
    QMenu* m = rowMenu_.get();
    using A = ZEVTableMenuAction;
    auto add = [this](QMenu* into, long tag, const QString& title, A action) {
        QAction* a = into->addAction(title);
        if (tag)
            a->setProperty("tag", qlonglong(tag));
        if (action != A::Count)
            connect(a, &QAction::triggered, this, [this, action] {
                if (table_)
                    table_->menuAction(action);
            });
        return a;
    };
    ZEVAddMenuHeader(m, ZEVRowTagHeader);
    m->addSeparator();
    add(m, 0, QStringLiteral("Open"), A::Open);
    QMenu* openWith = m->addMenu(QStringLiteral("Open With"));
    openWith->menuAction()->setProperty("tag", qlonglong(ZEVRowTagOpenWith));
    if (shape_.findInChannels)
        add(m, 0, QStringLiteral("Find in Channels"), A::FindInChannels);
    if (shape_.addItem)
        connect(add(m, ZEVRowTagAdd, QStringLiteral("Add Documents\u2026"), A::Count), &QAction::triggered, this, [this] {
            if (onAdd)
                onAdd();
        });
    QMenu* handle = m->addMenu(QStringLiteral("Handle"));
    handle->menuAction()->setProperty("tag", qlonglong(ZEVRowTagHandle));
    add(handle, ZEVRowTagMoveTo, QStringLiteral("Move To\u2026"), A::MoveTo);
    add(handle, ZEVRowTagMoveToSpace, QStringLiteral("Move To Space"), A::MoveToSpace);
    add(handle, ZEVRowTagCopyTo, QStringLiteral("Copy To\u2026"), A::CopyTo);
    add(handle, ZEVRowTagCopyToSpace, QStringLiteral("Copy To Space"), A::CopyToSpace);
    add(handle, ZEVRowTagDuplicateTo, QStringLiteral("Duplicate To\u2026"), A::DuplicateTo);
    add(handle, ZEVRowTagDuplicateToSpace, QStringLiteral("Duplicate To Space"), A::DuplicateToSpace);
    handle->addSeparator();
    add(handle, ZEVRowTagShowOriginal, QStringLiteral("Show Original"), A::ShowOriginal);
    m->addSeparator();
    add(m, ZEVRowTagRecallNow, QStringLiteral("Recall Now"), A::RecallNow);
    add(m, ZEVRowTagRecall, QStringLiteral("Recall"), A::Recall);
    add(m, ZEVRowTagRetain, QStringLiteral("Retain"), A::Retain);
    add(m, ZEVRowTagRelease, QStringLiteral("Release"), A::Release);
    add(m, ZEVRowTagForget, QStringLiteral("Forget"), A::Forget);
    if (shape_.linkItems) {
        m->addSeparator();
        add(m, ZEVRowTagLinkWith, QStringLiteral("Link"), A::Link);
        add(m, ZEVRowTagUnlinkWith, QStringLiteral("Unlink"), A::Unlink);
    }
    m->addSeparator();
    for (QAction* a : {add(m, ZEVRowTagIcon, QStringLiteral("Icon"), A::SelectIcon),
                       add(m, ZEVRowTagTitle, QStringLiteral("Title"), A::SelectTitle),
                       add(m, ZEVRowTagLink, QStringLiteral("Link"), A::SelectNode),
                       add(m, ZEVRowTagFilter, QStringLiteral("Filter"), A::SelectFilter)})
        a->setCheckable(true);
    m->addSeparator();
    add(m, ZEVRowTagDuration, QString(), A::Count)->setEnabled(false);
    if (shape_.copyDurations)
        add(m, 0, QStringLiteral("Copy Durations"), A::CopyDurations)->setObjectName(QStringLiteral("copyDurations"));
    connect(m, &QMenu::aboutToHide, this, [this] {
        if (table_)
            table_->disableRightSelectedRow();
    });
}

void ZEVInspectMenus::buildLegoMenu()
{
    legoMenu_ = std::make_unique<QMenu>();
    legoMenu_->setObjectName(QStringLiteral("InspectLegoMenu"));
    QAction* del = legoMenu_->addAction(QStringLiteral("Delete Interval"));
    del->setProperty("tag", qlonglong(ZEVRowTagDeleteLego));
    connect(del, &QAction::triggered, this, [this] {
        if (table_ && legoId_ && onDeleteLego)
            onDeleteLego(legoId_, *table_);
    });
    QAction* duration = legoMenu_->addAction(QString());
    duration->setProperty("tag", qlonglong(ZEVRowTagDuration));
    duration->setEnabled(false);
    connect(legoMenu_.get(), &QMenu::aboutToHide, this, [this] {
        if (table_)
            table_->disableRightSelectedRow();
    });
}

QMenu* ZEVInspectMenus::rowMenuFor(ZEVTableView& table)
{
    if (!rowMenu_)
        buildRowMenu();
    table_ = &table;
    return rowMenu_.get();
}

QMenu* ZEVInspectMenus::rowMenu(ZEVTableView& table, const ZEVRowMenuState& s, const KELSharedResources* r)
{
    QMenu* m = rowMenuFor(table);
    for (const ZEVRowMenuItem& i : rowItems(s)) {
        QAction* a = ZEVMenuItemWithTag(m, i.tag);
        if (!a)
            continue;
        if (!i.title.isNull() || i.tag == ZEVRowTagDuration)
            a->setText(menuText(i.title));
        if (i.tag != ZEVRowTagHeader && i.tag != ZEVRowTagDuration)
            a->setEnabled(i.enabled);
        a->setVisible(i.visible);
        if (a->isCheckable())
            a->setChecked(i.checked);
        if (r &&
            (i.tag == ZEVRowTagIcon || i.tag == ZEVRowTagTitle || i.tag == ZEVRowTagLink || i.tag == ZEVRowTagFilter) &&
            !i.title.isNull()) {
            const QPixmap& image = i.tag == ZEVRowTagIcon    ? r->iconImage()
                                   : i.tag == ZEVRowTagTitle ? r->titleImage()
                                   : i.tag == ZEVRowTagLink  ? r->linkImage()
                                                             : r->filterImage();
            a->setIcon(i.modeImage ? QIcon(image) : QIcon());
        }
    }
    return m;
}

QMenu* ZEVInspectMenus::legoMenu(ZEVTableView& table, KELI* lego, int liveLegos)
{
    if (!lego)
        return nullptr;
    if (!legoMenu_)
        buildLegoMenu();
    table_ = &table;
    legoId_ = lego->idInt();
    ZEVMenuItemWithTag(legoMenu_.get(), ZEVRowTagDeleteLego)->setText(legoDeleteTitle(liveLegos));
    ZEVMenuItemWithTag(legoMenu_.get(), ZEVRowTagDuration)
        ->setText(ZEVSpaceController::durationStringForDuration(lego->outDate() - lego->inDate()));
    return legoMenu_.get();
}

} // namespace tallomer
