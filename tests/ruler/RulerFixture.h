#pragma once
// Two Spaces on a fresh copy of the template link base (the space tests' fixture, virtual clock
// included). In `Ruler` the ruler viewer is given parts that write what they are told into the
// shared trace, with hooks to call back into the viewer from inside a participant; in `LiveRuler`
// it has its real strip and cursor views over the top of the window's content.

#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerStandIns.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/space/SpaceFixture.h"

#include <QApplication>
#include <QNativeGestureEvent>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <string>

namespace rulertest {

using spacetest::count;
using spacetest::nomDuCurseur;
using spacetest::Trace;
using namespace tallomer;

// Whether an animation tick or a step loop of the viewer is pending.
inline bool ticking(ZEVRulerViewer* viewer)
{
    static constexpr const char* kTicks[] = {
        "_animerCurseurToDate", "_animerCurseurEtRuler", "_animerCurseurEtContexteIn", "_animerNow",
        "_animerSearch",        "_animerRuler",          "_bougerCurseur",             "_bougerRuler",
        "_bougerCurseurEtRuler", "_agrandirContexte",    "_diminuerContexte",          "_bougerCurseurAGauche",
        "_bougerCurseurADroite"};
    return std::any_of(std::begin(kTicks), std::end(kTicks),
                       [viewer](const char* n) { return Scheduler::shared().isPending(viewer, n); });
}

struct Hooks {
    std::function<void()> initier;
    std::function<void()> terminer;
    std::function<void()> pas;
};

class TracingStrip final : public ZEVTlineViewServices {
public:
    TracingStrip(Trace& t, const QRectF& frame) : trace_(t), frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void setTlineType(ZEVTlineType*) override {}
    void assignForegroundColor(const QColor&) override {}
    void setClickPositionForDisplay(int) override {}
    void rulerDidChange() override { ++rulerDidChangeCount; }
    void setNeedsDisplay() override { ++displayCount; }
    void placerDevantCurseurView(ZEVTlineCurseurViewServices* v) override
    {
        trace_.push_back("strip devant " + nomDuCurseur(v->curseur()));
    }
    void setSiRulerTime(bool r) override { rulerTime = r; }
    void scrollWheel(QWheelEvent*) override { trace_.push_back("strip wheel"); }
    void scrollWheelWithFromBox(QWheelEvent*) override { trace_.push_back("strip from box"); }
    void scrollWheelWithPeriodBox(QWheelEvent*) override { trace_.push_back("strip period box"); }
    void scrollWheelWithUntilBox(QWheelEvent*) override { trace_.push_back("strip until box"); }
    bool rulerTime = false;
    ZEVTlineType* tlineType = nullptr;
    QColor colour;
    int clickPosition = -1;
    int rulerDidChangeCount = 0;
    int displayCount = 0;

private:
    Trace& trace_;
    QRectF frame_;
};

class TracingView final : public ZEVTlineCurseurViewServices {
public:
    TracingView(Trace& t, KELICurseur* c) : trace_(t), curseur_(c) {}
    KELICurseur* curseur() const override { return curseur_; }
    void initierDeplacementCurseur() override { add("initier", hooks.initier); }
    void terminerDeplacementCurseur() override { add("terminer", hooks.terminer); }
    void bougerCurseurAGauche() override { add("gauche", hooks.pas); }
    void bougerCurseurADroite() override { add("droite", hooks.pas); }
    void agrandirContexte() override { add("agrandir", hooks.pas); }
    void diminuerContexte() override { add("diminuer", hooks.pas); }
    void draggCurseurWithEvent(QMouseEvent*) override { add("dragg", nullptr); }
    void draggEntityWithEvent(QMouseEvent*) override { add("draggEntity", nullptr); }
    void scrollWheelWithEvent(QWheelEvent*) override { add("wheel", nullptr); }
    void magnify(QNativeGestureEvent*) override { add("magnify", nullptr); }
    void scrollWheelWithFromBox(QWheelEvent*) override { add("from box", nullptr); }
    void scrollWheelWithPeriodBox(QWheelEvent*) override { add("period box", nullptr); }
    void scrollWheelWithUntilBox(QWheelEvent*) override { add("until box", nullptr); }
    void scrollWheelEntityWithEvent(QWheelEvent*) override { add("entity wheel", nullptr); }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    int clickPosition = 10;
    Hooks hooks;

private:
    void add(const std::string& what, const std::function<void()>& hook)
    {
        trace_.push_back(nomDuCurseur(curseur_) + " view " + what);
        if (hook)
            hook();
    }
    Trace& trace_;
    KELICurseur* curseur_;
};

class TracingBar final : public ZEVRulerViewbarServices {
public:
    TracingBar(Trace& t, const QRectF& frame) : trace_(t), frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void initierDeplacementCurseur() override { trace_.push_back("bar initier"); }
    void terminerDeplacementCurseur() override { trace_.push_back("bar terminer"); }
    void majDatePicker() override {}
    void majMenubarForCurseur(KELICurseur* c) override { trace_.push_back("bar menubar " + nomDuCurseur(c)); }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void showRulerPickerPanel(bool shown) override { trace_.push_back(shown ? "bar picker on" : "bar picker off"); }
    bool stateOfRulerButton() override { return rulerButton; }
    bool stateOfNowButton() override { return nowButton; }
    bool stateOfSearchButton() override { return searchButton; }
    void menuNowCurseur(QObject*) override { trace_.push_back("bar menuNowCurseur"); }
    void menuSearchCurseur(QObject*) override { trace_.push_back("bar menuSearchCurseur"); }
    void menuRuler(QObject*) override { trace_.push_back("bar menuRuler"); }
    bool siShowRulerPickerPanel() const override { return false; }
    void menuPresetDidRename() override {}
    void entrerLesDatesTapees() override {}
    void highlightButtonWithTag(KELId stamp) override { trace_.push_back("bar light " + std::to_string(stamp)); }
    void showPresetTitleWithTag(KELId stamp, float duration) override
    {
        trace_.push_back("bar preset " + std::to_string(stamp) + " " + std::to_string(duration).substr(0, 3));
    }
    bool rulerButton = false;
    bool nowButton = false;
    bool searchButton = false;
    int clickPosition = 10;

private:
    Trace& trace_;
    QRectF frame_;
};

// Makes the tracing parts and keeps a reference to each (owned by the viewer).
class TracingParts final : public ZEVRulerParts {
public:
    explicit TracingParts(Trace& t) : trace_(t) {}
    std::unique_ptr<ZEVTlineViewServices> creerTlineView(const QRectF& frame, ZEVRulerViewer&) override
    {
        auto s = std::make_unique<TracingStrip>(trace_, frame);
        *strip = s.get();
        return s;
    }
    std::unique_ptr<ZEVTlineCurseurViewServices> creerCurseurView(KELICurseur* c, bool siNow, ZEVTlineViewServices&,
                                                                ZEVRulerViewer&) override
    {
        auto v = std::make_unique<TracingView>(trace_, c);
        (siNow ? *now : *search) = v.get();
        return v;
    }
    std::unique_ptr<ZEVRulerViewbarServices> creerRulerViewbar(const QRectF& frame, ZEVRulerViewer&) override
    {
        auto b = std::make_unique<TracingBar>(trace_, frame);
        *bar = b.get();
        return b;
    }
    TracingStrip** strip = nullptr;
    TracingView** now = nullptr;
    TracingView** search = nullptr;
    TracingBar** bar = nullptr;

private:
    Trace& trace_;
};

class Ruler : public spacetest::Space {
protected:
    void SetUp() override
    {
        spacetest::Space::SetUp();
        host.rulerParts = [this] {
            auto p = std::make_unique<TracingParts>(trace);
            p->strip = &strip;
            p->now = &nowView;
            p->search = &searchView;
            p->bar = &bar;
            return p;
        };
        build();
        viewer = host.rulerViewer;
        ASSERT_NE(viewer, nullptr);
        take();
    }

    KELICurseur* now() const { return space->nowCurseur(); }
    KELICurseur* search() const { return space->searchCurseur(); }
    KELIContexte* tl() const { return space->tlContexte(); }
    double span() const { return tl()->nowOut() - tl()->nowIn(); }
    // Sets the visible range's offsets through one move.
    void setRange(double in, double out)
    {
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        ASSERT_TRUE(viewer->userPlaceRulerOffsetIn(in - tl()->offsetIn(), out - tl()->offsetOut()));
        viewer->userTermineDeplacementCurseur();
    }

    ZEVRulerViewer* viewer = nullptr;
    TracingStrip* strip = nullptr;
    TracingView* nowView = nullptr;
    TracingView* searchView = nullptr;
    TracingBar* bar = nullptr;
};

class LiveRuler : public spacetest::Space {
protected:
    void SetUp() override
    {
        spacetest::Space::SetUp();
        Sound::setShared(&sound);
        build();
        viewer = host.rulerViewer;
        strip = dynamic_cast<ZEVTlineView*>(viewer->tlineView());
        ASSERT_NE(strip, nullptr);
        // Over the top of the content view, as the front layer lays it.
        QWidget* content = space->spaceWindow()->spaceView();
        strip->setFrameYUp(QRectF(0, content->height() - 36, content->width(), 36));
        strip->show();
        nowView = dynamic_cast<ZEVTlineCurseurRecall*>(viewer->curseurViewForCurseur(now()));
        searchView = dynamic_cast<ZEVTlineCurseurSearch*>(viewer->curseurViewForCurseur(search()));
        bar = dynamic_cast<ZEVRulerViewbar*>(viewer->rulerViewbar());
        ASSERT_TRUE(nowView && searchView && bar);
        dessiner();
        take();
    }
    void TearDown() override
    {
        spacetest::Space::TearDown();
        Sound::setShared(nullptr);
    }

    KELICurseur* now() const { return space->nowCurseur(); }
    KELICurseur* search() const { return space->searchCurseur(); }
    KELIContexte* tl() const { return space->tlContexte(); }
    double span() const { return tl()->nowOut() - tl()->nowIn(); }
    double k() const { return viewer->rulerRatio(); }
    double w() const { return strip->largeur(); }
    double perPoint() const { return span() / (w() - 1); }
    double place(KELDate d) const { return (d - tl()->nowIn()) / span(); }
    double xOf(KELDate d) const { return strip->tlineType()->relativeCoordinateForDate(d) * w(); }
    KELDate dateAt(double x) const { return *strip->dateAtX(x); }
    int tinks() const { return int(sound.played.count(QStringLiteral("Tink"))); }

    ZEVTlineCurseurView* view(bool siNow) const
    {
        return siNow ? static_cast<ZEVTlineCurseurView*>(nowView) : static_cast<ZEVTlineCurseurView*>(searchView);
    }
    // The cursor views' regions are those of their last drawing.
    void geometrie()
    {
        view(true)->calculerGeometrie();
        view(false)->calculerGeometrie();
    }
    void dessiner()
    {
        viewer->displayRuler();
        geometrie();
    }
    void oneMove(const std::function<void()>& f)
    {
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        f();
        viewer->userTermineDeplacementCurseur();
        dessiner();
    }
    // The moving cursor's context as [t - before, t + after].
    void context(double before, double after)
    {
        KELICurseur* c = viewer->curseurEnDeplacement();
        oneMove([&] {
            c->decalerContexteIn(-before - c->contexte()->offsetIn());
            c->decalerContexteOut(after - c->contexte()->offsetOut());
        });
    }
    // The visible range [in, out] around the timeline cursor.
    void range(double in, double out)
    {
        oneMove([&] { viewer->userPlaceRulerOffsetIn(in - tl()->offsetIn(), out - tl()->offsetOut()); });
    }
    void searchAt(double x)
    {
        viewer->userChangeActifCurseur(search());
        oneMove([&] { viewer->userPlaceCurseurToDate(dateAt(x)); });
    }

    // Mouse events at a strip point given y-up, as the window delivers them.
    void mouse(QEvent::Type type, double x, double yUp, Qt::MouseButton b, Qt::KeyboardModifiers m = {})
    {
        const QPointF local(x, 36 - yUp);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(buttons | b);
        QMouseEvent e(type, local, strip->mapTo(strip->window(), local), strip->mapToGlobal(local), b, held, m);
        buttons = held;
        QApplication::sendEvent(strip, &e);
    }
    void press(double x, double y = 30, Qt::KeyboardModifiers m = {}) { mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton, m); }
    void dragTo(double x, double y = 30, Qt::KeyboardModifiers m = {}) { mouse(QEvent::MouseMove, x, y, Qt::NoButton, m); }
    void release(double x, double y = 30, Qt::KeyboardModifiers m = {}) { mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, m); }
    void click(double x, double y = 30, Qt::KeyboardModifiers m = {})
    {
        press(x, y, m);
        release(x, y, m);
    }
    // A wheel event of dx, dy lines turned the natural way (the direction factor is +1).
    static QWheelEvent roue(double dx, double dy, Qt::KeyboardModifiers m = {})
    {
        return QWheelEvent(QPointF(), QPointF(), QPoint(), QPoint(int(dx * 120), int(dy * 120)), Qt::NoButton, m,
                           Qt::NoScrollPhase, true);
    }
    // Over the desk: to the active cursor's view.
    void desk(double dx, double dy, Qt::KeyboardModifiers m = {})
    {
        QWheelEvent e = roue(dx, dy, m);
        viewer->scrollWheelWithEvent(&e);
    }
    // Over the strip, at a strip point given y-up.
    void overStrip(double x, double yUp, double dy, Qt::KeyboardModifiers m = {})
    {
        const QPointF local(x, 36 - yUp);
        QWheelEvent e(local, strip->mapToGlobal(local), QPoint(), QPoint(0, int(dy * 120)), Qt::NoButton, m,
                      Qt::NoScrollPhase, true);
        QApplication::sendEvent(strip, &e);
    }

    RecordingSound sound;
    Qt::MouseButtons buttons;
    ZEVRulerViewer* viewer = nullptr;
    ZEVTlineView* strip = nullptr;
    ZEVTlineCurseurRecall* nowView = nullptr;
    ZEVTlineCurseurSearch* searchView = nullptr;
    ZEVRulerViewbar* bar = nullptr;
};

} // namespace rulertest
