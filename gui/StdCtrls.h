#pragma once
// The standard controls: the static text (a windowless caption that can be transparent and size
// itself), the check box and the multi-line text box over the system classes.
#include "gui/WinControl.h"

#include <string>

namespace gui {

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    // "&" underlines the next letter unless this is off.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);

    // Width (and, with word wrap, height) from the caption in the current font.
    void AdjustBounds();

protected:
    long ClassAccessibleRole() const override;  // a link when it can be clicked
    void Loaded() override { AdjustBounds(); }
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;

private:
    UINT TextFormat() const;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool showAccelChar_ = true;
};

// An auto check box over the system "BUTTON" class; OnClick fires when the user toggles it.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const;
    void SetChecked(bool on);
    DWORD AccessibleState() const override;
    void AccessibleAction() override;

protected:
    long ClassAccessibleRole() const override;
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;

private:
    bool checked_ = false;
};

// A multi-line text box over the system "EDIT" class: read-only when asked, with scroll bars.
class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);
    std::wstring Text() const;
    // Line breaks may be LF or CR LF; the box shows each line on its own.
    void SetText(const std::wstring& text);
    void Clear() { SetText(L""); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    void SetScrollBars(bool horizontal, bool vertical);
    TNotifyEvent OnChange;
    std::wstring AccessibleValue() const override { return Text(); }
    DWORD AccessibleState() const override;

protected:
    long ClassAccessibleRole() const override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;

private:
    std::wstring text_;
    bool readOnly_ = false;
    bool horizontalBar_ = false, verticalBar_ = false;
};

}  // namespace gui
