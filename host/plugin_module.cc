#include "host/plugin_module.h"

#include <cstdio>

#include "host/host_platform.h"

namespace qkhost {

namespace {

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Returns an empty string when the descriptor is one this host can drive.
std::string checkDescriptor(const HostModuleDescriptor& d) {
  if (d.sync != HOST_MODULE_SYNC)
    return "bad synchronisation word " + hex(d.sync) + " (expected " + hex(HOST_MODULE_SYNC) + ")";
  if (d.version != HOST_MODULE_VERSION)
    return "module interface version " + std::to_string(d.version) + " (expected " +
           std::to_string(HOST_MODULE_VERSION) + ")";
  if (d.machine != HOST_MODULE_MACHINE)
    return "machine type " + hex(d.machine) + " (expected " + hex(HOST_MODULE_MACHINE) + ")";
  if (d.startup == nullptr || d.shutdown == nullptr || d.servers == nullptr)
    return "descriptor lacks startup, shutdown or server table";
  return "";
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string* error) {
  std::string reason;
  void* handle = loadLibrary(path, &reason);
  if (handle == nullptr) {
    *error = path + ": cannot load: " + reason;
    return nullptr;
  }
  auto* descriptor = static_cast<const HostModuleDescriptor*>(librarySymbol(handle, HOST_MODULE_SYMBOL));
  std::string problem = descriptor == nullptr ? std::string("no ") + HOST_MODULE_SYMBOL + " symbol"
                                              : checkDescriptor(*descriptor);
  if (!problem.empty()) {
    unloadLibrary(handle);
    *error = path + ": not a plug-in: " + problem;
    return nullptr;
  }
  std::unique_ptr<PluginModule> module(new PluginModule);
  module->handle_ = handle;
  module->descriptor_ = descriptor;
  module->path_ = path;
  return module;
}

PluginModule::~PluginModule() {
  shutdown();
  unloadLibrary(handle_);
}

std::vector<ServerInfo> PluginModule::servers() const {
  std::vector<ServerInfo> list;
  for (const HostServerRecord* s = descriptor_->servers; s->className != nullptr; ++s) {
    ServerInfo info{s->className, s->serverName ? s->serverName : "", "", ""};
    for (const HostServerTag* t = s->tags; t != nullptr && t->text != nullptr; ++t) {
      if (t->tag == HOST_TAG_USER_NAME) info.userName = t->text;
      if (t->tag == HOST_TAG_DESCRIPTION) info.description = t->text;
    }
    list.push_back(info);
  }
  return list;
}

const HostServerRecord* PluginModule::findServer(const std::string& name) const {
  for (const HostServerRecord* s = descriptor_->servers; s->className != nullptr; ++s)
    if (s->serverName != nullptr && name == s->serverName) return s;
  return nullptr;
}

void* PluginModule::startup() {
  if (!started_) {
    startupValue_ = descriptor_->startup();
    started_ = true;
  }
  return startupValue_;
}

void PluginModule::shutdown() {
  if (!started_) return;
  descriptor_->shutdown(startupValue_);
  started_ = false;
}

}  // namespace qkhost
