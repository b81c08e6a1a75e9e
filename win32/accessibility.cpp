#include "win32/accessibility.h"

#include <oleacc.h>

#include <memory>
#include <utility>

namespace pelmora::win32 {
namespace {

// MSAA's functions, from DLLs loaded the first time a screen reader asks. GetProcAddress
// gives a FARPROC; going through void (*)() casts it to the real type without a warning.
template <typename Function>
Function Find(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadLibraryW(dll);
    return module ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

struct Msaa {
    decltype(&CreateStdAccessibleObject) createStandardObject;
    decltype(&LresultFromObject) resultFromObject;
    decltype(&SysAllocString) allocString;
    decltype(&SysFreeString) freeString;
    bool loaded() const {
        return createStandardObject && resultFromObject && allocString && freeString;
    }
};

const Msaa& LoadMsaa() {
    static const Msaa msaa = [] {
        // COM carries the object to the screen reader's process: this thread joins it.
        if (const auto initialize =
                Find<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")) {
            initialize(nullptr, COINIT_APARTMENTTHREADED);
        }
        return Msaa{
            Find<decltype(&CreateStdAccessibleObject)>(L"oleacc.dll", "CreateStdAccessibleObject"),
            Find<decltype(&LresultFromObject)>(L"oleacc.dll", "LresultFromObject"),
            Find<decltype(&SysAllocString)>(L"oleaut32.dll", "SysAllocString"),
            Find<decltype(&SysFreeString)>(L"oleaut32.dll", "SysFreeString")};
    }();
    return msaa;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// What a screen reader is told of a control beyond the system's object, shared by the
// control and every accessible object handed out for it (which a screen reader may keep
// after the control is gone).
struct Naming {
    std::wstring name;
    std::wstring announcement;  // said as the name while the control keeps the focus
    bool showsResult = false;
};

// The system's accessible object for a control, with another name; a result field's state
// is its own too. Everything else is the system's: role, value (a text box's text),
// location, navigation.
class NamedAccessible final : public IAccessible, public IOleWindow {
public:
    // Takes over the reference to `standard`.
    NamedAccessible(IAccessible* standard, HWND hwnd, std::shared_ptr<const Naming> naming)
        : m_standard(standard), m_hwnd(hwnd), m_naming(std::move(naming)) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) ||
            IsEqualIID(id, IID_IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(id, IID_IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = static_cast<ULONG>(InterlockedDecrement(&m_references));
        if (left == 0) delete this;
        return left;
    }

    // IOleWindow: screen readers find the control's window through it.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        if (!hwnd) return E_POINTER;
        *hwnd = m_hwnd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // The properties of our own.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return m_standard->get_accName(child, name);
        const std::wstring& text =
            m_naming->announcement.empty() ? m_naming->name : m_naming->announcement;
        return Answer(text, name);
    }
    // A result field is read-only text, not an unavailable control.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = m_standard->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && m_naming->showsResult && state->vt == VT_I4) {
            state->lVal = (state->lVal & ~STATE_SYSTEM_UNAVAILABLE) | STATE_SYSTEM_READONLY;
        }
        return result;
    }

    // IDispatch and the rest of IAccessible: the system's object answers.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        return m_standard->Invoke(member, id, locale, flags, parameters, result, exception,
                                  badArgument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return m_standard->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return m_standard->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

private:
    ~NamedAccessible() { m_standard->Release(); }

    static HRESULT Answer(const std::wstring& text, BSTR* answer) {
        if (!answer) return E_POINTER;
        *answer = LoadMsaa().allocString(text.c_str());
        return *answer ? S_OK : E_OUTOFMEMORY;
    }

    IAccessible* m_standard;
    HWND m_hwnd;
    std::shared_ptr<const Naming> m_naming;
    LONG m_references = 1;
};

// The answer to WM_GETOBJECT for the control's client object, or 0 to let the system give
// its own (unnamed) one.
LRESULT AnswerWithName(HWND hwnd, WPARAM flags, const std::shared_ptr<const Naming>& naming) {
    const Msaa& msaa = LoadMsaa();
    if (!msaa.loaded()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(msaa.createStandardObject(hwnd, OBJID_CLIENT, IID_IAccessible,
                                         reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    auto* named = new NamedAccessible(standard, hwnd, naming);
    const LRESULT result =
        msaa.resultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(named));
    named->Release();
    return result > 0 ? result : 0;
}

// What a named control keeps: its naming, and the window procedure of its class, to which
// every other message goes. In the control's GWLP_USERDATA, which the system's controls
// leave to their owner. (comctl32's SetWindowSubclass would do too, but under Wine it looks
// up a window property, a server round trip, for every message the control gets.)
struct NamedControl {
    WNDPROC classProcedure;
    std::shared_ptr<Naming> naming;
};

LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<NamedControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (const LRESULT result = AnswerWithName(hwnd, wParam, control->naming)) return result;
    }
    // An announcement is heard once; afterwards the control has its own name again.
    if (message == WM_KILLFOCUS) control->naming->announcement.clear();
    const LRESULT result = CallWindowProcW(control->classProcedure, hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete control;
    }
    return result;
}

}  // namespace

bool SetAccessibleName(HWND control, std::wstring name, bool showsResult) {
    if (GetWindowLongPtrW(control, GWLP_USERDATA) != 0) return false;  // not ours to use
    auto* named = new NamedControl{
        nullptr, std::make_shared<Naming>(Naming{std::move(name), {}, showsResult})};
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(named));
    named->classProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProc)));
    if (named->classProcedure) return true;
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    delete named;
    return false;
}

bool Announce(HWND window, HWND focus, std::wstring_view text) {
    // UI Automation's notification, looked up at run time: uiautomationcore.dll has it from
    // Windows 10 1709 on. The window's host provider stands for the window, so no provider of
    // our own is needed. Declared with plain types: Windows 7's headers lack them.
    using HostProvider = HRESULT(WINAPI*)(HWND, IUnknown**);
    using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int kind, int processing, BSTR, BSTR);
    static const auto hostProvider =
        Find<HostProvider>(L"uiautomationcore.dll", "UiaHostProviderFromHwnd");
    static const auto raiseNotification =
        Find<RaiseNotification>(L"uiautomationcore.dll", "UiaRaiseNotificationEvent");
    const std::wstring message(text);
    IUnknown* provider = nullptr;
    if (raiseNotification && hostProvider && LoadMsaa().loaded() &&
        SUCCEEDED(hostProvider(window, &provider)) && provider) {
        constexpr int kActionCompleted = 2;  // NotificationKind_ActionCompleted
        constexpr int kMostRecent = 3;       // NotificationProcessing_MostRecent: polite
        const Msaa& msaa = LoadMsaa();
        const BSTR display = msaa.allocString(message.c_str());
        const BSTR activity = msaa.allocString(L"Pelmora.Results");
        const HRESULT raised =
            raiseNotification(provider, kActionCompleted, kMostRecent, display, activity);
        msaa.freeString(display);
        msaa.freeString(activity);
        provider->Release();
        if (SUCCEEDED(raised)) return true;
    }
    // Before that: the focused control's name, which screen readers speak when it changes.
    auto* control =
        focus ? reinterpret_cast<NamedControl*>(GetWindowLongPtrW(focus, GWLP_USERDATA)) : nullptr;
    if (!control) return false;
    control->naming->announcement = message;
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, focus, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

}  // namespace pelmora::win32
