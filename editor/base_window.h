// Binds a C++ object to its window at WM_NCCREATE, so that messages reach the object's
// HandleMessage.
#pragma once

#include <windows.h>

namespace editor {

template <class Derived>
class BaseWindow {
 public:
  HWND Window() const { return hwnd_; }

 protected:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  ~BaseWindow() = default;  // the derived class destroys its window while its members live

  // A top-level window to create: its class (registered on first use with the icon, an arrow
  // and the dialog face colour), caption, styles, menu, owner and place.
  struct TopLevel {
    const wchar_t* className;
    int iconId;
    const wchar_t* caption;
    DWORD style;
    DWORD exStyle = 0;
    HMENU menu = nullptr;
    HWND owner = nullptr;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
  };

  // Creates the window; the object is passed as the creation parameter and found again from it.
  HWND CreateTopLevel(HINSTANCE instance, const TopLevel& window) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, window.className, &windowClass)) {
      auto icon = [&](int size) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(window.iconId), IMAGE_ICON,
                                             size, size, LR_SHARED));
      };
      windowClass.lpfnWndProc = WindowProc;
      windowClass.hInstance = instance;
      windowClass.hIcon = icon(32);
      windowClass.hIconSm = icon(16);
      windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      windowClass.lpszClassName = window.className;
      RegisterClassExW(&windowClass);
    }
    return CreateWindowExW(window.exStyle, window.className, window.caption, window.style, window.x,
                           window.y, window.width, window.height, window.owner, window.menu,
                           instance, static_cast<Derived*>(this));
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = hwnd;
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  }

  HWND hwnd_ = nullptr;
};

}  // namespace editor
