#pragma once
// The keys of the Space window: the step, recall and history keys, what the modifier keys start
// and end, and the keys the front layer hears of.

#include <QtCore/qnamespace.h>

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceKeyboard {
public:
    explicit ZEVSpaceKeyboard(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceKeyboard(const ZEVSpaceKeyboard&) = delete;
    ZEVSpaceKeyboard& operator=(const ZEVSpaceKeyboard&) = delete;

    bool spaceKeyPressed(int qtKey, Qt::KeyboardModifiers modifiers);
    void flagsChanged(int key, Qt::KeyboardModifiers modifiers, bool siAcceptsFlagsChanges);
    void keyTyped();

private:
    ZEVSpaceController& space_;
};

} // namespace tallomer
