// What a screen reader asks of a control, asked the way it asks: through the control's
// accessibility object.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <map>
#include <string>

namespace editor_testing {

inline VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

// The control's accessibility object, as a screen reader gets it.
inline IAccessible* Accessible(HWND control) {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object));
  return object;
}

// What a screen reader hears of a control: its role, name, value, description and default action.
inline std::wstring Ask(HWND control) {
  IAccessible* object = Accessible(control);
  if (!object) return L"no object";
  VARIANT role{};
  object->get_accRole(Self(), &role);
  std::wstring heard = std::to_wstring(role.lVal) + L"|";
  for (const auto question :
       {&IAccessible::get_accName, &IAccessible::get_accValue, &IAccessible::get_accDescription,
        &IAccessible::get_accDefaultAction}) {
    BSTR answer = nullptr;
    (object->*question)(Self(), &answer);
    heard += std::wstring(answer ? answer : L"") + L"|";
    SysFreeString(answer);
  }
  object->Release();
  return heard;
}

// The value changes a screen reader hears, by window, while a ValueChanges lives: an
// out-of-context WinEvent hook, as a screen reader's, whose events arrive with the thread's
// messages.
class ValueChanges {
 public:
  ValueChanges()
      : hook_(SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, Heard, 0,
                              0, WINEVENT_OUTOFCONTEXT)) {
    heard().clear();
  }
  ~ValueChanges() { UnhookWinEvent(hook_); }
  int Of(HWND window) const { return heard()[window]; }
  void Clear() const { heard().clear(); }

 private:
  static std::map<HWND, int>& heard() {
    static std::map<HWND, int> counts;
    return counts;
  }
  static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                             DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) ++heard()[window];
  }
  HWINEVENTHOOK hook_;
};

}  // namespace editor_testing
