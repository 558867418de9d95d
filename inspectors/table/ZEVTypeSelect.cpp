#include "inspectors/table/ZEVTypeSelect.h"

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/MenuText.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

namespace tallomer {

ZEVTypeSelect::ZEVTypeSelect(ZEVTableView& table) : table_(table)
{
    recentsMenu_ = new QMenu(QStringLiteral("Search Menu"));
    recentsMenu_->setObjectName(QStringLiteral("SearchMenu"));
    QObject::connect(recentsMenu_, &QMenu::aboutToShow, this, [this] { majRecentsMenu(); });
    majRecentsMenu();
}

ZEVTypeSelect::~ZEVTypeSelect()
{
    retirerLeFiltre();
    if (field_)
        field_->removeEventFilter(this);
    Scheduler::shared().cancelAll(this);
    delete recentsMenu_;
}

void ZEVTypeSelect::attach(QLineEdit* field, QAbstractButton* button)
{
    // A field handed on to another table's type-select answers that one alone.
    if (field_ && field_ != field)
        hide();
    if (field_) {
        field_->removeEventFilter(this);
        QObject::disconnect(field_, nullptr, this, nullptr);
    }
    delete recentsAction_;
    field_ = field;
    fieldObject_ = field;
    button_ = button;
    if (!field)
        return;
    field->installEventFilter(this);
    QObject::connect(field, &QLineEdit::returnPressed, this, [this] { updateSearchField(); });
    QObject::connect(field, &QLineEdit::editingFinished, this, [this] {
        if (!siSearching_)
            return;
        Scheduler::shared().cancel(this, "hideSearchField");
        Scheduler::shared().perform(this, "hideSearchField", 0.0, [this] { hide(); });
    });
    QAction* recents = field->addAction(QIcon::fromTheme(QStringLiteral("edit-find")), QLineEdit::LeadingPosition);
    recents->setObjectName(QStringLiteral("RecentSearchesAction"));
    recentsAction_ = recents;
    QObject::connect(recents, &QAction::triggered, this, [this] {
        if (field_)
            recentsMenu_->popup(field_->mapToGlobal(QPoint(0, field_->height())));
    });
}

int ZEVTypeSelect::operationForModifiers(Qt::KeyboardModifiers m)
{
    if (!(m & Qt::ControlModifier))
        return 0;
    if (m & Qt::ShiftModifier)
        return 3;
    if (m & Qt::AltModifier)
        return 1;
    return 2;
}

void ZEVTypeSelect::show()
{
    if (siSearching_)
        return;
    Scheduler::shared().cancel(this, "hideSearchField");
    qApp->installEventFilter(this);
    siFilter_ = true;
    siSearching_ = true;
    if (field_)
        field_->show();
    if (button_ && button_->isCheckable())
        button_->setChecked(true);
    ZEVSpaceController* space = table_.spaceController();
    if (space && space->spaceWindow())
        space->spaceWindow()->setSiAcceptsFlagsChanges(false);
    table_.updateFondColor();
    if (ZEVInspectView* panel = table_.inspectView())
        panel->update();
    table_.setFocus(Qt::OtherFocusReason);
    // Taking the keyboard, the field offers its last search to be typed over, not added to.
    if (field_) {
        field_->setFocus(Qt::OtherFocusReason);
        field_->selectAll();
    }
    if (ZEVFrontViewerServices* front = space ? space->frontViewer() : nullptr)
        front->entityWillChange();
}

bool ZEVTypeSelect::hide()
{
    if (!siSearching_)
        return false;
    siSearching_ = false;
    Scheduler::shared().cancel(this, "hideSearchField");
    if (field_)
        field_->hide();
    if (button_ && button_->isCheckable())
        button_->setChecked(false);
    ZEVSpaceController* space = table_.spaceController();
    if (space && space->spaceWindow())
        space->spaceWindow()->setSiAcceptsFlagsChanges(true);
    table_.updateFondColor();
    if (ZEVInspectView* panel = table_.inspectView())
        panel->update();
    retirerLeFiltre();
    searchOperation_ = 0;
    if (ZEVTableViewClass* zev = table_.zevClass())
        zev->tableViewSearchingDidFinish(table_);
    return true;
}

void ZEVTypeSelect::retirerLeFiltre()
{
    if (siFilter_ && qApp)
        qApp->removeEventFilter(this);
    siFilter_ = false;
}

void ZEVTypeSelect::updateSearchField()
{
    const QString text = field_ ? field_->text() : QString();
    const int op =
        searchOperation_ != 0 ? searchOperation_ : operationForModifiers(QGuiApplication::keyboardModifiers());
    ZEVTableViewClass* zev = table_.zevClass();
    if (!zev)
        return;
    zev->tableViewSearchingWillStart(table_);
    if (text.isEmpty())
        return;
    ajouterRecent(text);
    zev->selectItemsWithString(table_, text, op);
}

bool ZEVTypeSelect::eventFilter(QObject* watched, QEvent* event)
{
    // The field is compared as an object: while it is being destroyed it is no longer a line
    // edit, and reading the guarded pointer as one would be undefined.
    if (event->type() == QEvent::Hide && watched == fieldObject_.data()) {
        // Hidden by someone else: the search ends all the same, filter included.
        if (siSearching_)
            hide();
        return false;
    }
    if (!siSearching_)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool retour = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (retour && (key->modifiers() & Qt::ControlModifier)) {
            searchOperation_ = operationForModifiers(key->modifiers());
            key->setModifiers(Qt::NoModifier);
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        // The press reaches the window first, then the widget under it: only the widget tells.
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w)
            return false;
        auto* press = static_cast<QMouseEvent*>(event);
        if (field_ && (w == field_ || field_->isAncestorOf(w)))
            return false;
        if (w == recentsMenu_ || recentsMenu_->isAncestorOf(w))
            return false;
        if (button_ && (w == button_ || button_->isAncestorOf(w))) {
            if (press->button() == Qt::RightButton)
                hide();
            return false;
        }
        hide();
    }
    return false;
}

void ZEVTypeSelect::ajouterRecent(const QString& text)
{
    recents_.removeAll(text);
    recents_.prepend(text);
    while (recents_.size() > kMaxRecents)
        recents_.removeLast();
    // The menu is built again as it opens: one of its items may be what runs now.
}

void ZEVTypeSelect::majRecentsMenu()
{
    recentsMenu_->clear();
    auto item = [this](const QString& title, int tag, bool enabled) {
        QAction* a = recentsMenu_->addAction(menuText(title));
        a->setData(tag);
        a->setEnabled(enabled);
        return a;
    };
    item(QStringLiteral("Recent Searches"), kTagRecentsTitle, false)->setVisible(!recents_.isEmpty());
    item(QStringLiteral("No recent searches"), kTagNoRecents, false)->setVisible(recents_.isEmpty());
    for (const QString& r : recents_) {
        QAction* a = item(r, kTagRecents, true);
        QObject::connect(a, &QAction::triggered, this, [this, r] {
            if (!field_)
                return;
            field_->setText(r);
            updateSearchField();
        });
    }
    QAction* sep = recentsMenu_->addSeparator();
    sep->setData(kTagRecentsTitle);
    sep->setVisible(!recents_.isEmpty());
    QAction* clear = item(QStringLiteral("Clear"), kTagClear, true);
    clear->setVisible(!recents_.isEmpty());
    QObject::connect(clear, &QAction::triggered, this, [this] { recents_.clear(); });
}

} // namespace tallomer
