#pragma once
// The modify panel of the Channels inspector: the current Channel's name and home state, and the
// current Space's title, colour, scale and picture, filled at the active cursor. Application-modal
// while shown; the shared controls still move the time cursors. Set-as-home acts at once; every
// other change waits for OK, which writes through ZEVChannelModify.

#include "engine/KELTypes.h"
#include "inspectors/channels/ZEVChannelModify.h"

#include <QDialog>
#include <QString>

#include <functional>

class KELI;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tallomer {

class ZEVChannelPanelControls;
class ZEVSpaceController;

class ZEVChannelModifyPanel final : public QDialog {
    Q_OBJECT
public:
    // Asks the user for a picture file; an empty answer means cancelled.
    using Chooser = std::function<QString(QWidget* parent)>;

    // `space` and `model` are not owned and outlive the panel.
    ZEVChannelModifyPanel(ZEVSpaceController& space, ZEVChannelClass& model, QWidget* parent = nullptr);
    ~ZEVChannelModifyPanel() override;

    // Fills the panel and shows it, the Channel's (or the Space's) name selected.
    void openForChannel() { ouvrir(true); }
    void openForSpace() { ouvrir(false); }
    // Fills the panel from the active cursor; the Channel's name only with `majChannel`.
    void fill(bool majChannel);
    // A Space change while shown: refilled when the current Space's picture is another one.
    void spaceMayHaveChanged();

    // The swatch's click: a new picture, kept for OK; an unreadable one is refused with a message
    // and changes nothing.
    void imageDidChange();
    void setAsHomeDidChange();
    // OK and Cancel. OK with an empty Channel name says so and keeps the panel open as it is.
    void accept() override;
    void reject() override;

    // The open panel of the picture; the default is a Qt file dialog (never the platform's).
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    static QString chooseImage(QWidget* parent);

    QLineEdit* channelField() const { return channelField_; }
    QLineEdit* spaceField() const { return spaceField_; }
    QCheckBox* setAsHomeBox() const { return setAsHome_; }
    ZEVChannelPanelControls* controls() const { return controls_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    const QString& imagePath() const { return path_; }
    KELI* filledImage() const { return image_; }

signals:
    // Shown and filled; closed by OK (applied) or Cancel.
    void panelOpened();
    void panelClosed(bool applied);

private:
    void ouvrir(bool channel);
    void fermer(bool applied);

    ZEVSpaceController& space_; // not owned
    ZEVChannelModify modify_;
    Chooser chooser_;
    QString path_;
    KELId scaleInt_ = 0;
    KELI* image_ = nullptr; // not owned: a link-base element, alive for the run
    bool listed_ = false;
    // Qt children of the panel.
    QCheckBox* setAsHome_ = nullptr;
    QLineEdit* channelField_ = nullptr;
    QLineEdit* spaceField_ = nullptr;
    ZEVChannelPanelControls* controls_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace tallomer
