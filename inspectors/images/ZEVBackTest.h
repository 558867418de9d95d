#pragma once
// The Images panel's full-screen test: the selected image as the desk would show it behind its
// Objects, on its colour, over the whole primary screen. While it shows, an application event
// filter lets Up and Down move the table's selection (the picture follows on the next turn); any
// other key, modifier, click, the program losing focus or the panel going ends it, and the event
// is still delivered. Each image is rendered once per test at the pop-up's scale; the renderings
// go when the test ends.

#include "platform/SystemColours.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <unordered_set>

class QPropertyAnimation;

namespace tallomer {

class ZEVBackObject;

// What the test asks of the Images panel.
class ZEVBackTestClient {
public:
    virtual ~ZEVBackTestClient() = default;
    // The table's selected row; -1 for none.
    virtual int testSelectedRow() = 0;
    // The row's image cache; nullptr for none.
    virtual ZEVBackObject* testBackObjectForRow(int row) = 0;
    virtual QColor testColorForRow(int row) = 0;
    // Makes the cache's full-size rendering for a screen of `size`, at the chosen scale.
    virtual void testRenderBackObject(ZEVBackObject& object, const QSize& size) = 0;
    // The pointer hidden until it moves, or shown again.
    virtual void testPointerHidden(bool hidden) = 0;
};

// A frameless window on top of everything: the picture centred on its colour, the pointer
// blank until it moves.
class ZEVBackTestWindow final : public QWidget {
public:
    // Above the Spaces kept in front too, as a menu would be: out of the window manager's hands,
    // and never taking the keys from the table.
    static constexpr Qt::WindowFlags kFlags{Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                            Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint};

    ZEVBackTestWindow();
    void setPicture(const QImage& image, const QColor& color);
    const QImage& picture() const { return image_; }
    const QColor& color() const { return color_; }
    bool siPointerHidden() const { return siPointerHidden_; }
    void setPointerHidden(bool hidden);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage image_;
    QColor color_{systemDarkGrey()};
    bool siPointerHidden_ = false;
};

class ZEVBackTest final : public QObject {
public:
    static constexpr double kFadeIn = 0.4;
    static constexpr double kFadeInShift = 1.6;

    explicit ZEVBackTest(ZEVBackTestClient& client);
    ~ZEVBackTest() override;

    // Starts a test of the selected row; false (nothing shown) without one.
    bool start(Qt::KeyboardModifiers modifiers);
    // Shows the selected row's picture (the window follows the selection).
    void showSelected();
    // Ends the test; nothing when none runs.
    void stop();
    bool siRunning() const { return running_; }
    // Nullptr before the first test.
    ZEVBackTestWindow* window() const { return window_; }
    // The fade of the last start, in seconds.
    double fadeDuration() const { return fade_; }
    // The renderings made since the test started.
    int renderCount() const { return renders_; }
    const std::unordered_set<ZEVBackObject*>& testObjects() const { return objects_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZEVBackTestClient& client_; // not owned: the owner
    QPointer<ZEVBackTestWindow> window_;
    QPointer<QPropertyAnimation> fadeAnimation_;
    std::unordered_set<ZEVBackObject*> objects_; // not owned: the model's caches, which outlive it
    bool running_ = false;
    double fade_ = kFadeIn;
    int renders_ = 0;
    QMetaObject::Connection appState_;
};

} // namespace tallomer
