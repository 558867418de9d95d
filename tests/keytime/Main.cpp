#include "tests/support/OffscreenScreenMain.h"
