// Functions of the system's libraries that most runs never call (the common dialogs, what a
// screen reader needs), loaded when first asked for rather than with the program, and only from
// the system's folder: a library of that name beside the program is never taken.
#pragma once

#include <windows.h>

namespace editor {

// The library's function of that name, or null when either cannot be had.
template <class Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const FARPROC function = module ? GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(function));
}

}  // namespace editor
