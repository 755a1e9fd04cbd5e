#include "editor_fixture.h"

#include <commctrl.h>

#include <cwchar>

namespace editor_testing {

namespace {

// What the program sets up before its first window, done once for the test process.
class EditorEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
  }
};

constexpr int kValueIds[] = {IDC_TXTNAME,       IDC_PICSUNCOL, IDC_PICSUNSPEC, IDC_PICAMBCOL,
                             IDC_PICTERRAMBCOL, IDC_TXTSUNINC, IDC_TXTSUNROT};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new EditorEnvironment);

}  // namespace

void PumpMessages(editor::Main* window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (window && window->PreTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void EditorTest::SetUp() {
  window_ = std::make_unique<editor::Main>(*shown_);
  window_->Show(GetModuleHandleW(nullptr), SW_SHOW);
  PumpMessages(window_.get());
}

void EditorTest::TearDown() {
  window_.reset();
  PumpMessages();
}

void EditorTest::ClickSwatch(int id) const {
  SendMessageW(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(Item(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

std::vector<std::wstring> EditorTest::Values() const {
  std::vector<std::wstring> values;
  for (const int id : kValueIds) values.push_back(Text(id));
  return values;
}

void EditorTest::SetValues(const std::vector<std::wstring>& values) const {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool swatch = i >= 1 && i <= 4;
    int red = 0, green = 0, blue = 0;
    if (!swatch) {
      Type(kValueIds[i], values[i]);
    } else if (swscanf(values[i].c_str(), L"%d %d %d", &red, &green, &blue) == 3) {
      editor::SetSwatchColour(Item(kValueIds[i]), RGB(red, green, blue));
    }
  }
}

}  // namespace editor_testing
