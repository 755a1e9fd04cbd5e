// The files a user hands the program on its command line ("Open with", a double-click, a
// script), which the main window then opens.
#pragma once

#include <string>
#include <vector>

namespace editor {

// The arguments after the program's own name, split as Windows splits them (quotes group, \"
// is a quote), each made a full path against the current folder. Empty when there are none.
std::vector<std::wstring> FilesToOpen(const wchar_t* commandLine);

}  // namespace editor
