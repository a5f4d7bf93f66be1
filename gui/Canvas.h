#pragma once
// A drawing surface over a device context it does not own, with the current pen, brush and
// font. Each primitive selects what it needs and puts the DC's previous objects back, so the
// DC never holds one of our handles after a call (a font change can then free the old one).
#include "gui/GraphicsObjects.h"

#include <string>
#include <vector>

namespace gui {

class TGraphic;

inline RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }
inline RECT Bounds(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }
inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }

class TCanvas {
public:
    TCanvas();
    explicit TCanvas(HDC dc);
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The DC, acquired on demand by canvases that can (a control's canvas).
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TPen Pen;
    TBrush Brush;
    TFont Font;
    DWORD CopyMode = SRCCOPY;

    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
    int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }
    // With a clear brush the text is drawn transparently, otherwise on the brush colour.
    void TextOut(int x, int y, const std::wstring& text);
    void TextRect(const RECT& clip, int x, int y, const std::wstring& text);
    int DrawText(const std::wstring& text, RECT& rect, UINT format);

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const RECT& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    POINT PenPos() const { return penPos_; }
    void Polyline(const std::vector<POINT>& points);

    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const RECT& rect, TGraphic& graphic);
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);

    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    RECT ClipRect();
    void IntersectClip(const RECT& rect);
    void ExcludeClip(const RECT& rect);
    POINT ViewportOrg();
    void SetViewportOrg(int x, int y);
    void OffsetViewportOrg(int dx, int dy);

    // SaveDC / RestoreDC of the canvas's DC, for clip and viewport changes that must not leak.
    class StateScope {
    public:
        explicit StateScope(TCanvas& canvas) : scope_(canvas.Handle()) {}

    private:
        DcStateScope scope_;
    };

protected:
    virtual void CreateHandle() {}
    HDC dc_ = nullptr;

private:
    void PrepareText(HDC dc);
    POINT penPos_{0, 0};
};

}  // namespace gui
