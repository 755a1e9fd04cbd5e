// A save that fails must leave the previous file exactly as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "lightset/disk_files.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "support/temp_folder.h"
#include "support/write_failure_printer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

void ExpectFailureLeavesOldFile(const TempFolder& folder, const fs::path& target,
                                const std::optional<WriteFailure>& failure, const char* reason) {
  ASSERT_TRUE(failure) << target << ": the write should have failed";
  EXPECT_NE(failure->message.find(target.filename().string()), std::string::npos)
      << failure->message;
  EXPECT_NE(failure->message.find(reason), std::string::npos) << failure->message;
  if (std::error_code ignored; fs::is_regular_file(target, ignored)) {
    EXPECT_EQ(ReadBytes(target), kOld);
  }
  for (const std::string& entry : folder.Entries())
    EXPECT_EQ(entry.find(".tmp"), std::string::npos) << "left behind: " << entry;
}

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
#else
  ASSERT_EQ(mkfifo((folder / "fifo.lgt").c_str(), 0666), 0);
  // A device of the test's own (the system's null device, made anew where this may make
  // devices): a save that wrongly went ahead would replace it and not the system's.
  const bool device = mknod((folder / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  fs::create_symlink("null", folder / "device.lgt");
  fs::create_symlink("loop-b.lgt", folder / "loop-a.lgt");
  fs::create_symlink("loop-a.lgt", folder / "loop-b.lgt");
#endif
  // clang-format off
  std::vector<std::pair<fs::path, const char*>> cases = {
      {folder / "no such folder/a.lgt", "cannot open its folder"},
      {folder / "read-only.lgt",        "read-only"},
      {folder / "a folder.lgt",         "it is a folder"},
      {folder / "h2.lgt",               "other names (hard links)"},
#ifdef _WIN32
      {folder / "held.lgt",             "cannot replace the file"},
      {L"NUL",                          "not a regular file"},
#else
      {folder / "fifo.lgt",             "not a regular file"},
      {folder / "loop-a.lgt",           "cannot follow the link: Too many levels of symbolic links"},
#endif
  };
  // clang-format on
#ifndef _WIN32
  if (device) cases.push_back({folder / "device.lgt", "not a regular file"});
#endif
  for (const auto& [target, reason] : cases)
    ExpectFailureLeavesOldFile(folder, target, WriteLightFile(target, kNew), reason);
#ifdef _WIN32
  CloseHandle(held);
#else
  EXPECT_TRUE(fs::is_fifo(folder / "fifo.lgt"));
  EXPECT_TRUE(!device || fs::is_character_file(folder / "device.lgt"));
  EXPECT_EQ(fs::hard_link_count(folder / "h1.lgt"), 2u);
#endif
  EXPECT_TRUE(fs::is_directory(folder / "a folder.lgt"));
  EXPECT_EQ(ReadBytes(folder / "h1.lgt"), kOld);
  EXPECT_EQ(WriteLightFile(folder / "held.lgt", kNew), std::nullopt) << "once let go";
}

// The editor asks before replacing what exists, a file or a folder.
TEST(PathExists, ForFilesAndFolders) {
  TempFolder folder;
  WriteBytes(folder / "a.lgt", "");
  EXPECT_TRUE(PathExists(folder / "a.lgt"));
  EXPECT_TRUE(PathExists(folder.path()));
  EXPECT_FALSE(PathExists(folder / "b.lgt"));
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
    fs::remove(target);
  }
#ifdef _WIN32
  const std::string self = std::to_string(GetCurrentProcessId());
#else
  const std::string self = std::to_string(getpid());
#endif
  for (int i = 0; i < 256; i += 2) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", i);
    WriteBytes(folder / ("~lgt" + self + "." + hex + ".tmp"), "taken");
  }
  WriteBytes(folder / "~lgt1.0a.tmp", "a writer long gone");
  const std::vector<std::string> before = folder.Entries();
  for (int save = 0; save < 10; ++save)  // each finds a taken name first half the time
    ASSERT_EQ(WriteLightFile(folder / "a.lgt", kNew), std::nullopt);
  std::vector<std::string> expected = before;
  expected.insert(std::lower_bound(expected.begin(), expected.end(), "a.lgt"), "a.lgt");
  EXPECT_EQ(folder.Entries(), expected);
}

#ifndef _WIN32

// Runs a save in a child, as user 65534 when this is root (root may write anywhere), and says
// whether it failed for the reason given.
bool FailsAsOrdinaryUser(const std::function<std::optional<WriteFailure>()>& save,
                         const char* reason) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    const auto failure = save();
    _exit(failure && failure->message.find(reason) != std::string::npos ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(WriterFaults, ReadOnlyFolderAndAFileTheUserMayNotWrite) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  fs::permissions(target, fs::perms::all, fs::perm_options::add);
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  EXPECT_TRUE(
      FailsAsOrdinaryUser([&] { return WriteLightFile(target, kNew); }, "Permission denied"));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.lgt"});
  EXPECT_EQ(ReadBytes(target), kOld);
  if (geteuid() != 0) return;
  // The user's own folder holding a file of root's that the user may only read.
  fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);
  const fs::path mine = folder / "mine";
  fs::create_directory(mine);
  ASSERT_EQ(chown(mine.c_str(), 65534, 65534), 0);
  WriteBytes(mine / "roots.lgt", kOld);
  ASSERT_EQ(chmod((mine / "roots.lgt").c_str(), 0644), 0);
  EXPECT_TRUE(FailsAsOrdinaryUser([&] { return WriteLightFile(mine / "roots.lgt", kNew); },
                                  "Permission denied"));
  EXPECT_EQ(ReadBytes(mine / "roots.lgt"), kOld);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), fs::directory_iterator()), 1);
}

TEST(WriterFaults, KeepsOwnerAndPermissions) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to hand files to other users";
  TempFolder folder;
  const fs::path target = folder / "theirs.lgt";
  WriteBytes(target, kOld);
  ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(WriteLightFile(target, kNew), std::nullopt);
  struct stat saved {};
  ASSERT_EQ(stat(target.c_str(), &saved), 0);
  EXPECT_EQ(saved.st_uid, 65534u);
  EXPECT_EQ(saved.st_gid, 65534u);
  EXPECT_EQ(saved.st_mode & 07777, 0640u);
}

TEST(WriterFaults, WriteCutShortPartWay) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  // The system lets only 40 bytes into any file: the write stops part-way, as on a full disk.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  limited.rlim_cur = 40;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const auto error = WriteLightFile(target, kNew);
  setrlimit(RLIMIT_FSIZE, &previous);
  ExpectFailureLeavesOldFile(folder, target, error, "cannot write: File too large");
  EXPECT_EQ(WriteLightFile(target, kNew), std::nullopt) << "the next save works";
}

TEST(WriterFaults, SavesThroughSymbolicLinksAndKeepsThem) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "orig.lgt", kOld);
  fs::create_symlink("real/orig.lgt", folder / "link.lgt");
  fs::create_symlink(folder / "link.lgt", folder / "link-to-link.lgt");
  fs::create_symlink("real/new.lgt", folder / "dangling.lgt");
  for (const char* link : {"link.lgt", "link-to-link.lgt", "dangling.lgt"}) {
    ASSERT_EQ(WriteLightFile(folder / link, kNew), std::nullopt) << link;
    EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
  }
  EXPECT_EQ(ReadBytes(folder / "real" / "orig.lgt"), LightFileText(kNew));
  EXPECT_EQ(ReadBytes(folder / "real" / "new.lgt"), LightFileText(kNew));
  EXPECT_EQ(folder.Entries(),
            (std::vector<std::string>{"dangling.lgt", "link-to-link.lgt", "link.lgt", "real"}));
}

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
  for (const int delay : {0, 5, 20, 50, 120}) {
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
