#include "inspectors/contacts/ZEVPersonAddPanel.h"

#include "space/ZEVSpaceParts.h"
#include "widgets/ZEVPanelWheel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <utility>

namespace tallomer {

namespace {

constexpr int kMargin = 12;
// Room below the picker and the pop-ups for the buttons, which are placed by hand.
constexpr int kButtonRow = 44;

const std::pair<long, const char*> kGoToKinds[] = {{1, "Now"}, {2, "Search"}, {3, "Created"}, {4, "Modified"}};
const std::pair<long, const char*> kDurations[] = {{11, "15 Minutes"}, {12, "1 Hour"}, {13, "1 Day"},
                                                   {14, "1 Week"},     {15, "1 Month"}, {16, "6 Months"},
                                                   {17, "1 Year"},     {0, "Infinite"}};

} // namespace

ZEVPersonAddPanel::ZEVPersonAddPanel(ZEVPersonViewer* personViewer, VCardFolder* book, QWidget* parent)
    : QDialog(parent), picker_(new ZEVPersonPickerView(personViewer, book, this)), goTo_(new QComboBox(this)),
      duration_(new QComboBox(this)), cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      add_(new QPushButton(QStringLiteral("Add"), this))
{
    setObjectName(QStringLiteral("personAddPanel"));
    setWindowTitle(QStringLiteral("Add Contacts"));
    setWindowModality(Qt::ApplicationModal);
    goTo_->setObjectName(QStringLiteral("goToPopUp"));
    for (const auto& [tag, title] : kGoToKinds)
        goTo_->addItem(QString::fromUtf8(title), qlonglong(tag));
    duration_->setObjectName(QStringLiteral("durationPopUp"));
    for (const auto& [tag, title] : kDurations)
        duration_->addItem(QString::fromUtf8(title), qlonglong(tag));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    add_->setObjectName(QStringLiteral("addButton"));
    add_->setDefault(true);
    add_->setEnabled(false);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Go to:"), this));
    row->addWidget(goTo_);
    row->addWidget(new QLabel(QStringLiteral("Duration:"), this));
    row->addWidget(duration_);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kButtonRow);
    layout->addWidget(new QLabel(QStringLiteral("Select the Contacts you want to add"), this));
    layout->addWidget(picker_, 1);
    layout->addLayout(row);
    resize(520, 460);
    cancel_->adjustSize();
    add_->adjustSize();
    placeButtons();
    // Its lists and pop-ups scroll as usual; a turn over its empty areas moves the time ruler.
    new ZEVPanelWheel(this, [this](QWheelEvent* e) {
        if (rulerViewer_)
            rulerViewer_->scrollWheelWithEvent(e);
    });
}

void ZEVPersonAddPanel::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeButtons();
}

void ZEVPersonAddPanel::selectTag(QComboBox* popUp, long tag)
{
    int i = popUp->findData(qlonglong(tag));
    if (i < 0)
        i = popUp->findData(qlonglong(0));
    const QSignalBlocker quiet(popUp);
    popUp->setCurrentIndex(i);
}

long ZEVPersonAddPanel::selectedTag(QComboBox* popUp) { return long(popUp->currentData().toLongLong()); }

void ZEVPersonAddPanel::setAddTitle(const QString& title, bool enabled)
{
    add_->setText(title);
    add_->setEnabled(enabled);
    add_->resize(add_->sizeHint().width(), add_->height());
    placeButtons();
}

void ZEVPersonAddPanel::placeButtons()
{
    // Qt's y-down at this edge: the buttons sit on the bottom margin's row.
    const int y = height() - kButtonRow + (kButtonRow - add_->height()) / 2;
    const int addX = width() - add_->width() - kRightMargin;
    add_->move(addX, y);
    cancel_->move(addX - cancel_->width() - kButtonGap, y);
}

ZEVPersonRetrievePanel::ZEVPersonRetrievePanel(ZEVPersonViewer* personViewer, VCardFolder* book,
                                               const QString& title, QWidget* parent)
    : QDialog(parent), picker_(new ZEVPersonPickerView(personViewer, book, this)),
      prompt_(new QLabel(QStringLiteral("Select a Contact for \"%1\"").arg(title), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)), select_(new QPushButton(QStringLiteral("Select"), this))
{
    setObjectName(QStringLiteral("personRetrievePanel"));
    setWindowTitle(QStringLiteral("Contact Not Found"));
    setWindowModality(Qt::ApplicationModal);
    prompt_->setObjectName(QStringLiteral("retrievePrompt"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    select_->setObjectName(QStringLiteral("selectButton"));
    select_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(select_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(picker_, 1);
    layout->addLayout(buttons);
    resize(480, 400);
    picker_->setSearchText(title);
}

} // namespace tallomer
