// The built programs as shipped: the editor's version resource, their sizes, nothing beside them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/run_process.h"

namespace {

class ProgramFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = testing_support::BesideThisProgram("Kestrune Light Editor").wstring();
    DWORD ignored = 0;
    info_.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info_.empty()) << "no version resource";
    ASSERT_TRUE(
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info_.size()), info_.data()));
  }

  template <class T>
  const T* Query(const wchar_t* block) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueW(info_.data(), block, &value, &length) && length
               ? static_cast<const T*>(value)
               : nullptr;
  }

  std::vector<char> info_;
};

TEST_F(ProgramFile, VersionResourceGivesVersionNamesAndLanguage) {
  const auto* fixed = Query<VS_FIXEDFILEINFO>(L"\\");
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 1));  // 1.1
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);              // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 1));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  const auto* translation = Query<WORD>(L"\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04B0);

  const std::pair<const wchar_t*, const wchar_t*> strings[] = {
      {L"FileVersion", L"1.01"},
      {L"ProductVersion", L"1.01"},
      {L"ProductName", L"Kestrune Light Editor"},
      {L"InternalName", L"Kestrune Light Editor"},
      {L"OriginalFilename", L"Kestrune Light Editor.exe"},
  };
  for (const auto& [name, expected] : strings) {
    const auto* value =
        Query<wchar_t>((std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str());
    ASSERT_TRUE(value) << "no " << testing::PrintToString(std::wstring(name));
    EXPECT_STREQ(value, expected);
  }
}

// A program that grows past its limit has taken in library code it does not need.
TEST(ProgramFiles, StayWithinTheirSize) {
  for (const char* program : {"Kestrune Light Editor", "lgt"}) {
    const auto size = std::filesystem::file_size(testing_support::BesideThisProgram(program));
    EXPECT_LE(size, 300u * 1024) << program;
  }
}

TEST_F(ProgramFile, NoLibraryShipsBesideIt) {
  const auto folder = testing_support::BesideThisProgram("x").parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_NE(entry.path().extension(), ".dll") << entry.path();
}

}  // namespace
