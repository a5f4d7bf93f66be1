#include "ui/DownloadFigures.h"

#include "sys/SysUtils.h"
#include "net/TransferFigures.h"

namespace {

// The size in the units of the transfer rate, without its "/s": "12.50MB".
std::wstring AmountText(int64_t bytes) {
    std::wstring text = sys::FromGbk(FormatSpeed(static_cast<double>(bytes)));
    if (text.size() > 2 && text.compare(text.size() - 2, 2, L"/s") == 0) text.resize(text.size() - 2);
    return text;
}

}  // namespace

int DownloadPercent(int64_t pos, int64_t total) {
    if (total <= 0 || pos <= 0) return 0;
    if (pos >= total) return 100;
    // Rounded half up in integers: exact for any package size a 64-bit figure can hold.
    return static_cast<int>((pos * 200 + total) / (total * 2));
}

int ProgressBarWidth(int percent, int trackWidth) { return percent * trackWidth / 100; }

int ProgressBarWidthFor(int64_t pos, int64_t total, int trackWidth) {
    return total > 0 ? ProgressBarWidth(DownloadPercent(pos, total), trackWidth) : 0;
}

std::wstring ProgressCaption(int64_t pos, int64_t total) {
    const std::wstring figure = total > 0 ? std::to_wstring(DownloadPercent(pos, total)) + L"%" : AmountText(pos);
    return L"正在下载(" + figure + L")";
}

std::wstring LineReportText(const std::vector<TLineReport>& lines, bool telecomFirst) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Connections == 0) continue;
        if (!text.empty()) text += L"，";
        text += ((i == 0) == telecomFirst ? L"电信 " : L"联通 ") + AmountText(lines[i].Bytes) + L"（" +
                std::to_wstring(lines[i].Connections) + L"个连接）";
    }
    return text;
}

std::wstring SpeedCaption(const std::string& speedText, const std::string& remainingText, bool totalKnown) {
    const std::wstring remaining = totalKnown ? sys::FromGbk(remainingText) : L"--:--:--";
    return sys::FromGbk(speedText) + L"  剩余 " + remaining;
}
