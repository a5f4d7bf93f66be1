#pragma once
// The probe of both lines for one window, on a worker: the window hears of the verdict through a
// posted message and reads it then. Stopping it (the user pressed download) discards the verdict.
#include <windows.h>

#include "net/LineProbe.h"
#include "sys/Task.h"
#include "ui/MainWindowServices.h"

class TLineProbeRun {
public:
    // Posts `message` to window once the verdict is in; services must outlive the run.
    TLineProbeRun(IMainWindowServices& services, HWND window, UINT message);
    // Stops and waits: the probe ends within a few tens of milliseconds of a stop.
    ~TLineProbeRun();
    TLineProbeRun(const TLineProbeRun&) = delete;
    TLineProbeRun& operator=(const TLineProbeRun&) = delete;

    void Stop() { FTask.Stop(); }
    bool Stopped() const { return FTask.StopToken().Stopped(); }
    // The verdict, once the message has arrived; both lines unanswered before, and when the probe
    // could not run.
    TLineProbeResult Result() const { return FTask.Failed() ? TLineProbeResult() : FTask.Result(); }

private:
    sys::TTask<TLineProbeResult> FTask;
};
