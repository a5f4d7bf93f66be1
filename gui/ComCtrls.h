#pragma once
// Pages: a container that shows one of its tab sheets at a time, each over all of it. The
// windows hide every tab and change pages from code, so no tab row is drawn; a sheet keeps its
// TabVisible as the window data states it.
#include "gui/WinControl.h"

#include <vector>

namespace gui {

class TPageControl;

class TTabSheet : public TCustomControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Joins the page control as its last page (and becomes the sheet's parent).
    void SetPageControl(TPageControl* pageControl);
    int PageIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool on) { tabVisible_ = on; }

    TNotifyEvent OnShow, OnHide;

protected:
    void VisibleChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TCustomControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Page(int index) const { return pages_[index]; }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void Resize() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void LayoutPages();
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};

}  // namespace gui
