// A save that fails must leave the previous file exactly as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "lightset/disk_files.h"
#include "lightset/file_writer.h"
#include "support/temp_folder.h"
#include "support/write_failure_printer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
                                const std::optional<WriteFailure>& failure, const char* reason) {
  ASSERT_TRUE(failure) << "the write should have failed";
  const std::string& error = failure->message;
  EXPECT_NE(error.find(target.filename().string()), std::string::npos) << error;
  EXPECT_NE(error.find(reason), std::string::npos) << error;
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
  const std::pair<const char*, const char*> cases[] = {
      {"no such folder/a.lgt", "cannot create a temporary file"},
      {"read-only.lgt", "read-only"},
      {"a folder.lgt", "it is a folder"},
  };
  for (const auto& [name, reason] : cases)
    ExpectFailureLeavesOldFile(folder, folder / name, WriteLightFile(folder / name, NewSetting()),
                               reason);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"a folder.lgt", "read-only.lgt"}));
  EXPECT_TRUE(fs::is_directory(folder / "a folder.lgt"));
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

TEST(WriterFaults, RefusesHardLinksAndDevices) {
  TempFolder folder;
  WriteBytes(folder / "h1.lgt", kOld);
  ASSERT_TRUE(CreateHardLinkW((folder / "h2.lgt").c_str(), (folder / "h1.lgt").c_str(), nullptr));
  ExpectFailureLeavesOldFile(folder, folder / "h2.lgt",
                             WriteLightFile(folder / "h2.lgt", NewSetting()),
                             "other names (hard links)");
  EXPECT_EQ(ReadBytes(folder / "h1.lgt"), kOld);
  const auto device = WriteLightFile(L"NUL", NewSetting());
  ASSERT_TRUE(device);
  EXPECT_NE(device->message.find("not a regular file"), std::string::npos) << device->message;
}

TEST(WriterFaults, SavesThroughASymbolicLink) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "orig.lgt", kOld);
  // Wine answers success but makes no link; its links are the host's, tested from a script.
  if (!CreateSymbolicLinkW((folder / "link.lgt").c_str(), (folder / "real" / "orig.lgt").c_str(),
                           SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
      !fs::exists(folder / "link.lgt"))
    GTEST_SKIP() << "this system makes no symbolic links here";
  ASSERT_EQ(WriteLightFile(folder / "link.lgt", NewSetting()), std::nullopt);
  EXPECT_TRUE(fs::is_symlink(folder / "link.lgt"));
  EXPECT_EQ(ReadBytes(folder / "real" / "orig.lgt"), LightFileText(NewSetting()));
}

#else

// Root may write anywhere; a read-only folder is read-only only to an ordinary user. Runs a save
// as user 65534 and passes its failure back through a pipe (nothing: it succeeded).
using Save = std::function<std::optional<WriteFailure>()>;
std::optional<WriteFailure> AsOrdinaryUser(const Save& save) {
  if (geteuid() != 0) return save();
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return WriteFailure{"pipe failed"};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const std::string result = setgid(65534) == 0 && setuid(65534) == 0
                                   ? save().value_or(WriteFailure{}).message
                                   : "setuid failed";
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
  if (result.empty()) return std::nullopt;
  return WriteFailure{result};
}

TEST(WriterFaults, ReadOnlyFolder) {
  TempFolder folder;
  const fs::path target = folder / "a.lgt";
  WriteBytes(target, kOld);
  fs::permissions(target, fs::perms::all, fs::perm_options::add);
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  const auto error = AsOrdinaryUser([&] { return WriteLightFile(target, NewSetting()); });
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

TEST(WriterFaults, SavesThroughSymbolicLinksAndKeepsThem) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "orig.lgt", kOld);
  fs::create_symlink("real/orig.lgt", folder / "link.lgt");
  fs::create_symlink(folder / "link.lgt", folder / "link-to-link.lgt");
  fs::create_symlink("real/new.lgt", folder / "dangling.lgt");
  for (const char* link : {"link.lgt", "link-to-link.lgt", "dangling.lgt"}) {
    ASSERT_EQ(WriteLightFile(folder / link, NewSetting()), std::nullopt) << link;
    EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
  }
  EXPECT_EQ(ReadBytes(folder / "real" / "orig.lgt"), LightFileText(NewSetting()));
  EXPECT_EQ(ReadBytes(folder / "real" / "new.lgt"), LightFileText(NewSetting()));
  EXPECT_EQ(folder.Entries(),
            (std::vector<std::string>{"dangling.lgt", "link-to-link.lgt", "link.lgt", "real"}));
}

TEST(WriterFaults, RefusesWhatASaveMustNotReplace) {
  TempFolder folder;
  WriteBytes(folder / "h1.lgt", kOld);
  fs::create_hard_link(folder / "h1.lgt", folder / "h2.lgt");
  ASSERT_EQ(mkfifo((folder / "fifo.lgt").c_str(), 0666), 0);
  fs::create_symlink("/dev/null", folder / "device.lgt");
  fs::create_symlink("loop-b.lgt", folder / "loop-a.lgt");
  fs::create_symlink("loop-a.lgt", folder / "loop-b.lgt");
  const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = (folder / "socket.lgt").string();
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::pair<const char*, const char*> cases[] = {
      {"h2.lgt", "other names (hard links)"},
      {"fifo.lgt", "not a regular file"},
      {"device.lgt", "not a regular file"},
      {"socket.lgt", "not a regular file"},
      {"loop-a.lgt", "cannot follow the link: Too many levels of symbolic links"},
  };
  for (const auto& [name, reason] : cases)
    ExpectFailureLeavesOldFile(folder, folder / name, WriteLightFile(folder / name, NewSetting()),
                               reason);
  close(listening);
  EXPECT_EQ(ReadBytes(folder / "h1.lgt"), kOld);
  EXPECT_EQ(fs::hard_link_count(folder / "h1.lgt"), 2u);
  EXPECT_TRUE(fs::is_fifo(folder / "fifo.lgt"));
  EXPECT_TRUE(fs::is_character_file(folder / "device.lgt"));
  EXPECT_TRUE(fs::is_socket(folder / "socket.lgt"));
}

TEST(WriterFaults, KeepsOwnerAndPermissionsAndRefusesWhatTheUserMayNotWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to hand files to other users";
  TempFolder folder;
  const fs::path target = folder / "theirs.lgt";
  WriteBytes(target, kOld);
  ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(WriteLightFile(target, NewSetting()), std::nullopt);
  struct stat saved {};
  ASSERT_EQ(stat(target.c_str(), &saved), 0);
  EXPECT_EQ(saved.st_uid, 65534u);
  EXPECT_EQ(saved.st_gid, 65534u);
  EXPECT_EQ(saved.st_mode & 07777, 0640u);

  // An ordinary user's own folder holding a file of root's that the user may only read.
  const fs::path mine = folder / "mine";
  fs::create_directory(mine);
  ASSERT_EQ(chown(mine.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
  WriteBytes(mine / "roots.lgt", kOld);
  ASSERT_EQ(chmod((mine / "roots.lgt").c_str(), 0644), 0);
  const auto error =
      AsOrdinaryUser([&] { return WriteLightFile(mine / "roots.lgt", NewSetting()); });
  ExpectFailureLeavesOldFile(folder, mine / "roots.lgt", error, "Permission denied");
  ASSERT_EQ(stat((mine / "roots.lgt").c_str(), &saved), 0);
  EXPECT_EQ(saved.st_uid, 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), fs::directory_iterator()), 1)
      << "a temporary file is left behind";
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

TEST(WriterFaults, ATemporaryFileWhoseWriterIsGoneIsRemoved) {
  TempFolder folder;
#ifdef _WIN32
  const unsigned long gone = 0xFFFFFFF0;  // no process has this id
  const unsigned long self = GetCurrentProcessId();
#else
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const pid_t self = getpid();
#endif
  const std::string dead = std::to_string(gone);
  // Only a name of exactly the writer's form is ever removed: the others are a user's files.
  std::vector<std::string> kept{"~lgt" + std::to_string(self) + ".0a.tmp",
                                "~lgt-notes.tmp",
                                "~lgt" + dead + ".0a.txt",
                                "~lgt" + dead + "x0a.tmp",
                                "~lgt" + dead + ".0ab.tmp",
                                "x~lgt" + dead + ".0a.tmp"};
  for (const std::string& name : kept) WriteBytes(folder / name, "");
  WriteBytes(folder / ("~lgt" + dead + ".0a.tmp"), "");
#ifdef _WIN32
  // U+012E narrowed to a byte would be the dot of a writer's name.
  const fs::path lookalike = folder / (L"~lgt" + std::to_wstring(gone) + L"\u012E0a.tmp");
  WriteBytes(lookalike, "");
#endif
  ASSERT_EQ(WriteLightFile(folder / "a.lgt", NewSetting()), std::nullopt);
#ifdef _WIN32
  EXPECT_TRUE(fs::exists(lookalike)) << "a user's file was removed";
  fs::remove(lookalike);
#endif
  kept.push_back("a.lgt");
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(folder.Entries(), kept);
}

TEST(WriterFaults, ATakenTemporaryNameIsRetried) {
  TempFolder folder;
  // Half of this process's temporary names are taken: saves must find free ones and leave the
  // others alone.
#ifdef _WIN32
  const std::string pid = std::to_string(GetCurrentProcessId());
#else
  const std::string pid = std::to_string(getpid());
#endif
  for (int i = 0; i < 256; i += 2) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", i);
    WriteBytes(folder / ("~lgt" + pid + "." + hex + ".tmp"), "taken");
  }
  for (int save = 0; save < 10; ++save)  // each finds a taken name first half the time
    ASSERT_EQ(WriteLightFile(folder / "a.lgt", NewSetting()), std::nullopt);
  EXPECT_EQ(folder.Entries().size(), 128u + 1);
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    if (entry.path().extension() == ".tmp") {
      EXPECT_EQ(ReadBytes(entry.path()), "taken");
    }
  }
}

// Any name the system allows can be saved: the temporary name is short whatever the target's.
TEST(WriterFaults, SavesTheLongestNamesTheSystemAllows) {
  TempFolder folder;
  for (const std::size_t length : {243, 250, 255}) {
    const fs::path target = folder / (std::string(length - 4, 'n') + ".lgt");
    ASSERT_EQ(WriteLightFile(target, NewSetting()), std::nullopt) << length;
    EXPECT_EQ(ReadBytes(target), LightFileText(NewSetting()));
    fs::remove(target);
  }
  EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
}  // namespace lightset
