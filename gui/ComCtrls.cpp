#include "gui/ComCtrls.h"

#include <algorithm>

namespace gui {

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
    SetVisible(false);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (pageControl == pageControl_) return;
    if (pageControl_) pageControl_->RemovePage(this);
    pageControl_ = pageControl;
    SetParent(pageControl);
    if (pageControl_) pageControl_->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetTabVisible(bool on) {
    if (on == tabVisible_) return;
    tabVisible_ = on;
    if (pageControl_) pageControl_->LayoutPages();
}

void TTabSheet::VisibleChanged() {
    TCustomControl::VisibleChanged();
    if (Visible() && OnShow) OnShow(this);
    if (!Visible() && OnHide) OnHide(this);
}

void TTabSheet::TextChanged() {
    TCustomControl::TextChanged();
    if (pageControl_) pageControl_->Invalidate();
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    if (!activePage_) SetActivePage(page);
    LayoutPages();
}

void TPageControl::RemovePage(TTabSheet* page) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty()) SetActivePage(pages_.front());
    }
    LayoutPages();
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page == activePage_ || (page && page->PageControl() != this)) return;
    TTabSheet* old = activePage_;
    activePage_ = page;
    // The new page shows before the old one hides, so the area never flashes empty.
    if (page) {
        page->Show();
        page->BringToFront();
    }
    if (old) old->Hide();
    Invalidate();
    if (OnChange) OnChange(this);
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[index] : nullptr);
}

bool TPageControl::AnyTabVisible() const {
    return std::any_of(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->TabVisible(); });
}

RECT TPageControl::AlignRect() const {
    RECT r = ClientRect();
    if (AnyTabVisible()) r.top += kTabHeight;
    return r;
}

void TPageControl::LayoutPages() {
    const RECT area = AlignRect();
    for (TTabSheet* page : pages_) page->SetBounds(area.left, area.top, RectWidth(area), RectHeight(area));
    Invalidate();
}

void TPageControl::Resize() {
    TCustomControl::Resize();
    LayoutPages();
}

RECT TPageControl::TabRect(int index) {
    if (index < 0 || index >= PageCount() || !pages_[index]->TabVisible()) return Rect(0, 0, 0, 0);
    Canvas().Font = Font();
    int left = 0;
    for (int i = 0; i < index; ++i) {
        if (pages_[i]->TabVisible()) left += Canvas().TextWidth(pages_[i]->Caption()) + 16;
    }
    return Bounds(left, 0, Canvas().TextWidth(pages_[index]->Caption()) + 16, kTabHeight);
}

void TPageControl::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Font = Font();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
    if (!AnyTabVisible()) return;
    for (int i = 0; i < PageCount(); ++i) {
        RECT tab = TabRect(i);
        if (IsRectEmpty(&tab)) continue;
        const bool active = pages_[i] == activePage_;
        canvas.Brush.SetColor(active ? clBtnShadow : Color());
        canvas.FillRect(Rect(tab.left + 1, tab.top + 1, tab.right - 1, tab.bottom - 1));
        canvas.Brush.SetStyle(bsClear);
        canvas.Font.SetColor(active ? clBtnHighlight : Font().Color());
        canvas.DrawText(pages_[i]->Caption(), tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas.Brush.SetStyle(bsSolid);
    }
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        for (int i = 0; i < PageCount(); ++i) {
            RECT tab = TabRect(i);
            if (PtInRect(&tab, POINT{x, y})) SetActivePage(pages_[i]);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

}  // namespace gui
