// The Windows plug-in file's version record, read back as Windows reads it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qktest {
namespace {

// The value `name` of the record's string table for US English, Unicode.
std::string versionString(std::vector<char>& record, const std::string& name) {
  void* value = nullptr;
  UINT length = 0;
  std::string key = "\\StringFileInfo\\040904b0\\" + name;
  if (!VerQueryValueA(record.data(), key.c_str(), &value, &length) || length == 0) return "(none)";
  return static_cast<const char*>(value);
}

TEST(VersionRecordTest, FileAndProductAreQkRevKeeper120) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(QK_PLUGIN_PATH, &ignored);
  ASSERT_GT(size, 0u) << "no version record in " << QK_PLUGIN_PATH;
  std::vector<char> record(size);
  ASSERT_TRUE(GetFileVersionInfoA(QK_PLUGIN_PATH, 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD oneTwo = MAKELONG(2, 1);  // 1.2 in the high word; 0.0 in the low one
  EXPECT_EQ(fixed->dwFileVersionMS, oneTwo);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, oneTwo);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  const struct {
    const char* name;
    const char* value;
  } strings[] = {
      {"FileVersion", "1.2.0.0"},
      {"ProductVersion", "1.2.0.0"},
      {"InternalName", "QK_RevKeeper"},
      {"ProductName", "QK_RevKeeper"},
  };
  for (const auto& s : strings) EXPECT_EQ(versionString(record, s.name), s.value) << s.name;
}

}  // namespace
}  // namespace qktest
