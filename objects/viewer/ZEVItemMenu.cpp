#include "objects/viewer/ZEVItemMenu.h"

#include "desk/model/ZEVItemOptions.h"
#include "platform/MenuText.h"

#include <QMenu>

#include <algorithm>

namespace tallomer {

QString stringMenuForString(const QString& title, int length)
{
    if (title.size() >= length)
        return QStringLiteral("\"%1…\"").arg(leftWholeCharacters(title, length - 1));
    return QStringLiteral("\"%1\"").arg(title);
}

namespace {

bool siImageExtension(const QString& suffix)
{
    static const QStringList images{"jpeg", "jpg", "tiff", "tif", "png", "pdf", "crw",
                                    "cr2",  "raf", "mrw",  "nef", "srf", "exr", "gif"};
    return images.contains(suffix.toLower());
}

} // namespace

bool linkMenuInfo(const ZEVLinkMenuFacts& f, ZEVItemMenuEntry& link, ZEVItemMenuEntry& unlink)
{
    const std::vector<KELI*>* partners = nullptr;
    QString words;
    switch (f.mode) {
    case 0: partners = &f.icons; words = QStringLiteral("Icons"); break;
    case 1: partners = &f.titles; words = QStringLiteral("Titles"); break;
    case 3: partners = &f.nodes; words = QStringLiteral("Nodes"); break;
    case 2:
        if (!f.filters.empty() && std::find(f.filters.begin(), f.filters.end(), f.item) == f.filters.end()) {
            partners = &f.filters;
            words = QStringLiteral("Filters");
        } else {
            partners = &f.icons;
            words = QStringLiteral("Icons");
        }
        break;
    default:
        return false;
    }
    int c = 0, u = 0;
    KELI* firstLinked = nullptr;
    KELI* firstUnlinked = nullptr;
    // The Object itself in the selection: it links with nothing from here.
    if (std::find(partners->begin(), partners->end(), f.item) == partners->end()) {
        for (KELI* p : *partners) {
            if (!p || p == f.item)
                continue;
            if (f.linked && f.linked(p)) {
                if (c++ == 0)
                    firstLinked = p;
            } else if (u++ == 0) {
                firstUnlinked = p;
            }
        }
    }
    const auto name = [&f](KELI* p, int length) {
        return stringMenuForString(f.title ? f.title(p) : QString(), length);
    };
    link.enabled = u > 0;
    if (u == 0)
        link.title = QStringLiteral("Create Link");
    else if (u == 1)
        link.title = QStringLiteral("Link with %1").arg(name(firstUnlinked, 20));
    else
        link.title = QStringLiteral("Create Links to %1 %2").arg(u).arg(words);
    unlink.enabled = c > 0;
    if (c == 0)
        unlink.title = QStringLiteral("Release Link");
    else if (c == 1)
        unlink.title = QStringLiteral("Unlink from %1").arg(name(firstLinked, 18));
    else
        unlink.title = QStringLiteral("Release Links to %1 %2").arg(c).arg(words);
    return true;
}

ZEVItemMenuModel itemMenuModel(const ZEVItemMenuFacts& f)
{
    ZEVItemMenuModel m;
    auto at = [&m](ZEVItemMenuSlot s) -> ZEVItemMenuEntry& { return m[std::size_t(s)]; };
    using S = ZEVItemMenuSlot;
    const bool file = f.type == QLatin1String("file");

    at(S::Open).title = stringMenuForString(f.title, 25);
    at(S::OpenOriginal).visible = f.hasOriginalUrl;
    at(S::OpenQL).enabled = f.applicationActive;
    at(S::GetInfo).visible = file;
    at(S::ShowOriginal).enabled = file && !(f.options & ZEVOPTION_MASK_SHOW_ORIGINAL_REFUSED);
    const bool image = file && siImageExtension(f.fileSuffix);
    for (S s : {S::NewChannel, S::NewSpace}) {
        at(s).visible = image;
        at(s).enabled = image && f.channelsAnswer;
    }
    const S jobs[] = {S::MoveTo, S::MoveToSpace, S::CopyTo, S::CopyToSpace, S::DuplicateTo, S::DuplicateToSpace};
    for (std::size_t i = 0; i < 6; ++i)
        at(jobs[i]).enabled = f.fileJobs[i];

    const QString& d = f.duration;
    if (f.mode != 3) {
        const bool a = f.actif;
        at(S::RecallNow).title = QStringLiteral("Recall Now Object%1").arg(d);
        at(S::RecallNow).visible = !f.onNowDesk && !f.itemActifNow;
        at(S::Recall).title = a ? QStringLiteral("Recall") : QStringLiteral("Recall Object%1").arg(d);
        at(S::Retain).title = a ? QStringLiteral("Retain") : QStringLiteral("Retain Object");
        at(S::Release).title = a ? QStringLiteral("Release Object") : QStringLiteral("Release");
        at(S::Forget).title = a ? QStringLiteral("Forget Object") : QStringLiteral("Forget");
        at(S::Recall).enabled = at(S::Retain).enabled = !a;
        at(S::Release).enabled = at(S::Forget).enabled = a;
    } else {
        at(S::RecallNow).visible = f.r > 0;
        at(S::RecallNow).title = f.r == 1 ? QStringLiteral("Recall Now 1 Link%1").arg(d)
                                          : QStringLiteral("Recall Now %1 Links%2").arg(f.r).arg(d);
        if (f.n == 0) {
            at(S::Recall).title = QStringLiteral("Recall Link");
            at(S::Retain).title = QStringLiteral("Retain Link");
        } else if (f.n == 1) {
            at(S::Recall).title = QStringLiteral("Recall 1 Link%1").arg(d);
            at(S::Retain).title = QStringLiteral("Retain 1 Link");
        } else {
            at(S::Recall).title = QStringLiteral("Recall %1 Links%2").arg(f.n).arg(d);
            at(S::Retain).title = QStringLiteral("Retain %1 Links").arg(f.n);
        }
        at(S::Recall).enabled = at(S::Retain).enabled = f.n > 0;
        if (f.a == 0) {
            at(S::Release).title = QStringLiteral("Release Link");
            at(S::Forget).title = QStringLiteral("Forget Link");
        } else if (f.a == 1) {
            at(S::Release).title = QStringLiteral("Release 1 Link");
            at(S::Forget).title = QStringLiteral("Forget 1 Link");
        } else {
            at(S::Release).title = QStringLiteral("Release %1 Links").arg(f.a);
            at(S::Forget).title = QStringLiteral("Forget %1 Links").arg(f.a);
        }
        at(S::Release).enabled = at(S::Forget).enabled = f.a > 0;
    }
    at(S::Link) = f.link;
    at(S::Unlink) = f.unlink;

    at(S::Filter).title = QStringLiteral("Filter");
    at(S::Filter).checked = f.selectedFilter;
    at(S::ShowTitle).checked = f.options & ZEVOPTION_SHOW_TITLE;
    at(S::QLIcon).checked = f.options & ZEVOPTION_QL_ICON;
    at(S::EditTitle).checked = f.titleEditing;
    at(S::Animate).enabled = f.options & ZEVOPTION_GIF;
    at(S::Animate).checked = f.options & ZEVOPTION_ANIMATE;
    at(S::OpenOnClick).checked = f.options & ZEVOPTION_OPEN_ON_CLICK;
    const bool loc = f.mayRestore && f.actif;
    for (S s : {S::LocSeparator, S::KeepPosition, S::RestorePosition})
        at(s).visible = loc;
    return m;
}

ZEVItemMenu::ZEVItemMenu(std::function<void(ZEVItemMenuSlot)> act) : menu_(std::make_unique<QMenu>())
{
    using S = ZEVItemMenuSlot;
    auto add = [this, &act](QMenu* into, S s, const QString& title, bool checkable = false) {
        QAction* a = into->addAction(title);
        a->setCheckable(checkable);
        a->setProperty("zevFixedTitle", title);
        QObject::connect(a, &QAction::triggered, menu_.get(), [act, s] { act(s); });
        actions_[std::size_t(s)] = a;
    };
    auto sub = [this](QMenu* into, S s, const QString& title) {
        QMenu* m = into->addMenu(title);
        actions_[std::size_t(s)] = m->menuAction();
        m->menuAction()->setProperty("zevFixedTitle", title);
        return m;
    };
    QMenu* top = menu_.get();
    add(top, S::Open, QStringLiteral("Open"));
    add(top, S::OpenOriginal, QStringLiteral("Open Original"));
    openWith_ = sub(top, S::OpenWith, QStringLiteral("Open With"));
    add(top, S::OpenQL, QStringLiteral("Quick Look"));
    add(top, S::GetInfo, QStringLiteral("Get Info"));
    add(top, S::ShowOriginal, QStringLiteral("Show Original"));
    top->addSeparator();
    handle_ = sub(top, S::HandleObjects, QStringLiteral("Handle Objects"));
    add(handle_, S::MoveTo, QStringLiteral("Move to…"));
    add(handle_, S::MoveToSpace, QStringLiteral("Move to Space"));
    add(handle_, S::CopyTo, QStringLiteral("Copy to…"));
    add(handle_, S::CopyToSpace, QStringLiteral("Copy to Space"));
    add(handle_, S::DuplicateTo, QStringLiteral("Duplicate to…"));
    add(handle_, S::DuplicateToSpace, QStringLiteral("Duplicate to Space"));
    handle_->addSeparator();
    add(handle_, S::NewFolder, QStringLiteral("New Folder…"));
    add(handle_, S::NewChannel, QStringLiteral("New Channel…"));
    add(handle_, S::NewSpace, QStringLiteral("New Space…"));
    top->addSeparator();
    add(top, S::RecallNow, QStringLiteral("Recall Now"));
    add(top, S::Recall, QStringLiteral("Recall"));
    add(top, S::Retain, QStringLiteral("Retain"));
    add(top, S::Release, QStringLiteral("Release"));
    add(top, S::Forget, QStringLiteral("Forget"));
    // The edit items are found by tag when their images are set.
    for (const auto& [slot, tag] : {std::pair{S::Release, 2}, {S::Forget, 3}, {S::Recall, 4}, {S::Retain, 5}, {S::RecallNow, 6}})
        action(slot)->setProperty("tag", tag);
    top->addSeparator();
    add(top, S::Link, QStringLiteral("Create Link"));
    add(top, S::Unlink, QStringLiteral("Release Link"));
    top->addSeparator();
    add(top, S::IconSelection, QStringLiteral("Icon Selection"));
    add(top, S::TitleSelection, QStringLiteral("Title Selection"));
    add(top, S::LinkSelection, QStringLiteral("Link Selection"));
    add(top, S::Filter, QStringLiteral("Filter"), true);
    top->addSeparator();
    add(top, S::Copy, QStringLiteral("Copy"));
    add(top, S::Cut, QStringLiteral("Cut"));
    add(top, S::CopyZevTime, QStringLiteral("Copy Moment"));
    top->addSeparator();
    options_ = sub(top, S::Options, QStringLiteral("Options"));
    add(options_, S::ShowTitle, QStringLiteral("Show Title"), true);
    add(options_, S::QLIcon, QStringLiteral("Quick Look Icon"), true);
    add(options_, S::EditTitle, QStringLiteral("Edit Title"), true);
    add(options_, S::Animate, QStringLiteral("Animate"), true);
    add(options_, S::OpenOnClick, QStringLiteral("Open on Click"), true);
    add(top, S::SendToBack, QStringLiteral("Send to Back"));
    add(top, S::SendToFront, QStringLiteral("Send to Front"));
    actions_[std::size_t(S::LocSeparator)] = top->addSeparator();
    add(top, S::KeepPosition, QStringLiteral("Keep Position"));
    add(top, S::RestorePosition, QStringLiteral("Restore Position"));

    // The first item names the Object until the pointer rests on it.
    QObject::connect(menu_.get(), &QMenu::hovered, menu_.get(), [this](QAction* a) {
        QAction* open = action(ZEVItemMenuSlot::Open);
        open->setText(a == open ? QStringLiteral("Open") : openTitle_);
    });
}

ZEVItemMenu::~ZEVItemMenu() = default;

void ZEVItemMenu::apply(const ZEVItemMenuModel& model)
{
    for (std::size_t i = 0; i < kItemMenuSlots; ++i) {
        QAction* a = actions_[i];
        if (!a)
            continue;
        const ZEVItemMenuEntry& e = model[i];
        // The model's titles name the Object and its links: each "&" in them shows.
        a->setText(e.title.isEmpty() ? a->property("zevFixedTitle").toString() : menuText(e.title));
        a->setVisible(e.visible);
        a->setEnabled(e.enabled);
        if (a->isCheckable())
            a->setChecked(e.checked);
    }
    openTitle_ = menuText(model[std::size_t(ZEVItemMenuSlot::Open)].title);
}

} // namespace tallomer
