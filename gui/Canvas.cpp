#include "gui/Canvas.h"

#include "gui/Graphics.h"

namespace gui {

TCanvas::TCanvas() = default;

TCanvas::TCanvas(HDC dc) : dc_(dc) {}

HDC TCanvas::Handle() {
    if (!dc_) CreateHandle();
    return dc_;
}

void TCanvas::SetHandle(HDC dc) { dc_ = dc; }

void TCanvas::PrepareText(HDC dc) {
    SetTextColor(dc, ColorToRGB(Font.Color()));
    if (Brush.Style() == bsClear) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ColorToRGB(Brush.Color()));
    }
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (!dc) return size;
    SelectScope font(dc, Font.Handle());
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope font(dc, Font.Handle());
    PrepareText(dc);
    ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    penPos_.x = x + TextWidth(text);
    penPos_.y = y;
}

void TCanvas::TextRect(const RECT& clip, int x, int y, const std::wstring& text) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope font(dc, Font.Handle());
    PrepareText(dc);
    UINT options = ETO_CLIPPED | (Brush.Style() == bsClear ? 0 : ETO_OPAQUE);
    ExtTextOutW(dc, x, y, options, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::wstring& text, RECT& rect, UINT format) {
    HDC dc = Handle();
    if (!dc) return 0;
    SelectScope font(dc, Font.Handle());
    PrepareText(dc);
    return ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void TCanvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc || Brush.Style() == bsClear) return;
    ::FillRect(dc, &rect, Brush.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc || Brush.Style() == bsClear) return;
    ::FrameRect(dc, &rect, Brush.Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope pen(dc, Pen.Handle());
    SelectScope brush(dc, Brush.Handle());
    ::Rectangle(dc, left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope pen(dc, Pen.Handle());
    SelectScope brush(dc, Brush.Handle());
    ::Ellipse(dc, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope pen(dc, Pen.Handle());
    SelectScope brush(dc, Brush.Handle());
    ::RoundRect(dc, left, top, right, bottom, cornerWidth, cornerHeight);
}

void TCanvas::MoveTo(int x, int y) { penPos_ = POINT{x, y}; }

void TCanvas::LineTo(int x, int y) {
    HDC dc = Handle();
    if (!dc) return;
    SelectScope pen(dc, Pen.Handle());
    MoveToEx(dc, penPos_.x, penPos_.y, nullptr);
    ::LineTo(dc, x, y);
    penPos_ = POINT{x, y};
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
    HDC dc = Handle();
    if (!dc || points.empty()) return;
    SelectScope pen(dc, Pen.Handle());
    ::Polyline(dc, points.data(), static_cast<int>(points.size()));
    penPos_ = points.back();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    HDC dc = Handle();
    HDC src = source.Handle();
    if (!dc || !src) return;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.left, dest.top, RectWidth(dest), RectHeight(dest), src, sourceRect.left,
               sourceRect.top, RectWidth(sourceRect), RectHeight(sourceRect), CopyMode);
}

TColor TCanvas::Pixel(int x, int y) {
    HDC dc = Handle();
    if (!dc) return clNone;
    GdiFlush();
    COLORREF c = GetPixel(dc, x, y);
    return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    HDC dc = Handle();
    if (dc) SetPixelV(dc, x, y, ColorToRGB(color));
}

RECT TCanvas::ClipRect() {
    RECT r{0, 0, 0, 0};
    HDC dc = Handle();
    if (dc) GetClipBox(dc, &r);
    return r;
}

void TCanvas::IntersectClip(const RECT& r) {
    HDC dc = Handle();
    if (dc) IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
}

void TCanvas::ExcludeClip(const RECT& r) {
    HDC dc = Handle();
    if (dc) ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

POINT TCanvas::ViewportOrg() {
    POINT p{0, 0};
    HDC dc = Handle();
    if (dc) GetViewportOrgEx(dc, &p);
    return p;
}

void TCanvas::SetViewportOrg(int x, int y) {
    HDC dc = Handle();
    if (dc) SetViewportOrgEx(dc, x, y, nullptr);
}

void TCanvas::OffsetViewportOrg(int dx, int dy) {
    HDC dc = Handle();
    if (dc) OffsetViewportOrgEx(dc, dx, dy, nullptr);
}

}  // namespace gui
