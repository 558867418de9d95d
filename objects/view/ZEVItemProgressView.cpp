// A web download's or a file job's progress over an Object's icon: the bar, and the view's side
// of a job's start and end.

#include "objects/view/ZEVItemProgressView.h"

#include "objects/drawing/ZEVItemTitleText.h"
#include "objects/view/ZEVItemView.h"
#include "widgets/ZEVBlitBatch.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

// The download's bar: its height and its place above the bottom of the image's frame, y-up.
constexpr double kBarHeight = 8;
constexpr double kBarInset = 6;
constexpr double kBarTextHeight = 16;

} // namespace

void ZEVItemProgressView::setSize(const QSizeF& size)
{
    if (size == size_)
        return;
    prepareGeometryChange();
    size_ = size;
}

void ZEVItemProgressView::setFraction(double fraction)
{
    // A fraction that is no number shows as nothing done.
    fraction_ = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    update();
}

QString ZEVItemProgressView::text() const
{
    return determinate_ ? QString::asprintf("%.1f%%", fraction_ * 100.0) : QString();
}

void ZEVItemProgressView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (size_.width() <= 2 * kBarInset)
        return;
    ZEVBlitBatch::flush(*painter);
    // The desk's view leaves the painter's state to the items that change it.
    painter->save();
    // Drawn y-down: the bar above the text, both in the lower part of the frame.
    const QRectF bar(kBarInset, size_.height() - kBarTextHeight - kBarHeight, size_.width() - 2 * kBarInset,
                     kBarHeight);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(255, 255, 255, 220), 1));
    painter->setBrush(QColor(0, 0, 0, 120));
    painter->drawRoundedRect(bar, kBarHeight / 2, kBarHeight / 2);
    painter->setPen(Qt::NoPen);
    if (determinate_) {
        QRectF done = bar.adjusted(1, 1, -1, -1);
        done.setWidth(done.width() * fraction_);
        painter->setBrush(QColor(255, 255, 255, 230));
        painter->drawRoundedRect(done, kBarHeight / 2 - 1, kBarHeight / 2 - 1);
        painter->setFont(ZEVItemTitleText::font());
        painter->setPen(Qt::white);
        painter->drawText(QRectF(0, bar.bottom(), size_.width(), kBarTextHeight), Qt::AlignCenter, text());
    } else {
        painter->setBrush(QBrush(QColor(255, 255, 255, 200), Qt::BDiagPattern));
        painter->drawRoundedRect(bar.adjusted(1, 1, -1, -1), kBarHeight / 2 - 1, kBarHeight / 2 - 1);
    }
    painter->restore();
}


// ---- download progress ----

void ZEVItemView::downloadStart(bool determinate)
{
    delete progressView_; // a new response replaces the bar of an earlier one
    progressView_ = new ZEVItemProgressView(this, determinate); // owned by this item
    imageView_->setVisible(false);
    disposerLesParties();
}

void ZEVItemView::downloadSetStatus(float fraction)
{
    if (progressView_)
        progressView_->setFraction(fraction);
}

void ZEVItemView::endDownload()
{
    delete progressView_;
    progressView_ = nullptr;
    imageView_->setVisible(true);
    titleView_->setText(itemTitle_.isEmpty() ? QStringLiteral("No Name") : itemTitle_);
}

void ZEVItemView::downloadFinish()
{
    endDownload();
    updateImage();
}

void ZEVItemView::downloadError() { endDownload(); }

void ZEVItemView::duplicateStart()
{
    delete progressView_;
    progressView_ = new ZEVItemProgressView(this, true); // owned by this item
    disposerLesParties();
}

void ZEVItemView::duplicateFinish()
{
    endDownload();
    updateImage();
}

void ZEVItemView::duplicateError() { endDownload(); }

} // namespace tallomer
