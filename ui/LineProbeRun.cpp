#include "ui/LineProbeRun.h"

#include <system_error>

TLineProbeRun::TLineProbeRun(IMainWindowServices& services, HWND window, UINT message)
    : FStop(std::make_shared<std::atomic<bool>>(false)), FResult(std::make_shared<TLineProbeResult>()),
      FDone(std::make_shared<std::atomic<bool>>(false)) {
    try {
        FWorker = std::thread([&services, window, message, stop = FStop, result = FResult, done = FDone] {
            try {
                *result = services.ProbeLines(stop);
            } catch (...) {
                *result = TLineProbeResult();  // a probe that cannot run leaves the line as it is
            }
            *done = true;
            PostMessageW(window, message, 0, 0);
        });
    } catch (const std::system_error&) {
        *FDone = true;
        PostMessageW(window, message, 0, 0);
    }
}

TLineProbeRun::~TLineProbeRun() {
    Stop();
    if (FWorker.joinable()) FWorker.join();
}

TLineProbeResult TLineProbeRun::Result() const { return *FDone ? *FResult : TLineProbeResult(); }
