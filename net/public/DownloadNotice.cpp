#include "net/public/DownloadNotice.h"

#include <windows.h>

#include "net/TransferFigures.h"
#include "net/public/HttpResponseInfo.h"
#include "sys/SysUtils.h"

namespace {

constexpr size_t kShortTextBytes = 16;

std::string ShortText(std::string text) {
    if (text.size() > kShortTextBytes) text.resize(kShortTextBytes);
    return text;
}

}  // namespace

THttpDownloadInfo MakeDownloadInfo(TDownloadState state, int32_t tag, const TNoticeFigures& figures,
                                   const std::wstring& msg, int32_t result) {
    THttpDownloadInfo info;
    info.Version = 1;
    info.State = state;
    info.Downloaded = figures.Downloaded;
    info.Total = figures.Total;
    info.Tag = tag;
    info.Msg = msg;
    info.RemainingMs = figures.RemainingMs;
    info.RemainingText = ShortText(FormatRemainTime(figures.RemainingMs));
    info.Speed = figures.Speed;
    info.SpeedText = ShortText(FormatSpeed(static_cast<double>(figures.Speed)));
    info.ResultCode = result;
    return info;
}

// A temporary file that went missing fails the move: result 0 promises the package in place.
bool MoveDownloadIntoPlace(const std::wstring& tempName, const std::wstring& savePath, std::wstring& failText) {
    const std::wstring moveText = L"移动[" + tempName + L"]文件到[" + savePath + L"]失败:";
    if (!sys::PathExists(tempName)) {
        failText = moveText + sys::SysErrorMessage(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (sys::PathExists(savePath) && !DeleteFileW(savePath.c_str())) {
        failText = L"删除[" + savePath + L"]文件失败:" + sys::SysErrorMessage(::GetLastError());
        return false;
    }
    if (!MoveFileW(tempName.c_str(), savePath.c_str())) {
        failText = moveText + sys::SysErrorMessage(::GetLastError());
        return false;
    }
    return true;
}
