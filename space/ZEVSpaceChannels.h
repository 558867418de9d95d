#pragma once
// The Channels of the Space: the list of them in the link base, making and renaming one, the
// current one and the step to the one before or after, and the two Channel roles kept in
// `default.file` (the home Channel and the drop folder's).

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <QString>

#include <string>
#include <vector>

class KELI;
class KELIModel;
class KELIModelMot;

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceChannels {
public:
    static constexpr const char* kDefaultChannelKey = "ZEVDefaultChannel";
    static constexpr const char* kDefaultChannelZevFolderKey = "ZEVDefaultChannelZevFolder";

    explicit ZEVSpaceChannels(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceChannels(const ZEVSpaceChannels&) = delete;
    ZEVSpaceChannels& operator=(const ZEVSpaceChannels&) = delete;

    // Finds the models a Channel is made with, at the timeline cursor.
    void lireLesModeles();
    // Reads the two roles from `default.file`, writing the home Channel for a role it lacks.
    void lireDefaultFile();

    std::vector<KELI*> allIdentities();
    KELI* channelForIdentityInt(KELId identityInt);
    KELI* newIdentityNamed(const std::string& name);
    void renameIdentity(KELI* channel, const std::string& name);
    void updateChannelWithIdentityInt(KELId identityInt);
    void updateChannelWithIdentitySet();
    void menuChannelUp();
    void menuChannelDown();
    void pasDeChannel(int sens);
    KELId homeChannelInt() const { return homeChannelInt_; }
    KELId zevFolderChannelInt() const { return zevFolderChannelInt_; }
    bool setHomeChannelInt(KELId channelInt);
    bool setZevFolderChannelInt(KELId channelInt);
    QString defaultFilePath() const;

private:
    bool ecrireDefaultFile(const char* key, KELId channelInt);

    ZEVSpaceController& space_;
    KELIModelMot* motModel_ = nullptr;
    KELIModel* identityModel_ = nullptr;
    KELId homeChannelInt_ = 0;
    KELId zevFolderChannelInt_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
