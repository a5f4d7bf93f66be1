#pragma once
// Acts on the failure prompt while its modal loop runs: a thread timer of the test's own thread
// fires inside that loop, finds the prompt by its caption and runs the test's step once.
#include <windows.h>

#include <functional>

namespace uitest {

class TPromptDriver {
public:
    explicit TPromptDriver(std::function<void(HWND prompt)> step);
    ~TPromptDriver();
    TPromptDriver(const TPromptDriver&) = delete;
    TPromptDriver& operator=(const TPromptDriver&) = delete;
    bool Ran() const;

private:
    UINT_PTR timer_;
};

// The prompt's buttons, at their places in the prompt's client area.
void ClickReload(HWND prompt);
void ClickUseBrowser(HWND prompt);
void ClickClose(HWND prompt);

}  // namespace uitest
