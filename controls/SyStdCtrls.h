#pragma once
// The base of the skinned edit: a custom-drawn windowed control with margins, a hit-test hook
// and a skin group (TSyCustomControl), its form over a system window class (TSyWinControl), and
// the single-line edit over the "EDIT" class (TSyCustomEdit). The edit window is always created
// multi-line, because only a multi-line edit accepts a formatting rectangle; the class keeps it
// behaving as a single line: no line breaks, no tabs, Tab and Enter left to the form.
#include "gui/WinControl.h"

#include <functional>
#include <string>

// Raises a flag for one scope and puts back what it was.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : FFlag(flag), FOld(flag) { flag = true; }
    ~TFlagScope() { FFlag = FOld; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

struct TSyMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Inner spacing: the children are laid out inside it.
struct TSyPadding {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Asked before the platform's hit test (screen coordinates); setting handled skips the
// platform's own and answers hitCode.
using TSyHitTestEvent = std::function<void(gui::TObject* sender, POINT screenPoint, LRESULT& hitCode, bool& handled)>;

class TSyCustomControl : public gui::TCustomControl {
public:
    explicit TSyCustomControl(gui::TComponent* owner);

    const TSyMargins& Margins() const { return FMargins; }
    void SetMargins(const TSyMargins& margins) { FMargins = margins; }
    bool AlignWithMargins() const { return FAlignWithMargins; }
    void SetAlignWithMargins(bool on) { FAlignWithMargins = on; }
    const TSyPadding& Padding() const { return FPadding; }
    void SetPadding(const TSyPadding& padding);
    RECT AlignRect() const override;

    const std::wstring& SkinGroup() const { return FSkinGroup; }
    void SetSkinGroup(const std::wstring& group) { FSkinGroup = group; }
    // A skin change for one group: a control of that group (any letter case) applies its skin.
    void SkinChanged(const std::wstring& group);

    // A parent that is not a form is switched to double buffering.
    void SetParent(gui::TWinControl* parent) override;

    TSyHitTestEvent OnHitTest;

protected:
    virtual void ApplySkin() {}
    void WndProc(gui::TMessage& message) override;

private:
    TSyMargins FMargins;
    bool FAlignWithMargins = false;
    TSyPadding FPadding;
    std::wstring FSkinGroup = L"DefSkinGroup";
};

// A control over a system window class: the class paints first, then Paint draws over it; the
// class's colour questions to the parent come back here and are answered with Font and Color.
class TSyWinControl : public TSyCustomControl {
public:
    explicit TSyWinControl(gui::TComponent* owner) : TSyCustomControl(owner) {}

protected:
    void PaintWindow(HDC dc) override;
    void WndProc(gui::TMessage& message) override;

private:
    LRESULT ControlColor(HDC dc);
    gui::BrushOwner FBrush;
    gui::TColor FBrushColor = gui::clNone;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TSyBorderStyle { bsNone, bsSingle };

class TSyCustomEdit : public TSyWinControl {
public:
    explicit TSyCustomEdit(gui::TComponent* owner);

    const std::wstring& Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }
    // The text is the value; the name is only what window data gives it (its label's words).
    std::wstring AccessibleName() const override { return StoredAccessibleName(); }
    std::wstring AccessibleValue() const override { return Text(); }
    DWORD AccessibleState() const override;
    int SelStart();
    int SelLength();
    void SetSelStart(int start);
    void SetSelLength(int length);
    void SelectAll();
    bool Modified();
    void SetModified(bool on);

    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length);  // 0: no limit
    // A password box is created single-line: a multi-line edit would show the text.
    wchar_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(wchar_t ch);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase charCase);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool on);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool on);
    bool ReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool on);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment alignment);
    TSyBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TSyBorderStyle style);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool on);

    // The height of the font's characters (text-metric height).
    int FontCharHeight() const;
    // What the edit hands its window as formatting rectangle.
    virtual RECT FormattingRect() const;

    gui::TNotifyEvent OnChange;

protected:
    long ClassAccessibleRole() const override;
    void CreateParams(gui::TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(gui::TMessage& message) override;
    bool WantsKey(WORD key) override;
    void KeyPress(wchar_t& key) override;
    // The edit's own say on a typed character, after OnKeyPress: zero rejects it.
    virtual void FilterChar(wchar_t& key) {}
    void DoEnter() override;
    void FontChanged() override;
    void TextChanged() override;
    virtual void Change();
    // Builds the window anew with the current properties, keeping text and focus.
    void RecreateWnd();
    void UpdateFormatRect();
    // Height from the font, with AutoSize and the single border.
    void AdjustHeight();
    bool SingleLineWindow() const { return FPasswordChar != 0; }

private:
    void EditChanged();
    void PasteSingleLine();
    std::wstring WindowText();

    int FMaxLength = 0;
    wchar_t FPasswordChar = 0;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    bool FOEMConvert = false;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    bool FAutoSize = true;
    gui::TAlignment FAlignment = gui::taLeftJustify;
    TSyBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    bool FModified = false;
    bool FCreating = false;
    bool FSyncingText = false;
    bool FSettingText = false;
};

// Makes the three base classes and their properties known to stored window data.
void RegisterSyStdCtrlsWindowData();
