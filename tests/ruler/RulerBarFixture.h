#pragma once
// The ruler bar on a real Space, strip and cursor views (the space tests' fixture, virtual clock
// included), with a presets model whose answers the test sets, a recording sound, and the zone
// pinned to Europe/Paris.

#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerViewParts.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/space/SpaceFixture.h"
#include "tests/support/TimeZone.h"
#include "widgets/ZEVButton.h"

#include <memory>
#include <vector>

namespace rulerbartest {

using namespace tallomer;
using spacetest::count;
using spacetest::Trace;

struct Stamps final : ZEVStampServices {
    int now = 0, search = 0, ruler = 0;
    int stateOfNowPresetWithStampInt(KELId) override { return now; }
    int stateOfSearchPresetWithStampInt(KELId) override { return search; }
    int stateOfRulerPresetWithStampInt(KELId) override { return ruler; }
    std::string nameWithStampInt(KELId) override { return {}; }
    bool callPresetWithStampInt(KELId, float) override { return false; }
    bool siPresetWithStampInt(KELId) override { return now || search || ruler; }
    QString imageNameWithStampInt(KELId) override { return QStringLiteral("preset_empty.tiff"); }
    std::optional<Saved> savePresetWithStampInt(KELId, bool) override { return std::nullopt; }
    void clearPresetWithStampInt(KELId) override {}
    void setPresetName(const std::string&, KELId) override {}
};

// The program's parts, with the bar given the test's presets model.
class BarParts final : public ZEVRulerParts {
public:
    explicit BarParts(Stamps** stamps) : stamps_(stamps) {}
    std::unique_ptr<ZEVTlineViewServices> creerTlineView(const QRectF& f, ZEVRulerViewer& v) override
    {
        return parts_.creerTlineView(f, v);
    }
    std::unique_ptr<ZEVTlineCurseurViewServices> creerCurseurView(KELICurseur* c, bool siNow, ZEVTlineViewServices& s,
                                                                  ZEVRulerViewer& v) override
    {
        return parts_.creerCurseurView(c, siNow, s, v);
    }
    std::unique_ptr<ZEVRulerViewbarServices> creerRulerViewbar(const QRectF& f, ZEVRulerViewer& v) override
    {
        auto stamps = std::make_unique<Stamps>();
        *stamps_ = stamps.get();
        return std::make_unique<ZEVRulerViewbar>(f, v, v.spaceController().spaceWindow()->spaceView(),
                                                 std::move(stamps));
    }

private:
    ZEVRulerViewParts parts_;
    Stamps** stamps_;
};

class Bar : public spacetest::Space {
protected:
    void SetUp() override
    {
        if (!test::ScopedTimeZone::installed("Europe/Paris"))
            GTEST_SKIP() << "Europe/Paris is not installed (package tzdata)";
        zone = std::make_unique<test::ScopedTimeZone>("Europe/Paris");
        spacetest::Space::SetUp();
        Sound::setShared(&sound);
        host.rulerParts = [this] { return std::make_unique<BarParts>(&stamps); };
        build();
        viewer = host.rulerViewer;
        viewer->setPresetHooks({}, [this](KELId stamp) { presets.push_back(stamp); });
        strip = dynamic_cast<ZEVTlineView*>(viewer->tlineView());
        bar = dynamic_cast<ZEVRulerViewbar*>(viewer->rulerViewbar());
        ASSERT_TRUE(strip && bar && stamps);
        QWidget* content = space->spaceWindow()->spaceView();
        strip->setFrameYUp(QRectF(0, content->height() - 59, content->width(), 36));
        strip->show();
        bar->setFrameYUp(QRectF(0, content->height() - 23, 1200, 23));
        bar->initPreviousWidth();
        bar->show();
        take();
    }
    void TearDown() override
    {
        spacetest::Space::TearDown();
        Sound::setShared(nullptr);
        zone.reset();
    }

    KELICurseur* now() const { return space->nowCurseur(); }
    KELICurseur* search() const { return space->searchCurseur(); }
    KELICurseur* tlCurseur() const { return space->tlCurseur(); }
    KELIContexte* tl() const { return space->tlContexte(); }
    ZEVTlineCurseurView* view(KELICurseur* c) const
    {
        return dynamic_cast<ZEVTlineCurseurView*>(viewer->curseurViewForCurseur(c));
    }
    void oneMove(const std::function<void()>& f)
    {
        ASSERT_TRUE(viewer->userInitieDeplacementCurseur());
        f();
        viewer->userTermineDeplacementCurseur();
    }
    // A cursor's context as [t - before, t + after], the visible range as [in, out] around the
    // timeline cursor.
    void context(KELICurseur* c, double before, double after)
    {
        oneMove([&] {
            c->decalerContexteIn(-before - c->contexte()->offsetIn());
            c->decalerContexteOut(after - c->contexte()->offsetOut());
        });
    }
    void range(double in, double out)
    {
        oneMove([&] { viewer->userPlaceRulerOffsetIn(in - tl()->offsetIn(), out - tl()->offsetOut()); });
    }
    // The Search cursor d seconds from where it is, in one move that leaves the active cursor.
    void moveSearch(double d)
    {
        KELICurseur* moving = viewer->curseurEnDeplacement();
        viewer->setCurseurEnDeplacement(search());
        oneMove([&] { viewer->userPlaceCurseur(d); });
        viewer->setCurseurEnDeplacement(moving);
    }
    // Runs an animation out.
    void finish() { sched.advance(1.6); }

    std::unique_ptr<test::ScopedTimeZone> zone;
    RecordingSound sound;
    ZEVRulerViewer* viewer = nullptr;
    ZEVTlineView* strip = nullptr;
    ZEVRulerViewbar* bar = nullptr;
    Stamps* stamps = nullptr; // owned by the bar
    std::vector<KELId> presets;
};

} // namespace rulerbartest
