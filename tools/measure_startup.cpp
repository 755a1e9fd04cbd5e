// Times how long a program takes from its start to an idle window, as the median of several
// runs: measure_startup RUNS PROGRAM. Prints the median in milliseconds.
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: measure_startup RUNS PROGRAM\n", stderr);
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<double> milliseconds;
  for (int run = 0; run < runs; ++run) {
    std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      std::fwprintf(stderr, L"cannot start %ls\n", argv[2]);
      return 1;
    }
    WaitForInputIdle(process.hProcess, 30000);
    milliseconds.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    CloseProgram(process);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("%.1f\n", milliseconds[milliseconds.size() / 2]);
  return 0;
}
