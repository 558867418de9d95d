// The Contacts inspector's add panel, which follows its picker's selection with the time cursors
// while it runs, and its retrieve panel, which binds a contact Object whose card has gone to
// another contact.

#include "inspectors/contacts/ZEVPersonViewer.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonAddPanel.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QPushButton>

namespace tallomer {

namespace {
constexpr const char* kPollName = "_startABPolling";
}

// ---- the add panel ------------------------------------------------------------------------------

void ZEVPersonViewer::menuInspectAdd()
{
    ZEVInspectView* v = inspectView();
    if (!v || (pickerPanel_ && pickerPanel_->isVisible()))
        return;
    if (!pickerPanel_) {
        auto* panel = new ZEVPersonAddPanel(this, model_.addressBook(), v);
        pickerPanel_ = panel;
        panel->setRulerViewer(space_.rulerViewer());
        QObject::connect(panel->goToPopUp(), &QComboBox::activated, this, [this, panel](int i) {
            popUpGoToChange(long(panel->goToPopUp()->itemData(i).toLongLong()));
        });
        QObject::connect(panel->durationPopUp(), &QComboBox::activated, this, [this, panel](int i) {
            popUpDurationChange(long(panel->durationPopUp()->itemData(i).toLongLong()));
        });
        QObject::connect(panel->addButton(), &QPushButton::clicked, this, [this] { buttonPickerSelect(); });
        QObject::connect(panel->cancelButton(), &QPushButton::clicked, this, [this] { buttonPickerCancel(); });
        // Add, Cancel, Escape and the title bar's close all end the run here.
        QObject::connect(panel, &QDialog::finished, this, [this] { addPanelDidEnd(); });
    }
    ZEVPersonAddPanel* panel = pickerPanel_;
    // The book may have been handed to the model since the panel was made.
    if (panel->picker()->addressBook() != model_.addressBook())
        panel->picker()->setAddressBook(model_.addressBook());
    ZEVPersonAddPanel::selectTag(panel->goToPopUp(), space_.goToTag());
    ZEVPersonAddPanel::selectTag(panel->durationPopUp(), space_.durationTag());
    siABPolling_ = true;
    abCount_ = -1;
    firstRecord_.reset();
    lastRecord_.reset();
    _startABPolling();
    // Lit while the panel runs: a button that is not a toggle shows no state otherwise.
    v->btnAdd()->setCheckable(true);
    v->btnAdd()->setState(kZEVStateOn);
    space_.setSiGoToMode(true);
    // The keys go to the search, whatever was clicked the last time: a name typed at once is
    // looked for, and replaces the search left from before.
    panel->picker()->searchField()->setFocus(Qt::OtherFocusReason);
    panel->picker()->searchField()->selectAll();
    panel->open();
}

void ZEVPersonViewer::addPanelDidEnd()
{
    if (!siABPolling_)
        return;
    space_.setSiGoToMode(false);
    if (ZEVInspectView* v = inspectViewIfBuilt()) {
        v->btnAdd()->setState(kZEVStateOff);
        v->btnAdd()->setCheckable(false);
    }
    siABPolling_ = false;
    Scheduler::shared().cancel(static_cast<ZEVInspectViewer*>(this), kPollName);
}

void ZEVPersonViewer::_startABPolling()
{
    ZEVPersonAddPanel* panel = pickerPanel_;
    if (!panel)
        return;
    // Records are made anew at each look: they are compared by UID (read without their dates, which
    // would ask the file system about every selected card twice a second).
    const QStringList uids = panel->picker()->selectedUids();
    const int n = int(uids.size());
    const std::optional<QString> first = n ? std::optional<QString>(uids.first()) : std::nullopt;
    const std::optional<QString> last = n ? std::optional<QString>(uids.last()) : std::nullopt;
    if (n != abCount_ || first != firstRecord_ || last != lastRecord_) {
        abCount_ = n;
        firstRecord_ = first;
        lastRecord_ = last;
        _abSelectionDidChange();
    }
    if (siABPolling_)
        Scheduler::shared().perform(static_cast<ZEVInspectViewer*>(this), kPollName, kPollInterval,
                                    [this] { _startABPolling(); }, true);
}

void ZEVPersonViewer::_abSelectionDidChange()
{
    ZEVPersonAddPanel* panel = pickerPanel_;
    if (!panel)
        return;
    const int n = abCount_ > 0 ? abCount_ : 0;
    panel->setAddTitle(addPromptForCount(n, QStringLiteral("Contact"), QStringLiteral("Contacts")), n > 0);
    const long tag = ZEVPersonAddPanel::selectedTag(panel->goToPopUp());
    if (n > 0 && (tag == 3 || tag == 4))
        allerAuContactChoisi(tag);
}

void ZEVPersonViewer::allerAuContactChoisi(long tag)
{
    ZEVPersonAddPanel* panel = pickerPanel_;
    const QStringList uids = panel ? panel->picker()->selectedUids() : QStringList();
    const std::optional<PeopleRecord> last = uids.isEmpty() ? std::nullopt : panel->picker()->recordForUid(uids.last());
    if (!last)
        return;
    if (const std::optional<KELDate> date = tag == 3 ? last->created : last->modified)
        allerALaDate(*date);
}

void ZEVPersonViewer::allerALaDate(KELDate date)
{
    KELICurseur* search = space_.searchCurseur();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!search || !ruler)
        return;
    const KELDate s = search->now();
    ruler->userChangeActifCurseur(search);
    centrerLeRulerSur(s);
    placerSearchSur(s, date);
}

void ZEVPersonViewer::popUpGoToChange(long tag)
{
    space_.setGoToTag(tag);
    if (ZEVPersonAddPanel* panel = pickerPanel_)
        ZEVPersonAddPanel::selectTag(panel->durationPopUp(), space_.durationTag());
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler)
        return;
    if (tag == 1 || tag == 2) {
        KELICurseur* c = tag == 1 ? space_.nowCurseur() : space_.searchCurseur();
        if (!c)
            return;
        ruler->userChangeActifCurseur(c);
        centrerLeRulerSur(c->now());
    } else if (tag == 3 || tag == 4) {
        allerAuContactChoisi(tag);
    }
}

void ZEVPersonViewer::popUpDurationChange(long tag) { space_.setDurationTag(tag); }

void ZEVPersonViewer::buttonPickerSelect()
{
    ZEVPersonAddPanel* panel = pickerPanel_;
    if (!panel)
        return;
    const QStringList uids = panel->picker()->selectedUids();
    panel->done(QDialog::Accepted);
    addPickedUids(uids);
}

void ZEVPersonViewer::addPickedUids(const QStringList& uids)
{
    ZEVItemSet set;
    if (model_.addABPersonUIDs(uids, set))
        finishAdding(set);
}

void ZEVPersonViewer::buttonPickerCancel()
{
    if (ZEVPersonAddPanel* panel = pickerPanel_)
        panel->done(QDialog::Rejected);
}

// ---- the retrieve panel -------------------------------------------------------------------------

void ZEVPersonViewer::retrieveItem(KELI* item)
{
    ZEVInspectView* v = inspectView();
    if (!item || !v)
        return;
    // One at a time: a second request while one is up goes to the one up.
    if (retrievePanel_) {
        retrievePanel_->raise();
        return;
    }
    retrieveItemId_ = item->idInt();
    const QString title = QString::fromStdString(model_.itemTitleForItem(item).value_or(std::string()));
    auto* panel = new ZEVPersonRetrievePanel(this, model_.addressBook(), title, v);
    retrievePanel_ = panel;
    QObject::connect(panel->selectButton(), &QPushButton::clicked, this, [this] { buttonRetrieveSelect(); });
    QObject::connect(panel->cancelButton(), &QPushButton::clicked, this, [this] { buttonRetrieveCancel(); });
    QObject::connect(panel, &QDialog::finished, this, [this, panel] {
        // Made each time: gone with the end of its run.
        if (retrievePanel_ == panel)
            retrieveItemId_ = 0;
        panel->deleteLater();
    });
    panel->open();
}

void ZEVPersonViewer::buttonRetrieveSelect()
{
    ZEVPersonRetrievePanel* panel = retrievePanel_;
    if (!panel)
        return;
    const QStringList uids = panel->picker()->selectedUids();
    const KELId id = retrieveItemId_;
    panel->done(QDialog::Accepted);
    if (uids.isEmpty()) {
        // The Object keeps its not-found mark.
        beep();
        return;
    }
    const QString uid = uids.first();
    KELI* item = id ? KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal()) : nullptr;
    if (uid.isEmpty() || !item)
        return;
    model_.bindItemToUid(item, uid);
}

void ZEVPersonViewer::buttonRetrieveCancel()
{
    if (ZEVPersonRetrievePanel* panel = retrievePanel_)
        panel->done(QDialog::Rejected);
}

} // namespace tallomer
