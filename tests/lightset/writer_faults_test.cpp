// A save that fails must leave the previous file exactly as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "lightset/disk_files.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "support/temp_folder.h"
#include "support/write_failure_printer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#endif

namespace lightset {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

constexpr const char* kOld = "\\\\old file\r\nLightingSet \"Old\"\r\n";

const LightSetting kNew = {.Name = "New", .SunInclination = "1", .SunRotation = "2"};

TEST(WriterFaults, RefusedAndFailedSavesLeaveWhatWasThere) {
  TempFolder folder;
  fs::create_directory(folder / "a folder.lgt");
  WriteBytes(folder / "read-only.lgt", kOld);
  fs::permissions(folder / "read-only.lgt",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  WriteBytes(folder / "h1.lgt", kOld);
  fs::create_hard_link(folder / "h1.lgt", folder / "h2.lgt");
  WriteBytes(folder / "held.lgt", kOld);
#ifdef _WIN32
  // Held open, as an editor or the game might hold it.
  HANDLE held = CreateFileW((folder / "held.lgt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
#endif
  // clang-format off
  const std::vector<std::pair<fs::path, const char*>> cases = {
      {folder / "no such folder/a.lgt", "cannot open its folder"},
      {folder / "read-only.lgt",        "read-only"},
      {folder / "a folder.lgt",         "it is a folder"},
      {folder / "h2.lgt",               "other names (hard links)"},
#ifdef _WIN32
      {folder / "held.lgt",             "cannot replace the file"},
      {L"NUL",                          "not a regular file"},
#endif
  };
  // clang-format on
  for (const auto& [target, reason] : cases) {
    const auto failure = WriteLightFile(target, kNew);
    ASSERT_TRUE(failure) << target << ": the write should have failed";
    EXPECT_NE(failure->message.find(target.filename().string()), std::string::npos);
    EXPECT_NE(failure->message.find(reason), std::string::npos) << failure->message;
    if (std::error_code ignored; fs::is_regular_file(target, ignored)) {
      EXPECT_EQ(ReadBytes(target), kOld);
    }
  }
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"a folder.lgt", "h1.lgt", "h2.lgt",
                                                        "held.lgt", "read-only.lgt"}));
#ifdef _WIN32
  CloseHandle(held);
#else
  EXPECT_EQ(fs::hard_link_count(folder / "h1.lgt"), 2u);
#endif
  EXPECT_TRUE(fs::is_directory(folder / "a folder.lgt"));
  EXPECT_EQ(ReadBytes(folder / "h1.lgt"), kOld);
  EXPECT_EQ(WriteLightFile(folder / "held.lgt", kNew), std::nullopt) << "once let go";
}

// A second holder waits for the first, however long, until its own wait ends, and then says so;
// once let go, the file is held at once, and the hold leaves nothing behind.
TEST(WriterFaults, AHeldFileWaitsForItsHolder) {
  TempFolder folder;
  WriteBytes(folder / "a.lgt", kOld);
  std::string failure;
  auto first = std::make_optional(FileHold::Take(folder / "a.lgt", failure));
  ASSERT_TRUE(*first) << failure;
  std::optional<FileHold> second;
  // (Another thread: a Windows mutex lets its own thread in again.)
  std::thread([&] {
    second = FileHold::Take(folder / "a.lgt", failure, std::chrono::milliseconds(300));
  }).join();
  EXPECT_FALSE(second);
#ifndef _WIN32
  // The hold's lock file, beside the file, may be opened only by those who may write the file.
  fs::permissions(folder / "a.lgt", fs::perms::group_write, fs::perm_options::add);
  std::thread([&] { second = FileHold::Take(folder / "a.lgt", failure, {}); }).join();
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    if (entry.path().extension() == ".hold") {
      EXPECT_EQ(fs::status(entry).permissions(), fs::perms::owner_write | fs::perms::group_write);
      EXPECT_EQ(entry.path().filename().string().size(), 25u) << "~lgt, 16 hex digits, .hold";
    }
  }
#endif
  EXPECT_NE(failure.find("a.lgt: the file is held by another process"), std::string::npos)
      << failure;
  first.reset();
  std::thread([&] {
    second = FileHold::Take(folder / "a.lgt", failure, std::chrono::milliseconds(0));
  }).join();
  EXPECT_TRUE(second) << failure;
  second.reset();
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.lgt"});
}

// Whatever the target's length, the temporary name is short (and on Windows these paths pass 260
// characters); one already taken is retried. Nothing the save did not make is removed, however
// much it looks like a temporary file of this program's.
TEST(WriterFaults, TemporaryNames) {
  TempFolder folder;
  for (const std::size_t length : {243, 250, 255}) {
    const fs::path target = folder / (std::string(length - 4, 'n') + ".lgt");
    ASSERT_EQ(WriteLightFile(target, kNew), std::nullopt) << length;
    LoadedLightSetting read;
    EXPECT_TRUE(PathExists(target) && !LoadLightFile(target, read) && read.values.Name == "New");
    EXPECT_TRUE(PathExists(folder.path()));
    fs::remove(target);
    EXPECT_FALSE(PathExists(target));
  }
#ifdef _WIN32
  const std::string self = std::to_string(GetCurrentProcessId());
#else
  const std::string self = std::to_string(getpid());
#endif
  for (int i = 0; i < 255; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", i);
    WriteBytes(folder / ("~lgt" + self + "." + hex + ".tmp"), "taken");
  }
  WriteBytes(folder / "~lgt1.0a.tmp", "a writer long gone");
  const std::vector<std::string> before = folder.Entries();
  for (int save = 0; save < 3; ++save)  // each after the first tries all the other names first
    ASSERT_EQ(WriteLightFile(folder / "a.lgt", kNew), std::nullopt);
  std::vector<std::string> expected = before;
  expected.insert(std::lower_bound(expected.begin(), expected.end(), "a.lgt"), "a.lgt");
  EXPECT_EQ(folder.Entries(), expected);
}

#ifndef _WIN32

// Another user who controls a folder on the path swaps it for a link to a folder of the saver's
// while saves run: each save lands whole in the folder it found, and refuses there what it must.
TEST(WriterFaults, AFolderSwappedDuringASaveDoesNotRedirectIt) {
  TempFolder folder;
  fs::create_directory(folder / "mine");
  fs::create_directory(folder / "guarded");
  WriteBytes(folder / "mine" / "a.lgt", kOld);
  WriteBytes(folder / "guarded" / "a.lgt", kOld);
  fs::permissions(folder / "guarded" / "a.lgt", fs::perms::owner_read);  // refused there
  fs::create_directory_symlink("mine", folder / "swapped");
  const pid_t swapper = fork();
  if (swapper == 0) {
    const std::string link = (folder / "swapped").string(), next = link + ".next";
    for (int i = 0;; ++i) {
      symlink(i % 2 ? "mine" : "guarded", next.c_str());
      rename(next.c_str(), link.c_str());
    }
  }
  int saved = 0;
  for (int save = 0; save < 500; ++save)
    saved += !WriteLightFile(folder / "swapped" / "a.lgt", kNew).has_value();
  kill(swapper, SIGKILL);
  waitpid(swapper, nullptr, 0);
  EXPECT_GT(saved, 0);
  EXPECT_EQ(ReadBytes(folder / "guarded" / "a.lgt"), kOld);
  EXPECT_EQ(ReadBytes(folder / "mine" / "a.lgt"), LightFileText(kNew));
  for (const char* inside : {"mine", "guarded"})
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / inside), fs::directory_iterator()), 1)
        << inside;
}

TEST(WriterFaults, AKilledSaveLeavesNoTemporaryFile) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  const std::string big(64 << 20, 'x');
  for (const int delay : {0, 5, 20, 50, 120, 300, 700}) {
    WriteBytes(target, kOld);
    const pid_t child = fork();
    if (child == 0) {
      for (;;) (void)ReplaceFileContents(target, big);
    }
    usleep(static_cast<useconds_t>(delay) * 1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.lgt"}) << delay << " ms";
    const auto size = fs::file_size(target);
    EXPECT_TRUE(size == big.size() || size == std::string_view(kOld).size()) << size;
  }
}

#endif

}  // namespace
}  // namespace lightset
