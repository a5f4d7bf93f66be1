#include "ui/LineProbeRun.h"

namespace {

constexpr DWORD kStopWaitMs = 1000;

}  // namespace

TLineProbeRun::TLineProbeRun(IMainWindowServices& services, HWND window, UINT message)
    : FTask([&services](const sys::TStopToken& stop) { return services.ProbeLines(stop); },
            [window, message] { PostMessageW(window, message, 0, 0); }) {}

// The probe uses the services: it is waited for rather than left running behind the window.
TLineProbeRun::~TLineProbeRun() {
    Stop();
    FTask.Wait(kStopWaitMs);
}
