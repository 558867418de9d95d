#pragma once
// The controls every Channel panel shares (adding a Channel, adding a Space, modifying one): a
// preview of the background picture as it will lie on a 16:9 screen over a swatch of its colour,
// the colour button with the one colour dialog of all the panels, show-image, fit or fill, which
// time cursor is active, and a box whose wheel goes to the time ruler. Each control first does
// what all panels want (preview redrawn, swatch recoloured, cursor made active) and then tells
// the panel through its signal.

#include "engine/KELTypes.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QColorDialog;
class QPushButton;
class QRadioButton;

namespace tallomer {

class ZEVChannelColorView;
class ZEVScrollBox;
class ZEVSpaceController;

class ZEVChannelPanelControls final : public QWidget {
    Q_OBJECT
public:
    // The scale words: the whole picture inside the screen, or the screen covered.
    static constexpr KELId kScaleFit = 2000084;
    static constexpr KELId kScaleFill = 2000085;
    // The preview's box; a box narrower than 1.6:1 previews as if it were 1.6:1 at its width.
    static constexpr int kPreviewWidth = 320;
    static constexpr int kPreviewHeight = 180;

    // The picture's size on a 16:9 screen as tall as the box (as tall as its width / 1.6 when the
    // box is narrower than 1.6:1): fit keeps it whole, fill covers the screen. Empty for an
    // empty picture or box.
    static QSizeF previewSize(QSizeF image, QSizeF box, bool fill);
    // The picture's declared size when the file is a picture the shared bounds let in (not too
    // many bytes, not too many pixels); nothing otherwise. Nothing is decoded.
    static std::optional<QSize> imageSizeOfFile(const QString& path);
    // Tells the user that the chosen file cannot serve as a background; nothing else changes.
    static void tellUnreadablePicture(const QString& path);
    // The preview: the picture decoded at no more than its preview size (under the shared
    // allocation cap) and drawn whole into an image of exactly that size.
    static std::optional<QImage> renderPreview(const QString& path, QSizeF box, bool fill);

    // The one colour dialog of the panels: nullptr while none is open; closing hides it.
    static QColorDialog* sharedColorDialog();
    static void closeSharedColorDialog();

    // `space` is not owned and outlives the controls.
    explicit ZEVChannelPanelControls(ZEVSpaceController& space, QWidget* parent = nullptr);
    ~ZEVChannelPanelControls() override;

    // ---- the state the panel fills and reads ----
    void setImagePath(const QString& path) { imagePath_ = path; }
    const QString& imagePath() const { return imagePath_; }
    void setColor(const QColor& color);
    const QColor& color() const { return color_; }
    bool showImage() const;
    void setShowImage(bool on);
    KELId scaleInt() const;
    void setScaleInt(KELId scaleInt);
    bool searchChosen() const;
    // The Now and Search buttons show the active cursor; the scroll box gets the ruler viewer.
    void fillFromSpace();
    // Mirrors the space's active cursor on the Now/Search buttons without moving any cursor.
    void showActifCurseur();

    // ---- the family's members, as their controls run them ----
    // The preview for the current scale; false (and nothing drawn) when the picture cannot be read.
    bool scaleDidChange();
    void colorDidChange(const QColor& color);
    void showImageDidChange(bool on);
    // The clicked cursor becomes the active one; the time line is centred on it when it lies
    // outside the visible range.
    void cursorDidChange(bool search);
    // The colour dialog for this panel, following its colour live.
    void openColorDialog();

    const QImage& previewImage() const { return preview_; }
    ZEVChannelColorView* colorView() const { return colorView_; }
    QPushButton* colorButton() const { return colorButton_; }
    QCheckBox* showImageBox() const { return showImageBox_; }
    QRadioButton* fitButton() const { return fitButton_; }
    QRadioButton* fillButton() const { return fillButton_; }
    QRadioButton* nowButton() const { return nowButton_; }
    QRadioButton* searchButton() const { return searchButton_; }
    ZEVScrollBox* scrollBox() const { return scrollBox_; }

signals:
    void colorChanged(const QColor& color);
    void showImageChanged(bool on);
    void scaleChanged(KELId scaleInt);
    void cursorChanged(bool search);
    void swatchClicked();

private:
    class PreviewView;
    void showPreview(const QImage& image);
    void paintColorButton();

    ZEVSpaceController& space_; // not owned
    QString imagePath_;
    QColor color_{Qt::black};
    QImage preview_;
    // Qt children of the controls.
    ZEVScrollBox* scrollBox_ = nullptr;
    ZEVChannelColorView* colorView_ = nullptr;
    PreviewView* previewView_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QCheckBox* showImageBox_ = nullptr;
    QRadioButton* fitButton_ = nullptr;
    QRadioButton* fillButton_ = nullptr;
    QRadioButton* nowButton_ = nullptr;
    QRadioButton* searchButton_ = nullptr;
};

} // namespace tallomer
