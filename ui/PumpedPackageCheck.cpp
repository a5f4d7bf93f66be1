#include "ui/PumpedPackageCheck.h"

#include "gui/Forms.h"

#include <atomic>
#include <system_error>

namespace {

constexpr DWORD kPumpSliceMs = 30;
const wchar_t kCheckFault[] = L"校验时出错";

TPackageCheck CheckCatching(IMainWindowServices& services, const std::wstring& path, HANDLE file) {
    try {
        return services.CheckPackage(path, file);
    } catch (...) {
        TPackageCheck rejected;
        rejected.Reason = kCheckFault;
        return rejected;
    }
}

}  // namespace

struct TPumpedPackageCheck::TState {
    std::atomic<bool> Done{false};
    TPackageCheck Verdict;
};

TPumpedPackageCheck::TPumpedPackageCheck(bool& busy, IMainWindowServices& services, std::wstring path, HANDLE file)
    : FBusy(busy), FState(std::make_shared<TState>()) {
    FBusy = true;
    try {
        FWorker = std::thread([state = FState, &services, path, file] {
            state->Verdict = CheckCatching(services, path, file);
            state->Done = true;
        });
    } catch (const std::system_error&) {
        // No thread to spare: checked here, without pumping, rather than not at all.
        FState->Verdict = CheckCatching(services, path, file);
        FState->Done = true;
    }
}

TPumpedPackageCheck::~TPumpedPackageCheck() { Finish(); }

void TPumpedPackageCheck::Finish() {
    if (FWorker.joinable()) FWorker.join();
    FBusy = false;
}

TPackageCheck TPumpedPackageCheck::Wait() {
    while (!FState->Done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpSliceMs, QS_ALLINPUT);
        gui::Application.ProcessMessages();
    }
    Finish();
    return FState->Verdict;
}
