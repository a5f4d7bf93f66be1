#include "controls/briskPanel.h"

#include <algorithm>

bool TBriskFrameController::Setting(const std::wstring& name, unsigned& value) const {
    for (const auto& setting : FSettings) {
        if (setting.first != name) continue;
        value = setting.second;
        return true;
    }
    return false;
}

void TBriskFrameController::Push(const std::wstring& name, unsigned value) {
    auto it = std::find_if(FSettings.begin(), FSettings.end(), [&name](const auto& s) { return s.first == name; });
    if (it == FSettings.end()) {
        FSettings.emplace_back(name, value);
    } else {
        it->second = value;
    }
    for (TBriskCustomPanel* panel : FPanels) panel->ApplyFrameSetting(name, value);
}

void TBriskFrameController::Attach(TBriskCustomPanel* panel) {
    if (std::find(FPanels.begin(), FPanels.end(), panel) != FPanels.end()) return;
    FPanels.push_back(panel);
    FreeNotification(panel);
    for (const auto& setting : FSettings) panel->ApplyFrameSetting(setting.first, setting.second);
}

void TBriskFrameController::Detach(TBriskCustomPanel* panel) {
    FPanels.erase(std::remove(FPanels.begin(), FPanels.end(), panel), FPanels.end());
}

// Compared as components: a panel being destroyed is no longer a panel, and the component may be
// something else altogether, so casting it down would be undefined.
void TBriskFrameController::Notification(gui::TComponent* component, gui::TOperation operation) {
    if (operation != gui::opRemove) return;
    FPanels.erase(std::remove_if(FPanels.begin(), FPanels.end(),
                                 [component](TBriskCustomPanel* panel) {
                                     return static_cast<gui::TComponent*>(panel) == component;
                                 }),
                  FPanels.end());
}
