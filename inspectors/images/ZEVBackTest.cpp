#include "inspectors/images/ZEVBackTest.h"

#include "runtime/Scheduler.h"
#include "space/ZEVBackObject.h"
#include "platform/SystemColours.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>

namespace tallomer {

ZEVBackTestWindow::ZEVBackTestWindow()
    : QWidget(nullptr, kFlags)
{
    setObjectName(QStringLiteral("ZEVBackTestWindow"));
    // The keys stay with the table, whose selection the arrows move.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

void ZEVBackTestWindow::setPicture(const QImage& image, const QColor& color)
{
    image_ = image;
    color_ = color;
    update();
}

void ZEVBackTestWindow::setPointerHidden(bool hidden)
{
    siPointerHidden_ = hidden;
    setCursor(hidden ? Qt::BlankCursor : Qt::ArrowCursor);
}

void ZEVBackTestWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), color_);
    if (image_.isNull())
        return;
    // Unscaled, centred: the rendering is already the screen's size at the chosen scale.
    const QSizeF s = image_.deviceIndependentSize();
    p.drawImage(QPointF((width() - s.width()) / 2.0, (height() - s.height()) / 2.0), image_);
}

void ZEVBackTestWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (siPointerHidden_)
        setPointerHidden(false);
    QWidget::mouseMoveEvent(event);
}

ZEVBackTest::ZEVBackTest(ZEVBackTestClient& client) : client_(client) {}

ZEVBackTest::~ZEVBackTest()
{
    stop();
    Scheduler::shared().cancelAll(this);
    delete window_.data();
}

bool ZEVBackTest::start(Qt::KeyboardModifiers modifiers)
{
    if (client_.testSelectedRow() < 0)
        return false;
    if (!window_)
        window_ = new ZEVBackTestWindow();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window_->setGeometry(screen->geometry());
    window_->setWindowOpacity(0.0);
    running_ = true;
    showSelected();
    window_->show();
    window_->raise();
    fade_ = modifiers.testFlag(Qt::ShiftModifier) ? kFadeInShift : kFadeIn;
    if (fadeAnimation_)
        fadeAnimation_->stop();
    fadeAnimation_ = new QPropertyAnimation(window_.data(), "windowOpacity", window_.data());
    fadeAnimation_->setDuration(int(fade_ * 1000));
    fadeAnimation_->setStartValue(0.0);
    fadeAnimation_->setEndValue(1.0);
    fadeAnimation_->start(QAbstractAnimation::DeleteWhenStopped);
    if (!appState_)
        appState_ = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this,
                                     [this](Qt::ApplicationState s) {
                                         if (s != Qt::ApplicationActive)
                                             stop();
                                     });
    qApp->installEventFilter(this);
    return true;
}

void ZEVBackTest::showSelected()
{
    if (!running_ || !window_)
        return;
    const int row = client_.testSelectedRow();
    ZEVBackObject* o = row >= 0 ? client_.testBackObjectForRow(row) : nullptr;
    if (!o) {
        window_->setPicture(QImage(), systemDarkGrey());
    } else {
        if (objects_.insert(o).second) {
            client_.testRenderBackObject(*o, window_->size());
            ++renders_;
        }
        // An unreadable file leaves no rendering: the colour alone.
        window_->setPicture(o->backImage(), client_.testColorForRow(row));
    }
    window_->setPointerHidden(true);
    client_.testPointerHidden(true);
}

void ZEVBackTest::stop()
{
    Scheduler::shared().cancel(this, "showSelected");
    if (!running_)
        return;
    running_ = false;
    qApp->removeEventFilter(this);
    QObject::disconnect(appState_);
    appState_ = {};
    if (fadeAnimation_)
        fadeAnimation_->stop();
    if (window_) {
        window_->hide();
        window_->setPicture(QImage(), QColor(Qt::transparent));
        window_->setPointerHidden(false);
    }
    for (ZEVBackObject* o : objects_)
        o->setBackImage(QImage());
    objects_.clear();
    renders_ = 0;
    client_.testPointerHidden(false);
}

bool ZEVBackTest::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            // After the table has moved its selection.
            Scheduler::shared().cancel(this, "showSelected");
            Scheduler::shared().perform(this, "showSelected", 0.0, [this] { showSelected(); });
        } else {
            stop();
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        stop();
        break;
    default:
        break;
    }
    // Delivered all the same.
    return QObject::eventFilter(watched, event);
}

} // namespace tallomer
