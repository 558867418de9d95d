#include "app/widgets/ZEVProgressPanel.h"

#include "widgets/ZEVAlert.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QLabel>
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
    progressBar_ = new QProgressBar(w);
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
