#include "inspectors/context/ZEVContextViewer.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/context/ZEVButtonCells.h"
#include "inspectors/context/ZEVContextClass.h"
#include "inspectors/context/ZEVContextView.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tallomer {

namespace {

// The image "Entity<name>32": the kind's initial on a rounded tile, drawn once per name.
QIcon entityImage(const QString& name)
{
    static std::map<QString, QIcon> cache;
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    {
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        QPainterPath tile;
        tile.addRoundedRect(QRectF(3, 3, 26, 26), 5, 5);
        g.fillPath(tile, QColor(90, 90, 90));
        g.setPen(Qt::white);
        QFont f = g.font();
        f.setBold(true);
        f.setPixelSize(17);
        g.setFont(f);
        g.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, name.left(1));
    }
    QIcon icon(p);
    cache.emplace(name, icon);
    return icon;
}

long tagOf(const QAction* a) { return a ? long(a->property("tag").toLongLong()) : 0; }

QAction* itemOf(const QList<QAction*>& actions, long tag)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && tagOf(a) == tag)
            return a;
    return nullptr;
}

} // namespace

ZEVContextViewer::ZEVContextViewer(ZEVSpaceController& space) : space_(space)
{
    if (ZEVSpaceClass* s = space_.spaceClass())
        contextClass_ = std::make_unique<ZEVContextClass>(*s, space_);
    if (contextClass_)
        entityArray_ = contextClass_->entities();
    entityViewerSet_.reserve(10);
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    auto* bar = ruler ? dynamic_cast<ZEVRulerViewbar*>(ruler->rulerViewbar()) : nullptr;
    if (bar) {
        contextView_ = new ZEVContextView();
        contextView_->setObjectName(QStringLiteral("ZEVContextView"));
        bar->adopterContextView(contextView_);
    }
    initEntities();
    if (bar)
        bar->initPreviousWidth();
}

ZEVContextViewer::~ZEVContextViewer() { Scheduler::shared().cancelAll(static_cast<ZEVContextViewerServices*>(this)); }

void ZEVContextViewer::initEntities()
{
    if (!contextView_)
        return;
    ZEVEntityClass* reader = space_.entityClass();
    QFont font(QStringLiteral("Lucida Grande"));
    font.setPixelSize(13);
    // A shorter list gives fewer buttons.
    for (std::size_t i = kFirstButton; i <= kLastButton && i < entityArray_.size(); ++i) {
        KELI* entity = entityArray_[i];
        if (!entity)
            continue;
        const KELId id = entity->idInt();
        const QString name = reader ? QString::fromStdString(reader->entityNameForEntity(entity)) : QString();
        auto* b = new ZEVButton(contextView_);
        b->setObjectName(QStringLiteral("Entity%1Button").arg(name));
        b->setCell(std::make_unique<ZEVButtonCell>());
        b->setFont(font);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setText(name);
        b->setToolTip(name);
        b->setIcon(entityImage(name));
        b->setProperty("tag", qlonglong(id));
        b->setImagePosition(ZEVImagePosition::ImageLeft);
        const std::string className = classNameForEntityWithInt(id);
        if (className.empty() || !ZEVEntityViewerClasses::connait(className)) {
            logFormat("ZEVContextViewer _initEntities: entity %llu (%s) has no inspector class '%s'",
                      (unsigned long long)id, name.toUtf8().constData(), className.c_str());
            b->setSiEnabled(false);
        }
        QObject::connect(b, &QAbstractButton::clicked, this, [this, id] { userSelectButton(id); });
        b->show();
    }
    contextView_->majWidths();
    contextView_->adjustMax();
}

ZEVButton* ZEVContextViewer::buttonForEntityInt(KELId entityInt) const
{
    if (!contextView_)
        return nullptr;
    for (ZEVButton* b : contextView_->buttons())
        if (KELId(b->property("tag").toLongLong()) == entityInt)
            return b;
    return nullptr;
}

std::string ZEVContextViewer::classNameForEntityWithInt(KELId entityInt) const
{
    ZEVEntityClass* reader = space_.entityClass();
    KELI* entity = KELServeurDeLiens::LienForInt(entityInt, space_.tlCurseur());
    return reader && entity ? reader->classNameForEntity(entity) : std::string();
}

ZEVInspectViewer* ZEVContextViewer::viewerForEntityInt(KELId entityInt, bool creer) const
{
    const std::string className = classNameForEntityWithInt(entityInt);
    if (className.empty())
        return nullptr;
    ZEVEntityViewer* v =
        creer ? space_.creerViewerForEntityClassName(className, entityInt) : space_.viewerForEntityClassName(className);
    return dynamic_cast<ZEVInspectViewer*>(v);
}

void ZEVContextViewer::ajouter(ZEVInspectViewer* viewer)
{
    if (std::find(entityViewerSet_.begin(), entityViewerSet_.end(), viewer) == entityViewerSet_.end())
        entityViewerSet_.push_back(viewer);
}

void ZEVContextViewer::enlever(ZEVInspectViewer* viewer) { std::erase(entityViewerSet_, viewer); }

void ZEVContextViewer::ouvrir(KELId entityInt, bool fermerSiFocus)
{
    ZEVInspectViewer* viewer = viewerForEntityInt(entityInt, true);
    if (!viewer) {
        logFormat("ZEVContextViewer: no inspector for entity %llu", (unsigned long long)entityInt);
        majContextButtons();
        return;
    }
    // A press on the button gives the keyboard focus to the window before the button hears it:
    // the button's state, refreshed 0.1 s after each change of focus, still shows what the user
    // saw when pressing.
    ZEVButton* button = buttonForEntityInt(entityInt);
    const bool focus = viewer->siFirstResponder() || (button && button->state() == kZEVStateOn);
    if (viewer->siShowInspectView() && !focus) {
        viewer->showInspectView(true);
    } else if (viewer->siShowInspectView()) {
        if (fermerSiFocus) {
            enlever(viewer);
            viewer->showInspectView(false);
        }
    } else {
        ajouter(viewer);
        viewer->showInspectView(true);
    }
    majContextButtons();
}

void ZEVContextViewer::userSelectButton(KELId entityInt) { ouvrir(entityInt, true); }

void ZEVContextViewer::ouvrirEntityWithInt(KELId entityInt) { ouvrir(entityInt, false); }

void ZEVContextViewer::fermerEntityWithInt(KELId entityInt)
{
    ZEVInspectViewer* viewer = viewerForEntityInt(entityInt, false);
    if (viewer && viewer->siShowInspectView()) {
        enlever(viewer);
        viewer->showInspectView(false);
    }
    majContextButtons();
}

bool ZEVContextViewer::isShowedEntityWithInt(KELId entityInt)
{
    ZEVInspectViewer* viewer = viewerForEntityInt(entityInt, false);
    return viewer && viewer->siShowInspectView();
}

bool ZEVContextViewer::isFocusedEntityWithInt(KELId entityInt)
{
    ZEVInspectViewer* viewer = viewerForEntityInt(entityInt, false);
    return viewer && viewer->siFirstResponder();
}

void ZEVContextViewer::userCloseAllEntities()
{
    for (KELI* entity : entityArray_) {
        if (!entity)
            continue;
        if (ZEVInspectViewer* viewer = viewerForEntityInt(entity->idInt(), false)) {
            enlever(viewer);
            viewer->showInspectView(false);
        }
    }
    // The main menu's entity items go off.
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        if (QMenuBar* bar = w->findChild<QMenuBar*>()) {
            const std::pair<long, std::vector<long>> places[] = {
                {8, {2000194}}, {4, {2000003, 2000004}}, {6, {2000005, 2000006, 2000007}}};
            for (const auto& [menuTag, tags] : places)
                if (QAction* menu = itemOf(bar->actions(), menuTag); menu && menu->menu())
                    for (long t : tags)
                        if (QAction* a = itemOf(menu->menu()->actions(), t))
                            a->setChecked(false);
        }
    majContextButtons();
}

void ZEVContextViewer::majContextButtons()
{
    if (!contextView_)
        return;
    for (ZEVButton* b : contextView_->buttons()) {
        const KELId id = KELId(b->property("tag").toLongLong());
        ZEVInspectViewer* viewer = viewerForEntityInt(id, false);
        const int state = !viewer || !viewer->siShowInspectView() ? kZEVStateOff
                          : viewer->siFirstResponder()            ? kZEVStateOn
                                                                  : kZEVStateMixed;
        b->setState(state);
    }
}

} // namespace tallomer
