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

void TTabSheet::VisibleChanged() {
    TCustomControl::VisibleChanged();
    if (Visible() && OnShow) OnShow(this);
    if (!Visible() && OnHide) OnHide(this);
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

void TPageControl::LayoutPages() {
    const RECT area = ClientRect();
    for (TTabSheet* page : pages_) page->SetBounds(area.left, area.top, RectWidth(area), RectHeight(area));
    Invalidate();
}

void TPageControl::Resize() {
    TCustomControl::Resize();
    LayoutPages();
}

void TPageControl::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
}

}  // namespace gui
