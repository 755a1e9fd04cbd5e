// The editor's windows under test: a real main window whose system dialogs are scripted.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "editor/colour_swatch.h"
#include "editor/main_window.h"
#include "editor/resource.h"
#include "editor/window_text.h"
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

  std::vector<std::wstring> openRequests;  // "title|pattern"
  std::vector<lightset::ColourRef> colourRequests;
  std::vector<std::wstring> saveRequests;  // "proposed name|filter"
  std::vector<Message> messages;

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

 private:
  template <class T>
  static T Next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

inline const std::vector<std::wstring> kDuskValues = {
    L"Dusk", L"255 200 150", L"255 255 255", L"40 40 60", L"60 60 80", L"50", L"180"};

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
  lightset::ColourRef SwatchColour(int id) const { return editor::GetSwatchColour(Item(id)); }
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

}  // namespace editor_testing
