#include "editor_fixture.h"

#include <commctrl.h>

#include <cwchar>

#include "lightset/fields.h"

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
  for (const int id : editor::Main::kFieldControls) values.push_back(Text(id));
  return values;
}

void EditorTest::SetValues(const std::vector<std::wstring>& values) const {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int id = editor::Main::kFieldControls[i];
    int red = 0, green = 0, blue = 0;
    if (lightset::kFields[i].kind != lightset::FieldKind::Colour) {
      Type(id, values[i]);
    } else if (swscanf(values[i].c_str(), L"%d %d %d", &red, &green, &blue) == 3) {
      editor::SetSwatchColour(Item(id), RGB(red, green, blue));
    }
  }
}

}  // namespace editor_testing
