#include "editor_fixture.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <vector>

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
  for (const auto& field : editor::Main::kFieldControls) values.push_back(Text(field.control));
  return values;
}

void EditorTest::SetValues(const std::vector<std::wstring>& values) const {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int id = editor::Main::kFieldControls[i].control;
    int red = 0, green = 0, blue = 0;
    if (lightset::kFields[i].kind != lightset::FieldKind::Colour) {
      Type(id, values[i]);
    } else if (swscanf(values[i].c_str(), L"%d %d %d", &red, &green, &blue) == 3) {
      editor::SetSwatchColour(Item(id), RGB(red, green, blue));
    }
  }
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  list.copy(reinterpret_cast<wchar_t*>(header + 1), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

void PressKeys(std::initializer_list<WORD> chord) {
  std::vector<INPUT> inputs;
  for (const WORD key : chord) inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
  for (auto key = chord.end(); key != chord.begin();)
    inputs.push_back({INPUT_KEYBOARD, {.ki = {*--key, 0, KEYEVENTF_KEYUP, 0, 0}}});
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    inputs.push_back({INPUT_KEYBOARD, {.ki = {0, c, KEYEVENTF_UNICODE, 0, 0}}});
    inputs.push_back({INPUT_KEYBOARD, {.ki = {0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, 0, 0}}});
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

Answer Press(int button) {
  return [=](HWND dialog) { return PostMessageW(dialog, WM_COMMAND, button, 0) != 0; };
}

// Typed as keys would, so that the box's length limit applies.
Answer FileName(const std::wstring& name) {
  return [=](HWND dialog) {
    const HWND box =
        GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    if (!box) return false;
    shown.name = editor::WindowText(box);
    shown.filter = editor::WindowText(GetDlgItem(dialog, cmb1));
    const HWND edit = editor::FileNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(name.c_str()));
    return Press(IDOK)(dialog);
  };
}

// The chooser's red, green and blue boxes are its controls 706, 707 and 708.
Answer Colour(UINT red, UINT green, UINT blue) {
  return [=](HWND dialog) {
    if (!GetDlgItem(dialog, 706)) return false;
    shown.colourFullyOpen = IsWindowVisible(GetDlgItem(dialog, 706));  // the custom colour part
    shown.colour = static_cast<lightset::ColourRef>(
        RGB(GetDlgItemInt(dialog, 706, nullptr, FALSE), GetDlgItemInt(dialog, 707, nullptr, FALSE),
            GetDlgItemInt(dialog, 708, nullptr, FALSE)));
    SetDlgItemInt(dialog, 706, red, FALSE);
    SetDlgItemInt(dialog, 707, green, FALSE);
    SetDlgItemInt(dialog, 708, blue, FALSE);
    return Press(IDOK)(dialog);
  };
}

Answer Keys(std::initializer_list<WORD> chord) {
  return [chord = std::vector<WORD>(chord)](HWND) {
    for (const WORD key : chord) PressKeys({key});
    return true;
  };
}

namespace {

std::deque<Answer> answers;
HWND lastAnswered = nullptr;
int ticks = 0;

// The dialog or menu a command opened.
HWND Opened() {
  for (const wchar_t* kind : {L"#32770", L"#32768"}) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kind, nullptr));)
      if (IsWindowVisible(window)) return window;
  }
  return nullptr;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const HWND opened = Opened();
  if (++ticks > 300) {  // 15 seconds: the window never came or never took its answer
    if (opened) PostMessageW(opened, WM_COMMAND, IDCANCEL, 0);
  } else if (opened && opened != lastAnswered && !answers.empty() && answers.front()(opened)) {
    lastAnswered = opened;
    answers.pop_front();
  }
}

}  // namespace

void RealDialogsTest::SetClipboard(const std::wstring& text) const {
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(data), text.c_str(), size);
  GlobalUnlock(data);
  ASSERT_TRUE(OpenClipboard(MainWindow()));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
}

void RealDialogsTest::Run(const std::function<void()>& start, std::deque<Answer> script) {
  answers = std::move(script);
  lastAnswered = nullptr;
  ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
  start();
  // Keystrokes arrive through the system's queue; a posted command after them.
  for (int wait = 0; wait < 200 && (!answers.empty() || wait < 4); ++wait) {
    PumpMessages(window_.get());
    Sleep(25);
  }
  KillTimer(nullptr, timer);
  EXPECT_LE(ticks, 300) << "a window did not take its answer";
  EXPECT_TRUE(answers.empty()) << answers.size() << " answers left";
  EXPECT_FALSE(Opened());
}

}  // namespace editor_testing
