#include "accessible_control.h"

#include <commctrl.h>
#include <oleacc.h>

#include <utility>

#include "system_library.h"
#include "window_text.h"

namespace editor {
namespace {

// The property under which a described control keeps its description, for SetDescription.
constexpr wchar_t kDescribed[] = L"KestruneDescription";

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The automation library's string, which a screen reader frees.
HRESULT Text(const std::wstring& text, BSTR* answer) {
  *answer = nullptr;
  if (text.empty()) return S_FALSE;
  const auto allocate =
      SystemFunction<decltype(SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
  if (allocate) *answer = allocate(text.data(), static_cast<UINT>(text.size()));
  return *answer ? S_OK : E_OUTOFMEMORY;
}

// IAccIdentity's identifier, which not every SDK's headers attach to the interface.
constexpr GUID kAccIdentity = {
    0x7852b78d, 0x1cfd, 0x41c1, {0xa6, 0x15, 0x9c, 0x0c, 0x85, 0x96, 0x0b, 0x5f}};

// The system's own object for a control, with the answers of a description over it. What else
// the system's object offers a screen reader or UI Automation's proxy (walking the children,
// services, the identity string) this object offers too, forwarded: as itself, so that each of
// its interfaces leads back to this object's IUnknown, as COM requires.
class DescribedControl final : public IAccessible,
                               public IEnumVARIANT,
                               public IServiceProvider,
                               public IAccIdentity {
 public:
  DescribedControl(HWND control, IAccessible* system, ControlDescription description)
      : control_(control), system_(system), description_(std::move(description)) {}
  DescribedControl(const DescribedControl&) = delete;
  DescribedControl& operator=(const DescribedControl&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible))
      *object = static_cast<IAccessible*>(this);
    else if (id == __uuidof(IEnumVARIANT) && System(id, children_))
      *object = static_cast<IEnumVARIANT*>(this);
    else if (id == __uuidof(IServiceProvider) && System(id, services_))
      *object = static_cast<IServiceProvider*>(this);
    else if (id == kAccIdentity && System(id, identity_))
      *object = static_cast<IAccIdentity*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IEnumVARIANT, IServiceProvider and IAccIdentity, as the system's object answers them
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
    return children_->Next(count, children, fetched);
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return children_->Skip(count); }
  HRESULT STDMETHODCALLTYPE Reset() override { return children_->Reset(); }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override { return children_->Clone(copy); }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID id, void** object) override {
    return services_->QueryService(service, id, object);
  }
  HRESULT STDMETHODCALLTYPE GetIdentityString(DWORD child, BYTE** identity,
                                              DWORD* length) override {
    return identity_->GetIdentityString(child, identity, length);
  }

  // IDispatch, as the system's object answers it
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return system_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return system_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return system_->GetIDsOfNames(id, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* wrong) override {
    return system_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
  }

  // IAccessible: what the description says of the control itself; the rest as the system says.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || description_.name.empty()) return system_->get_accName(child, name);
    return Text(description_.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (IsSelf(child) && description_.textIsDescription)
      return Text(WindowText(control_), description);
    if (!IsSelf(child) || description_.description.empty())
      return system_->get_accDescription(child, description);
    return Text(description_.description, description);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!IsSelf(child) || !description_.textIsValue) return system_->get_accValue(child, value);
    return Text(WindowText(control_), value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    const LONG own = description_.button ? ROLE_SYSTEM_PUSHBUTTON : description_.role;
    if (!IsSelf(child) || own == 0) return system_->get_accRole(child, role);
    role->vt = VT_I4;
    role->lVal = own;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || !description_.button) return system_->get_accDefaultAction(child, action);
    return Text(L"Press", action);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || !description_.button) return system_->accDoDefaultAction(child);
    // Posted: what the click runs (a modal dialog) must not hold the screen reader's call.
    PostMessageW(GetParent(control_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control_), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return system_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return system_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return system_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return system_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return system_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return system_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return system_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return system_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return system_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG how, VARIANT child) override {
    return system_->accSelect(how, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return system_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return system_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return system_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return system_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return system_->put_accValue(child, value);
  }

 private:
  ~DescribedControl() {
    for (IUnknown* other : {static_cast<IUnknown*>(children_), static_cast<IUnknown*>(services_),
                            static_cast<IUnknown*>(identity_)})
      if (other) other->Release();
    system_->Release();
  }

  // Whether the system's object offers the interface id; kept when it does.
  template <class Interface>
  bool System(REFIID id, Interface*& kept) {
    return kept || SUCCEEDED(system_->QueryInterface(id, reinterpret_cast<void**>(&kept)));
  }

  HWND control_;
  IAccessible* system_;
  IEnumVARIANT* children_ = nullptr;
  IServiceProvider* services_ = nullptr;
  IAccIdentity* identity_ = nullptr;
  const ControlDescription description_;
  ULONG references_ = 1;
};

// Answers WM_GETOBJECT for the control's client area with a described object; 0 lets the system
// answer (for other parts, or when the libraries a screen reader needs cannot be had).
LRESULT Answer(HWND control, WPARAM flags, const ControlDescription& description) {
  const auto create = SystemFunction<decltype(CreateStdAccessibleObject)>(
      L"oleacc.dll", "CreateStdAccessibleObject");
  const auto answer =
      SystemFunction<decltype(LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
  // The answer crosses to the screen reader's process through COM, which this thread then needs.
  static bool comReady = false;  // constant-initialised: no guard
  if (!comReady) {
    const auto start = SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    comReady = start && SUCCEEDED(start(nullptr, COINIT_APARTMENTTHREADED));
  }
  if (!create || !answer || !comReady) return 0;
  IAccessible* system = nullptr;
  if (FAILED(
          create(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&system))))
    return 0;
  auto* described = new DescribedControl(control, system, description);
  const LRESULT result = answer(__uuidof(IAccessible), flags, static_cast<IAccessible*>(described));
  described->Release();
  return result;
}

LRESULT CALLBACK DescribedProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
  auto* description = reinterpret_cast<ControlDescription*>(data);
  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
    if (const LRESULT answered = Answer(control, wParam, *description)) return answered;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, DescribedProc, 0);
    RemovePropW(control, kDescribed);
    delete description;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void Describe(HWND control, ControlDescription description) {
  auto* described = new ControlDescription(std::move(description));
  SetPropW(control, kDescribed, described);
  SetWindowSubclass(control, DescribedProc, 0, reinterpret_cast<DWORD_PTR>(described));
}

void SetDescription(HWND control, const std::wstring& description) {
  auto* data = static_cast<ControlDescription*>(GetPropW(control, kDescribed));
  if (!data) return;
  auto& described = *data;
  if (described.description == description) return;
  described.description = description;
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace editor
