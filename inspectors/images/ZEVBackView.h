#pragma once
// The Images panel: the Images table and, beside it in one splitter, the preview of the selected
// image on its colour with the Test button, the scale pop-up and the New Channel and New Space
// buttons. Neither side gets narrower than 180 points; the table alone takes a change of width.

#include "inspectors/base/ZEVInspectPanels.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace tallomer {

class ZEVBackColorView;

class ZEVBackView final : public ZEVInspectView {
public:
    static constexpr int kMinSide = 180;

    explicit ZEVBackView(ZEVInspectViewer& viewer);

    QSplitter* splitter() const { return splitter_; }
    QWidget* previewPane() const { return preview_; }
    ZEVBackColorView* backColorView() const { return colorView_; }
    QLabel* backImageView() const { return imageView_; }
    QPushButton* btnTestImage() const { return btnTest_; }
    QPushButton* btnSetAsNewChannel() const { return btnNewChannel_; }
    QPushButton* btnSetAsDesktopWallpaper() const { return btnNewSpace_; }
    QComboBox* btnImageSize() const { return btnImageSize_; }
    // The scale word of the pop-up's chosen item.
    long imageSizeTag() const;
    // The preview: the picture on the colour; a null picture shows the colour alone.
    void setPreview(const QImage& image, const QColor& color);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QSplitter* splitter_ = nullptr;
    QWidget* preview_ = nullptr;
    ZEVBackColorView* colorView_ = nullptr;
    QLabel* imageView_ = nullptr;
    QPushButton* btnTest_ = nullptr;
    QPushButton* btnNewChannel_ = nullptr;
    QPushButton* btnNewSpace_ = nullptr;
    QComboBox* btnImageSize_ = nullptr;
};

} // namespace tallomer
