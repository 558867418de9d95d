#pragma once
// The mixed state of a menu item (some of the things it stands for are on, some off): Qt's menus
// draw no such state, so a dash stands where the check mark would be.

#include <QIcon>

namespace tallomer {

QIcon ZEVMixedMark();

} // namespace tallomer
