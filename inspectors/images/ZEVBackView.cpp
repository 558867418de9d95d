#include "inspectors/images/ZEVBackView.h"

#include "inspectors/images/ZEVBackPopup.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "space/ZEVConstants.h"

#include "inspectors/base/ZEVInspectGeometry.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace tallomer {

ZEVBackView::ZEVBackView(ZEVInspectViewer& viewer)
    : ZEVInspectView(viewer, QStringLiteral("Back"), kBackMetrics,
                     [](ZEVInspectViewer& v, ZEVInspectView* panel) { return new ZEVBackTableView(v, panel); })
{
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("ZEVBackSplitView"));
    splitter_->setChildrenCollapsible(false);
    ZEVInspectTableView* table = inspectTableView();
    table->setMinimumWidth(kMinSide);
    splitter_->addWidget(table);

    preview_ = new QWidget(splitter_);
    preview_->setObjectName(QStringLiteral("ZEVBackPreview"));
    preview_->setMinimumWidth(kMinSide);
    colorView_ = new ZEVBackColorView(&viewer, preview_);
    imageView_ = new QLabel(colorView_);
    imageView_->setObjectName(QStringLiteral("ZEVBackImageView"));
    imageView_->setAlignment(Qt::AlignCenter);
    // Clicks go through the picture to the colour view, which presses Test.
    imageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* over = new QVBoxLayout(colorView_);
    over->setContentsMargins(4, 4, 4, 4);
    over->addWidget(imageView_);

    btnTest_ = new QPushButton(QStringLiteral("Test"), preview_);
    btnTest_->setObjectName(QStringLiteral("btnTestImage"));
    btnImageSize_ = new QComboBox(preview_);
    btnImageSize_->setObjectName(QStringLiteral("btnImageSize"));
    // Named as the Channels panels name the same two scales: "In" keeps the whole picture inside
    // the frame, "Out" lets it cover the frame.
    btnImageSize_->addItem(QStringLiteral("To fit"), qlonglong(KELOBJECT_SCALE_IN));
    btnImageSize_->addItem(QStringLiteral("Fill"), qlonglong(KELOBJECT_SCALE_OUT));
    btnNewChannel_ = new QPushButton(QStringLiteral("New Channel\u2026"), preview_);
    btnNewChannel_->setObjectName(QStringLiteral("btnSetAsNewChannel"));
    btnNewSpace_ = new QPushButton(QStringLiteral("New Space\u2026"), preview_);
    btnNewSpace_->setObjectName(QStringLiteral("btnSetAsDesktopWallpaper"));
    for (QWidget* w : std::initializer_list<QWidget*>{btnTest_, btnImageSize_, btnNewChannel_, btnNewSpace_})
        w->setFocusPolicy(Qt::NoFocus);
    colorView_->setPreviewButton(btnTest_);

    auto* pane = new QVBoxLayout(preview_);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(4);
    pane->addWidget(colorView_, 1);
    auto* buttons = new QGridLayout();
    buttons->addWidget(btnTest_, 0, 0);
    buttons->addWidget(btnImageSize_, 0, 1);
    buttons->addWidget(btnNewChannel_, 1, 0);
    buttons->addWidget(btnNewSpace_, 1, 1);
    pane->addLayout(buttons);
    splitter_->addWidget(preview_);
    splitter_->setSizes({400, 240});
    setFocusProxy(table);
}

std::pair<int, int> ZEVBackView::splitWidths(int table, int preview, int total, bool rightEdge)
{
    const int before = table + preview;
    if (before <= 0 || total < 2 * kMinSide)
        return {std::max(0, total - total / 2), total / 2};
    if (rightEdge && table > kMinSide) {
        table += total - before;
    } else {
        table = int(std::lround(double(table) * total / before));
    }
    table = std::clamp(table, kMinSide, total - kMinSide);
    return {table, total - table};
}

long ZEVBackView::imageSizeTag() const
{
    return btnImageSize_->currentData().toLongLong();
}

void ZEVBackView::setPreview(const QImage& image, const QColor& color)
{
    colorView_->setBackgroundColor(color);
    if (image.isNull()) {
        imageView_->clear();
        return;
    }
    const QSize room = imageView_->size().isValid() ? imageView_->size() : QSize(kMinSide, kMinSide);
    QPixmap pixmap = QPixmap::fromImage(image);
    if (pixmap.width() > room.width() || pixmap.height() > room.height())
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imageView_->setPixmap(pixmap);
}

void ZEVBackView::placeTable(const QRect& place)
{
    // The panel places the table whenever its content moves (a count of another length too):
    // here the splitter takes that place and lays the table and the preview out inside it.
    if (!splitter_) {
        ZEVInspectView::placeTable(place);
        return;
    }
    // The sides as the user left them, before the splitter spreads the change its own way.
    const QList<int> was = splitter_->sizes();
    const int total = place.width() - splitter_->handleWidth();
    const std::pair<int, int> w =
        splitWidths(was.value(0), was.value(1), total, clickPosition() == ZEVInspectZoneRight);
    splitter_->setGeometry(place);
    splitter_->setSizes({w.first, w.second});
    splitter_->refresh();
}

} // namespace tallomer
