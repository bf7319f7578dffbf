// PluginModule: a plug-in file loaded the way the host loads one.
//
// The file is opened with the system's loader, its module descriptor is
// found by name and checked (synchronisation word, interface version,
// machine type), and its servers are read from the descriptor's table.
#ifndef QK_HOST_PLUGIN_MODULE_H_
#define QK_HOST_PLUGIN_MODULE_H_

#include <memory>
#include <string>
#include <vector>

#include "hostapi/host_interface.h"

namespace qkhost {

struct ServerInfo {
  std::string className;
  std::string name;
  std::string userName;     // text of tag HOST_TAG_USER_NAME, if any
  std::string description;  // text of tag HOST_TAG_DESCRIPTION, if any
};

class PluginModule {
 public:
  // Loads the plug-in file at `path` and checks its descriptor. Returns the
  // module, or null with a message in `*error` (a missing file, a file that
  // is not a plug-in, a descriptor of another interface or machine).
  static std::unique_ptr<PluginModule> load(const std::string& path, std::string* error);

  // Calls shutdown if startup was called, then unloads the file.
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  const HostModuleDescriptor& descriptor() const { return *descriptor_; }
  const std::string& path() const { return path_; }

  // Returns the servers of the descriptor's table, in table order.
  std::vector<ServerInfo> servers() const;

  // Returns the server record named `name`, or null.
  const HostServerRecord* findServer(const std::string& name) const;

  // Calls the module's startup once (later calls do nothing); returns its value.
  void* startup();
  // Calls the module's shutdown with startup's value, if startup ran.
  void shutdown();

 private:
  PluginModule() = default;
  void* handle_ = nullptr;
  const HostModuleDescriptor* descriptor_ = nullptr;
  std::string path_;
  bool started_ = false;
  void* startupValue_ = nullptr;
};

}  // namespace qkhost

#endif  // QK_HOST_PLUGIN_MODULE_H_
