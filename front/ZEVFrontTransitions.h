#pragma once
// Space transitions: the current Space of the current Channel ends at T and a new one begins, or
// the window goes back to its start state. Every kind runs the same stages, chained through the
// shared scheduler so that panels, cursors and header views settle in between; while a run lasts,
// the user's presses and keys reach nothing. A run belongs to its window: its stages are keyed to
// the front viewer and die with it, and so does the input filter.

#include "front/ZEVSpaceTransition.h"
#include "services/ZEVFrontViewerServices.h"

#include <QObject>

#include <memory>

class KELI;

namespace tallomer {

class ZEVFrontViewer;
class ZEVSpaceController;

class ZEVFrontTransitions final {
public:
    // Both outlive it; the front viewer cancels the stages keyed to it before it goes.
    ZEVFrontTransitions(ZEVFrontViewer& front, ZEVSpaceController& space);
    ~ZEVFrontTransitions();
    ZEVFrontTransitions(const ZEVFrontTransitions&) = delete;
    ZEVFrontTransitions& operator=(const ZEVFrontTransitions&) = delete;

    // The start kinds wait for the ruler to accept a move; the clean kinds beep without it.
    void userSpaceStartHome();
    void userSpaceStart();
    void userSpaceCleanAll();
    void userSpaceCleanAndRecall();
    void userSpaceCleanAndRecallBack();
    void userSpaceCleanAndReplace();
    // A new Space from the active cursor's moment with the background `make` gives (inside the
    // transition's act) and no Objects; it never waits for the ruler.
    void newSpaceWithBackground(std::function<bool(ZEVFrontViewerServices::NewBackground&)> make,
                                std::function<void(bool stored)> done);
    // Starts a transition; ignored while one runs.
    void cleanAll(const ZEVSpaceTransition& transition);
    bool siRunning() const { return inputFilter_ != nullptr; }
    // Every transition ends here: input reaches the window again.
    void stopSpaceEventMonitor();

private:
    // The toolbar's clean button: on, off or mixed (kZEVStateMixed).
    void setCleanButtonState(int state);
    void cleanAllStage(int stage, std::shared_ptr<ZEVSpaceTransition> t);
    void closePanels(bool channelsToo, int* closed);
    // Every write of the transition, in one act; whether the store kept it.
    bool storeTransition(ZEVSpaceTransition& t);
    // The store kept none of the transition: it stops where it is, and the desks show what the
    // store has.
    void abandon(ZEVSpaceTransition& t);

    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    // Swallows input while a run lasts (removed from the application when destroyed).
    std::unique_ptr<QObject> inputFilter_;
};

} // namespace tallomer
