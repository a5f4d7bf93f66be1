// Which line the main window downloads from: the faster one by a probe at start-up unless the
// user picked one, and the other one after the publisher check rejected what a line delivered.
#include "ui/f_Main.h"

#include "controls/TesselRadioButton.h"
#include "net/TransferFigures.h"
#include "sys/SysUtils.h"
#include "ui/LineProbeRun.h"

namespace {

const wchar_t kTelecom[] = L"电信";
const wchar_t kUnicom[] = L"联通";

std::wstring SpeedText(const TLineSpeed& line) {
    return sys::FromGbk(FormatSpeed(line.Answered ? line.BytesPerSecond : -1));
}

}  // namespace

void Tfrm_Main::WatchLineButtons() {
    for (TTesselRadioButton* button : {rdbDX, RdbLT}) {
        button->OnMouseDown = [this](gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) {
            FLineChosenByUser = true;
        };
        button->OnClick = [this](gui::TObject*) {
            if (!FCheckingLine) FLineChosenByUser = true;
        };
    }
}

void Tfrm_Main::StartLineProbe(UINT doneMessage) {
    if (FLineProbe) return;  // once per start: a window shown again does not probe again
    FLineProbe = std::make_unique<TLineProbeRun>(FServices, Handle(), doneMessage);
}

void Tfrm_Main::LineProbeDone() {
    if (!FLineProbe || FLineProbe->Stopped()) return;
    FLineProbe->Stop();
    const TLineProbeResult result = FLineProbe->Result();
    if (!FLineChosenByUser) CheckLine(SecondaryIsFaster(result));
    const std::wstring chosen = RdbLT->Checked() ? kUnicom : kTelecom;
    FServices.LogRunLine(L"线路测速：" + std::wstring(kTelecom) + L" " + SpeedText(result.Primary) + L"，" + kUnicom + L" " +
                                  SpeedText(result.Secondary) + (FLineChosenByUser ? L"，用户已选" : L"，选择") +
                                  chosen);
}

void Tfrm_Main::CheckLine(bool secondary) {
    FCheckingLine = true;
    (secondary ? RdbLT : rdbDX)->SetChecked(true);
    FCheckingLine = false;
}

// The same line would deliver the same bytes again (a carrier that rewrites plain-HTTP downloads
// is the usual cause of a rejected package).
void Tfrm_Main::SwitchToTheOtherLine() {
    const bool secondary = !RdbLT->Checked();
    CheckLine(secondary);
    FServices.LogRunLine(L"安装包校验未通过，改用另一线路重新下载：" + std::wstring(secondary ? kUnicom : kTelecom));
}
