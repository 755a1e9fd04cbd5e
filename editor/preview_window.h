// The Preview window: the picture of the lighting set being edited, redrawn as it changes, and
// a compass that moves its sun. Modeless, owned by the main window, made on first use: nothing
// of it is made, loaded or worked out before.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "base_window.h"
#include "compass_control.h"
#include "layout.h"
#include "lightset/light_setting.h"
#include "preview/scene.h"

namespace editor {

class PreviewWindow : public BaseWindow<PreviewWindow> {
 public:
  // sunMoved: the user put the sun at a place on the compass.
  explicit PreviewWindow(std::function<void(CompassPlace)> sunMoved);
  ~PreviewWindow();

  // Creates and shows the window beside owner, or brings the open one to the front.
  void Show(HWND owner);
  // Draws setting, at once.
  void Update(const lightset::LightSetting& setting);
  // Tab and the compass's keys for the window; true when the message was one of its own.
  bool PreTranslateMessage(MSG& message);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void LayOut(UINT dpi);
  void Draw();
  friend class BaseWindow<PreviewWindow>;

  std::function<void(CompassPlace)> sunMoved_;
  FormLayout layout_;
  lightset::LightSetting setting_;
  std::unique_ptr<preview::Scene> scene_;  // for the picture's size at the window's DPI
  HBITMAP picture_ = nullptr;              // what the picture control shows
  int pictureSize_ = 0;
};

}  // namespace editor
