#include "archive/archive_progress.h"

#include "archive/lzma_streams.h"

namespace {

void beginNothing(const IArchiveProgress* /*p*/, UInt64 /*total*/, const char* /*text*/) {}
int advanceNothing(const IArchiveProgress* /*p*/, UInt64 /*done*/) { return 0; }
void endNothing(const IArchiveProgress* /*p*/) {}
int neverCancelled(const IArchiveProgress* /*p*/) { return 0; }

SRes reportToArchiveProgress(ICompressProgressPtr p, UInt64 inSize, UInt64 /*outSize*/) {
  const IArchiveProgress* progress = streamOf<ArchiveCoderProgress>(p)->progress;
  return progress->Advance(progress, inSize) ? SZ_ERROR_PROGRESS : SZ_OK;
}

}  // namespace

const IArchiveProgress kNoArchiveProgress = {beginNothing, advanceNothing, endNothing, neverCancelled};

ArchiveCoderProgress coderProgressOf(const IArchiveProgress* progress) {
  return {{reportToArchiveProgress}, progress};
}
