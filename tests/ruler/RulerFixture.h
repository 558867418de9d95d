#pragma once
// A Space on a fresh copy of the template link base (the space tests' fixture, virtual clock
// included), whose ruler viewer is given parts that write what they are told into the shared
// trace; hooks let a test call back into the viewer from inside a participant.

#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "tests/space/SpaceFixture.h"

#include <functional>
#include <string>

namespace rulertest {

using spacetest::nomDuCurseur;
using spacetest::Trace;
using namespace tallomer;

struct Hooks {
    std::function<void()> initier;
    std::function<void()> terminer;
    std::function<void()> pas;
};

class TracingStrip final : public ZEVTlineViewServices {
public:
    TracingStrip(Trace& t, const QRectF& frame) : trace_(t), frame_(frame) {}
    QRectF frame() const override { return frame_; }
    void setTlineType(ZEVTlineType* axis) override { tlineType = axis; }
    void assignForegroundColor(const QColor& c) override { colour = c; }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void rulerDidChange() override { ++rulerDidChangeCount; }
    void setNeedsDisplay() override { ++displayCount; }
    void placerDevantCurseurView(ZEVTlineCurseurViewServices* v) override
    {
        front = v;
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
    ZEVTlineCurseurViewServices* front = nullptr;

private:
    Trace& trace_;
    QRectF frame_;
};

class TracingView final : public ZEVTlineCurseurViewServices {
public:
    TracingView(Trace& t, KELICurseur* c, bool siNow) : siNow(siNow), trace_(t), curseur_(c) {}
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
    bool siNow;
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
    void majDatePicker() override { ++majDatePickerCount; }
    void majMenubarForCurseur(KELICurseur* c) override { trace_.push_back("bar menubar " + nomDuCurseur(c)); }
    void setClickPositionForDisplay(int code) override { clickPosition = code; }
    void showRulerPickerPanel(bool shown) override { trace_.push_back(shown ? "bar picker on" : "bar picker off"); }
    bool stateOfRulerButton() override { return rulerButton; }
    bool stateOfNowButton() override { return false; }
    bool stateOfSearchButton() override { return false; }
    void menuNowCurseur(QObject*) override { trace_.push_back("bar menuNowCurseur"); }
    void menuSearchCurseur(QObject*) override { trace_.push_back("bar menuSearchCurseur"); }
    void menuRuler(QObject*) override { trace_.push_back("bar menuRuler"); }
    bool siShowRulerPickerPanel() const override { return false; }
    bool rulerButton = false;
    int clickPosition = 10;
    int majDatePickerCount = 0;

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
        auto v = std::make_unique<TracingView>(trace_, c, siNow);
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

} // namespace rulertest
