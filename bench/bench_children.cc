#include "bench/bench_children.h"

#include <stdio.h>

#include <memory>
#include <string>

#include "LzmaEnc.h"
#include "archive/lzma_streams.h"
#include "archive/seven_zip_writer.h"
#include "host/plugin_module.h"
#include "host/stand_in_host.h"
#include "platform/platform.h"
#include "platform/staged_file.h"

namespace qkbench {

int runPluginBackup(const char* plugin, const char* settingsFolder, const char* object, int abortAfterSteps) {
  qkhost::StandInHost host;
  host.setFolder(HOST_FOLDER_SETTINGS, std::string(settingsFolder));
  host.setObjectPath(std::string(object));
  host.setSaveResult(1);
  host.setAbortAfterSteps(abortAfterSteps);
  std::string error;
  std::unique_ptr<qkhost::PluginModule> module = qkhost::PluginModule::load(plugin, &error);
  if (module == nullptr) {
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  host.activate(*module, "QK_RevKeeper");
  const std::vector<qkhost::HostMessage>& shown = host.messages();
  const char* expected = abortAfterSteps > 0 ? "Backup cancelled, object not saved" : "Failed to save file";
  return shown.size() == 1 && shown[0].secondLine == std::string(expected) ? 0 : 1;
}

int runBareEncoder(int32_t compressionLevel, const char* source, const char* output) {
  const std::string target = output;
  const size_t separator = target.find_last_of("/\\");
  const std::string folder = separator == std::string::npos ? "." : target.substr(0, separator);
  PlatformFile* in = platformOpenRead(source);
  PlatformFile* out = createStagedFile(folder.c_str(), "bare", kPlatformStageReplace);
  SRes res = SZ_ERROR_READ;
  CLzmaEncHandle encoder = LzmaEnc_Create(&lzmaHeapAllocator);
  if (in != nullptr && out != nullptr && encoder != nullptr) {
    FileInStream inStream;
    FileOutStream outStream;
    FileInStream_Init(&inStream, in);
    FileOutStream_Init(&outStream, out);
    CLzmaEncProps props = sevenZipEncoderProps(compressionLevel, 2);
    res = LzmaEnc_SetProps(encoder, &props);
    if (res == SZ_OK)
      res = LzmaEnc_Encode(encoder, &outStream.s.s, &inStream.s, nullptr, &lzmaHeapAllocator,
                           &lzmaHeapAllocator);
  }
  if (encoder != nullptr) LzmaEnc_Destroy(encoder, &lzmaHeapAllocator, &lzmaHeapAllocator);
  PlatformError error = kPlatformOk;
  int closed = res == SZ_OK && platformPublish(out, output, &error);
  closed = platformClose(out) && closed;
  platformClose(in);
  return res == SZ_OK && closed ? 0 : 1;
}

}  // namespace qkbench
