#pragma once
// The one way to run work off the window's thread: a worker with a stop token and a completion
// that the starting thread collects. A worker still blocked in the network when its owner goes
// is left to finish on its own; it keeps the state it shares with the task alive until then.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace sys {

// A stop request shared by a worker and whoever may end it; copies share the one flag.
class TStopToken {
public:
    TStopToken() : FStopped(std::make_shared<std::atomic<bool>>(false)) {}
    bool Stopped() const { return *FStopped; }
    void Stop() const { *FStopped = true; }

private:
    std::shared_ptr<std::atomic<bool>> FStopped;
};

template <typename R>
class TTask {
public:
    using TWork = std::function<R(const TStopToken&)>;

    // Starts work on a thread of its own; onDone (optional) runs on that thread once the result
    // is in, for example to post a message. With no thread to spare the work runs here and now.
    explicit TTask(TWork work, std::function<void()> onDone = nullptr) : FState(std::make_shared<TState>()) {
        auto run = [state = FState, work = std::move(work), onDone = std::move(onDone)] {
            try {
                state->Result = work(state->Stop);
            } catch (...) {
                state->Failed = true;
            }
            state->Done = true;
            SetEvent(state->Event);
            if (onDone) onDone();
        };
        try {
            FWorker = std::thread(run);
        } catch (const std::system_error&) {
            run();
        }
    }
    // Stops the work; joins a worker that has finished and leaves one that has not to end alone.
    ~TTask() {
        FState->Stop.Stop();
        if (!FWorker.joinable()) return;
        if (FState->Done) {
            FWorker.join();
        } else {
            FWorker.detach();
        }
    }
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;

    void Stop() const { FState->Stop.Stop(); }
    const TStopToken& StopToken() const { return FState->Stop; }
    bool Done() const { return FState->Done; }
    // Signalled once the result is in: for MsgWaitForMultipleObjects and the like.
    HANDLE DoneEvent() const { return FState->Event; }
    // True when the work finished within ms.
    bool Wait(DWORD ms) const { return WaitForSingleObject(FState->Event, ms) == WAIT_OBJECT_0; }
    // The work threw instead of returning.
    bool Failed() const { return FState->Done && FState->Failed; }
    // The result, once Done(); a default R before.
    R Result() const { return FState->Done ? FState->Result : R(); }

private:
    struct TState {
        TState() : Event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        ~TState() {
            if (Event) CloseHandle(Event);
        }
        TState(const TState&) = delete;
        TState& operator=(const TState&) = delete;
        TStopToken Stop;
        std::atomic<bool> Done{false};
        bool Failed = false;
        R Result{};
        HANDLE Event;
    };

    std::shared_ptr<TState> FState;
    std::thread FWorker;
};

}  // namespace sys
