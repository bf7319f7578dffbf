#include "fuzz/profile_snapshot.h"

#include <stdio.h>

#include "backups/save_profile.h"

namespace qkfuzz {

namespace {

std::string quoted(const OwnedString& text) {
  const char* value = text.get();
  if (value == nullptr) return "(none)";
  std::string out = "\"";
  for (const char* c = value; *c != '\0'; ++c) {
    unsigned char byte = static_cast<unsigned char>(*c);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      out += *c;
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string describeCommon(const char* prefix, const SaveProfile& p) {
  std::string out;
  auto line = [&](const char* name, const std::string& value) {
    out += std::string(prefix) + name + "=" + value + "\n";
  };
  line("nameFormat", std::to_string(p.nameFormat));
  line("digits", std::to_string(p.digits));
  line("compressionLevel", std::to_string(p.compressionLevel));
  line("directory", quoted(p.directory));
  line("maxFiles", std::to_string(p.maxFiles));
  line("directoryMode", std::to_string(p.directoryMode));
  line("isBak", std::to_string(p.isBak));
  line("skipUnchanged", std::to_string(p.skipUnchanged));
  return out;
}

}  // namespace

std::string describeProfiles() {
  const BakSaveProfile& bak = bakProfile();
  return describeCommon("incremental.", incrementalProfile()) + describeCommon("bak.", bak) +
         "bak.useGlobalName=" + std::to_string(bak.useGlobalName) + "\n" +
         "bak.globalName=" + quoted(bak.globalName) + "\n";
}

}  // namespace qkfuzz
