#include "gui/TaskbarProgress.h"

#include "gui/Forms.h"
#include "gui/WindowSubclass.h"

#include <objbase.h>
#include <shobjidl.h>

namespace gui {

namespace {

TBPFLAG FlagOf(TTaskbarState state) {
    switch (state) {
    case TTaskbarState::Indeterminate: return TBPF_INDETERMINATE;
    case TTaskbarState::Normal: return TBPF_NORMAL;
    case TTaskbarState::Paused: return TBPF_PAUSED;
    case TTaskbarState::Error: return TBPF_ERROR;
    case TTaskbarState::None: break;
    }
    return TBPF_NOPROGRESS;
}

class TApplicationTaskbar final : public ITaskbarProgress {
public:
    TApplicationTaskbar() : window_(Application.Handle()), created_(RegisterWindowMessageW(L"TaskbarButtonCreated")) {
        // An elevated launcher would not hear the (unelevated) taskbar otherwise.
        ChangeWindowMessageFilterEx(window_, created_, MSGFLT_ALLOW, nullptr);
        gui::SetWindowSubclass(window_, Watch, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~TApplicationTaskbar() {
        if (list_) list_->Release();
    }
    TApplicationTaskbar(const TApplicationTaskbar&) = delete;
    TApplicationTaskbar& operator=(const TApplicationTaskbar&) = delete;

    void SetState(TTaskbarState state) override {
        state_ = state;
        Apply();
    }
    void SetValue(uint64_t done, uint64_t total) override {
        done_ = done;
        total_ = total;
        Apply();
    }

private:
    static LRESULT CALLBACK Watch(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<TApplicationTaskbar*>(data);
        if (msg == self->created_) self->ButtonCreated();
        return gui::DefSubclassProc(window, msg, wParam, lParam);
    }

    void ButtonCreated() {
        if (list_) return;
        // The apartment stays for the thread's life: the list is used until the process ends.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ITaskbarList3* list = nullptr;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    reinterpret_cast<void**>(&list)))) {
            return;
        }
        if (FAILED(list->HrInit())) {
            list->Release();
            return;
        }
        list_ = list;
        Apply();
    }

    void Apply() {
        if (!list_) return;
        list_->SetProgressState(window_, FlagOf(state_));
        const bool showsValue = state_ != TTaskbarState::None && state_ != TTaskbarState::Indeterminate;
        if (showsValue && total_ > 0) list_->SetProgressValue(window_, done_, total_);
    }

    HWND window_;
    UINT created_;
    ITaskbarList3* list_ = nullptr;
    TTaskbarState state_ = TTaskbarState::None;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
};

}  // namespace

ITaskbarProgress& ApplicationTaskbar() {
    static TApplicationTaskbar taskbar;
    return taskbar;
}

}  // namespace gui
