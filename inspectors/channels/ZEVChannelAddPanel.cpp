#include "inspectors/channels/ZEVChannelAddPanel.h"

#include "inspectors/channels/ZEVChannelPanelControls.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallomer {

ZEVChannelAddPanel::ZEVChannelAddPanel(Kind kind, ZEVSpaceController& space, QWidget* parent)
    : QDialog(parent), kind_(kind)
{
    const bool channel = kind == Kind::Channel;
    setObjectName(channel ? QStringLiteral("channelPanelAdd") : QStringLiteral("spacePanelAdd"));
    setWindowTitle(channel ? tr("New Channel") : tr("New Space"));
    setModal(true);
    setWindowModality(Qt::ApplicationModal);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    nameField_ = new QLineEdit(this);
    nameField_->setObjectName(channel ? QStringLiteral("channelPanelAddTextField")
                                      : QStringLiteral("spacePanelAddTextField"));
    form->addRow(channel ? tr("Channel name:") : tr("Space name:"), nameField_);
    if (channel) {
        spaceField_ = new QLineEdit(this);
        spaceField_->setObjectName(QStringLiteral("channelPanelSpaceTextField"));
        form->addRow(tr("First Space:"), spaceField_);
    }
    layout->addLayout(form);

    controls_ = new ZEVChannelPanelControls(space, this);
    layout->addWidget(controls_);

    auto* buttons = new QDialogButtonBox(this);
    cancelButton_ = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    createButton_ = buttons->addButton(tr("Create"), QDialogButtonBox::AcceptRole);
    cancelButton_->setObjectName(QStringLiteral("panelAddCancel"));
    createButton_->setObjectName(QStringLiteral("panelAddCreate"));
    createButton_->setDefault(true);
    createButton_->setAutoDefault(true);
    cancelButton_->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(createButton_, &QPushButton::clicked, this, [this] { channelPanelAddCreate(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { channelPanelAddCancel(); });
    nameField_->setFocus(Qt::OtherFocusReason);
}

void ZEVChannelAddPanel::channelPanelAddCreate()
{
    if (createCheck_ && !createCheck_())
        return;
    done(kCreate);
}

} // namespace tallomer
