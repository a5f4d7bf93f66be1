// One URL into a file over one connection on the caller's thread, through a temporary file and a
// side file that remembers what the server announced: the run of a client that is not resumable
// or whose before-download hook may steer the request.
#include <cmath>
#include <new>
#include <vector>

#include "sys/SysUtils.h"
#include "net/public/DateTimeUtils.h"
#include "net/public/DownloadNotice.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/HttpResponseInfo.h"

namespace {

const wchar_t kSideSection[] = L"server";
const wchar_t kSizeMismatch[] = L"下载文件与服务器上记录的大小不一致，请重试!";
const wchar_t kTooLarge[] = L"超过下载文件大小限制！";
constexpr DWORD kRangeNotSatisfiable = 416;
constexpr uint64_t kWindowCloseMs = 1000;
constexpr uint64_t kNotifyAfterMs = 500;

// "<prefix>:" + the system message, or "<prefix>!" when there is no error code to explain.
std::wstring FailureText(const std::wstring& prefix, DWORD code) {
    return code == 0 ? prefix + L"!" : prefix + L":" + sys::SysErrorMessage(code);
}

// What a step before the data found.
enum class TStep { Failed, UpToDate, Complete, GoOn };

class TDownloadRun {
public:
    TDownloadRun(THttpClient& client, const std::wstring& url, const std::wstring& savePath,
                 const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers)
        : FClient(client), FUrl(url), FSavePath(savePath), FOnProgress(onProgress), FTag(tag),
          FHeaders(headers) {}

    int32_t Execute();

private:
    void Transfer();
    bool EndsBeforeData(TStep step);
    TStep Probe();
    std::wstring SendFailureText(const wchar_t* prefix) const;
    bool FinalFileUpToDate(bool requireLength) const;
    void CallBeforeDownloadHook(bool& handled);
    bool SideFileMatches() const;
    std::wstring ReadSide(const wchar_t* key, const wchar_t* fallback) const;
    void WriteSideFile() const;
    bool SendGet();
    bool AcceptPartial();
    bool AcceptWhole();
    void DiscardPartialFiles(const std::wstring& msg);
    TStep OpenTempFile();
    void Receive();
    bool ReadLoop();
    bool Admit(DWORD read);
    void MeasureWindow(uint64_t elapsed);
    void StampLastModified(HANDLE file) const;
    void CompleteFromEarlierRun();
    void CloseTempFile();
    void Finish();
    void MoveIntoPlace();

    void Notify(TDownloadState state, int64_t downloaded = 0, int64_t total = 0,
                const std::wstring& msg = std::wstring(), int64_t remaining = 0, int64_t speed = 0);
    void Fail(const std::wstring& msg) { Notify(dsFail, 0, 0, msg); }
    int64_t Downloaded() const { return FOffset + FReceived; }
    // The complete length the file is held to; 0 while none is known.
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

    int64_t FOffset = 0;
    int64_t FReceived = 0;
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
    FOnProgress(MakeDownloadInfo(state, FTag, {downloaded, total, remaining, speed}, msg, FResult), FCancel);
}

int32_t TDownloadRun::Execute() {
    if (FSavePath.empty()) {
        Notify(dsFail, 0, 0, L"下载保存路径为空！");
        return FResult;
    }
    try {
        FTempName = FClient.GetTempName(FSavePath);
        FSideName = FClient.GetSideFileName(FTempName);
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
    if (!FClient._CreateInternetConnect(EncodeURL(FUrl), FConnection, errorText)) {
        Fail(errorText);
        return;
    }
    if (FCancel) return;  // answered to dsStart: the run ends as a failure, not as a cancel
    if (FClient.GetResumable()) {
        if (EndsBeforeData(Probe())) return;
    } else {
        FOffset = 0;
        sys::DeleteIfExists(FSideName);
    }
    if (!SendGet() || EndsBeforeData(OpenTempFile())) return;
    Receive();
    CloseTempFile();
}

bool TDownloadRun::EndsBeforeData(TStep step) {
    switch (step) {
        case TStep::UpToDate:
            FResult = 0;
            FUpToDate = true;
            return true;
        case TStep::Complete:
            CompleteFromEarlierRun();
            return true;
        case TStep::GoOn:
            return false;
        default:
            return true;
    }
}

TStep TDownloadRun::Probe() {
    FClient.SetLastErrorText(std::wstring());
    if (FClient._SendFollowingRedirects(FConnection, FRequest, L"HEAD", nullptr, FClient.GetRetryCount(), nullptr) !=
        TSendOutcome::Sent) {
        Fail(SendFailureText(L"获取下载包信息失败"));
        return TStep::Failed;
    }
    FRemote = _QueryFileInfo(FRequest.Get());
    if (FRemote.ContentLength > FClient.GetMaxFileSize()) {
        Fail(kTooLarge);
        return TStep::Failed;
    }
    if (FinalFileUpToDate(false)) return TStep::UpToDate;
    FRequest.Reset();
    bool handled = false;
    CallBeforeDownloadHook(handled);
    if (!handled && FRemote.ContentLength > 0 && sys::PathExists(FTempName) && SideFileMatches()) {
        FOffset = sys::FileSize(FTempName);
        if (FOffset == FRemote.ContentLength) return TStep::Complete;
        FResume = FOffset < FRemote.ContentLength;
    }
    if (!FResume) FOffset = 0;
    WriteSideFile();
    if (!FResume) sys::DeleteIfExists(FTempName);
    return TStep::GoOn;
}

// An answer with a status gives "[status]reason" from the send step; a send that got no answer
// gives the system's text for its error.
std::wstring TDownloadRun::SendFailureText(const wchar_t* prefix) const {
    const DWORD code = ::GetLastError();
    if (FRequest && QueryStatusCode(FRequest.Get()) != 0 && !FClient.GetLastError().empty())
        return std::wstring(prefix) + L":" + FClient.GetLastError();
    return FailureText(prefix, code);
}

bool TDownloadRun::FinalFileUpToDate(bool requireLength) const {
    if (!sys::PathExists(FSavePath)) return false;
    if (requireLength && FRemote.ContentLength == 0) return false;
    return sys::FileSize(FSavePath) == FRemote.ContentLength && FileWriteDateTime(FSavePath) == FRemote.LastModified;
}

// The hook's figures are 32-bit: they are taken back only when the hook changed them.
void TDownloadRun::CallBeforeDownloadHook(bool& handled) {
    const TBeforeDownloadEvent hook = FClient.GetOnBeforeDownload();
    if (!hook) return;
    std::wstring objectName = FConnection.ObjectName;
    const uint32_t offsetBefore = static_cast<uint32_t>(FOffset);
    const uint32_t lengthBefore = static_cast<uint32_t>(FRemote.ContentLength);
    uint32_t offset = offsetBefore, contentLength = lengthBefore;
    hook(&FClient, objectName, FSavePath, FTag, L"GET", FHeaders, offset, contentLength, FResume, handled);
    if (offset != offsetBefore) FOffset = offset;
    if (contentLength != lengthBefore) FRemote.ContentLength = contentLength;
    if (handled) FConnection.ObjectName = objectName;
}

std::wstring TDownloadRun::ReadSide(const wchar_t* key, const wchar_t* fallback) const {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(kSideSection, key, fallback, value, 256, FSideName.c_str());
    return value;
}

bool TDownloadRun::SideFileMatches() const {
    if (!sys::PathExists(FSideName)) return false;
    if (ReadSide(L"ContentLen", L"0") != std::to_wstring(FRemote.ContentLength)) return false;
    return FRemote.LastModified == 0 || ReadSide(L"LastModified", L"") == FormatDateTime(FRemote.LastModified);
}

void TDownloadRun::WriteSideFile() const {
    WritePrivateProfileStringW(kSideSection, L"ContentLen", std::to_wstring(FRemote.ContentLength).c_str(),
                               FSideName.c_str());
    WritePrivateProfileStringW(kSideSection, L"LastModified", FormatDateTime(FRemote.LastModified).c_str(),
                               FSideName.c_str());
}

bool TDownloadRun::SendGet() {
    // The date the side file matched: a mirror whose file changed since answers 200 with all of it.
    const std::wstring ifRange = FRemote.LastModified != 0 ? FormatHttpDate(FRemote.LastModified) : std::wstring();
    const auto addHeaders = [&](HINTERNET request) {
        const bool ranged = FResume && FOffset > 0;
        return FClient._AddRequestHeaders(request, FHeaders, ranged ? L"bytes=" + std::to_wstring(FOffset) + L"-" : L"",
                                          ifRange);
    };
    FClient.SetLastErrorText(std::wstring());
    const TSendOutcome sent =
        FClient._SendFollowingRedirects(FConnection, FRequest, L"GET", addHeaders, FClient.GetRetryCount(), nullptr);
    if (sent == TSendOutcome::NotPrepared) {
        Fail(L"组织请求头失败！");
        return false;
    }
    if (sent == TSendOutcome::Failed) {
        const DWORD code = ::GetLastError();
        if (FClient.GetLastError().empty())
            FClient.SetLastErrorText(FailureText(L"发送下载请求失败", code));
        // A range the mirror cannot serve will not become servable: the next run starts from 0.
        if (FResume && QueryStatusCode(FRequest.Get()) == kRangeNotSatisfiable) {
            DiscardPartialFiles(FClient.GetLastError());
            return false;
        }
        Fail(FClient.GetLastError());
        return false;
    }
    return QueryStatusCode(FRequest.Get()) == HTTP_STATUS_PARTIAL_CONTENT ? AcceptPartial() : AcceptWhole();
}

// A part is appended only when it starts where T ends and belongs to the announced file;
// anything else would splice foreign bytes into the package.
bool TDownloadRun::AcceptPartial() {
    TContentRange range;
    const int64_t announced = FRemote.ContentLength;
    if (!QueryContentRange(FRequest.Get(), range) || range.First != FOffset || range.Complete <= 0 ||
        (announced > 0 && range.Complete != announced)) {
        DiscardPartialFiles(kSizeMismatch);
        return false;
    }
    // Held to the limit here too: without a length from HEAD nothing else has checked it.
    if (range.Complete > FClient.GetMaxFileSize()) {
        Fail(kTooLarge);
        return false;
    }
    FRemote.ContentLength = range.Complete;
    return true;
}

// A whole file: a range that was ignored restarts T from 0, and the GET's own length, when it
// has one, is what the file is held to.
bool TDownloadRun::AcceptWhole() {
    FResume = false;
    FOffset = 0;
    const TRemoteFileInfo answer = _QueryFileInfo(FRequest.Get());
    if (answer.ContentLength > 0) FRemote.ContentLength = answer.ContentLength;
    if (answer.LastModified != 0) {
        FRemote.LastModified = answer.LastModified;
        FRemote.LastModifiedSt = answer.LastModifiedSt;
    }
    if (!FClient.GetResumable()) return true;
    if (FRemote.ContentLength > FClient.GetMaxFileSize()) {
        Fail(kTooLarge);
        return false;
    }
    WriteSideFile();
    return true;
}

void TDownloadRun::DiscardPartialFiles(const std::wstring& msg) {
    FTempFile.Reset();
    sys::DeleteIfExists(FTempName);
    sys::DeleteIfExists(FSideName);
    Fail(msg);
}

TStep TDownloadRun::OpenTempFile() {
    if (FResume) {
        FTempFile.Reset(CreateFileW(FTempName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER zero{};
        if (FTempFile) SetFilePointerEx(FTempFile.Get(), zero, nullptr, FILE_END);
    } else {
        if (FinalFileUpToDate(true)) return TStep::UpToDate;
        if (sys::PathExists(FSavePath)) sys::DeleteIfExists(FTempName);
        FTempFile.Reset(CreateFileW(FTempName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!FTempFile) {
        Fail(FailureText(L"创建下载文件失败", ::GetLastError()));
        return TStep::Failed;
    }
    return TStep::GoOn;
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
    if (Total() != 0 && size.QuadPart != Total()) {
        Fail(kSizeMismatch);
        return;
    }
    FResult = 0;
    sys::DeleteIfExists(FSideName);
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
        if (!Admit(read)) return false;
        FReceived += read;
        DWORD written = 0;
        if (!WriteFile(FTempFile.Get(), FBuffer.data(), read, &written, nullptr) || written != read) {
            Fail(L"写文件失败:" + sys::SysErrorMessage(::GetLastError()));
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

// More bytes than the file is held to mean another file than the one announced: what T holds
// cannot be trusted either. Without any length, the size limit still bounds a resumable run.
bool TDownloadRun::Admit(DWORD read) {
    const int64_t after = Downloaded() + read;
    if (Total() > 0 && after > Total()) {
        DiscardPartialFiles(kSizeMismatch);
        return false;
    }
    if (Total() == 0 && FClient.GetResumable() && after > FClient.GetMaxFileSize()) {
        Fail(kTooLarge);
        return false;
    }
    return true;
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

// Checked before converting: some platforms turn 1899-12-30 into a file time all the same.
void TDownloadRun::StampLastModified(HANDLE file) const {
    FILETIME lastWrite;
    if (FRemote.LastModified != 0 && SystemTimeToFileTime(&FRemote.LastModifiedSt, &lastWrite))
        SetFileTime(file, nullptr, nullptr, &lastWrite);
}

// An earlier run received everything: T finishes as if this run had written it.
void TDownloadRun::CompleteFromEarlierRun() {
    TFileHandle file(CreateFileW(FTempName.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) StampLastModified(file.Get());
    FResult = 0;
    sys::DeleteIfExists(FSideName);
}

void TDownloadRun::CloseTempFile() {
    FBuffer = std::vector<char>();
    if (FTempFile && FResult == 0) StampLastModified(FTempFile.Get());
    FTempFile.Reset();
    FRequest.Reset();
}

void TDownloadRun::Finish() {
    FFinishing = true;
    FTempFile.Reset();
    FRequest.Reset();
    const bool samePath =
        CompareStringOrdinal(FTempName.c_str(), -1, FSavePath.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (FResult == 0 && !FUpToDate && !samePath) MoveIntoPlace();
    Notify(dsFinish, Downloaded(), Total(), std::wstring(), 0, 0);
}

void TDownloadRun::MoveIntoPlace() {
    std::wstring failText;
    if (MoveDownloadIntoPlace(FTempName, FSavePath, failText)) return;
    FResult = -1;
    Fail(failText);
}

}  // namespace

int32_t DownloadOneStream(THttpClient& client, const std::wstring& url, const std::wstring& savePath,
                          const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers) {
    return TDownloadRun(client, url, savePath, onProgress, tag, headers).Execute();
}
