#include "controls/SyStdCtrls.h"

#include "gui/Forms.h"
#include "gui/WindowDataRegistry.h"

#include <oleacc.h>

#include <vector>

namespace {

constexpr int kDefaultEditWidth = 130;
constexpr int kDefaultEditHeight = 25;
// The base edit's text inset from the left and right edges.
constexpr int kEditTextInset = 4;

bool IsLineBreakOrTab(wchar_t ch) { return ch == L'\r' || ch == L'\n' || ch == L'\t'; }

std::wstring FirstLine(const std::wstring& text) { return text.substr(0, text.find_first_of(L"\r\n")); }

// The clipboard's text, empty when it holds none.
std::wstring ClipboardText(HWND owner) {
    if (!OpenClipboard(owner)) return {};
    struct CloseScope {
        ~CloseScope() { CloseClipboard(); }
    } close;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    if (!chars) return {};
    std::wstring text(chars);
    GlobalUnlock(data);
    return text;
}

}  // namespace

TSyCustomControl::TSyCustomControl(gui::TComponent* owner) : gui::TCustomControl(owner) {}

void TSyCustomControl::SetPadding(const TSyPadding& padding) {
    FPadding = padding;
    Realign();
}

RECT TSyCustomControl::AlignRect() const {
    RECT r = ClientRect();
    r.left += FPadding.Left;
    r.top += FPadding.Top;
    r.right -= FPadding.Right;
    r.bottom -= FPadding.Bottom;
    return r;
}

void TSyCustomControl::SkinChanged(const std::wstring& group) {
    if (_wcsicmp(group.c_str(), FSkinGroup.c_str()) == 0) ApplySkin();
}

void TSyCustomControl::SetParent(gui::TWinControl* parent) {
    gui::TCustomControl::SetParent(parent);
    if (parent && !dynamic_cast<gui::TForm*>(parent)) parent->SetDoubleBuffered(true);
}

void TSyCustomControl::WndProc(gui::TMessage& m) {
    if (m.Msg == WM_NCHITTEST && OnHitTest) {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        LRESULT code = HTCLIENT;
        bool handled = false;
        OnHitTest(this, p, code, handled);
        if (handled) {
            m.Result = code;
            return;
        }
    }
    gui::TCustomControl::WndProc(m);
}

// The system class may leave its own clip on the DC (the edit clips to its text rectangle).
void TSyWinControl::PaintWindow(HDC dc) {
    {
        gui::DcStateScope systemPaint(dc);
        gui::TWinControl::PaintWindow(dc);
    }
    gui::TCustomControl::PaintWindow(dc);
}

void TSyWinControl::WndProc(gui::TMessage& m) {
    if (m.Msg == gui::CN_BASE + WM_CTLCOLOREDIT || m.Msg == gui::CN_BASE + WM_CTLCOLORSTATIC) {
        m.Result = ControlColor(reinterpret_cast<HDC>(m.WParam));
        return;
    }
    TSyCustomControl::WndProc(m);
}

LRESULT TSyWinControl::ControlColor(HDC dc) {
    SetTextColor(dc, gui::ColorToRGB(Font().Color()));
    SetBkColor(dc, gui::ColorToRGB(Color()));
    if (!FBrush || FBrushColor != Color()) {
        FBrush.Reset(CreateSolidBrush(gui::ColorToRGB(Color())));
        FBrushColor = Color();
    }
    return reinterpret_cast<LRESULT>(FBrush.Get());
}

long TSyCustomEdit::ClassAccessibleRole() const { return ROLE_SYSTEM_TEXT; }

DWORD TSyCustomEdit::AccessibleState() const { return FReadOnly ? STATE_SYSTEM_READONLY : 0; }

TSyCustomEdit::TSyCustomEdit(gui::TComponent* owner) : TSyWinControl(owner) {
    SetBounds(Left(), Top(), kDefaultEditWidth, kDefaultEditHeight);
    SetTabStop(true);
    SetColor(gui::clWindow);
    AdjustHeight();
}

void TSyCustomEdit::CreateParams(gui::TCreateParams& p) {
    TSyWinControl::CreateParams(p);
    p.SystemClass = L"EDIT";
    p.ClassName = L"TSyCustomEdit";
    p.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (!SingleLineWindow()) p.Style |= ES_MULTILINE;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D) {
            p.ExStyle |= WS_EX_CLIENTEDGE;
        } else {
            p.Style |= WS_BORDER;
        }
    }
    if (FPasswordChar) p.Style |= ES_PASSWORD;
    if (FReadOnly) p.Style |= ES_READONLY;
    if (FCharCase == ecUpperCase) p.Style |= ES_UPPERCASE;
    if (FCharCase == ecLowerCase) p.Style |= ES_LOWERCASE;
    if (!FHideSelection) p.Style |= ES_NOHIDESEL;
    if (FOEMConvert) p.Style |= ES_OEMCONVERT;
    if (FAlignment == gui::taRightJustify) p.Style |= ES_RIGHT;
    if (FAlignment == gui::taCenter) p.Style |= ES_CENTER;
}

void TSyCustomEdit::CreateWnd() {
    {
        TFlagScope creating(FCreating);
        TSyWinControl::CreateWnd();
    }
    if (!HandleAllocated()) return;
    HWND window = Handle();
    SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar) SendMessageW(window, EM_SETPASSWORDCHAR, FPasswordChar, 0);
    SendMessageW(window, EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
    UpdateFormatRect();
}

void TSyCustomEdit::RecreateWnd() {
    if (!HandleAllocated()) return;
    const bool hadFocus = Focused();
    FModified = Modified();
    DestroyHandle();
    if (Parent() && Parent()->HandleAllocated()) HandleNeeded();
    if (hadFocus && HandleAllocated() && CanFocus()) SetFocus();
}

std::wstring TSyCustomEdit::WindowText() {
    HWND window = Handle();
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void TSyCustomEdit::WndProc(gui::TMessage& m) {
    switch (m.Msg) {
    case WM_SIZE:
        TSyWinControl::WndProc(m);
        UpdateFormatRect();
        return;
    case WM_GETDLGCODE:
        TSyWinControl::WndProc(m);
        m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        return;
    case WM_PASTE:
        if (SingleLineWindow()) break;
        PasteSingleLine();
        m.Result = 0;
        return;
    case gui::CN_BASE + WM_COMMAND:
        if (HIWORD(m.WParam) == EN_CHANGE) EditChanged();
        m.Result = 0;
        return;
    }
    TSyWinControl::WndProc(m);
}

// The multi-line window would take every line of the clipboard; a single-line box takes the first.
void TSyCustomEdit::PasteSingleLine() {
    if (FReadOnly) return;
    const std::wstring line = FirstLine(ClipboardText(Handle()));
    if (line.empty()) return;
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
}

// The window's text changed under the user's hands: Caption follows it without writing it back.
void TSyCustomEdit::EditChanged() {
    {
        TFlagScope syncing(FSyncingText);
        SetCaption(WindowText());
    }
    if (!FCreating && !FSettingText) Change();
}

void TSyCustomEdit::TextChanged() {
    if (FSyncingText) return;
    {
        TFlagScope setting(FSettingText);
        TSyWinControl::TextChanged();
    }
    Change();
}

void TSyCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

bool TSyCustomEdit::WantsKey(WORD key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

void TSyCustomEdit::KeyPress(wchar_t& key) {
    TSyWinControl::KeyPress(key);
    if (key) FilterChar(key);
    if (IsLineBreakOrTab(key)) key = 0;
}

void TSyCustomEdit::DoEnter() {
    TSyWinControl::DoEnter();
    if (FAutoSelect) SelectAll();
}

void TSyCustomEdit::FontChanged() {
    TSyWinControl::FontChanged();
    AdjustHeight();
    UpdateFormatRect();
}

int TSyCustomEdit::SelStart() {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TSyCustomEdit::SelLength() {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TSyCustomEdit::SetSelStart(int start) {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, start, start);
}

void TSyCustomEdit::SetSelLength(int length) {
    if (!HandleAllocated()) return;
    const int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, start, start + length);
}

void TSyCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

bool TSyCustomEdit::Modified() {
    if (HandleAllocated()) FModified = SendMessageW(Handle(), EM_GETMODIFY, 0, 0) != 0;
    return FModified;
}

void TSyCustomEdit::SetModified(bool on) {
    FModified = on;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, on ? TRUE : FALSE, 0);
}

void TSyCustomEdit::SetMaxLength(int length) {
    FMaxLength = length < 0 ? 0 : length;
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TSyCustomEdit::SetPasswordChar(wchar_t ch) {
    if (ch == FPasswordChar) return;
    const bool layoutChanges = (ch != 0) != (FPasswordChar != 0);
    FPasswordChar = ch;
    if (layoutChanges) {
        RecreateWnd();
    } else if (HandleAllocated()) {
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, ch, 0);
        Invalidate();
    }
}

void TSyCustomEdit::SetCharCase(TEditCharCase charCase) {
    if (charCase == FCharCase) return;
    FCharCase = charCase;
    RecreateWnd();
}

void TSyCustomEdit::SetHideSelection(bool on) {
    if (on == FHideSelection) return;
    FHideSelection = on;
    RecreateWnd();
}

void TSyCustomEdit::SetOEMConvert(bool on) {
    if (on == FOEMConvert) return;
    FOEMConvert = on;
    RecreateWnd();
}

void TSyCustomEdit::SetReadOnly(bool on) {
    FReadOnly = on;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0);
}

void TSyCustomEdit::SetAutoSize(bool on) {
    FAutoSize = on;
    AdjustHeight();
}

void TSyCustomEdit::SetAlignment(gui::TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    RecreateWnd();
}

void TSyCustomEdit::SetBorderStyle(TSyBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    AdjustHeight();
    RecreateWnd();
}

void TSyCustomEdit::SetCtl3D(bool on) {
    if (on == FCtl3D) return;
    FCtl3D = on;
    AdjustHeight();
    RecreateWnd();
}

int TSyCustomEdit::FontCharHeight() const {
    HDC screen = GetDC(nullptr);
    TEXTMETRICW metrics{};
    {
        gui::SelectScope font(screen, Font().Handle());
        GetTextMetricsW(screen, &metrics);
    }
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

void TSyCustomEdit::AdjustHeight() {
    if (!FAutoSize || FBorderStyle != bsSingle) return;
    const int borders = (FCtl3D ? 8 : 6) * gui::SystemMetricForDpi(SM_CYBORDER, CurrentDpi());
    SetHeight(FontCharHeight() + borders);
}

RECT TSyCustomEdit::FormattingRect() const {
    RECT r{0, 0, Width(), Height()};
    if (HandleAllocated()) GetClientRect(const_cast<TSyCustomEdit*>(this)->Handle(), &r);
    r.top += (gui::RectHeight(r) - FontCharHeight()) / 2;
    r.left += Scaled(kEditTextInset);
    r.right -= Scaled(kEditTextInset);
    return r;
}

// Only a multi-line window takes a formatting rectangle. The margins go to zero first: the window
// would otherwise add the font's margins inside the rectangle (and reset them on each font).
void TSyCustomEdit::UpdateFormatRect() {
    if (!HandleAllocated() || SingleLineWindow() || !ParentForm()) return;
    HWND window = Handle();
    SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    RECT r = FormattingRect();
    SendMessageW(window, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

namespace {

const gui::TIdentTable<TEditCharCase> kCharCaseIdents = {
    {L"ecNormal", ecNormal}, {L"ecUpperCase", ecUpperCase}, {L"ecLowerCase", ecLowerCase}};
const gui::TIdentTable<TSyBorderStyle> kEditBorderIdents = {{L"bsNone", bsNone}, {L"bsSingle", bsSingle}};

using Value = const gui::TWindowDataValue&;
using Reader = gui::TWindowDataReader&;

template <int TSyMargins::*Side>
void SetMargin(TSyCustomControl& c, Value v, Reader) {
    TSyMargins m = c.Margins();
    m.*Side = gui::IntValue(v);
    c.SetMargins(m);
}

std::vector<gui::TPropertyEntry> CustomControlProperties() {
    return gui::TPropertyTable<TSyCustomControl>()
        .Add(L"Margins.Left", SetMargin<&TSyMargins::Left>)
        .Add(L"Margins.Top", SetMargin<&TSyMargins::Top>)
        .Add(L"Margins.Right", SetMargin<&TSyMargins::Right>)
        .Add(L"Margins.Bottom", SetMargin<&TSyMargins::Bottom>)
        .Boolean(L"AlignWithMargins", &TSyCustomControl::SetAlignWithMargins)
        .Entries();
}

// A password character is written as a one-letter string; an empty one switches it off.
void SetPasswordCharValue(TSyCustomEdit& e, Value v, Reader) {
    const std::wstring text = gui::StringValue(v);
    e.SetPasswordChar(text.empty() ? L'\0' : text[0]);
}

std::vector<gui::TPropertyEntry> CustomEditProperties() {
    using Edit = TSyCustomEdit;
    return gui::TPropertyTable<Edit>()
        .String(L"Text", &Edit::SetText)
        .Integer(L"MaxLength", &Edit::SetMaxLength)
        .Add(L"PasswordChar", SetPasswordCharValue)
        .Enum(L"CharCase", &Edit::SetCharCase, kCharCaseIdents)
        .Boolean(L"HideSelection", &Edit::SetHideSelection)
        .Boolean(L"OEMConvert", &Edit::SetOEMConvert)
        .Boolean(L"ReadOnly", &Edit::SetReadOnly)
        .Boolean(L"AutoSelect", &Edit::SetAutoSelect)
        .Boolean(L"AutoSize", &Edit::SetAutoSize)
        .Enum(L"Alignment", &Edit::SetAlignment, gui::kAlignmentIdents)
        .Enum(L"BorderStyle", &Edit::SetBorderStyle, kEditBorderIdents)
        .Boolean(L"Ctl3D", &Edit::SetCtl3D)
        .Event(L"OnChange", &Edit::OnChange)
        .Ignored(L"ParentCtl3D")
        .Ignored(L"BiDiMode")
        .Ignored(L"ParentBiDiMode")
        .Ignored(L"ImeMode")
        .Ignored(L"ImeName")
        .Entries();
}

}  // namespace

void RegisterSyStdCtrlsWindowData() {
    gui::RegisterWindowDataClass(L"TSyCustomControl", L"TCustomControl", nullptr, CustomControlProperties());
    gui::RegisterWindowDataClass(L"TSyWinControl", L"TSyCustomControl", nullptr, {});
    gui::RegisterWindowDataClass(L"TSyCustomEdit", L"TSyWinControl", nullptr, CustomEditProperties());
}
