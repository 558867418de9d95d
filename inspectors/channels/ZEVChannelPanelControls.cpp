#include "inspectors/channels/ZEVChannelPanelControls.h"

#include "engine/KELICurseur.h"
#include "inspectors/channels/ZEVChannelColorView.h"
#include "platform/pasteboard/BoundedImage.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"
#include "widgets/ZEVAlert.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace tallomer {

namespace {

constexpr double kScreenRatio = 16.0 / 9.0;
constexpr double kNarrowBox = 1.6;

QPointer<QColorDialog>& colorDialog()
{
    static QPointer<QColorDialog> dialog;
    return dialog;
}

// The one panel the dialog follows.
QMetaObject::Connection& colorFollower()
{
    static QMetaObject::Connection connection;
    return connection;
}

// The file's bytes, or nothing when it cannot be read or holds more than the shared bound.
std::optional<QByteArray> boundedBytes(const QString& path)
{
    // Only a plain file: a named pipe dropped as a picture would hold the program until written to.
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxEncodedImageBytes + 1);
    if (bytes.isEmpty() || bytes.size() > kMaxEncodedImageBytes)
        return std::nullopt;
    return bytes;
}

std::optional<QSize> declaredSize(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kMaxDecodedImageMegabytes);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty())
        return std::nullopt;
    // A background is drawn no larger than a screen: a photo larger than a whole decode may take
    // serves when its format decodes straight to that size.
    if (!decodableWithin(reader, size, QSize(8192, 8192)))
        return std::nullopt;
    return size;
}

} // namespace

// The preview lies centred over the swatch and may overflow it (fill covers a screen wider than
// the box); it lets clicks through to the swatch.
class ZEVChannelPanelControls::PreviewView final : public QWidget {
public:
    explicit PreviewView(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void setImage(const QImage& image)
    {
        image_ = image;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull())
            return;
        QPainter p(this);
        const QPointF at((width() - image_.width()) / 2.0, (height() - image_.height()) / 2.0);
        p.drawImage(at, image_);
    }

private:
    QImage image_;
};

QSizeF ZEVChannelPanelControls::previewSize(QSizeF image, QSizeF box, bool fill)
{
    if (image.isEmpty() || box.isEmpty())
        return {};
    const double r = image.width() / image.height();
    const double w = box.width();
    double h = box.height();
    if (w / h < kNarrowBox)
        h = w / kNarrowBox;
    const bool wide = r >= kScreenRatio;
    if ((wide && !fill) || (!wide && fill)) {
        const double width = h * kScreenRatio;
        return {width, width / r};
    }
    return {r * h, h};
}

std::optional<QSize> ZEVChannelPanelControls::imageSizeOfFile(const QString& path)
{
    const std::optional<QByteArray> bytes = boundedBytes(path);
    return bytes ? declaredSize(*bytes) : std::nullopt;
}

std::optional<QImage> ZEVChannelPanelControls::renderPreview(const QString& path, QSizeF box, bool fill)
{
    const std::optional<QByteArray> bytes = boundedBytes(path);
    const std::optional<QSize> declared = bytes ? declaredSize(*bytes) : std::nullopt;
    if (!declared)
        return std::nullopt;
    const QSizeF size = previewSize(QSizeF(*declared), box, fill);
    const QSize pixels(std::max(1, int(std::lround(size.width()))), std::max(1, int(std::lround(size.height()))));
    if (size.isEmpty())
        return std::nullopt;
    // Decoded no larger than the preview: a huge picture costs its preview, not its pixels.
    const std::optional<QImage> decoded = decodeImageBounded(*bytes, {}, pixels);
    if (!decoded)
        return std::nullopt;
    QImage preview(pixels, QImage::Format_ARGB32_Premultiplied);
    preview.fill(Qt::transparent);
    QPainter p(&preview);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(pixels)), inTrueColour(*decoded));
    p.end();
    return preview;
}

void ZEVChannelPanelControls::tellUnreadablePicture(const QString& path)
{
    ZEVAlert::ShowSimpleAlertWithMessage(
        QStringLiteral("\"%1\" cannot be used as a background.").arg(QFileInfo(path).fileName()),
        QStringLiteral("It is not a picture Tallomer can read. Choose another picture."));
}

QColorDialog* ZEVChannelPanelControls::sharedColorDialog() { return colorDialog().data(); }

void ZEVChannelPanelControls::closeSharedColorDialog()
{
    QColorDialog* dialog = colorDialog().data();
    if (!dialog)
        return;
    QObject::disconnect(colorFollower());
    dialog->hide();
}

ZEVChannelPanelControls::ZEVChannelPanelControls(ZEVSpaceController& space, QWidget* parent)
    : QWidget(parent), space_(space)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scrollBox_ = new ZEVScrollBox(this);
    scrollBox_->setObjectName(QStringLiteral("channelPanelScrollBox"));
    outer->addWidget(scrollBox_);

    auto* row = new QHBoxLayout(scrollBox_);
    colorView_ = new ZEVChannelColorView(scrollBox_);
    colorView_->setObjectName(QStringLiteral("channelPanelColorView"));
    colorView_->setFixedSize(kPreviewWidth, kPreviewHeight);
    auto* swatchLayout = new QVBoxLayout(colorView_);
    swatchLayout->setContentsMargins(0, 0, 0, 0);
    previewView_ = new PreviewView(colorView_);
    swatchLayout->addWidget(previewView_);
    row->addWidget(colorView_);

    auto* column = new QVBoxLayout;
    colorButton_ = new QPushButton(tr("Colour…"), scrollBox_);
    colorButton_->setObjectName(QStringLiteral("channelPanelColorWell"));
    // Return in a panel is its Create, even after the colour button was clicked.
    colorButton_->setAutoDefault(false);
    showImageBox_ = new QCheckBox(tr("Show image"), scrollBox_);
    showImageBox_->setObjectName(QStringLiteral("channelPanelShowImage"));
    showImageBox_->setChecked(true);

    auto* scaleBox = new QGroupBox(tr("Scale"), scrollBox_);
    auto* scaleLayout = new QVBoxLayout(scaleBox);
    fitButton_ = new QRadioButton(tr("To fit"), scaleBox);
    fillButton_ = new QRadioButton(tr("Fill"), scaleBox);
    fitButton_->setObjectName(QStringLiteral("channelPanelToFitButton"));
    fillButton_->setObjectName(QStringLiteral("channelPanelFillButton"));
    fillButton_->setChecked(true);
    scaleLayout->addWidget(fitButton_);
    scaleLayout->addWidget(fillButton_);

    auto* cursorBox = new QGroupBox(tr("Time cursor"), scrollBox_);
    auto* cursorLayout = new QVBoxLayout(cursorBox);
    nowButton_ = new QRadioButton(tr("Now"), cursorBox);
    searchButton_ = new QRadioButton(tr("Search"), cursorBox);
    nowButton_->setObjectName(QStringLiteral("channelPanelNowButton"));
    searchButton_->setObjectName(QStringLiteral("channelPanelSearchButton"));
    nowButton_->setChecked(true);
    cursorLayout->addWidget(nowButton_);
    cursorLayout->addWidget(searchButton_);

    column->addWidget(colorButton_);
    column->addWidget(showImageBox_);
    column->addWidget(scaleBox);
    column->addWidget(cursorBox);
    column->addStretch(1);
    row->addLayout(column);

    // Only the user's clicks run the family; the panel's own filling does not.
    connect(colorButton_, &QPushButton::clicked, this, [this] { openColorDialog(); });
    connect(showImageBox_, &QCheckBox::clicked, this, [this](bool on) { showImageDidChange(on); });
    connect(fitButton_, &QRadioButton::clicked, this, [this] {
        scaleDidChange();
        emit scaleChanged(kScaleFit);
    });
    connect(fillButton_, &QRadioButton::clicked, this, [this] {
        scaleDidChange();
        emit scaleChanged(kScaleFill);
    });
    connect(nowButton_, &QRadioButton::clicked, this, [this] { cursorDidChange(false); });
    connect(searchButton_, &QRadioButton::clicked, this, [this] { cursorDidChange(true); });
    connect(colorView_, &ZEVChannelColorView::clicked, this, &ZEVChannelPanelControls::swatchClicked);
    paintColorButton();
}

ZEVChannelPanelControls::~ZEVChannelPanelControls()
{
    // The dialog follows this panel's colour only while the panel lives.
    if (QColorDialog* dialog = sharedColorDialog())
        QObject::disconnect(dialog, nullptr, this, nullptr);
}

void ZEVChannelPanelControls::setColor(const QColor& color)
{
    color_ = color.isValid() ? color : QColor(Qt::black);
    colorView_->setBackgroundColor(color_);
    paintColorButton();
}

bool ZEVChannelPanelControls::showImage() const { return showImageBox_->isChecked(); }

void ZEVChannelPanelControls::setShowImage(bool on) { showImageBox_->setChecked(on); }

KELId ZEVChannelPanelControls::scaleInt() const { return fillButton_->isChecked() ? kScaleFill : kScaleFit; }

void ZEVChannelPanelControls::setScaleInt(KELId scaleInt)
{
    (scaleInt == kScaleFit ? fitButton_ : fillButton_)->setChecked(true);
}

bool ZEVChannelPanelControls::searchChosen() const { return searchButton_->isChecked(); }

void ZEVChannelPanelControls::showActifCurseur()
{
    (space_.siSearchActif() ? searchButton_ : nowButton_)->setChecked(true);
}

void ZEVChannelPanelControls::fillFromSpace()
{
    showActifCurseur();
    scrollBox_->setRulerViewer(dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer()));
}

bool ZEVChannelPanelControls::scaleDidChange()
{
    const std::optional<QImage> image = renderPreview(imagePath_, QSizeF(colorView_->size()), fillButton_->isChecked());
    if (!image)
        return false;
    showImageBox_->setChecked(true);
    showPreview(*image);
    colorView_->setBackgroundColor(color_);
    return true;
}

void ZEVChannelPanelControls::colorDidChange(const QColor& color)
{
    setColor(color);
    emit colorChanged(color_);
}

void ZEVChannelPanelControls::showImageDidChange(bool on)
{
    showImageBox_->setChecked(on);
    if (on)
        scaleDidChange();
    else
        showPreview(QImage());
    emit showImageChanged(on);
}

void ZEVChannelPanelControls::cursorDidChange(bool search)
{
    nowButton_->setChecked(!search);
    searchButton_->setChecked(search);
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    KELICurseur* curseur = search ? space_.searchCurseur() : space_.nowCurseur();
    if (ruler && curseur) {
        ruler->userChangeActifCurseur(curseur);
        ZEVRulerClassServices* rulerClass = space_.rulerClass();
        KELIContexte* timeline = rulerClass ? rulerClass->tlContexte() : nullptr;
        if (timeline) {
            const KELDate date = curseur->now();
            const KELDate in = timeline->nowIn();
            const KELDate out = timeline->nowOut();
            if ((date > out || date < in) && ruler->userInitieDeplacementCurseur()) {
                const double offset = date - (in + out) / 2;
                ruler->userPlaceRulerOffsetIn(offset, offset);
                ruler->userTermineDeplacementCurseur();
            }
        }
    }
    emit cursorChanged(search);
}

void ZEVChannelPanelControls::openColorDialog()
{
    QPointer<QColorDialog>& dialog = colorDialog();
    QWidget* owner = window();
    if (!dialog) {
        dialog = new QColorDialog(owner);
        dialog->setObjectName(QStringLiteral("channelPanelColorPanel"));
        dialog->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
        dialog->setWindowTitle(tr("Colours"));
    } else if (dialog->parentWidget() != owner) {
        dialog->setParent(owner, Qt::Dialog);
    }
    QObject::disconnect(colorFollower());
    dialog->setCurrentColor(color_);
    colorFollower() =
        connect(dialog, &QColorDialog::currentColorChanged, this, [this](const QColor& c) { colorDidChange(c); });
    dialog->show();
    dialog->raise();
}

void ZEVChannelPanelControls::showPreview(const QImage& image)
{
    preview_ = image;
    previewView_->setImage(image);
}

void ZEVChannelPanelControls::paintColorButton()
{
    QPixmap chip(28, 14);
    chip.fill(color_);
    colorButton_->setIcon(QIcon(chip));
}

} // namespace tallomer
