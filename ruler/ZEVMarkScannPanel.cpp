#include "ruler/ZEVMarkScannPanel.h"

#include "ruler/ZEVMarkHistoryViewer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallomer {

ZEVMarkScannPanel::ZEVMarkScannPanel(ZEVMarkHistoryViewer& viewer, const QString& message, QWidget* parent)
    : QDialog(parent), viewer_(viewer), messageTextField_(new QLabel(message, this)),
      selectBtn_(new QPushButton(QStringLiteral("Select"), this)),
      cancelBtn_(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("ZEVMarkScannPanel"));
    setWindowTitle(QStringLiteral("History"));
    messageTextField_->setObjectName(QStringLiteral("MessageTextField"));
    messageTextField_->setMinimumWidth(320);
    selectBtn_->setObjectName(QStringLiteral("SelectButton"));
    cancelBtn_->setObjectName(QStringLiteral("CancelButton"));
    // The arrows are the panel's: no button takes them as focus moves.
    for (QPushButton* b : {selectBtn_, cancelBtn_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }
    selectBtn_->setDefault(true);
    connect(selectBtn_, &QPushButton::clicked, this, [this] { buttonSelect(); });
    connect(cancelBtn_, &QPushButton::clicked, this, [this] { buttonCancel(); });
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(cancelBtn_);
    boutons->addWidget(selectBtn_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageTextField_);
    layout->addLayout(boutons);
}

int ZEVMarkScannPanel::runModal() { return exec(); }

void ZEVMarkScannPanel::setMessage(const QString& message)
{
    if (!message.isNull())
        messageTextField_->setText(message);
}

QString ZEVMarkScannPanel::message() const { return messageTextField_->text(); }

void ZEVMarkScannPanel::keyPressEvent(QKeyEvent* event)
{
    const bool meta = event->modifiers().testFlag(Qt::MetaModifier);
    switch (event->key()) {
    case Qt::Key_Up:
        if (meta)
            viewer_.next();
        else
            viewer_.channelSansHistorique(true);
        break;
    case Qt::Key_Down:
        if (meta)
            viewer_.previous();
        else
            viewer_.channelSansHistorique(false);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        buttonSelect();
        break;
    case Qt::Key_Escape:
        buttonCancel();
        break;
    default:
        break;
    }
    event->accept();
}

} // namespace tallomer
