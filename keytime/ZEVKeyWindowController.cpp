#include "keytime/ZEVKeyWindowController.h"

#include "engine/KELICurseur.h"
#include "keytime/ZEVKeyDocument.h"
#include "services/ZEVKeyTimeSpace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace tallomer {

namespace {

const char* const kFieldKeys[5] = {"CursorPos", "CursorIn", "CursorOut", "RulerIn", "RulerOut"};
// The fields a kind of step does not use, as bits of showFields.
constexpr unsigned kPosition = 1u << 0, kIn = 1u << 1, kOut = 1u << 2;

QString deux(double v) { return QString::asprintf("%.2f", v); }

double nombre(const ZEVSpaceDico& d, const char* key) { return d.value(QString::fromLatin1(key)).toDouble(); }

// The step table: rows dragged inside it move, anything else dropped is copied in between rows;
// a drag never removes anything from its source, so other programs only ever get a copy.
class ZEVKeyTableView final : public QTableView {
public:
    ZEVKeyTableView(ZEVKeyArrayController& array, QWidget* parent) : QTableView(parent), array_(array)
    {
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(true);
        setDragDropOverwriteMode(false);
        setDragDropMode(QAbstractItemView::DragDrop);
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
        verticalHeader()->hide();
        horizontalHeader()->setStretchLastSection(true);
    }

protected:
    void startDrag(Qt::DropActions) override
    {
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(model()->mimeData(rows));
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    }
    void dragEnterEvent(QDragEnterEvent* e) override { accept(e); }
    void dragMoveEvent(QDragMoveEvent* e) override
    {
        accept(e);
        QTableView::dragMoveEvent(e);
        accept(e);
    }
    void dropEvent(QDropEvent* e) override
    {
        const bool self = e->source() == this;
        if (array_.acceptDrop(e->mimeData(), dropRow(e->position().toPoint()), self)) {
            e->setDropAction(self ? Qt::MoveAction : Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
    }

private:
    void accept(QDragMoveEvent* e)
    {
        e->setDropAction(e->source() == this ? Qt::MoveAction : Qt::CopyAction);
        e->accept();
    }
    // Between rows: above the row under the pointer, or below it past its middle.
    int dropRow(QPoint p) const
    {
        const QModelIndex i = indexAt(p);
        if (!i.isValid())
            return model()->rowCount();
        return visualRect(i).center().y() < p.y() ? i.row() + 1 : i.row();
    }

    ZEVKeyArrayController& array_;
};

} // namespace

ZEVKeyWindowController::ZEVKeyWindowController(ZEVKeyDocument& document, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Tool), document_(document), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("keyTimeWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    array_ = std::make_unique<ZEVKeyArrayController>(document_, *this);
    table_ = new ZEVKeyTableView(*array_, this);
    table_->setObjectName(QStringLiteral("keyTimeTable"));
    array_->setTableView(table_);
    table_->setColumnWidth(ZEVKeyArrayController::kTitle, 140);

    start_ = new QPushButton(QStringLiteral("Start"), this);
    start_->setFocusPolicy(Qt::NoFocus);
    connect(start_, &QPushButton::clicked, this, [this] {
        commitTyping();
        if (hooks_.startStop)
            hooks_.startStop();
    });
    add_ = new QPushButton(QStringLiteral("+"), this);
    remove_ = new QPushButton(QStringLiteral("\u2212"), this);
    update_ = new QPushButton(QStringLiteral("Update"), this);
    animation_ = new QCheckBox(QStringLiteral("Animation"), this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(60);
    for (QPushButton* b : {add_, remove_, update_})
        b->setFocusPolicy(Qt::NoFocus);
    // The buttons never take the keyboard: what a field holds typed is committed first.
    connect(add_, &QPushButton::clicked, this, [this] {
        commitTyping();
        array_->add();
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        commitTyping();
        array_->remove();
    });
    connect(update_, &QPushButton::clicked, this, [this] {
        commitTyping();
        array_->updateStep();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addWidget(update_);
    buttons->addWidget(animation_);
    buttons->addStretch();
    buttons->addWidget(progress_);

    auto* form = new QFormLayout;
    const char* labels[5] = {"Position", "In", "Out", "Ruler In", "Ruler Out"};
    for (int i = 0; i < 5; ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(QString::fromLatin1(kFieldKeys[i]));
        form->addRow(QString::fromLatin1(labels[i]), fields_[i]);
        connect(fields_[i], &QLineEdit::editingFinished, this, [this, i] { commitField(i); });
    }

    // − and Update act on the selected steps, and the fields show the last of them: with none
    // selected (a removal, a click past the rows) the buttons are off and the fields empty, rather
    // than offering a step that is gone.
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { majSelection(); });
    connect(array_.get(), &QAbstractItemModel::rowsRemoved, this, [this] { majSelection(); });
    connect(array_.get(), &QAbstractItemModel::modelReset, this, [this] { majSelection(); });
    majSelection();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    layout->addLayout(form);
    resize(420, 420);

    // The window's own keys, the menu bar being the Space window's.
    auto shortcut = [this](const QKeySequence& keys, std::function<void()> fn) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, std::move(fn));
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { document_.undoStack().undo(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { document_.undoStack().redo(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copy(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_V), [this] { paste(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), [this] {
        if (hooks_.save)
            hooks_.save(this);
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });

    connect(&document_, &ZEVKeyDocument::modifiedChanged, this, [this] { updateTitle(); });
    updateTitle();
}

ZEVKeyWindowController::~ZEVKeyWindowController()
{
    if (hooks_.gone)
        hooks_.gone(this);
    // The widgets go after the step table's controller: a field losing the keyboard as the
    // window hides, or the table's selection emptied, must not reach what is already gone.
    for (QLineEdit* f : fields_)
        disconnect(f, nullptr, this, nullptr);
    disconnect(table_->selectionModel(), nullptr, this, nullptr);
    disconnect(array_.get(), nullptr, this, nullptr);
}

void ZEVKeyWindowController::startHIDRemote()
{
    playback_ = true;
    start_->setText(QStringLiteral("Stop"));
    for (QWidget* w : std::initializer_list<QWidget*>{add_, remove_, update_, animation_})
        w->setEnabled(false);
}

void ZEVKeyWindowController::stopHIDRemote()
{
    running_ = false;
    playback_ = false;
    progress_->setRange(0, 1);
    start_->setText(QStringLiteral("Start"));
    for (QWidget* w : std::initializer_list<QWidget*>{add_, animation_})
        w->setEnabled(true);
    majSelection();
}

void ZEVKeyWindowController::majSelection()
{
    const bool selected = !array_->selectedRows().empty();
    remove_->setEnabled(!playback_ && selected);
    update_->setEnabled(!playback_ && selected);
    if (!selected)
        showFields({}, {}, {}, {}, {});
}

void ZEVKeyWindowController::setAsRunning()
{
    running_ = true;
    const std::vector<int> rows = array_->selectedRows();
    if (!rows.empty())
        setSpaceDico(document_.objectInStepsAtIndex(rows.back())->spaceDico());
    // A busy indicator.
    progress_->setRange(0, 0);
}

void ZEVKeyWindowController::nextStep()
{
    commitTyping();
    const std::vector<int> rows = array_->selectedRows();
    const int next = rows.empty() ? 0 : rows.back() + 1;
    if (next < document_.countOfSteps())
        array_->selectRange(next, 1);
}

void ZEVKeyWindowController::previousStep()
{
    commitTyping();
    const std::vector<int> rows = array_->selectedRows();
    if (!rows.empty() && rows.front() > 0)
        array_->selectRange(rows.front() - 1, 1);
}

QString ZEVKeyWindowController::actionForButtonCode(int buttonCode)
{
    static const char* const names[] = {"Up", "Down", "Left", "Right", "Center", "Menu", "Play/Pause"};
    const int button = buttonCode & 0xFFFF;
    const bool held = (buttonCode & HIDRemote::kButtonHoldFlag) != 0;
    if (button < 1 || button > 7 || (buttonCode & ~(HIDRemote::kButtonHoldFlag | 0xFFFF)) != 0)
        return QStringLiteral("Button %1").arg(buttonCode, 0, 16);
    const QString name = QString::fromLatin1(names[button - 1]);
    if (held)
        return name + QStringLiteral(" (hold)");
    switch (button) {
    case HIDRemote::kButtonLeft:
        previousStep();
        break;
    case HIDRemote::kButtonRight:
        nextStep();
        break;
    case HIDRemote::kButtonMenu:
        show();
        raise();
        activateWindow();
        break;
    default:
        break;
    }
    return name;
}

void ZEVKeyWindowController::hidRemoteEventWithButton(HIDRemote&, int buttonCode, bool isPressed, const QVariantMap&)
{
    if (!isPressed)
        actionForButtonCode(buttonCode);
}

void ZEVKeyWindowController::updateTitle()
{
    setWindowTitle(QStringLiteral("%1%2 \u2014 KeyTime").arg(document_.displayName(),
                                                             document_.isModified() ? QStringLiteral(" *") : QString()));
}

void ZEVKeyWindowController::beep()
{
    if (hooks_.beep)
        hooks_.beep();
}

void ZEVKeyWindowController::showFields(const QString& pos, const QString& in, const QString& out,
                                        const QString& rulerIn, const QString& rulerOut, unsigned unused)
{
    const QString texts[5] = {pos, in, out, rulerIn, rulerOut};
    for (int i = 0; i < 5; ++i)
        // The field being typed in keeps what the user typed, unless the step's kind has no use
        // for it: left showing the typed number, it would pass for part of the step.
        if (!fields_[i]->hasFocus() || (unused & (1u << i)))
            fields_[i]->setText(texts[i]);
}

ZEVSpaceDico ZEVKeyWindowController::spaceDico()
{
    ZEVSpaceDico d;
    ZEVKeyTimeSpace* space = hooks_.space ? hooks_.space() : nullptr;
    if (!space)
        return d;
    KELIContexte* tl = space->tlContexte();
    KELICurseur* now = space->nowCurseur();
    KELICurseur* search = space->searchCurseur();
    if (!tl || !now || !search)
        return d;
    const bool anime = animation_->isChecked();
    const double rIn = tl->offsetIn(), rOut = tl->offsetOut();
    if (space->stateOfNowButton()) {
        KELIContexte* c = now->contexte();
        const double cIn = c ? c->offsetIn() : 0, cOut = c ? c->offsetOut() : 0;
        d = {{"Time", QStringLiteral("Now")}, {"CursorIn", cIn}, {"CursorOut", cOut},
             {"RulerIn", rIn}, {"RulerOut", rOut}, {"Animation", anime}};
        showFields(QString(), deux(cIn), deux(cOut), deux(rIn), deux(rOut));
    } else if (space->stateOfSearchButton()) {
        KELICurseur* tlc = space->tlCurseur();
        const KELDate t = tlc ? tlc->placeToi() : search->now();
        const KELDate s = search->now();
        KELIContexte* c = search->contexte();
        const double cIn = c ? c->offsetIn() : 0;
        d = {{"Time", QStringLiteral("Search")}, {"CursorPos", s}, {"CursorIn", cIn},
             {"RulerIn", rIn - (s - t)}, {"RulerOut", rOut - (s - t)}, {"Animation", anime}};
        showFields(deux(s), deux(cIn), QString(), deux(rIn - (s - t)), deux(rOut - (s - t)));
    } else if (space->stateOfRulerButton()) {
        double in = rIn, out = rOut;
        if (space->actifCurseur() == search) {
            in += now->now() - search->now();
            out += now->now() - search->now();
        }
        d = {{"Time", QStringLiteral("Ruler")}, {"RulerIn", in}, {"RulerOut", out}, {"Animation", anime}};
        showFields(QString(), QString(), QString(), deux(in), deux(out));
    }
    return d;
}

void ZEVKeyWindowController::setSpaceDico(const std::optional<ZEVSpaceDico>& dico)
{
    const QString time = dico ? dico->value(QStringLiteral("Time")).toString() : QString();
    ZEVKeyTimeSpace* space = hooks_.space ? hooks_.space() : nullptr;
    KELIContexte* tl = space ? space->tlContexte() : nullptr;
    KELICurseur* now = space ? space->nowCurseur() : nullptr;
    KELICurseur* search = space ? space->searchCurseur() : nullptr;
    if ((time != QLatin1String("Now") && time != QLatin1String("Search") && time != QLatin1String("Ruler")) || !tl ||
        !now || !search) {
        showFields({}, {}, {}, {}, {});
        return;
    }
    const ZEVSpaceDico& d = *dico;
    const double rulerIn = nombre(d, "RulerIn"), rulerOut = nombre(d, "RulerOut");
    const bool anime = d.value(QStringLiteral("Animation")).toBool();

    if (time == QLatin1String("Now")) {
        const double cursorIn = nombre(d, "CursorIn"), cursorOut = nombre(d, "CursorOut");
        showFields(QStringLiteral("0"), deux(cursorIn), deux(cursorOut), deux(rulerIn), deux(rulerOut), kPosition);
        space->userDesactiveAnimer();
        space->menuNowCurseur();
        KELIContexte* c = now->contexte();
        const double dcIn = cursorIn - (c ? c->offsetIn() : 0), dcOut = cursorOut - (c ? c->offsetOut() : 0);
        const double drIn = rulerIn - tl->offsetIn(), drOut = rulerOut - tl->offsetOut();
        if (anime) {
            space->userAnimeNow(kAnimationDuration, dcIn, dcOut, drIn, drOut);
            animation_->setChecked(true);
            return;
        }
        if (!space->userInitieDeplacementCurseur())
            return;
        animation_->setChecked(false);
        // The ruler's limits first: a range they refuse moves nothing at all.
        if (space->userPlaceRulerOffsetIn(drIn, drOut)) {
            now->decalerContexteIn(dcIn);
            now->decalerContexteOut(dcOut);
        }
        space->userTermineDeplacementCurseur();
    } else if (time == QLatin1String("Search")) {
        const double p = nombre(d, "CursorPos"), cursorIn = nombre(d, "CursorIn");
        showFields(deux(p), deux(cursorIn), QString(), deux(rulerIn), deux(rulerOut), kOut);
        space->userDesactiveAnimer();
        if (space->actifCurseur() != search)
            space->userChangeActifCurseur(search);
        KELICurseur* tlc = space->tlCurseur();
        const double delta = p - (tlc ? tlc->now() : 0);
        KELIContexte* c = search->contexte();
        const double dcIn = cursorIn - (c ? c->offsetIn() : 0);
        const double drIn = rulerIn + delta - tl->offsetIn(), drOut = rulerOut + delta - tl->offsetOut();
        if (anime) {
            space->userAnimeSearch(kAnimationDuration, p, dcIn, drIn, drOut);
            animation_->setChecked(true);
            return;
        }
        if (!space->userInitieDeplacementCurseur())
            return;
        animation_->setChecked(false);
        if (space->userPlaceRulerOffsetIn(drIn, drOut)) {
            search->decalerCurseur(p - search->now());
            search->decalerContexteIn(dcIn);
        }
        space->userTermineDeplacementCurseur();
    } else {
        showFields(QString(), QString(), QString(), deux(rulerIn), deux(rulerOut), kPosition | kIn | kOut);
        space->userDesactiveAnimer();
        space->menuRuler();
        const double c = space->actifCurseur() == search ? now->now() - search->now() : 0.0;
        const double drIn = rulerIn - tl->offsetIn() - c, drOut = rulerOut - tl->offsetOut() - c;
        if (anime) {
            space->userAnimeRuler(kAnimationDuration, drIn, drOut);
            animation_->setChecked(true);
            return;
        }
        if (!space->userInitieDeplacementCurseur())
            return;
        animation_->setChecked(false);
        space->userPlaceRulerOffsetIn(drIn, drOut);
        space->userTermineDeplacementCurseur();
    }
}

void ZEVKeyWindowController::commitField(int field)
{
    if (field < 0 || field >= 5)
        return;
    const std::vector<int> rows = array_->selectedRows();
    const QString text = fields_[field]->text().trimmed();
    if (rows.empty()) {
        // No step to take the number: it is refused aloud rather than left to look stored.
        if (!text.isEmpty())
            beep();
        fields_[field]->clear();
        return;
    }
    const ZEVKeyStepPtr step = document_.objectInStepsAtIndex(rows.back());
    const QString key = QString::fromLatin1(kFieldKeys[field]);
    if (!step->spaceDico()) {
        // A step made from text has no state to edit.
        if (!text.isEmpty())
            beep();
        showFields({}, {}, {}, {}, {});
        return;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    const QVariant held = step->spaceDico()->value(key);
    if (text.isEmpty() && !held.isValid())
        return;
    if (!ok || !ZEVKeyDocument::siStepNumber(value)) {
        beep();
        return;
    }
    if (held.isValid() && held.toDouble() == value)
        return;
    ZEVSpaceDico changed = *step->spaceDico();
    changed.insert(key, value);
    document_.beginAction(QStringLiteral("Edit %1").arg(key));
    step->setSpaceDico(changed);
    document_.endAction();
    setSpaceDico(step->spaceDico());
}

void ZEVKeyWindowController::commitTyping()
{
    for (int i = 0; i < 5; ++i)
        if (fields_[i]->hasFocus() && fields_[i]->isModified())
            commitField(i);
    // The table's only widgets on a row are the editors of its titles and comments.
    if (QWidget* editor = table_->indexWidget(table_->currentIndex()))
        QMetaObject::invokeMethod(table_, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
}

void ZEVKeyWindowController::closeEvent(QCloseEvent* event)
{
    if (hooks_.shouldClose && !hooks_.shouldClose(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

bool ZEVKeyWindowController::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && hooks_.activated)
        hooks_.activated(this);
    return QWidget::event(event);
}

} // namespace tallomer
