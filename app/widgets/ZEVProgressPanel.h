#pragma once
// The progress panel shown while the store loads and during long operations.
//
// The window is built the first time it is needed; values set before that are kept and shown
// when it appears. Loading runs on the main thread without returning to the event loop, so the
// panel repaints itself synchronously, and only as often as the bar can visibly move.

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;
class QWidget;

namespace tallomer {

class ZEVProgressPanel : public QObject {
    Q_OBJECT
public:
    // `initWithDeterminateProgressBar:`
    explicit ZEVProgressPanel(bool determinate, QObject* parent = nullptr);
    ~ZEVProgressPanel() override;

    // The bar is redrawn once `progressValue` increments have gathered more than one point of the
    // bar's width. A bar without width (not loaded) is never redrawn by increments.
    static bool shouldRedraw(double progressValue, double progressMax, double progressWidth);

    // The panel's window, built (and `windowDidLoad` run) on first call.
    QWidget* window();
    bool isWindowLoaded() const { return window_ != nullptr; }
    void showWindow();
    void close();

    void setMaxValue(double max);
    void setMessage(const QString& message);
    void updateStatus(double value);
    void incrementBy(double delta);
    // The link server's and the Object data store's progress callback.
    void increment();

    bool determinate() const { return determinate_; }
    float progressWidth() const { return progressWidth_; }
    double progressMax() const { return progressMax_; }
    double progressValue() const { return progressValue_; }
    double barValue() const { return barValue_; }
    QString message() const { return message_; }
    // How many times the panel was repainted synchronously (whole window or bar).
    int redrawCount() const { return redrawCount_; }

    QLabel* progressMessage() const { return progressMessage_; }
    QProgressBar* progressBar() const { return progressBar_; }

protected:
    virtual void windowDidLoad();

private:
    void applyBar();
    void redrawWindow();
    void redrawBar();

    bool determinate_;
    float progressWidth_ = 0.0f;
    double progressMax_ = 0.0;
    double progressValue_ = 0.0;
    double barValue_ = 0.0;
    QString message_;
    int redrawCount_ = 0;

    QPointer<QWidget> window_; // owned: deleted in the destructor
    QLabel* progressMessage_ = nullptr; // child of window_
    QProgressBar* progressBar_ = nullptr; // child of window_
};

} // namespace tallomer
