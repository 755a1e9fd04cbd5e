#include "running_under_wine.h"

#include <windows.h>

namespace lightset {

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace lightset
