// What the benchmark runs in child processes of its own program, so that
// each one's time and peak memory are those of that work alone.
#ifndef QK_BENCH_BENCH_CHILDREN_H_
#define QK_BENCH_BENCH_CHILDREN_H_

#include <stdint.h>

namespace qkbench {

// One incremental save of `object` by the plug-in file `plugin`, loaded in
// a stand-in host whose settings folder is `settingsFolder`. The host's own
// "SAVE" is made to fail, so it writes nothing and holds no object in
// memory: what runs is the plug-in's backup. With `abortAfterSteps` above
// 0 the artist presses the progress monitor's abort button at that step.
// Returns 0 when the backup was made (the only message is the failed host
// save), or was cancelled as asked; 1 otherwise.
int runPluginBackup(const char* plugin, const char* settingsFolder, const char* object, int abortAfterSteps);

// LzmaEnc_Encode of `source` into `output` with the plug-in's encoder
// properties for `compressionLevel` on a machine of two processors (the
// match finder on a thread of its own): the raw stream, with no container
// and no CRC. Returns 0 on success, 1 otherwise.
int runBareEncoder(int32_t compressionLevel, const char* source, const char* output);

}  // namespace qkbench

#endif  // QK_BENCH_BENCH_CHILDREN_H_
