#include "run_process.h"

#include <stdexcept>

#include "temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace testing_support {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// Quotes one argument so that the C runtime's parser gives it back unchanged.
std::wstring Quote(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

HANDLE Inherited(const fs::path& path, DWORD disposition) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                     disposition, 0, nullptr);
}

}  // namespace

ProcessResult RunProcess(const fs::path& program, const std::vector<std::string>& arguments,
                         const fs::path& outputTo) {
  std::wstring commandLine = Quote(program.wstring());
  for (const std::string& argument : arguments)
    commandLine += L" " + Quote(fs::u8path(argument).wstring());
  TempFolder folder;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outputTo.empty() ? Inherited(folder / "out", CREATE_ALWAYS)
                                        : Inherited(outputTo, OPEN_EXISTING);
  startup.hStdError = Inherited(folder / "err", CREATE_ALWAYS);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) throw std::runtime_error("cannot start " + program.string());
  // A program that hangs fails its test instead of stopping the whole run.
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 259);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {static_cast<int>(exitCode), outputTo.empty() ? ReadBytes(folder / "out") : "",
          ReadBytes(folder / "err")};
}

fs::path BesideThisProgram(const std::string& name) {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  return fs::path(self).parent_path() / (name + ".exe");
}

#else

ProcessResult RunProcess(const fs::path& program, const std::vector<std::string>& arguments,
                         const fs::path& outputTo) {
  TempFolder folder;
  const std::string outPath = outputTo.empty() ? (folder / "out").string() : outputTo.string();
  const std::string errPath = (folder / "err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                   outputTo.empty() ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int failed = posix_spawn(&child, all[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + all[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, outputTo.empty() ? ReadBytes(outPath) : "",
          ReadBytes(errPath)};
}

fs::path BesideThisProgram(const std::string& name) {
  return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

#endif

}  // namespace testing_support
