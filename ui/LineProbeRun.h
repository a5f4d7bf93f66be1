#pragma once
// The probe of both lines for one window, on a worker: the window hears of the verdict through a
// posted message and reads it then. Stopping it (the user pressed download) discards the verdict.
#include <windows.h>

#include <thread>

#include "net/LineProbe.h"
#include "ui/MainWindowServices.h"

class TLineProbeRun {
public:
    // Posts `message` to window once the verdict is in; services must outlive the run.
    TLineProbeRun(IMainWindowServices& services, HWND window, UINT message);
    // Stops and joins: the worker ends within about 10 ms of a stop.
    ~TLineProbeRun();
    TLineProbeRun(const TLineProbeRun&) = delete;
    TLineProbeRun& operator=(const TLineProbeRun&) = delete;

    void Stop() { *FStop = true; }
    bool Stopped() const { return *FStop; }
    // The verdict, once the message has arrived; both lines unanswered before.
    TLineProbeResult Result() const;

private:
    TProbeStop FStop;  // shared with the line threads, which may outlive the run
    TLineProbeResult FResult;
    std::atomic<bool> FDone{false};
    std::thread FWorker;  // joined before the fields it writes go
};
