#include "app/widgets/ZEVProgressPanel.h"

#include "widgets/ZEVAlert.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {
// The bar works in integers; doubles are mapped onto this many steps.
constexpr int kBarSteps = 100000;
constexpr int kBarWidth = 360;

// The start repaints the bar a few hundred times without returning to the event loop, and the
// style's determinate bar (a gradient under antialiased stripes) costs about as much as the
// rest of an empty store's start put together. A determinate bar is drawn here in three fills;
// the busy indicator, which no increment repaints, keeps the style's look.
class FlatProgressBar final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (maximum() <= minimum()) {
            QProgressBar::paintEvent(event);
            return;
        }
        QPainter painter(this);
        const QPalette& colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Mid));
        const QRect inner = rect().adjusted(1, 1, -1, -1);
        painter.fillRect(inner, colours.color(QPalette::Base));
        const double span = double(maximum()) - double(minimum());
        const double done = std::clamp((double(value()) - double(minimum())) / span, 0.0, 1.0);
        const int filled = static_cast<int>(std::lround(done * inner.width()));
        if (filled <= 0)
            return;
        QRect bar(inner.topLeft(), QSize(filled, inner.height()));
        if (isRightToLeft() != invertedAppearance())
            bar.moveRight(inner.right());
        painter.fillRect(bar, colours.color(QPalette::Highlight));
    }
};
} // namespace

ZEVProgressPanel::ZEVProgressPanel(bool determinate, QObject* parent)
    : QObject(parent), determinate_(determinate)
{
}

ZEVProgressPanel::~ZEVProgressPanel() { delete window_.data(); }

bool ZEVProgressPanel::shouldRedraw(double progressValue, double progressMax, double progressWidth)
{
    if (!(progressWidth > 0.0))
        return false;
    return progressValue > progressMax / progressWidth;
}

QWidget* ZEVProgressPanel::window()
{
    if (window_)
        return window_;
    auto* w = new QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                       Qt::WindowTitleHint);
    w->setWindowTitle(QStringLiteral("Tallomer"));
    w->setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(w);
    progressMessage_ = new QLabel(message_, w);
    progressBar_ = new FlatProgressBar(w);
    progressBar_->setTextVisible(false);
    progressBar_->setFixedWidth(kBarWidth);
    layout->addWidget(progressMessage_);
    layout->addWidget(progressBar_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    window_ = w;
    windowDidLoad();
    return window_;
}

void ZEVProgressPanel::windowDidLoad()
{
    progressWidth_ = progressBar_ ? static_cast<float>(progressBar_->width()) : 0.0f;
    if (!progressBar_)
        return;
    if (determinate_)
        applyBar();
    else
        progressBar_->setRange(0, 0); // busy indicator, animating at once
}

void ZEVProgressPanel::showWindow()
{
    // It floats over the windows: an alert shown meanwhile must not be hidden under it.
    ZEVAlert::setStepsAside(window(), true);
    if (!window()->isVisible())
        placement::placeBeside(window_);
    window_->show();
    window_->raise();
}

void ZEVProgressPanel::close()
{
    if (!window_)
        return;
    ZEVAlert::setStepsAside(window_, false);
    window_->hide();
}

void ZEVProgressPanel::applyBar()
{
    if (!progressBar_ || !determinate_)
        return;
    progressBar_->setRange(0, kBarSteps);
    int v = 0;
    if (progressMax_ > 0.0 && std::isfinite(barValue_))
        v = static_cast<int>(std::clamp(barValue_ / progressMax_, 0.0, 1.0) * kBarSteps);
    // The bar asks its style whether each new value shows: thousands of increments while the
    // links load, each less than a point of the bar, cost a good part of the start-up that way.
    // Both ends always show.
    const int shown = progressBar_->value();
    if (v != 0 && v != kBarSteps && shown >= 0 && std::abs(qint64(v) - shown) * kBarWidth < kBarSteps)
        return;
    progressBar_->setValue(v);
}

void ZEVProgressPanel::redrawWindow()
{
    ++redrawCount_;
    if (window_ && window_->isVisible())
        window_->repaint();
}

void ZEVProgressPanel::redrawBar()
{
    ++redrawCount_;
    if (progressBar_ && progressBar_->isVisible())
        progressBar_->repaint();
}

void ZEVProgressPanel::setMaxValue(double max)
{
    progressMax_ = max;
    progressValue_ = 0.0;
    applyBar();
    redrawWindow();
}

void ZEVProgressPanel::setMessage(const QString& message)
{
    message_ = message;
    if (progressMessage_)
        progressMessage_->setText(message);
    redrawWindow();
}

void ZEVProgressPanel::updateStatus(double value)
{
    barValue_ = value;
    applyBar();
}

void ZEVProgressPanel::incrementBy(double delta)
{
    barValue_ += delta;
    applyBar();
}

void ZEVProgressPanel::increment()
{
    incrementBy(1.0);
    progressValue_ += 1.0;
    if (shouldRedraw(progressValue_, progressMax_, progressWidth_)) {
        redrawBar();
        progressValue_ = 0.0;
    }
}

} // namespace tallomer
