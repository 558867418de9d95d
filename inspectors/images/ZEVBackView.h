#pragma once
// The Images panel: the Images table and, beside it in one splitter, the preview of the selected
// image on its colour with the Test button, the scale pop-up and the New Channel and New Space
// buttons. Neither side gets narrower than 180 points; the table alone takes a change of width
// while the panel is pulled by its right edge, else both sides share it.

#include "inspectors/base/ZEVInspectPanels.h"

#include <utility>

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace tallomer {

class ZEVBackColorView;

class ZEVBackView final : public ZEVInspectView {
public:
    static constexpr int kMinSide = 180;

    // The table's and the preview's widths once the splitter is `total` wide (the handle left
    // out), from what they were: the table alone takes the change while it is wider than the
    // minimum and the panel is pulled by its right edge, else both follow in proportion; neither
    // ends under the minimum while there is room for both.
    static std::pair<int, int> splitWidths(int table, int preview, int total, bool rightEdge);
    // Which edge the panel is being pulled by, as a press on it sets it.
    using ZEVInspectView::setClickPosition;

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
    void placeTable(const QRect& place) override;

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
