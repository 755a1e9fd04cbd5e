// A save that fails must leave the previous file exactly as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <functional>

#include "lightset/file_writer.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#endif

namespace lightset {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

constexpr const char* kOld = "\\\\old file\r\nLightingSet \"Old\"\r\n";

LightSetting NewSetting() {
  LightSetting setting;
  setting.Name = "New";
  setting.SunInclination = "1";
  setting.SunRotation = "2";
  return setting;
}

void ExpectFailureLeavesOldFile(const TempFolder& folder, const fs::path& target,
                                const std::optional<std::string>& error, const char* reason) {
  ASSERT_TRUE(error) << "the write should have failed";
  EXPECT_NE(error->find(target.filename().string()), std::string::npos) << *error;
  EXPECT_NE(error->find(reason), std::string::npos) << *error;
  if (fs::is_regular_file(target)) {
    EXPECT_EQ(ReadBytes(target), kOld);
  }
  for (const std::string& entry : folder.Entries())
    EXPECT_EQ(entry.find(".tmp"), std::string::npos) << "left behind: " << entry;
}

TEST(WriterFaults, MissingFolder) {
  TempFolder folder;
  const fs::path target = folder / "no such folder" / "a.lgt";
  ExpectFailureLeavesOldFile(folder, target, WriteLightFile(target, NewSetting()),
                             "cannot create a temporary file");
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(WriterFaults, ReadOnlyTarget) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  fs::permissions(target, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ExpectFailureLeavesOldFile(folder, target, WriteLightFile(target, NewSetting()), "read-only");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.lgt"});
}

TEST(WriterFaults, TargetIsAFolder) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  fs::create_directory(target);
  ExpectFailureLeavesOldFile(folder, target, WriteLightFile(target, NewSetting()),
                             "it is a folder");
  EXPECT_TRUE(fs::is_directory(target));
}

#ifdef _WIN32

TEST(WriterFaults, TargetHeldOpenByAnotherProgram) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  // Held without sharing, as an editor or the game might hold it.
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const auto error = WriteLightFile(target, NewSetting());
  CloseHandle(held);
  ExpectFailureLeavesOldFile(folder, target, error, "cannot replace the file");
  EXPECT_EQ(WriteLightFile(target, NewSetting()), std::nullopt) << "the next save works";
}

TEST(WriterFaults, ReadOnlyFolder) {
  GTEST_SKIP() << "Windows does not stop new files in a folder marked read-only";
}

#else

// Root may write anywhere; a read-only folder is read-only only to an ordinary user.
std::string AsOrdinaryUser(const std::function<std::string()>& work) {
  if (geteuid() != 0) return work();
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const std::string result = setgid(65534) == 0 && setuid(65534) == 0 ? work() : "setuid failed";
    const ssize_t written = write(pipeEnds[1], result.data(), result.size());
    _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string result;
  char buffer[512];
  for (ssize_t count; (count = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    result.append(buffer, count);
  close(pipeEnds[0]);
  waitpid(child, nullptr, 0);
  return result;
}

TEST(WriterFaults, ReadOnlyFolder) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  fs::permissions(target, fs::perms::all, fs::perm_options::add);
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  const std::string error =
      AsOrdinaryUser([&] { return WriteLightFile(target, NewSetting()).value_or(""); });
  ExpectFailureLeavesOldFile(folder, target, error, "Permission denied");
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
  const auto error = WriteLightFile(target, NewSetting());
  setrlimit(RLIMIT_FSIZE, &previous);
  ExpectFailureLeavesOldFile(folder, target, error, "cannot write: File too large");
  EXPECT_EQ(WriteLightFile(target, NewSetting()), std::nullopt) << "the next save works";
}

#endif

}  // namespace
}  // namespace lightset
