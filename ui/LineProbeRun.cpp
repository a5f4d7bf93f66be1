#include "ui/LineProbeRun.h"

#include <system_error>

TLineProbeRun::TLineProbeRun(IMainWindowServices& services, HWND window, UINT message)
    : FStop(std::make_shared<std::atomic<bool>>(false)) {
    try {
        FWorker = std::thread([this, &services, window, message] {
            try {
                FResult = services.ProbeLines(FStop);
            } catch (...) {
                FResult = TLineProbeResult();  // a probe that cannot run leaves the line as it is
            }
            FDone = true;
            PostMessageW(window, message, 0, 0);
        });
    } catch (const std::system_error&) {
        FDone = true;
        PostMessageW(window, message, 0, 0);
    }
}

TLineProbeRun::~TLineProbeRun() {
    Stop();
    if (FWorker.joinable()) FWorker.join();
}

TLineProbeResult TLineProbeRun::Result() const { return FDone ? FResult : TLineProbeResult(); }
