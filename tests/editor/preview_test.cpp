// The Preview window with real input: the picture follows every change, the compass writes the
// boxes, and a screen reader hears what the picture shows.
#include <windows.h>

#include "editor_fixture.h"
#include "preview/scene.h"
#include "screen_reader.h"

namespace editor_testing {
namespace {

constexpr wchar_t kPreviewClass[] = L"KestruneLightEditorPreview";

int CountPreviewWindows() {
  int count = 0;
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kPreviewClass, nullptr));)
    ++count;
  return count;
}

// Dusk with the sun overhead: level ground is terrain ambient + sun colour, (255, 255, 230).
const std::vector<std::wstring> kOverhead = {
    L"Dusk", L"255 200 150", L"255 255 255", L"40 40 60", L"60 60 80", L"90", L"180"};

class PreviewTest : public RealDialogsTest {
 protected:
  void SetUp() override {
    RealDialogsTest::SetUp();
    SetValues(kOverhead);
    Command(IDM_PREVIEW);
    PumpMessages(window_.get());
  }
  HWND Preview() const { return window_->Preview().Window(); }
  HWND PreviewItem(int id) const { return GetDlgItem(Preview(), id); }

  // The picture's pixel on level ground, read from the window.
  COLORREF LevelGround() const {
    const HWND picture = PreviewItem(IDC_PREVIEW_PICTURE);
    RECT client;
    GetClientRect(picture, &client);
    const preview::Landmarks at = preview::Scene(client.right, client.bottom).landmarks();
    const HDC dc = GetDC(picture);
    const COLORREF colour = GetPixel(dc, at.levelX, at.levelY);
    ReleaseDC(picture, dc);
    return colour;
  }

  // Focuses a control of the main window, as the user would by clicking it.
  void FocusMain(int id) {
    SetForegroundWindow(MainWindow());
    Keystroke({});
    SetFocus(Item(id));
  }
};

TEST_F(PreviewTest, TheMenuItemAndItsShortcutOpenOneWindow) {
  EXPECT_EQ(GetWindow(Preview(), GW_OWNER), MainWindow());
  DestroyWindow(Preview());
  FocusMain(IDC_TXTNAME);
  Keystroke({VK_MENU, 'P'});
  EXPECT_EQ(CountPreviewWindows(), 1);
  FocusMain(IDC_TXTNAME);
  Keystroke({VK_MENU, 'P'});
  EXPECT_EQ(CountPreviewWindows(), 1) << "the open one is brought forward";
}

TEST_F(PreviewTest, ThePictureFollowsEveryChange) {
  EXPECT_EQ(LevelGround(), RGB(255, 255, 230));
  testing_support::WriteBytes(folder_ / "noon.lgt", "terrainambientcolor 0 0 0\r\n");
  const struct {
    const char* what;
    std::function<void()> change;
  } cases[] = {
      {"typing an inclination",
       [this] {
         FocusMain(IDC_TXTSUNINC);
         SendMessageW(Item(IDC_TXTSUNINC), EM_SETSEL, 0, -1);
         Run([] { TypeText(L"10"); }, {});
       }},
      {"choosing a colour", [this] { Run(-IDC_PICSUNCOL, {Colour(0, 90, 0)}); }},
      {"pasting a colour",
       [this] {
         SetClipboard(L"0 0 200");
         FocusMain(IDC_PICTERRAMBCOL);
         Keystroke({VK_CONTROL, 'V'});
       }},
      {"opening a file",
       [this] {
         Run(IDM_OPEN, {Press(IDNO), FileName(Path("noon.lgt"))});
       }},
  };
  for (const auto& c : cases) {
    const COLORREF before = LevelGround();
    c.change();
    PumpMessages(window_.get());
    EXPECT_NE(LevelGround(), before) << c.what;
  }
  EXPECT_EQ(Values()[4], L"0 0 0") << "the file was opened";
}

TEST_F(PreviewTest, TheCompassWritesTheBoxesFromKeysAndPointer) {
  SetValues({L"", L"", L"", L"", L"", L"50", L"180"});
  const HWND compass = PreviewItem(IDC_PREVIEW_COMPASS);
  const ValueChanges heard;
  SetForegroundWindow(Preview());
  Keystroke({});
  SetFocus(compass);
  const struct {
    std::initializer_list<WORD> keys;
    const wchar_t *inclination, *rotation;
  } cases[] = {
      {{VK_UP}, L"51", L"180"},
      {{VK_SHIFT, VK_RIGHT}, L"51", L"195"},
      {{VK_LEFT}, L"51", L"194"},
      {{VK_HOME}, L"90", L"194"},
      {{VK_END}, L"0", L"194"},
      {{VK_DOWN}, L"0", L"194"},
      {{VK_SHIFT, VK_LEFT}, L"0", L"179"},
  };
  for (const auto& c : cases) {
    Keystroke(c.keys);
    EXPECT_EQ(Text(IDC_TXTSUNINC), c.inclination) << *c.keys.begin();
    EXPECT_EQ(Text(IDC_TXTSUNROT), c.rotation) << *c.keys.begin();
  }
  PumpMessages(window_.get());
  EXPECT_GE(heard.Of(compass), 5) << "a screen reader hears the compass move";

  // A press at the centre puts the sun overhead; dragged to the ring's east, on the horizon there.
  RECT client;
  GetClientRect(compass, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(compass, &centre);
  const int radius = std::min(client.right, client.bottom) * 4 / 10;
  // The pointer moved and pressed as a person moves it: absolute moves, in the screen's units.
  auto mouse = [](DWORD flags, int x = 0, int y = 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{INPUT_MOUSE,
                {.mi = {x * 65535 / (width - 1), y * 65535 / (height - 1), 0,
                        flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, 0, 0}}};
    SendInput(1, &input, sizeof input);
  };
  SetForegroundWindow(Preview());
  Run(
      [&] {
        mouse(0, centre.x, centre.y);
        mouse(MOUSEEVENTF_LEFTDOWN, centre.x, centre.y);
      },
      {});
  EXPECT_EQ(Text(IDC_TXTSUNINC), L"90");
  Run(
      [&] {
        mouse(0, centre.x + radius / 2, centre.y);
        mouse(0, centre.x + radius + 20, centre.y);
        mouse(MOUSEEVENTF_LEFTUP, centre.x + radius + 20, centre.y);
      },
      {});
  EXPECT_EQ(Text(IDC_TXTSUNINC), L"0");
  EXPECT_EQ(Text(IDC_TXTSUNROT), L"90");
}

TEST_F(PreviewTest, AScreenReaderHearsWhatThePictureShows) {
  SetValues({L"", L"", L"", L"", L"", L"50", L"180"});
  PumpMessages(window_.get());
  const std::wstring sun = L"sun 50 degrees above the horizon, bearing 180 degrees (south)";
  // Roles: 40 graphic, 49 dial.
  EXPECT_EQ(Ask(PreviewItem(IDC_PREVIEW_PICTURE)), L"40|Preview||" + sun + L"||");
  EXPECT_EQ(Ask(PreviewItem(IDC_PREVIEW_COMPASS)), L"49|Sun position|" + sun + L"|||");
  Type(IDC_TXTSUNINC, L"high");
  const std::wstring none = L"no sun: the inclination is not a number";
  EXPECT_EQ(Ask(PreviewItem(IDC_PREVIEW_PICTURE)), L"40|Preview||" + none + L"||");
  EXPECT_EQ(editor::WindowText(PreviewItem(IDC_PREVIEW_TEXT)), none) << "and the window says it";
}

// At any DPI the picture is 256 pixels at 96 DPI, scaled, and drawn at the size it is shown.
TEST_F(EditorTest, LayoutOfThePreviewScalesWithTheDpi) {
  SetValues(kOverhead);
  Command(IDM_PREVIEW);
  PumpMessages(window_.get());
  const HWND picture = GetDlgItem(window_->Preview().Window(), IDC_PREVIEW_PICTURE);
  RECT client;
  GetClientRect(picture, &client);
  const int size = MulDiv(256, static_cast<int>(GetDpiForWindow(picture)), 96);
  EXPECT_EQ(client.right, size);
  EXPECT_EQ(client.bottom, size);
  const preview::Landmarks at = preview::Scene(size, size).landmarks();
  const HDC dc = GetDC(picture);
  EXPECT_EQ(GetPixel(dc, at.levelX, at.levelY), RGB(255, 255, 230));
  EXPECT_EQ(GetPixel(dc, size - 1, size - 1), GetPixel(dc, 0, size - 1)) << "the background";
  ReleaseDC(picture, dc);
}

}  // namespace
}  // namespace editor_testing
