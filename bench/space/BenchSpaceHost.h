#pragma once
// What the benchmarks that build a Space share: this thread's processor time, a clock read from the
// manual scheduler, and a host that makes the Space, its cursors and its models and nothing else
// (no desks, no ruler viewer unless a benchmark adds one, no front layer).

#include "look/KELSharedResources.h"
#include "platform/UserDefaults.h"
#include "ruler/ZEVRulerClass.h"
#include "runtime/Clock.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QCursor>
#include <QString>

#include <ctime>
#include <memory>
#include <string>

namespace benchspace {

inline double tempsProcesseur()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class HorlogeVirtuelle final : public tallomer::Clock {
public:
    explicit HorlogeVirtuelle(const tallomer::ManualScheduler& s) : s_(s) {}
    double now() const override { return s_.now(); }

private:
    const tallomer::ManualScheduler& s_;
};

class HoteNu : public tallomer::ZEVSpaceHost {
public:
    explicit HoteNu(const std::string& dossier)
        : dossier_(QString::fromStdString(dossier)), defaults_(dossier_ + "/defaults.conf"), valeurs_(defaults_)
    {
    }
    void referencerSpaceController(tallomer::ZEVSpaceController*) override {}
    std::unique_ptr<tallomer::ZEVContextViewerServices> creerContextViewer(tallomer::ZEVSpaceController&) override
    {
        return nullptr;
    }
    std::unique_ptr<tallomer::ZEVFrontViewerServices> creerFrontViewer(tallomer::ZEVSpaceController&) override
    {
        return nullptr;
    }
    void ouvrirEntityWithInt(KELId) override {}
    QString storeFolder() override { return dossier_; }
    tallomer::UserDefaultsController& defaults() override { return valeurs_; }
    QRectF mainScreenFrame() override { return QRectF(0, 0, 2880, 1800); }
    const tallomer::KELSharedResources& sharedResources() override { return ressources_; }
    std::unique_ptr<tallomer::ZEVCursorDesk> creerDesk(KELICurseur*, tallomer::ZEVSpaceController&) override
    {
        return nullptr;
    }
    // The timeline context comes with the ruler's model.
    std::unique_ptr<tallomer::ZEVRulerClassServices> creerRulerClass(tallomer::ZEVSpaceController& s) override
    {
        return std::make_unique<tallomer::ZEVRulerClass>(s.spaceClass()->ruler(), s.tlCurseur());
    }
    std::unique_ptr<tallomer::ZEVRulerViewerServices> creerRulerViewer(tallomer::ZEVRulerClassServices&,
                                                                       tallomer::ZEVSpaceController&) override
    {
        return nullptr;
    }
    // No history records the benchmarks' steps.
    std::unique_ptr<tallomer::ZEVMarkHistoryServices> creerMarkHistoryViewer(tallomer::ZEVSpaceController&) override
    {
        return nullptr;
    }
    void referencerItemDataSpace(tallomer::ZEVSpaceController*) override {}
    KELI* sameItemForItem(KELI*) override { return nullptr; }
    void copyZevpPlace(const QString&, const QString&, KELId, const QImage&) override {}
    void setCurrentChannelInt(KELId) override {}
    QString fileUrlForItem(KELI*, KELId) override { return {}; }
    void startDropFolderWatch(tallomer::ZEVSpaceController&) override {}
    void setActifCurseurColorSiNow(bool siNow) override { ressources_.setActifCurseurColorSiNow(siNow); }
    bool siShowDesktop() override { return false; }
    void closeProgressPanel() override {}
    void actifCurseurDidChange() override {}
    void menuAction(tallomer::ZEVSpaceMenuAction) override {}
    void showWelcome() override {}
    QCursor searchCursor() override { return QCursor(); }
    void userQuit() override {}
    void deleteItemData(KELI*) override {}
    void fullScreenDidChange() override {}
    tallomer::ZEVMenuCommands* menuCommands() override { return nullptr; }
    void spaceWindowWillShow(tallomer::ZEVSpaceController&) override {}

private:
    QString dossier_;
    tallomer::UserDefaults defaults_;
    tallomer::UserDefaultsController valeurs_;
    tallomer::KELSharedResources ressources_;
};

} // namespace benchspace
