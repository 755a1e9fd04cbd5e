// The built programs as shipped: the editor's version resource, their sizes, nothing beside them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "version.h"

namespace {

// The folder of the programs: this test is built beside them.
std::filesystem::path ProgramFolder() {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  return std::filesystem::path(self).parent_path();
}

TEST(ProgramFile, VersionResourceGivesVersionNamesAndLanguage) {
  const std::wstring path = (ProgramFolder() / "Kestrune Light Editor.exe").wstring();
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty()) << "no version resource";
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  auto query = [&info](const std::wstring& block) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueW(info.data(), block.c_str(), &value, &length) && length ? value : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(KESTRUNE_VERSION_MINOR, KESTRUNE_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, KESTRUNE_VERSION_PATCH));
  const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
  ASSERT_TRUE(translation);
  EXPECT_EQ(MAKELONG(translation[1], translation[0]), 0x040904B0);
  // clang-format off
  const std::pair<const wchar_t*, const wchar_t*> strings[] = {
      {L"FileVersion", L"" KESTRUNE_VERSION_RESOURCE_TEXT}, {L"ProductVersion", L"" KESTRUNE_VERSION_RESOURCE_TEXT}, {L"ProductName", L"Kestrune Light Editor"},
      {L"InternalName", L"Kestrune Light Editor"}, {L"OriginalFilename", L"Kestrune Light Editor.exe"}};
  // clang-format on
  for (const auto& [name, expected] : strings) {
    const auto* value =
        static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904B0\\" + std::wstring(name)));
    EXPECT_STREQ(value ? value : L"(none)", expected) << testing::PrintToString(std::wstring(name));
  }
}

// A program that grows past its limit has taken in library code it does not need; a library
// beside it would have to ship with it.
TEST(ProgramFiles, StayWithinTheirSizeAndNeedNoLibraryBeside) {
  const std::pair<const char*, std::uintmax_t> limits[] = {
      {"Kestrune Light Editor.exe", 300 * 1024}, {"lgt.exe", 512 * 1024}};
  for (const auto& [program, limit] : limits)
    EXPECT_LE(std::filesystem::file_size(ProgramFolder() / program), limit) << program;
  for (const auto& entry : std::filesystem::directory_iterator(ProgramFolder()))
    EXPECT_NE(entry.path().extension(), ".dll") << entry.path();
}

}  // namespace
