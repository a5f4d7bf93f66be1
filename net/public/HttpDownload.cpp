// DownloadFile: one URL into a file through a temporary file and a side file that remembers
// what the server announced, so that an interrupted transfer continues where it stopped.
#include <cmath>
#include <new>
#include <vector>

#include "gui/SysUtils.h"
#include "net/TransferFigures.h"
#include "net/public/DateTimeUtils.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/HttpFileUtils.h"

namespace {

const wchar_t kSideSection[] = L"server";
constexpr size_t kShortTextBytes = 16;
constexpr uint64_t kWindowCloseMs = 1000;
constexpr uint64_t kNotifyAfterMs = 500;

std::wstring LastSystemMessage() { return sys::SysErrorMessage(::GetLastError()); }

// "<prefix>:" + the system message, or "<prefix>!" when there is no error code to explain.
std::wstring FailureText(const std::wstring& prefix, DWORD code) {
    return code == 0 ? prefix + L"!" : prefix + L":" + sys::SysErrorMessage(code);
}

std::string ShortText(std::string text) {
    if (text.size() > kShortTextBytes) text.resize(kShortTextBytes);
    return text;
}

void DeleteIfExists(const std::wstring& name) {
    if (FileExistsEx(name)) DeleteFileW(name.c_str());
}

class TDownloadRun {
public:
    TDownloadRun(THttpClient& client, const std::wstring& url, const std::wstring& savePath,
                 const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers)
        : FClient(client), FUrl(url), FSavePath(savePath), FOnProgress(onProgress), FTag(tag),
          FHeaders(headers) {}

    int32_t Execute();

private:
    void Transfer();
    bool Probe();
    bool FinalFileUpToDate(bool requireLength) const;
    void CallBeforeDownloadHook(bool& handled);
    bool SideFileMatches() const;
    std::wstring ReadSide(const wchar_t* key, const wchar_t* fallback) const;
    void WriteSideFile() const;
    bool SendGet();
    DWORD QueryStatusCode() const;
    bool OpenTempFile();
    void Receive();
    bool ReadLoop();
    void MeasureWindow(uint64_t elapsed);
    void CloseTempFile();
    void Finish();
    void MoveIntoPlace();

    void Notify(TDownloadState state, int64_t downloaded = 0, int64_t total = 0,
                const std::wstring& msg = std::wstring(), int64_t remaining = 0, int64_t speed = 0);
    void Fail(const std::wstring& msg) { Notify(dsFail, 0, 0, msg); }
    int64_t Downloaded() const { return static_cast<int64_t>(FOffset) + FReceived; }
    int64_t Total() const { return FRemote.ContentLength; }

    THttpClient& FClient;
    const std::wstring FUrl;
    std::wstring FSavePath;
    const TDownloadProgressEvent& FOnProgress;
    int32_t FTag;
    IHttpHeaders* FHeaders;
    std::wstring FTempName;
    std::wstring FSideName;

    TInternetConnection FConnection;
    TInternetHandle FRequest;  // the HEAD probe, then the GET
    TFileHandle FTempFile;
    std::vector<char> FBuffer;
    TRemoteFileInfo FRemote;

    uint32_t FOffset = 0;
    uint32_t FReceived = 0;
    bool FResume = false;
    bool FCancel = false;
    bool FStarted = false;
    bool FFinishing = false;
    bool FUpToDate = false;  // the final file already matches: nothing to move
    int32_t FResult = -1;

    int64_t FWindowBytes = 0;
    uint64_t FWindowStart = 0;  // 0: no measuring window open
    int64_t FRemaining = 0;
    int64_t FSpeed = 0;
};

void TDownloadRun::Notify(TDownloadState state, int64_t downloaded, int64_t total, const std::wstring& msg,
                          int64_t remaining, int64_t speed) {
    FCancel = false;
    if (!FOnProgress) return;
    if (state == dsFail || state == dsError) FClient.SetLastErrorText(msg);
    THttpDownloadInfo info;
    info.Version = 1;
    info.State = state;
    info.Downloaded = downloaded;
    info.Total = total;
    info.Tag = FTag;
    info.Msg = msg;
    info.RemainingMs = remaining;
    info.RemainingText = ShortText(FormatRemainTime(remaining));
    info.Speed = speed;
    info.SpeedText = ShortText(FormatSpeed(static_cast<double>(speed)));
    info.ResultCode = FResult;
    FOnProgress(info, FCancel);
}

int32_t TDownloadRun::Execute() {
    if (FSavePath.empty()) {
        Notify(dsFail, 0, 0, L"下载保存路径为空！");
        return FResult;
    }
    try {
        FTempName = FSavePath + L".tmp";
        FSideName = sys::ChangeFileExt(FTempName, L".sdc");
        sys::ForceDirectories(sys::ExtractFilePath(FTempName));
        FStarted = true;
        Notify(dsStart);
        Transfer();
        Finish();
        FConnection.Close();
    } catch (const sys::Exception& e) {
        FTempFile.Reset();
        FRequest.Reset();
        if (FStarted && !FFinishing) Finish();
        FConnection.Close();
        Notify(dsError, 0, 0, e.Message());
    }
    return FResult;
}

void TDownloadRun::Transfer() {
    std::wstring errorText;
    if (!FClient._CreateInternetConnect(sys::ToAnsi(EncodeURL(FUrl)), FConnection, errorText)) {
        Fail(errorText);
        return;
    }
    if (FCancel) return;  // answered to dsStart: the run ends as a failure, not as a cancel
    if (FClient.GetResumable()) {
        if (!Probe()) return;
    } else {
        FOffset = 0;
        DeleteIfExists(FSideName);
    }
    if (!SendGet() || !OpenTempFile()) return;
    Receive();
    CloseTempFile();
}

bool TDownloadRun::Probe() {
    FRequest = FClient._OpenRequest(FConnection, "HEAD");
    if (!FClient._SendRequest(FRequest.Get(), FClient.GetRetryCount(), nullptr)) {
        Fail(FailureText(L"获取下载包信息失败", ::GetLastError()));
        return false;
    }
    FRemote = _QueryFileInfo(FRequest.Get());
    if (static_cast<int64_t>(FRemote.ContentLength) > FClient.GetMaxFileSize()) {
        Fail(L"超过下载文件大小限制！");
        return false;
    }
    if (FinalFileUpToDate(false)) {
        FResult = 0;
        FUpToDate = true;
        return false;
    }
    FRequest.Reset();
    bool handled = false;
    CallBeforeDownloadHook(handled);
    if (!handled && FRemote.ContentLength > 0 && FileExistsEx(FTempName) && SideFileMatches()) {
        FOffset = static_cast<uint32_t>(GetFileSize64(FTempName));
        if (FOffset == FRemote.ContentLength) {
            FResult = 0;  // an earlier run got everything: only the move is left
            return false;
        }
        FResume = FOffset < FRemote.ContentLength;
    }
    WriteSideFile();
    if (!FResume) DeleteIfExists(FTempName);
    return true;
}

bool TDownloadRun::FinalFileUpToDate(bool requireLength) const {
    if (!FileExistsEx(FSavePath)) return false;
    if (requireLength && FRemote.ContentLength == 0) return false;
    return GetFileSize64(FSavePath) == static_cast<int64_t>(FRemote.ContentLength) &&
           GetFileModifyTime(FSavePath) == FRemote.LastModified;
}

void TDownloadRun::CallBeforeDownloadHook(bool& handled) {
    const TBeforeDownloadEvent hook = FClient.GetOnBeforeDownload();
    if (!hook) return;
    std::wstring objectName = sys::FromAnsi(FConnection.ObjectName);
    uint32_t contentLength = FRemote.ContentLength;
    hook(&FClient, objectName, FSavePath, FTag, L"GET", FHeaders, FOffset, contentLength, FResume, handled);
    FRemote.ContentLength = contentLength;
    if (handled) FConnection.ObjectName = sys::ToAnsi(objectName);
}

std::wstring TDownloadRun::ReadSide(const wchar_t* key, const wchar_t* fallback) const {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(kSideSection, key, fallback, value, 256, FSideName.c_str());
    return value;
}

bool TDownloadRun::SideFileMatches() const {
    if (!FileExistsEx(FSideName)) return false;
    if (ReadSide(L"ContentLen", L"0") != std::to_wstring(FRemote.ContentLength)) return false;
    return FRemote.LastModified == 0 || ReadSide(L"LastModified", L"") == FormatDateTime(FRemote.LastModified);
}

void TDownloadRun::WriteSideFile() const {
    WritePrivateProfileStringW(kSideSection, L"ContentLen", std::to_wstring(FRemote.ContentLength).c_str(),
                               FSideName.c_str());
    WritePrivateProfileStringW(kSideSection, L"LastModified", FormatDateTime(FRemote.LastModified).c_str(),
                               FSideName.c_str());
}

DWORD TDownloadRun::QueryStatusCode() const {
    DWORD status = 0, size = sizeof(status);
    HttpQueryInfoA(FRequest.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    return status;
}

bool TDownloadRun::SendGet() {
    FRequest = FClient._OpenRequest(FConnection, "GET");
    if (!FClient._AddRequestHeaders(FRequest.Get(), FHeaders, FResume, FOffset)) {
        Fail(L"组织请求头失败！");
        return false;
    }
    if (!FClient._SendRequest(FRequest.Get(), FClient.GetRetryCount(), nullptr)) {
        const DWORD code = ::GetLastError();
        if (FClient.GetLastError().empty())
            FClient.SetLastErrorText(FailureText(L"发送下载请求失败", code));
        Fail(FClient.GetLastError());
        return false;
    }
    // A server that ignores the range sends the whole file: appending it would corrupt T.
    if (FResume && QueryStatusCode() == HTTP_STATUS_OK) {
        FResume = false;
        FOffset = 0;
    }
    return true;
}

bool TDownloadRun::OpenTempFile() {
    const std::string tempName = sys::ToAnsi(FTempName);
    if (FResume) {
        FTempFile.Reset(CreateFileA(tempName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER zero{};
        if (FTempFile) SetFilePointerEx(FTempFile.Get(), zero, nullptr, FILE_END);
    } else {
        FRemote = _QueryFileInfo(FRequest.Get());
        if (FinalFileUpToDate(true)) {
            FResult = 0;
            FUpToDate = true;
            return false;
        }
        if (FileExistsEx(FSavePath)) DeleteIfExists(FTempName);
        FTempFile.Reset(CreateFileA(tempName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!FTempFile) {
        Fail(FailureText(L"创建下载文件失败", ::GetLastError()));
        return false;
    }
    return true;
}

void TDownloadRun::Receive() {
    try {
        if (FClient.GetBufferSize() <= 0) throw std::bad_alloc();
        FBuffer.resize(static_cast<size_t>(FClient.GetBufferSize()));
    } catch (const std::bad_alloc&) {
        Fail(FailureText(L"创建缓冲区失败", ::GetLastError()));
        return;
    }
    Notify(dsProgress, FOffset, Total(), std::wstring(), 0, 0);
    if (FCancel) {
        FResult = 1;
        return;
    }
    if (!ReadLoop()) return;
    Notify(dsProgress, Downloaded(), Total(), std::wstring(), FRemaining, FSpeed);
    LARGE_INTEGER size{};
    GetFileSizeEx(FTempFile.Get(), &size);
    if (FRemote.ContentLength != 0 && static_cast<uint32_t>(size.QuadPart) != FRemote.ContentLength) {
        Fail(L"下载文件与服务器上记录的大小不一致，请重试!");
        return;
    }
    FResult = 0;
    DeleteIfExists(FSideName);
}

// True when the data ended; false after a failure or a cancel.
bool TDownloadRun::ReadLoop() {
    for (;;) {
        if (FWindowStart == 0) {
            FWindowStart = GetTickCount64();
            FWindowBytes = 0;
        }
        DWORD read = 0;
        if (!InternetReadFile(FRequest.Get(), FBuffer.data(), static_cast<DWORD>(FBuffer.size()), &read)) {
            Fail(FailureText(L"从网络读取文件失败", ::GetLastError()));
            return false;
        }
        if (read == 0) return true;
        FReceived += read;
        DWORD written = 0;
        if (!WriteFile(FTempFile.Get(), FBuffer.data(), read, &written, nullptr) || written != read) {
            Fail(L"写文件失败:" + LastSystemMessage());
            return false;
        }
        FWindowBytes += read;
        const uint64_t elapsed = GetTickCount64() - FWindowStart;
        if (elapsed >= kWindowCloseMs) MeasureWindow(elapsed);
        if (elapsed > kNotifyAfterMs) {
            Notify(dsProgress, Downloaded(), Total(), std::wstring(), FRemaining, FSpeed);
            if (FCancel) {
                FResult = 1;
                return false;
            }
        }
    }
}

void TDownloadRun::MeasureWindow(uint64_t elapsed) {
    const double ms = static_cast<double>(elapsed);
    const double bytes = static_cast<double>(FWindowBytes);
    if (Total() > 0 && Downloaded() <= Total()) {
        const double left = static_cast<double>(Total() - Downloaded());
        FRemaining = static_cast<int64_t>(std::nearbyint(left / bytes * ms));
    } else {
        FRemaining = -1;
    }
    FSpeed = static_cast<int64_t>(std::nearbyint(bytes / ms * 1000.0));
    FWindowBytes = 0;
    FWindowStart = 0;
}

void TDownloadRun::CloseTempFile() {
    FBuffer = std::vector<char>();
    // Checked before converting: some platforms turn 1899-12-30 into a file time all the same.
    if (FTempFile && FResult == 0 && FRemote.LastModified != 0) {
        FILETIME lastWrite;
        if (SystemTimeToFileTime(&FRemote.LastModifiedSt, &lastWrite))
            SetFileTime(FTempFile.Get(), nullptr, nullptr, &lastWrite);
    }
    FTempFile.Reset();
    FRequest.Reset();
}

void TDownloadRun::Finish() {
    FFinishing = true;
    FTempFile.Reset();
    FRequest.Reset();
    const bool samePath =
        CompareStringOrdinal(FTempName.c_str(), -1, FSavePath.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (FResult == 0 && !FUpToDate && !samePath && FileExistsEx(FTempName)) MoveIntoPlace();
    Notify(dsFinish, Downloaded(), Total(), std::wstring(), 0, 0);
}

void TDownloadRun::MoveIntoPlace() {
    if (FileExistsEx(FSavePath) && !DeleteFileW(FSavePath.c_str())) {
        FResult = -1;
        Fail(L"删除[" + FSavePath + L"]文件失败:" + LastSystemMessage());
        return;
    }
    if (!MoveFileW(FTempName.c_str(), FSavePath.c_str())) {
        FResult = -1;
        Fail(L"移动[" + FTempName + L"]文件到[" + FSavePath + L"]失败:" + LastSystemMessage());
    }
}

}  // namespace

int32_t THttpClient::DownloadFile(const std::wstring& url, const std::wstring& savePath,
                                  const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers) {
    return TDownloadRun(*this, url, savePath, onProgress, tag, headers).Execute();
}
