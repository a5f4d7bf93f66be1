#include "ui/PumpedPackageCheck.h"

#include "gui/Forms.h"

namespace {

const wchar_t kCheckFault[] = L"校验时出错";

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
    TPackageCheck rejected;
    rejected.Reason = kCheckFault;
    return rejected;
}
