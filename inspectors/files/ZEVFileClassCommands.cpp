// The Files commands on Objects.

#include "inspectors/files/ZEVFileClass.h"

namespace tallomer {

// The presence commands land with the shared inspector commands; until then they change nothing.
void ZEVFileClass::releaseFilesForItems(const std::vector<KELI*>&) {}
void ZEVFileClass::recallFilesForItems(const std::vector<KELI*>&) {}
void ZEVFileClass::recallNowFilesForItems(const std::vector<KELI*>&) {}
void ZEVFileClass::retainFilesForItems(const std::vector<KELI*>&) {}
void ZEVFileClass::forgetFilesForItems(const std::vector<KELI*>&) {}
void ZEVFileClass::deleteFiles(const std::vector<KELI*>&) {}

} // namespace tallomer
