#include "tests/ui/AccessibleReader.h"

#include <utility>

namespace uitest {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

const std::pair<long, const wchar_t*> kRoles[] = {
    {ROLE_SYSTEM_WINDOW, L"window"},       {ROLE_SYSTEM_DIALOG, L"dialog"},
    {ROLE_SYSTEM_PUSHBUTTON, L"push button"}, {ROLE_SYSTEM_RADIOBUTTON, L"radio button"},
    {ROLE_SYSTEM_LINK, L"link"},           {ROLE_SYSTEM_STATICTEXT, L"text"},
    {ROLE_SYSTEM_TEXT, L"editable text"},  {ROLE_SYSTEM_PROGRESSBAR, L"progress bar"},
};
const std::pair<long, const wchar_t*> kStates[] = {
    {STATE_SYSTEM_UNAVAILABLE, L"unavailable"}, {STATE_SYSTEM_FOCUSABLE, L"focusable"},
    {STATE_SYSTEM_FOCUSED, L"focused"},        {STATE_SYSTEM_CHECKED, L"checked"},
    {STATE_SYSTEM_READONLY, L"read-only"},     {STATE_SYSTEM_LINKED, L"linked"},
    {STATE_SYSTEM_INVISIBLE, L"invisible"},
};

template <class Get>
std::wstring ReadText(Get get) {
    BSTR text = nullptr;
    const HRESULT result = get(&text);
    std::wstring taken = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return taken;
}

VARIANT Child(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

}  // namespace

TAccessibleRef WindowObject(HWND window, LONG objectId) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(objectId), kIidAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        object = nullptr;
    }
    return TAccessibleRef(object);
}

std::wstring NameOf(IAccessible* object, long childId) {
    return ReadText([&](BSTR* name) { return object->get_accName(Child(childId), name); });
}

std::wstring DescribeElement(IAccessible* object, long childId) {
    VARIANT role{}, state{};
    object->get_accRole(Child(childId), &role);
    std::wstring line = L"role " + std::to_wstring(role.lVal);
    for (const auto& known : kRoles) {
        if (known.first == role.lVal) line = known.second;
    }
    line += L" \"" + NameOf(object, childId) + L"\"";
    const std::wstring shown = ReadText([&](BSTR* value) { return object->get_accValue(Child(childId), value); });
    if (!shown.empty()) line += L" = " + shown;
    object->get_accState(Child(childId), &state);
    std::wstring states;
    for (const auto& known : kStates) {
        if (state.lVal & known.first) states += (states.empty() ? L"" : L" ") + std::wstring(known.second);
    }
    return line + L" [" + states + L"]";
}

std::vector<std::wstring> AccessibleTree(HWND window) {
    TAccessibleRef client = WindowObject(window);
    if (!client) return {L"no object"};
    std::vector<std::wstring> lines{DescribeElement(client.get(), CHILDID_SELF)};
    long count = 0;
    client->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    LONG got = 0;
    if (count > 0) AccessibleChildren(client.get(), 0, count, children.data(), &got);
    for (LONG i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<size_t>(i)];
        if (child.vt == VT_DISPATCH) {
            IAccessible* object = nullptr;
            child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&object));
            child.pdispVal->Release();
            TAccessibleRef owned(object);
            lines.push_back(owned ? DescribeElement(owned.get(), CHILDID_SELF) : L"no object");
        } else {
            lines.push_back(DescribeElement(client.get(), child.lVal));
        }
    }
    return lines;
}

long ChildNamed(IAccessible* client, const std::wstring& name) {
    long count = 0;
    client->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id) {
        if (NameOf(client, id) == name) return id;
    }
    return 0;
}

}  // namespace uitest
