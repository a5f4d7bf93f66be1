#include "ui/PumpedPackageCheck.h"

#include "gui/Forms.h"
#include "ui/PackageLaunch.h"

namespace {

const wchar_t kCheckFault[] = L"校验时出错";
constexpr DWORD kRetryEveryMs = 500;

// Handles the window's messages for ms.
void PumpFor(DWORD ms) {
    const uint64_t until = GetTickCount64() + ms;
    for (uint64_t now = GetTickCount64(); now < until; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
        gui::Application.ProcessMessages();
    }
}

}  // namespace

TPumpedPackageCheck::TPumpedPackageCheck(bool& busy, IMainWindowServices& services, std::wstring path, HANDLE file)
    : FBusy(busy),
      FTask([&services, path, file](const sys::TStopToken&) { return services.CheckPackage(path, file); }) {
    FBusy = true;
}

TPumpedPackageCheck::~TPumpedPackageCheck() {
    FTask.Wait(INFINITE);
    FBusy = false;
}

TPackageCheck TPumpedPackageCheck::Wait() {
    const HANDLE done = FTask.DoneEvent();
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        gui::Application.ProcessMessages();
    FTask.Wait(INFINITE);
    FBusy = false;
    if (!FTask.Failed()) return FTask.Result();
    TPackageCheck unread;
    unread.Reason = kCheckFault;
    unread.Unreadable = true;
    return unread;
}

TPackageCheck CheckHeldPackage(bool& busy, IMainWindowServices& services, const std::wstring& path,
                               TFileHandle& package) {
    const uint64_t until = GetTickCount64() + services.UnreadablePackageRetryMs();
    for (;;) {
        package = OpenPackageForLaunch(path);
        const TPackageCheck check = TPumpedPackageCheck(busy, services, path, package.Get()).Wait();
        if (!check.Unreadable || GetTickCount64() >= until) return check;
        package.Reset();
        // Still busy in between: a close meanwhile ends the launcher as during the check itself.
        busy = true;
        struct TLower {
            bool& Busy;
            ~TLower() { Busy = false; }
        } lower{busy};
        PumpFor(kRetryEveryMs);
    }
}
