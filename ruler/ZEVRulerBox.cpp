#include "ruler/ZEVRulerBox.h"

#include "platform/Events.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerPickerDates.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceController.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tallomer {

namespace {

// The days the fields hold: every year from 100 (Qt will not go further back) to 9999.
const QDate kPremierJour(100, 1, 1);
const QDate kDernierJour(9999, 12, 31);

// The ruler takes the pointer in the Space window's coordinates.
QWheelEvent dansLaFenetre(const QWidget& w, const QWheelEvent& event)
{
    const QWidget* fenetre = w.window();
    return events::wheelEventAt(event,
                                fenetre && fenetre != &w ? w.mapTo(fenetre, event.position()) : event.position());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ZEVRulerBox

ZEVRulerBox::ZEVRulerBox(const QString& title, ZEVRulerViewbar& bar, ZEVRulerViewer& viewer, QWidget* parent)
    : QWidget(parent), bar_(bar), viewer_(viewer)
{
    setObjectName(title);
    siFromBox_ = title == QLatin1String("FromBox");
    siPeriodBox_ = title == QLatin1String("PeriodBox");
    siUntilBox_ = title == QLatin1String("UntilBox");
    menu_ = new QMenu(this);
}

void ZEVRulerBox::setFillColor(const QColor& color)
{
    if (fillColor_ == color)
        return;
    fillColor_ = color;
    update();
}

QMenu* ZEVRulerBox::menuForEvent()
{
    if (!viewer_.siAccepteDeplacement()) {
        Sound::shared().beep();
        return nullptr;
    }
    const bool search = bar_.selectedCurseur() && bar_.selectedCurseur() == viewer_.searchCurseur();
    for (QAction* a : menu_->actions()) {
        const int tag = a->data().toInt();
        if (tag == ZEVRulerViewbar::kTagGoToNow || tag == ZEVRulerViewbar::kTagGoToNowRangeKept)
            a->setVisible(search);
    }
    return menu_;
}

bool ZEVRulerBox::ouvrirMenu(const QPoint& globalPosition)
{
    QMenu* m = menuForEvent();
    if (!m)
        return false;
    m->popup(globalPosition);
    return true;
}

void ZEVRulerBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.fillPath(path, fillColor_);
}

void ZEVRulerBox::contextMenuEvent(QContextMenuEvent* event)
{
    ouvrirMenu(event->globalPos());
    event->accept();
}

void ZEVRulerBox::mousePressEvent(QMouseEvent* event)
{
    // The bar swallows presses on its background, and so do its boxes.
    event->accept();
}

void ZEVRulerBox::wheelEvent(QWheelEvent* event)
{
    event->accept();
    QWheelEvent e = dansLaFenetre(*this, *event);
    if (bar_.stateOfRulerButton()) {
        ZEVTlineViewServices* strip = viewer_.tlineView();
        targetView_ = strip;
        if (!strip)
            return;
        if (siFromBox_)
            strip->scrollWheelWithFromBox(&e);
        else if (siPeriodBox_)
            strip->scrollWheelWithPeriodBox(&e);
        else if (siUntilBox_)
            strip->scrollWheelWithUntilBox(&e);
        return;
    }
    ZEVTlineCurseurViewServices* vue = viewer_.curseurViewForActifCurseur();
    targetView_ = vue;
    if (!vue)
        return;
    if (siFromBox_)
        vue->scrollWheelWithFromBox(&e);
    else if (siPeriodBox_)
        vue->scrollWheelWithPeriodBox(&e);
    else if (siUntilBox_)
        vue->scrollWheelWithUntilBox(&e);
}

// ---------------------------------------------------------------------------------------------
// ZEVRulerDatePicker

ZEVRulerDatePicker::ZEVRulerDatePicker(ZEVRulerBox* box, ZEVRulerViewbar& bar, const QString& format, QWidget* parent)
    : QDateTimeEdit(parent), box_(box), bar_(bar)
{
    // Wall-clock fields, converted by us: Qt must not move them through its own zone rules.
    setTimeSpec(Qt::UTC);
    // Every year the fields can hold, not only those after 1752 as Qt would have it: the link base
    // and the calendar go far further back.
    setMinimumDateTime(QDateTime(kPremierJour, QTime(0, 0), Qt::UTC));
    setMaximumDateTime(QDateTime(kDernierJour, QTime(23, 59, 59), Qt::UTC));
    setDisplayFormat(format);
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFocusPolicy(Qt::NoFocus);
    lineEdit()->setFocusPolicy(Qt::NoFocus);
    // The box's fill shows through.
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Button, Qt::transparent);
    setPalette(p);
    // Return tells of the value again though nothing changed: the fields shown, applied, would
    // take the cursor back to its whole second.
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& champs) {
        if (!siAffichage_ && champs != champs_)
            siModifie_ = true;
    });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { finirEdition(); });
    lineEdit()->installEventFilter(this);
}

void ZEVRulerDatePicker::afficherDate(KELDate date)
{
    dateAffichee_ = date;
    if (siEdition())
        return;
    montrer(date);
}

void ZEVRulerDatePicker::montrer(KELDate date)
{
    std::optional<QDateTime> champs = ZEVChampsPourDate(date);
    if (!champs)
        return;
    // A year the fields cannot hold (before 100 or after 9999, where the ruler goes too): Qt would
    // show the first or last moment they hold. A time alone is shown on a day they hold; a date is
    // written out in the fields' place, and what is typed over it is taken as usual.
    QString horsDesAnnees;
    if (champs->date() < kPremierJour || champs->date() > kDernierJour) {
        const QDate jour = champs->date();
        const QTime heure = champs->time();
        if (!(displayedSections() & QDateTimeEdit::DateSections_Mask)) {
            champs = QDateTime(QDate(2001, 1, 1), heure, Qt::UTC);
        } else {
            horsDesAnnees = QStringLiteral("%1-%2-%3")
                                .arg(jour.year())
                                .arg(jour.month(), 2, 10, QLatin1Char('0'))
                                .arg(jour.day(), 2, 10, QLatin1Char('0'));
            if (displayedSections() & QDateTimeEdit::TimeSections_Mask)
                horsDesAnnees += QLatin1Char(' ') + heure.toString(QStringLiteral("HH:mm"));
            champs = QDateTime(kPremierJour, QTime(0, 0), Qt::UTC);
        }
    }
    if (specialValueText() != horsDesAnnees) {
        setSpecialValueText(horsDesAnnees);
        // The same fields with another text: written again below.
        siAffichage_ = true;
        setDateTime(maximumDateTime());
        siAffichage_ = false;
    }
    champs_ = *champs;
    // Rewriting the same fields would drop the field the user selected; fields typed half-way
    // over the same date are rewritten.
    if (*champs == dateTime() && lineEdit()->text() == textFromDateTime(*champs))
        return;
    siAffichage_ = true;
    setDateTime(*champs);
    siAffichage_ = false;
}

void ZEVRulerDatePicker::annulerEdition()
{
    siEdition_ = false;
    siModifie_ = false;
    siRefusDit_ = false;
    if (!dateAffichee_)
        return;
    montrer(*dateAffichee_);
    if (hasFocus())
        setSelectedSection(currentSection());
}

void ZEVRulerDatePicker::entrerEdition()
{
    if (!siEdition())
        return;
    if (siSaisieComplete()) {
        finirEdition();
        return;
    }
    if (!siRefusDit_)
        Sound::shared().beep();
    siRefusDit_ = true;
}

void ZEVRulerDatePicker::finirEdition()
{
    if (siModifie_) {
        agir();
        return;
    }
    if (siEdition_)
        annulerEdition();
}

std::optional<KELDate> ZEVRulerDatePicker::dateChoisie() const
{
    const QDateTime champs = champsChoisis();
    return ZEVDatePourChamps(champs.date(), champs.time(), dateAffichee_);
}

QDateTime ZEVRulerDatePicker::champsChoisis() const
{
    const QDateTime d = dateTime();
    const bool jour = displayedSections() & QDateTimeEdit::DateSections_Mask;
    const bool heure = displayedSections() & QDateTimeEdit::TimeSections_Mask;
    // The fields the picker lacks are those of the moment the bar shows now, as the box beside it
    // reads: the cursor ran with the clock while the user typed.
    const std::optional<QDateTime> vu = dateAffichee_ ? ZEVChampsPourDate(*dateAffichee_) : std::nullopt;
    const QDateTime reste = vu ? *vu : champs_;
    const QDate j = jour || !reste.isValid() ? d.date() : reste.date();
    const QTime h = heure || !reste.isValid() ? d.time() : reste.time();
    return QDateTime(j, h, Qt::UTC);
}

bool ZEVRulerDatePicker::acceptsFirstResponder() const { return bar_.acceptsFirstResponderForDatePicker(this); }

void ZEVRulerDatePicker::majFocus()
{
    const bool accepte = acceptsFirstResponder();
    // Taken by a click only: neither the window's activation nor Tab hands the desk's keys to it.
    // Its line edit passes the focus on to it, and would take it by Tab: it follows the same rule.
    setFocusPolicy(accepte ? Qt::ClickFocus : Qt::NoFocus);
    lineEdit()->setFocusPolicy(focusPolicy());
    if (accepte)
        return;
    // What was typed for the cursor it showed is not applied to another one.
    if (siEdition())
        annulerEdition();
    if (hasFocus())
        clearFocus();
}

QColor ZEVRulerDatePicker::textColor() const { return palette().color(QPalette::Text); }

void ZEVRulerDatePicker::setTextColor(const QColor& color)
{
    if (textColor() == color)
        return;
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    setPalette(p);
}

void ZEVRulerDatePicker::agir()
{
    siModifie_ = false;
    siEdition_ = false;
    siRefusDit_ = false;
    if (action_)
        action_();
}

void ZEVRulerDatePicker::stepBy(int steps)
{
    // The fields under a year written out are not the moment shown: a step from them would land
    // in year 100.
    if (!specialValueText().isEmpty()) {
        Sound::shared().beep();
        return;
    }
    siPas_ = true;
    QDateTimeEdit::stepBy(steps);
    agir();
}

void ZEVRulerDatePicker::focusInEvent(QFocusEvent* event)
{
    if (!acceptsFirstResponder()) {
        clearFocus();
        return;
    }
    QDateTimeEdit::focusInEvent(event);
}

void ZEVRulerDatePicker::keyPressEvent(QKeyEvent* event)
{
    if (!acceptsFirstResponder()) {
        event->ignore();
        return;
    }
    // A modifier pressed alone, as Shift before a colon, types nothing: it leaves the fields and
    // what the last digit did as they were.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        QDateTimeEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const int champDuChiffre = std::exchange(champDuChiffre_, -1);
    // Esc drops the typing; the window must not take it for a step back as well.
    if (event->key() == Qt::Key_Escape) {
        annulerEdition();
        event->accept();
        return;
    }
    const bool retour = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // A year written out in the fields' place: Return has nothing to enter, and typing fills the
    // fields afresh from the year.
    if (!specialValueText().isEmpty()) {
        if (retour) {
            event->accept();
            return;
        }
        if (event->text().size() == 1 && event->text().at(0).isPrint()) {
            setSpecialValueText(QString());
            siAffichage_ = true;
            setDateTime(maximumDateTime());
            setDateTime(minimumDateTime());
            siAffichage_ = false;
            setSelectedSection(sectionAt(0));
            // Whatever is typed here is a date other than the one written out, even the fields'
            // own first day, which changes no value.
            siModifie_ = true;
        }
    }
    // Fields that make no date are refused aloud and left as typed, to be mended or dropped
    // with Esc: Qt would put the last date back without a word.
    if (retour && !siSaisieComplete()) {
        Sound::shared().beep();
        event->accept();
        return;
    }
    const QString caracteres = event->text();
    const bool caractere = caracteres.size() == 1 && caracteres.at(0).isPrint();
    const bool chiffre = caractere && caracteres.at(0).isDigit();
    // A date typed with its dashes, or a time with its colons: the field the last digit typed
    // into has already handed over to the next one, which the separator would skip.
    if (caractere && !chiffre && champDuChiffre >= 0 && currentSectionIndex() != champDuChiffre) {
        event->accept();
        return;
    }
    const QString avant = lineEdit()->text();
    const int champAvant = currentSectionIndex();
    siPas_ = false;
    QDateTimeEdit::keyPressEvent(event);
    // A step of the arrows has applied itself; anything else that changed the fields is typing,
    // even a first digit that makes no complete value yet.
    if (!retour && !siPas_ && lineEdit()->text() != avant) {
        siEdition_ = true;
        siRefusDit_ = false;
    }
    if (chiffre)
        champDuChiffre_ = champAvant;
    // A character the fields do not take (a 24th hour, a letter, another order's separator) is
    // refused aloud: Qt drops it without a word and the digits after it fill other fields.
    if (caractere && !retour && lineEdit()->text() == avant && currentSectionIndex() == champAvant)
        Sound::shared().beep();
    // Return ends the typing here: the spin box lets it through, and the window would then take it
    // for Recall on the desk's selection.
    if (retour)
        event->accept();
}

void ZEVRulerDatePicker::focusOutEvent(QFocusEvent* event)
{
    champDuChiffre_ = -1;
    // A menu opened over the window takes the keyboard only while it shows: fields that make no
    // date wait for it, to be refused if its item moves the cursor (Qt would read them now). A
    // date is entered, as leaving the box does: the item may read where the cursor stands.
    if (event->reason() == Qt::PopupFocusReason && siEdition() && !siSaisieComplete()) {
        QWidget::focusOutEvent(event);
        return;
    }
    // Leaving fields that make no date drops them: said, as Return says it. Dropped before Qt
    // reads them, which would make a date of its own out of them (the 28th of a 31st typed).
    if (siEdition() && !siSaisieComplete()) {
        Sound::shared().beep();
        annulerEdition();
    }
    QDateTimeEdit::focusOutEvent(event);
}

QValidator::State ZEVRulerDatePicker::validate(QString& input, int& pos) const
{
    // A day its month does not have, typed into the day (the 30th of February, the 31st of
    // April): kept as typed, to be refused at Return. Qt would put in the month's last day, or
    // drop the second digit and keep the first. A month typed over a 31st still makes the day
    // its last, for the day typed next.
    if (currentSection() == QDateTimeEdit::DaySection) {
        static const QRegularExpression lettres(QStringLiteral("[^A-Za-z]+"));
        static const QRegularExpression chiffres(QStringLiteral("[^0-9]+"));
        const QStringList champs = displayFormat().split(lettres, Qt::SkipEmptyParts);
        const QStringList valeurs = input.split(chiffres, Qt::SkipEmptyParts);
        if (champs.size() == valeurs.size()) {
            int annee = 0, mois = 0, jour = 0;
            bool jourTape = false;
            for (qsizetype i = 0; i < champs.size(); ++i) {
                if (champs[i].startsWith(QLatin1Char('y')))
                    annee = valeurs[i].toInt();
                else if (champs[i].startsWith(QLatin1Char('M')))
                    mois = valeurs[i].toInt();
                else if (champs[i].startsWith(QLatin1Char('d'))) {
                    jour = valeurs[i].toInt();
                    jourTape = valeurs[i].size() <= 2;
                }
            }
            const QDate premier(annee, mois, 1);
            if (jourTape && premier.isValid() && jour > premier.daysInMonth() && jour <= 31)
                return QValidator::Intermediate;
        }
    }
    return QDateTimeEdit::validate(input, pos);
}

bool ZEVRulerDatePicker::siSaisieComplete() const
{
    QString texte = lineEdit()->text();
    int position = lineEdit()->cursorPosition();
    if (validate(texte, position) != QValidator::Acceptable)
        return false;
    // A time the clocks skip when summer time begins is no moment either: taken as the end of the
    // gap, it would land the cursor on a time other than the one typed. A day typed goes with the
    // time of day it can have.
    if (!(displayedSections() & QDateTimeEdit::TimeSections_Mask))
        return true;
    const QDateTime champs = champsChoisis();
    const std::optional<KELDate> d = ZEVDatePourChamps(champs.date(), champs.time(), dateAffichee_);
    const std::optional<QDateTime> lu = d ? ZEVChampsPourDate(*d) : std::nullopt;
    return lu && lu->date() == champs.date() && lu->time() == champs.time();
}

bool ZEVRulerDatePicker::eventFilter(QObject* watched, QEvent* event)
{
    // A click selects the field it lands on, once the line edit has placed its cursor there: the
    // digits typed next replace the field, and fill the next ones as each is complete.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && acceptsFirstResponder()) {
        lineEdit()->event(event);
        if (hasFocus() && !lineEdit()->hasSelectedText())
            setSelectedSection(currentSection());
        return true;
    }
    return QDateTimeEdit::eventFilter(watched, event);
}

void ZEVRulerDatePicker::contextMenuEvent(QContextMenuEvent* event)
{
    if (box_)
        box_->ouvrirMenu(event->globalPos());
    event->accept();
}

void ZEVRulerDatePicker::wheelEvent(QWheelEvent* event)
{
    // The box turns the wheel into moves of the cursor's parts.
    event->ignore();
}

// ---------------------------------------------------------------------------------------------
// ZEVRulerPickerPanel

ZEVRulerPickerPanel::ZEVRulerPickerPanel(ZEVRulerViewbar& bar, ZEVRulerViewer& viewer, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowDoesNotAcceptFocus), bar_(bar), viewer_(viewer)
{
    setObjectName(QStringLiteral("ZEVRulerPickerPanel"));
    setWindowTitle(QStringLiteral("Calendar"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // Dark, for the cursors' colours and the white of the Now cursor's date line.
    QPalette fond = palette();
    fond.setColor(QPalette::Window, QColor::fromRgbF(0.2f, 0.2f, 0.2f));
    setPalette(fond);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    calendar_ = new QCalendarWidget(this);
    calendar_->setFocusPolicy(Qt::NoFocus);
    calendar_->setGridVisible(false);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    dateLine_ = new QLabel(this);
    dateLine_->setAlignment(Qt::AlignCenter);
    layout->addWidget(calendar_);
    layout->addWidget(dateLine_);
    for (QWidget* w : calendar_->findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
    if (auto* table = calendar_->findChild<QAbstractItemView*>())
        days_ = table->viewport();
    if (days_)
        days_->installEventFilter(this);
    // The keys go to the Space window, whose commands they are: a year field would open here for
    // digits that never reach it. The year reads as a label.
    if (auto* annee = calendar_->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton")))
        annee->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate day) { bar_.panelDatePickerChanged(day); });
}

void ZEVRulerPickerPanel::setTextColors(const QColor& calendar, const QColor& dateLine)
{
    QPalette p = dateLine_->palette();
    p.setColor(QPalette::WindowText, dateLine);
    dateLine_->setPalette(p);
    QPalette c = calendar_->palette();
    c.setColor(QPalette::Highlight, calendar);
    calendar_->setPalette(c);
}

QColor ZEVRulerPickerPanel::calendarColor() const { return calendar_->palette().color(QPalette::Highlight); }

QColor ZEVRulerPickerPanel::textColor() const { return dateLine_->palette().color(QPalette::WindowText); }

bool ZEVRulerPickerPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A press on a day only notes itself: the dates stop following the cursor until the release,
    // which picks the day under it, if any. Only a press there is waited on: a press on the arrows
    // or the month menu has no release of ours to end the wait.
    if (watched == days_ && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        bar_.setPanelMouseDown(event->type() == QEvent::MouseButtonPress);
    return QWidget::eventFilter(watched, event);
}

void ZEVRulerPickerPanel::closeEvent(QCloseEvent* event)
{
    bar_.windowWillClose();
    QWidget::closeEvent(event);
}

void ZEVRulerPickerPanel::wheelEvent(QWheelEvent* event)
{
    event->accept();
    // The Space window's coordinates, although the pointer lies over the panel.
    QWidget* fenetre = viewer_.spaceController().spaceWindow() ? bar_.window() : nullptr;
    QWheelEvent e = events::wheelEventAt(
        *event, fenetre ? QPointF(fenetre->mapFromGlobal(event->globalPosition().toPoint())) : event->position());
    viewer_.scrollWheelWithEvent(&e);
}

// ---------------------------------------------------------------------------------------------
// ZEVScrollBox

void ZEVScrollBox::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (!viewer_)
        return;
    QWheelEvent e = dansLaFenetre(*this, *event);
    viewer_->scrollWheelWithEvent(&e);
}

} // namespace tallomer
