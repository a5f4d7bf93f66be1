// The IAccessible objects a window answers WM_GETOBJECT with. They hold only the window handle
// and find the controls again at each call, so a reader that keeps an object after the window
// went gets an error, never a freed control.
#include "gui/Accessible.h"

#include "gui/Forms.h"

#include <oleacc.h>

#include <algorithm>

namespace gui {

namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}: with MinGW the IID_IAccessible of -loleacc names an
// import thunk, not the GUID.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// What the window's standard object answers for the same id; this class passes every call on
// and the objects below take over what they answer themselves.
class TForwardingAccessible : public IAccessible {
public:
    TForwardingAccessible(HWND window, LONG objectId) : window_(window) {
        CreateStdAccessibleObject(window, objectId, kIidAccessible, reinterpret_cast<void**>(&std_));
    }
    virtual ~TForwardingAccessible() {
        if (std_) std_->Release();
    }
    TForwardingAccessible(const TForwardingAccessible&) = delete;
    TForwardingAccessible& operator=(const TForwardingAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kIidAccessible) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    // A COM object lives until its last reference goes, whoever holds it.
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return Pass(&IAccessible::get_accParent, p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return Pass(&IAccessible::get_accChildCount, n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override { return Pass(&IAccessible::get_accChild, c, p); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override { return Pass(&IAccessible::get_accName, c, s); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override { return Pass(&IAccessible::get_accValue, c, s); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* s) override {
        return Pass(&IAccessible::get_accDescription, c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return Pass(&IAccessible::get_accRole, c, r); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override { return Pass(&IAccessible::get_accState, c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* s) override { return Pass(&IAccessible::get_accHelp, c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
        return Pass(&IAccessible::get_accHelpTopic, f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* s) override {
        return Pass(&IAccessible::get_accKeyboardShortcut, c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* f) override { return Pass(&IAccessible::get_accFocus, f); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* s) override { return Pass(&IAccessible::get_accSelection, s); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* s) override {
        return Pass(&IAccessible::get_accDefaultAction, c, s);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT c) override { return Pass(&IAccessible::accSelect, flags, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
        return Pass(&IAccessible::accLocation, x, y, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT from, VARIANT* to) override {
        return Pass(&IAccessible::accNavigate, dir, from, to);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override { return Pass(&IAccessible::accHitTest, x, y, c); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return Pass(&IAccessible::accDoDefaultAction, c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR s) override { return Pass(&IAccessible::put_accName, c, s); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR s) override { return Pass(&IAccessible::put_accValue, c, s); }

protected:
    HWND window_;

private:
    template <class Method, class... Args>
    HRESULT Pass(Method method, Args... args) {
        return std_ ? (std_->*method)(args...) : E_FAIL;
    }
    IAccessible* std_ = nullptr;
    LONG refs_ = 1;
};

// A form's window frame: the system's object, named as the user should hear the form.
class TFormWindowAccessible final : public TForwardingAccessible {
public:
    explicit TFormWindowAccessible(HWND window) : TForwardingAccessible(window, OBJID_WINDOW) {}
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        TWinControl* form = TWinControl::FromHandle(window_);
        if (!form || child.vt != VT_I4 || child.lVal != CHILDID_SELF) return TForwardingAccessible::get_accName(child, name);
        return ReturnText(form->AccessibleName(), name);
    }
};

std::wstring DefaultActionOf(const TControl& element) {
    switch (element.AccessibleRole()) {
    case ROLE_SYSTEM_PUSHBUTTON: return L"按下";
    case ROLE_SYSTEM_RADIOBUTTON: return L"选中";
    case ROLE_SYSTEM_CHECKBUTTON: return (element.AccessibleState() & STATE_SYSTEM_CHECKED) ? L"清除" : L"选中";
    case ROLE_SYSTEM_LINK: return L"跳转";
    default: return std::wstring();
    }
}

// "确定(&O)" -> "Alt+O".
std::wstring ShortcutOf(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return std::wstring(L"Alt+") + caption[i + 1];
        ++i;
    }
    return std::wstring();
}

RECT ScreenRectOf(TControl& control) {
    RECT r{};
    if (auto* windowed = dynamic_cast<TWinControl*>(&control)) {
        if (windowed->HandleAllocated()) GetWindowRect(windowed->Handle(), &r);
        return r;
    }
    const POINT origin = control.ClientToScreen(POINT{0, 0});
    return RECT{origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()};
}

// A control's own client area (the form's, or a windowed element's) with its children.
class TClientAccessible final : public TForwardingAccessible {
public:
    explicit TClientAccessible(HWND window) : TForwardingAccessible(window, OBJID_CLIENT) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        TWinControl* root = Root();
        TWinControl* above = root ? AccessibleRoot(*root) : nullptr;
        if (!above) return TForwardingAccessible::get_accParent(parent);
        if (!parent) return E_POINTER;
        *parent = new TClientAccessible(above->Handle());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        TWinControl* root = Root();
        if (!root) return RPC_E_DISCONNECTED;
        *count = static_cast<long>(AccessibleElements(*root).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        auto* windowed = element == Root() ? nullptr : dynamic_cast<TWinControl*>(element);
        if (!windowed) return S_FALSE;
        *out = new TClientAccessible(windowed->Handle());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Answer(child, name, [](TControl& e) { return e.AccessibleName(); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Answer(child, value, [](TControl& e) { return e.AccessibleValue(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Answer(child, action, [](TControl& e) { return DefaultActionOf(e); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Answer(child, keys, [](TControl& e) { return ShortcutOf(e.Caption()); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        role->vt = VT_I4;
        role->lVal = element->AccessibleRole();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        state->vt = VT_I4;
        state->lVal = static_cast<long>(StateOf(*element));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        focus->vt = VT_EMPTY;
        TWinControl* root = Root();
        if (!root) return RPC_E_DISCONNECTED;
        const TControl* focused = Focused(*root);
        if (!focused) return S_FALSE;
        if (focused == root) {
            focus->vt = VT_I4;
            focus->lVal = CHILDID_SELF;
            return S_OK;
        }
        const std::vector<TControl*> elements = AccessibleElements(*root);
        const auto at = std::find(elements.begin(), elements.end(), focused);
        if (at == elements.end()) return S_FALSE;
        ChildVariant(elements, static_cast<size_t>(at - elements.begin()), focus);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        if (!x || !y || !w || !h) return E_POINTER;
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        const RECT r = element == Root() ? ClientScreenRect() : ScreenRectOf(*element);
        *x = r.left;
        *y = r.top;
        *w = r.right - r.left;
        *h = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        hit->vt = VT_EMPTY;
        TWinControl* root = Root();
        if (!root) return RPC_E_DISCONNECTED;
        const POINT p{x, y};
        const RECT client = ClientScreenRect();
        if (!PtInRect(&client, p)) return S_FALSE;
        const std::vector<TControl*> elements = AccessibleElements(*root);
        for (size_t i = elements.size(); i-- > 0;) {
            const RECT r = ScreenRectOf(*elements[i]);
            if (PtInRect(&r, p)) {
                ChildVariant(elements, i, hit);
                return S_OK;
            }
        }
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT from, VARIANT* to) override {
        if (!to) return E_POINTER;
        to->vt = VT_EMPTY;
        TWinControl* root = Root();
        if (!root) return RPC_E_DISCONNECTED;
        if (from.vt != VT_I4) return E_INVALIDARG;
        const std::vector<TControl*> elements = AccessibleElements(*root);
        const long count = static_cast<long>(elements.size());
        long id = 0;
        if (from.lVal == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) id = 1;
            else if (direction == NAVDIR_LASTCHILD) id = count;
            else return TForwardingAccessible::accNavigate(direction, from, to);
        } else if (from.lVal < 1 || from.lVal > count) {
            return E_INVALIDARG;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
            id = from.lVal + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
            id = from.lVal - 1;
        }
        if (id < 1 || id > count) return S_FALSE;
        ChildVariant(elements, static_cast<size_t>(id - 1), to);
        return S_OK;
    }
    // Posted, never run here: a download or a modal prompt must not run inside the reader's call.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        if (DefaultActionOf(*element).empty()) return DISP_E_MEMBERNOTFOUND;
        if (!element->EffectivelyEnabled()) return E_FAIL;
        return PostMessageW(window_, CM_ACCESSIBLEACTION, reinterpret_cast<WPARAM>(element), 0) ? S_OK : E_FAIL;
    }

private:
    TWinControl* Root() const { return TWinControl::FromHandle(window_); }

    HRESULT Find(const VARIANT& child, TControl*& element) const {
        TWinControl* root = Root();
        if (!root) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) {
            element = root;
            return S_OK;
        }
        const std::vector<TControl*> elements = AccessibleElements(*root);
        if (child.lVal < 1 || static_cast<size_t>(child.lVal) > elements.size()) return E_INVALIDARG;
        element = elements[static_cast<size_t>(child.lVal) - 1];
        return S_OK;
    }

    template <class Text>
    HRESULT Answer(const VARIANT& child, BSTR* out, Text text) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        TControl* element = nullptr;
        const HRESULT found = Find(child, element);
        if (FAILED(found)) return found;
        return ReturnText(text(*element), out);
    }

    // Windowed elements are objects of their own; the rest are child ids of this one.
    static void ChildVariant(const std::vector<TControl*>& elements, size_t index, VARIANT* out) {
        if (auto* windowed = dynamic_cast<TWinControl*>(elements[index])) {
            out->vt = VT_DISPATCH;
            out->pdispVal = new TClientAccessible(windowed->Handle());
            return;
        }
        out->vt = VT_I4;
        out->lVal = static_cast<long>(index) + 1;
    }

    // The root while its window has the keyboard focus itself or through an element of its own.
    const TControl* Focused(TWinControl& root) const {
        const HWND focus = GetFocus();
        if (!focus) return nullptr;
        if (focus == window_) {
            auto* form = dynamic_cast<TForm*>(&root);
            const TControl* element = form ? form->FocusedElement() : nullptr;
            return element ? element : &root;
        }
        if (!IsChild(window_, focus)) return nullptr;
        for (TControl* element : AccessibleElements(root)) {
            auto* windowed = dynamic_cast<TWinControl*>(element);
            if (windowed && windowed->HandleAllocated() &&
                (windowed->Handle() == focus || IsChild(windowed->Handle(), focus))) {
                return element;
            }
        }
        return nullptr;
    }

    DWORD StateOf(TControl& element) const {
        DWORD state = element.AccessibleState();
        if (!element.EffectivelyEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
        auto* windowed = dynamic_cast<TWinControl*>(&element);
        if (windowed ? windowed->CanFocus() : !DefaultActionOf(element).empty()) state |= STATE_SYSTEM_FOCUSABLE;
        if (element.AccessibleRole() == ROLE_SYSTEM_LINK) state |= STATE_SYSTEM_LINKED;
        TWinControl* root = Root();
        if (root && Focused(*root) == &element) state |= STATE_SYSTEM_FOCUSED;
        if (&element == root && !IsWindowVisible(window_)) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }

    RECT ClientScreenRect() const {
        RECT r{};
        GetClientRect(window_, &r);
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

}  // namespace

bool AnswerGetObject(TWinControl& control, TMessage& message) {
    const auto id = static_cast<LONG>(static_cast<DWORD>(message.LParam));
    const bool isForm = dynamic_cast<TForm*>(&control) != nullptr;
    IAccessible* object = nullptr;
    if (id == OBJID_CLIENT && (isForm || control.AccessibleRole() != 0)) {
        object = new TClientAccessible(control.Handle());
    } else if (id == OBJID_WINDOW && isForm) {
        object = new TFormWindowAccessible(control.Handle());
    } else {
        return false;
    }
    message.Result = LresultFromObject(kIidAccessible, message.WParam, object);
    object->Release();
    return true;
}

}  // namespace gui
