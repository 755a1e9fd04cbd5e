// Times how long programs take from their start to an idle window, as the median of several
// runs taken in turn, so that the machine's drift falls on each alike:
// measure_startup RUNS PROGRAM... Prints one median in milliseconds a line, in order.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void CloseProgram(const PROCESS_INFORMATION& process) {
  EnumWindows(
      [](HWND window, LPARAM id) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == static_cast<DWORD>(id)) PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      },
      static_cast<LPARAM>(process.dwProcessId));
  if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
}

double StartUntilIdle(const wchar_t* program) {
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return -1;
  WaitForInputIdle(process.hProcess, 30000);
  const double elapsed =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  CloseProgram(process);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: measure_startup RUNS PROGRAM...\n", stderr);
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<std::vector<double>> milliseconds(static_cast<std::size_t>(argc - 2));
  for (int run = 0; run < runs; ++run) {
    for (int program = 2; program < argc; ++program) {
      const double elapsed = StartUntilIdle(argv[program]);
      if (elapsed < 0) {
        std::fwprintf(stderr, L"cannot start %ls\n", argv[program]);
        return 1;
      }
      milliseconds[static_cast<std::size_t>(program - 2)].push_back(elapsed);
    }
  }
  for (auto& times : milliseconds) {
    std::sort(times.begin(), times.end());
    std::printf("%.1f\n", times[times.size() / 2]);
  }
  return 0;
}
