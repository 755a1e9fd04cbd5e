// The editor's windows under test: a real main window whose system dialogs are scripted.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "editor/colour_swatch.h"
#include "editor/main_window.h"
#include "editor/resource.h"
#include "editor/window_text.h"
#include "lightset/fields.h"
#include "support/dusk.h"
#include "support/temp_folder.h"

namespace editor_testing {

// Answers each dialog from a script and records what was asked.
class ScriptedDialogs final : public editor::SystemDialogs {
 public:
  struct Message {
    std::wstring text, title;
    UINT type;
  };

  std::deque<std::wstring> openAnswers, saveAnswers;  // "" cancels
  std::deque<lightset::ColourRef> colourAnswers;      // -1 cancels
  std::deque<int> messageAnswers;                     // IDOK when empty
  std::deque<int> saveChangesAnswers;                 // IDNO when empty

  std::vector<std::wstring> openRequests;  // "title|pattern"
  std::vector<lightset::ColourRef> colourRequests;
  std::vector<std::wstring> saveRequests;  // "proposed name|filter"
  std::vector<Message> messages;
  std::vector<std::wstring> saveChangesRequests;  // the names asked about

  std::wstring ShowOpenDialog(const std::wstring& title, const std::wstring& pattern,
                              HWND) override {
    openRequests.push_back(title + L"|" + pattern);
    return Next<std::wstring>(openAnswers, L"");
  }
  lightset::ColourRef PickColour(HWND, lightset::ColourRef initialColour) override {
    colourRequests.push_back(initialColour);
    return Next<lightset::ColourRef>(colourAnswers, -1);
  }
  bool ShowSaveDialog(HWND, std::wstring& fileName, const std::wstring& filter) override {
    saveRequests.push_back(fileName + L"|" + filter);
    const std::wstring answer = Next<std::wstring>(saveAnswers, L"");
    if (!answer.empty()) fileName = answer;
    return !answer.empty();
  }
  int ShowMessage(HWND, const std::wstring& text, const std::wstring& title, UINT type) override {
    messages.push_back({text, title, type});
    return Next<int>(messageAnswers, IDOK);
  }
  int AskToSaveChanges(HWND, const std::wstring& name) override {
    saveChangesRequests.push_back(name);
    return Next<int>(saveChangesAnswers, IDNO);
  }

 private:
  template <class T>
  static T Next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// The example Dusk (support/dusk.h) as the window shows it.
inline const std::vector<std::wstring> kDuskValues = [] {
  std::vector<std::wstring> values;
  for (const lightset::Field& field : lightset::kFields) {
    const std::string& value = testing_support::kDusk.*field.text;
    values.emplace_back(value.begin(), value.end());
  }
  return values;
}();

// Runs the messages waiting for this thread through the program's own loop.
void PumpMessages(editor::Main* window = nullptr);

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND MainWindow() const { return window_->Window(); }
  HWND HelpWindow() const { return window_->HelpWindow().Window(); }
  HWND Item(int id) const { return GetDlgItem(MainWindow(), id); }
  std::wstring Text(int id) const { return editor::WindowText(Item(id)); }
  void Type(int id, const std::wstring& text) const { SetWindowTextW(Item(id), text.c_str()); }
  void Command(int id) const { SendMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  void ClickButton(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  void ClickSwatch(int id) const;
  // The seven values as the window shows them: the name, the swatches' colours as "R G B" in the
  // file's order, and the two numbers.
  std::vector<std::wstring> Values() const;
  // Sets values given as Values() gives them; a swatch's empty text leaves the swatch as it is.
  void SetValues(const std::vector<std::wstring>& values) const;

  // A file or folder in the test's own folder, as the dialogs give a path.
  std::wstring Path(const std::string& name) const { return (folder_ / name).wstring(); }

  testing_support::TempFolder folder_;
  ScriptedDialogs dialogs_;
  editor::SystemDialogs* shown_ = &dialogs_;  // the dialogs the window is made with
  std::unique_ptr<editor::Main> window_;
};

// A drop of paths as Explorer makes it: a DROPFILES header and the paths, each ending in NUL,
// then a NUL.
HDROP MakeDrop(const std::vector<std::wstring>& paths);

// Real keystrokes for the window with the focus: keys pressed together and released, or text.
void PressKeys(std::initializer_list<WORD> chord);
void TypeText(const std::wstring& text);

// Answers a window that a command opened (a dialog, a menu), or returns false when the answer
// does not fit it.
using Answer = std::function<bool(HWND opened)>;
Answer Press(int button);                        // a button of a dialog
Answer Keys(std::initializer_list<WORD> chord);  // keys, one after the other
Answer FileName(const std::wstring& name);       // typed into a file dialog, which is then closed
Answer Colour(UINT red, UINT green, UINT blue);  // set in the colour chooser, which is then closed

// What the dialogs answered showed: a file dialog's name and type boxes, the chooser's colour
// and whether its custom colour part was open.
struct Shown {
  std::wstring name, filter;
  lightset::ColourRef colour = -1;
  bool colourFullyOpen = false;
};
inline Shown shown;

// The system's own dialogs and menus, answered unattended: a thread timer keeps running inside
// each modal loop, finds the window the command opened and answers it as a person would.
class RealDialogsTest : public EditorTest {
 protected:
  RealDialogsTest() { shown_ = &editor::WindowsDialogs(); }

  // Runs start, which opens windows, answering them in turn; then lets what they started end.
  void Run(const std::function<void()>& start, std::deque<Answer> answers);
  // A command, or a click on a swatch (a negative command).
  void Run(int command, std::deque<Answer> answers) {
    Run([&] { command > 0 ? Command(command) : ClickSwatch(-command); }, std::move(answers));
  }
  // Puts text on the clipboard as another program would.
  void SetClipboard(const std::wstring& text) const;
  // Real keys for the control with the focus; what they open is answered.
  void Keystroke(std::initializer_list<WORD> chord, std::deque<Answer> answers = {}) {
    Run([&] { PressKeys(chord); }, std::move(answers));
  }
};

}  // namespace editor_testing
