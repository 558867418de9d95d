#pragma once
// The program's answers to what opening Objects and the Object context menu ask of it (see
// ZEVItemViewerHost): the application's alerts and panels, the Space controller, the front layer
// and its file jobs. One for the running program, reaching the Space as it is at each call.

#include "objects/viewer/ZEVItemViewerHost.h"
#include "runtime/Scheduler.h"

#include <functional>

namespace tallomer {

class ZEVSpaceController;

class ZEVItemViewerAppHost final : public ZEVItemViewerHost {
public:
    // The Space of the running program, nullptr before it is built.
    explicit ZEVItemViewerAppHost(std::function<ZEVSpaceController*()> space);
    ~ZEVItemViewerAppHost() override;

    // Tests answer the retrieve panel (modal) with their own; empty restores the panel.
    using Retriever = std::function<int(KELI* item, QString* newPath)>;
    static Retriever setRetriever(Retriever retriever);

    int alert(const QString& windowTitle, const QString& message, const QString& informative,
              const QStringList& buttons) override;
    QString chooseFile(const QString& title, const QString& message, const QString& prompt) override;
    int retrieveItem(KELI* item, QString* newPath) override;
    void activateApplication() override;
    void openZevpURL(const QString& url, const QString& title) override;
    void copyZevpUrlForItems(const std::vector<KELI*>& items) override;
    QString durationString() override;
    ZEVItemViewer* itemViewerForCurseur(KELICurseur* curseur) override;
    std::vector<ZEVItemViewer*> itemViewers() override;
    bool isTitleEditing() override;
    void updateAllTableViews() override;
    void showLinksForSelections() override;
    bool isItemActifNow(KELI* item) override;
    bool isLinkActif(ZEVItemConnexion* link, KELICurseur* curseur) override;
    void userAddNewFolderWithItem(KELI* item) override;
    void fillOpenWithForItems(QMenu* menu, const std::vector<KELI*>& items) override;
    QIcon iconForItem(KELI* item) override;
    bool siChannelsAnswer() override;
    void newChannelOrSpaceWithItem(KELI* item, bool channel) override;
    bool siFileJob(FileJob job, KELI* item) override;
    void runFileJob(FileJob job, KELI* item) override;

private:
    std::function<ZEVSpaceController*()> space_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
