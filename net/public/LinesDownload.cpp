// DownloadFile and DownloadFromLines: the caller's thread waits for the run's workers and
// delivers the notifications, at least every 100 ms, so a window that pumps in its handler stays
// alive and can cancel at every stage, connecting included.
#include <cmath>

#include "net/public/DownloadNotice.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/TransferRun.h"
#include "sys/SysUtils.h"

int32_t DownloadOneStream(THttpClient& client, const std::wstring& url, const std::wstring& savePath,
                          const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers);

namespace {

constexpr DWORD kNotifyEveryMs = 100;
constexpr DWORD kStopGraceMs = 200;
constexpr uint64_t kWindowCloseMs = 1000;
constexpr DWORD kConnectionsPerServer = 16;

// WinInet queues connections to one server past a small limit; the run's own cap decides instead.
void AllowConnectionsPerServer() {
    static const bool once = [] {
        DWORD value = kConnectionsPerServer;
        InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &value, sizeof(value));
        InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &value, sizeof(value));
        return true;
    }();
    (void)once;
}

class TLinesDownload {
public:
    TLinesDownload(THttpClient& client, const TDownloadSources& sources, const std::wstring& savePath,
                   const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers)
        : FClient(client), FSources(sources), FSavePath(savePath), FOnProgress(onProgress), FTag(tag),
          FHeaders(headers) {}

    int32_t Execute(std::vector<TLineReport>* report);

private:
    std::shared_ptr<TRunShared> MakeRun();
    void Tick();
    void Measure(int64_t downloaded, int64_t total);
    void Deliver(const TRunOutcome& outcome);
    void MoveIntoPlace(const TRunShared& run);
    void Notify(TDownloadState state, int64_t downloaded = 0, int64_t total = 0,
                const std::wstring& msg = std::wstring(), int64_t remaining = 0, int64_t speed = 0);
    void Fail(const std::wstring& msg) { Notify(dsFail, 0, 0, msg); }

    THttpClient& FClient;
    const TDownloadSources& FSources;
    const std::wstring FSavePath;
    const TDownloadProgressEvent& FOnProgress;
    const int32_t FTag;
    IHttpHeaders* FHeaders;
    std::shared_ptr<TRunShared> FRun;
    bool FCancel = false;
    int32_t FResult = -1;

    uint64_t FWindowStart = 0;
    int64_t FWindowBytes = 0;
    int64_t FLastBytes = 0;
    int64_t FRemaining = 0;
    int64_t FSpeed = 0;
};

void TLinesDownload::Notify(TDownloadState state, int64_t downloaded, int64_t total, const std::wstring& msg,
                            int64_t remaining, int64_t speed) {
    FCancel = false;
    if (!FOnProgress) return;
    if (state == dsFail || state == dsError) FClient.SetLastErrorText(msg);
    FOnProgress(MakeDownloadInfo(state, FTag, {downloaded, total, remaining, speed}, msg, FResult), FCancel);
}

std::shared_ptr<TRunShared> TLinesDownload::MakeRun() {
    auto run = std::make_shared<TRunShared>();
    run->Client = FClient.Clone();
    run->Headers = FHeaders;
    run->LengthAloneResumes = FSources.LengthAloneResumes;
    run->ConnectionsPerLine = std::max(1, FSources.ConnectionsPerLine);
    run->UncappedConnection = static_cast<double>(FSources.UncappedConnection);
    run->SavePath = FSavePath;
    run->TempName = FClient.GetTempName(FSavePath);
    run->PartName = FSavePath + L".part";
    run->SideName = FClient.GetSideFileName(run->TempName);
    for (size_t i = 0; i < FSources.Urls.size(); ++i) {
        auto line = std::make_unique<TLine>();
        line->Url = EncodeURL(FSources.Urls[i]);
        TURLParts parts;
        if (FClient.ParseURL(FSources.Urls[i], parts))
            line->Host = parts.HostName + L":" + std::to_wstring(parts.Port);
        line->Standby = i > 0 && FSources.OthersOnlyOnFailure;
        run->Lines.push_back(std::move(line));
    }
    return run;
}

int32_t TLinesDownload::Execute(std::vector<TLineReport>* report) {
    if (FSavePath.empty()) {
        Fail(L"下载保存路径为空！");
        return FResult;
    }
    try {
        FRun = MakeRun();
        sys::ForceDirectories(sys::ExtractFilePath(FRun->TempName));
    } catch (const sys::Exception& e) {
        Notify(dsError, 0, 0, e.Message());
        return FResult;
    }
    Notify(dsStart);
    if (FCancel) {  // answered to dsStart: the run ends as a failure, not as a cancel
        Notify(dsFinish);
        return FResult;
    }
    AllowConnectionsPerServer();
    auto run = FRun;
    sys::TTask<TRunOutcome> task([run](const sys::TStopToken&) { return RunTransfer(run); });
    // The first at once: however fast the mirror, the window gets a turn to cancel.
    for (bool first = true; first || !task.Wait(kNotifyEveryMs); first = false) {
        Tick();
        if (!FCancel) continue;
        FRun->Stop.Stop();
        task.Wait(kStopGraceMs);
        FResult = 1;
        break;
    }
    TRunOutcome outcome = task.Result();
    if (task.Failed()) outcome.ErrorText = L"下载线程出错";
    if (FResult == 1) {
        Notify(dsFinish, FRun->Board.Downloaded(), FRun->Total, std::wstring(), 0, 0);
    } else {
        Deliver(outcome);
    }
    if (report) *report = outcome.Lines;
    return FResult;
}

// Figures count once the mirror agreed to send: a resumed part counts from its first byte then.
void TLinesDownload::Tick() {
    const bool started = FRun->DataStarted;
    const int64_t total = FRun->Total;
    const int64_t downloaded = started ? FRun->Board.Downloaded() : 0;
    if (started) Measure(downloaded, total);
    Notify(dsProgress, downloaded, total, std::wstring(), FRemaining, FSpeed);
    // The bytes are all in: what is left is closing the file, which a cancel would only undo.
    if (total > 0 && downloaded >= total) FCancel = false;
}

void TLinesDownload::Measure(int64_t downloaded, int64_t total) {
    const uint64_t now = GetTickCount64();
    if (FWindowStart == 0) {
        FWindowStart = now;
        FWindowBytes = downloaded;
    }
    const uint64_t elapsed = now - FWindowStart;
    const bool arrived = downloaded > FLastBytes;
    FLastBytes = downloaded;
    if (elapsed < kWindowCloseMs || !arrived) return;
    const double bytes = static_cast<double>(downloaded - FWindowBytes);
    const double ms = static_cast<double>(elapsed);
    FRemaining = total > 0 && downloaded <= total
                     ? static_cast<int64_t>(std::nearbyint(static_cast<double>(total - downloaded) / bytes * ms))
                     : -1;
    FSpeed = static_cast<int64_t>(std::nearbyint(bytes / ms * 1000.0));
    FWindowStart = now;
    FWindowBytes = downloaded;
}

void TLinesDownload::Deliver(const TRunOutcome& outcome) {
    if (FRun->DataStarted) {
        Measure(outcome.Downloaded, outcome.Total);
        Notify(dsProgress, outcome.Downloaded, outcome.Total, std::wstring(), FRemaining, FSpeed);
    }
    if (!outcome.ClientError.empty()) FClient.SetLastErrorText(outcome.ClientError);
    if (!outcome.FailText.empty()) Fail(outcome.FailText);
    FResult = outcome.ErrorText.empty() ? outcome.Result : -1;
    const bool samePath = CompareStringOrdinal(FRun->TempName.c_str(), -1, FSavePath.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (FResult == 0 && !outcome.UpToDate && !samePath) MoveIntoPlace(*FRun);
    Notify(dsFinish, outcome.Downloaded, outcome.Total, std::wstring(), 0, 0);
    if (!outcome.ErrorText.empty()) Notify(dsError, 0, 0, outcome.ErrorText);
}

// The side file goes only once the package is in place: a move that fails leaves a complete
// temporary file that the next run only moves.
void TLinesDownload::MoveIntoPlace(const TRunShared& run) {
    std::wstring failText;
    if (MoveDownloadIntoPlace(run.TempName, FSavePath, failText)) {
        sys::DeleteIfExists(run.SideName);
        return;
    }
    FResult = -1;
    Fail(failText);
}

}  // namespace

int32_t THttpClient::DownloadFromLines(const TDownloadSources& sources, const std::wstring& savePath,
                                       const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers,
                                       std::vector<TLineReport>* report) {
    if (sources.Urls.empty()) return DownloadOneStream(*this, std::wstring(), savePath, onProgress, tag, headers);
    // A hook may steer the request, and a client that is not resumable keeps no parts: both take
    // the one stream on the caller's thread.
    if (FOnBeforeDownload || !FResumable) return DownloadOneStream(*this, sources.Urls[0], savePath, onProgress, tag, headers);
    return TLinesDownload(*this, sources, savePath, onProgress, tag, headers).Execute(report);
}

int32_t THttpClient::DownloadFile(const std::wstring& url, const std::wstring& savePath,
                                  const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers) {
    TDownloadSources sources;
    sources.Urls = {url};
    return DownloadFromLines(sources, savePath, onProgress, tag, headers, nullptr);
}
