#include "space/ZEVRulerPresets.h"

#include "services/ZEVInspectorServices.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

void ZEVRulerPresets::userChangePresetWithStampInt(KELId stamp)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    ZEVStampServices* presets = ruler ? ruler->stampClass() : nullptr;
    if (!presets) {
        Sound::shared().beep();
        return;
    }
    // A preset called while the ruler moves is let go without a word.
    if (presets->stateOfNowPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        bool bascule = false;
        if (space_.siSearchActif()) {
            ruler->userChangeActifCurseur(space_.nowCurseur());
            bascule = true;
        }
        ruler->setClickPositionForDisplay(space_.nowCurseur(), 4);
        const bool bouge = presets->callPresetWithStampInt(stamp, 0.0f);
        ruler->showPresetTitleWithTag(stamp, 0.7f);
        // Home pressed where Home already is: the home Channel comes back instead.
        if (stamp == ZEVSTAMP_HOME_TIME && !bascule && !bouge)
            if (ZEVChannelClassServices* channels = space_.channelClass())
                channels->selectChannelInt(space_.homeChannelInt());
    } else if (presets->stateOfSearchPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        if (space_.actifCurseur() == space_.nowCurseur())
            ruler->userChangeActifCurseur(space_.searchCurseur());
        ruler->setClickPositionForDisplay(space_.searchCurseur(), 4);
        presets->callPresetWithStampInt(stamp, 0.0f);
        ruler->showPresetTitleWithTag(stamp, 0.7f);
    } else if (presets->stateOfRulerPresetWithStampInt(stamp) != 0) {
        if (!ruler->siAccepteDeplacement())
            return;
        presets->callPresetWithStampInt(stamp, 1.0f);
        ruler->showPresetTitleWithTag(stamp, 1.0f);
    } else {
        Sound::shared().beep();
    }
}

} // namespace tallomer
