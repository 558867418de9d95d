#include "platform/SystemFont.h"

namespace tallomer::systemfont {

namespace {
quint64 count = 0;
}

quint64 generation() { return count; }

void changed() { ++count; }

} // namespace tallomer::systemfont
