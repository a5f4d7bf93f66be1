#pragma once
// A window read as a screen reader reads it: through oleacc, never through the framework.
#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

namespace uitest {

// Spelled out: MinGW's IID_IAccessible from -loleacc names an import thunk.
extern const IID kIidAccessible;

struct TReleaseAccessible {
    void operator()(IAccessible* object) const { object->Release(); }
};
using TAccessibleRef = std::unique_ptr<IAccessible, TReleaseAccessible>;

TAccessibleRef WindowObject(HWND window, LONG objectId = OBJID_CLIENT);
// One element: `push button "立即下载" [focusable focused]`, with ` = 37%` when it has a value.
std::wstring DescribeElement(IAccessible* object, long childId);
// The client's own line, then one per child in AccessibleChildren's order.
std::vector<std::wstring> AccessibleTree(HWND window);
std::wstring NameOf(IAccessible* object, long childId);
// The id of the client's simple child with this name; 0 when there is none.
long ChildNamed(IAccessible* client, const std::wstring& name);

}  // namespace uitest
