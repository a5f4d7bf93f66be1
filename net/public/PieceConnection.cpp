// One connection of a download run: the HEAD that tells what a line serves, and the ranged GETs
// that fetch pieces, each answer held to the announced file before a byte of it is written.
#include <vector>

#include "net/public/DateTimeUtils.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/TransferRun.h"
#include "sys/SysUtils.h"

namespace {

const wchar_t kSizeMismatch[] = L"下载文件与服务器上记录的大小不一致，请重试!";
const wchar_t kTooLarge[] = L"超过下载文件大小限制！";
constexpr DWORD kRangeNotSatisfiable = 416;
constexpr DWORD kTooManyRequests = 429;

std::wstring FailureText(const std::wstring& prefix, DWORD code) {
    return code == 0 ? prefix + L"!" : prefix + L":" + sys::SysErrorMessage(code);
}

TConnResult Ended(TConnEnd end, const std::wstring& text, bool discard = false) {
    TConnResult result;
    result.End = end;
    result.Text = text;
    result.Discard = discard;
    return result;
}

// Seconds of a Retry-After header in milliseconds; 0 when it is absent or a date.
DWORD RetryAfterMs(HINTERNET request) {
    const std::wstring text = QueryInfoText(request, HTTP_QUERY_RETRY_AFTER);
    const int64_t seconds = ParseDecimal(sys::ToUtf8(sys::Trim(text)));
    return seconds <= 0 || seconds > 3600 ? 0 : static_cast<DWORD>(seconds * 1000);
}

class TPieceFetch {
public:
    TPieceFetch(const std::shared_ptr<TRunShared>& run, int line, const std::shared_ptr<TConnWatch>& watch)
        : FRun(*run), FLine(*run->Lines[line]), FLineIndex(line), FWatch(*watch),
          FOwner(run->Client->Clone()), FClient(static_cast<THttpClient&>(*FOwner.Get())) {}

    TConnResult Run();

private:
    TConnResult Fetch(TClaim& claim);
    TConnResult Send(TClaim& claim, bool first);
    TConnResult AcceptWhole(TClaim& claim, bool first);
    TConnResult Receive(const TClaim& claim, bool stream);
    std::wstring RangeOf(const TClaim& claim) const;
    bool Over() const { return FRun.Stop.Stopped() || FWatch.Abandoned; }

    TRunShared& FRun;
    TLine& FLine;
    int FLineIndex;
    TConnWatch& FWatch;
    HttpClientPtr FOwner;
    THttpClient& FClient;
    TInternetConnection FConnection;
    TInternetHandle FRequest;
    std::vector<char> FBuffer;
};

TConnResult TPieceFetch::Run() {
    std::wstring errorText;
    if (!FClient._CreateInternetConnect(FLine.Url, FConnection, errorText)) return Ended(TConnEnd::Failed, errorText);
    FBuffer.resize(static_cast<size_t>(FClient.GetBufferSize() > 0 ? FClient.GetBufferSize() : 131072));
    // Only a connection that has finished a piece may race another: a new one takes real work
    // or none.
    for (bool fresh = true;; fresh = false) {
        TClaim claim;
        if (Over() || !FRun.Board.Claim(!fresh, claim)) return Ended(TConnEnd::Idle, L"");
        FWatch.Hold(claim);
        const TConnResult result = Fetch(claim);
        FWatch.ReleaseOnce(FRun.Board);
        FRequest.Reset();
        if (result.End != TConnEnd::Idle) return result;
    }
}

// A piece that reaches the end of the file asks "from-", as a resumed download always has.
std::wstring TPieceFetch::RangeOf(const TClaim& claim) const {
    const int64_t total = FRun.Board.Total();
    const int64_t end = FRun.Board.EndOf(claim);
    std::wstring range = L"bytes=" + std::to_wstring(claim.From) + L"-";
    if (total <= 0 || end < total) range += std::to_wstring(end - 1);
    return range;
}

TConnResult TPieceFetch::Fetch(TClaim& claim) {
    const bool first = FRun.First == TFirstAnswer::Pending;
    TConnResult sent = Send(claim, first);
    if (sent.End != TConnEnd::Idle) {
        if (first) FRun.First = TFirstAnswer::Failed;
        return sent;
    }
    const bool stream = FRun.First == TFirstAnswer::Whole;
    FRun.DataStarted = true;
    return Receive(claim, stream);
}

TConnResult TPieceFetch::Send(TClaim& claim, bool first) {
    // A small fresh download is one request without a range, as it always was; a range is asked
    // for where pieces or a resume can come of it.
    const int64_t total = FRun.Board.Total();
    const bool ranged = claim.From > 0 || !first || (total > 0 && total >= 2 * TPieceBoard::kMinPiece);
    const std::wstring range = ranged ? RangeOf(claim) : std::wstring();
    const std::wstring ifRange = ranged ? FLine.Answer.IfRange() : std::wstring();
    const auto prepare = [&](HINTERNET request) {
        return FClient._AddRequestHeaders(request, FRun.Headers, range, ifRange);
    };
    FClient.SetLastErrorText(std::wstring());
    const TSendOutcome outcome =
        FClient._SendFollowingRedirects(FConnection, FRequest, L"GET", prepare, FClient.GetRetryCount(), nullptr);
    if (outcome == TSendOutcome::NotPrepared) return Ended(TConnEnd::Fatal, L"组织请求头失败！");
    const DWORD status = QueryStatusCode(FRequest.Get());
    if (outcome == TSendOutcome::Failed) {
        const DWORD code = ::GetLastError();
        std::wstring text = FClient.GetLastError();
        if (text.empty()) text = FailureText(L"发送下载请求失败", code);
        if (status == HTTP_STATUS_SERVICE_UNAVAIL || status == kTooManyRequests) {
            TConnResult busy = Ended(TConnEnd::Busy, text);
            busy.RetryAfterMs = RetryAfterMs(FRequest.Get());
            return busy;
        }
        // A range the mirror cannot serve will not become servable: the next run starts from 0.
        if (first && claim.From > 0 && status == kRangeNotSatisfiable) return Ended(TConnEnd::Fatal, text, true);
        return Ended(TConnEnd::Failed, text);
    }
    if (status != HTTP_STATUS_PARTIAL_CONTENT) return AcceptWhole(claim, first);
    TContentRange answer;
    const int64_t end = FRun.Board.EndOf(claim);
    const bool parsed = QueryContentRange(FRequest.Get(), answer);
    const int64_t last = range.empty() ? -1 : range.back() == L'-' ? answer.Complete - 1 : end - 1;
    // Held to the announced file; a first answer that is not must not be continued at all.
    if (!parsed || answer.First != claim.From || answer.Complete <= 0 ||
        (total > 0 && answer.Complete != total) || (!range.empty() && answer.Last != last))
        return Ended(first ? TConnEnd::Fatal : TConnEnd::Failed, kSizeMismatch, first);
    if (answer.Complete > FClient.GetMaxFileSize()) return Ended(TConnEnd::Fatal, kTooLarge);
    FRun.Total = answer.Complete;
    if (first && total <= 0) {
        // Only the answer tells the length: one stream from 0, as from a mirror without ranges.
        FWatch.ReleaseOnce(FRun.Board);
        claim = FRun.Board.Restart(answer.Complete);
        FWatch.Hold(claim);
        FRun.First = TFirstAnswer::Whole;
    } else if (first) {
        FRun.First = TFirstAnswer::Ranged;
    }
    return Ended(TConnEnd::Idle, L"");
}

// The whole file to a request for a part: only the first answer may start the file over, and
// then this connection carries all of it.
TConnResult TPieceFetch::AcceptWhole(TClaim& claim, bool first) {
    if (!first) return Ended(TConnEnd::Failed, kSizeMismatch);
    const TRemoteFileInfo answer = _QueryFileInfo(FRequest.Get());
    {
        std::lock_guard<std::mutex> hold(FRun.Lock);
        TRemoteFileInfo& info = FRun.Lines[FRun.Reference]->Answer.Info;
        if (answer.ContentLength > 0) info.ContentLength = answer.ContentLength;
        if (answer.LastModified != 0) {
            info.LastModified = answer.LastModified;
            info.LastModifiedSt = answer.LastModifiedSt;
        }
        if (info.ContentLength > FClient.GetMaxFileSize()) return Ended(TConnEnd::Fatal, kTooLarge);
        FRun.Total = info.ContentLength;
        FWatch.ReleaseOnce(FRun.Board);
        claim = FRun.Board.Restart(info.ContentLength);
        FWatch.Hold(claim);
    }
    FRun.First = TFirstAnswer::Whole;
    return Ended(TConnEnd::Idle, L"");
}

TConnResult TPieceFetch::Receive(const TClaim& claim, bool stream) {
    int64_t at = claim.From;
    const int64_t total = FRun.Board.Total();
    int64_t delivered = 0;
    for (;;) {
        if (Over()) return Ended(TConnEnd::Idle, L"");
        DWORD read = 0;
        if (!InternetReadFile(FRequest.Get(), FBuffer.data(), static_cast<DWORD>(FBuffer.size()), &read))
            return Ended(TConnEnd::Failed, FailureText(L"从网络读取文件失败", ::GetLastError()));
        if (Over()) return Ended(TConnEnd::Idle, L"");
        if (read == 0) break;
        // More bytes than the file is held to mean another file than the one announced.
        if (stream && total > 0 && at + read > total) return Ended(TConnEnd::Fatal, kSizeMismatch, true);
        if (stream && total <= 0 && at + read > FClient.GetMaxFileSize()) return Ended(TConnEnd::Fatal, kTooLarge);
        int64_t counted = 0;
        const bool more = FRun.Board.Write(claim, at, FBuffer.data(), read, counted);
        at += read;
        if (counted > 0) {
            delivered += counted;
            FLine.Bytes += counted;
            FWatch.LastDelivery = GetTickCount64();
            FRun.LastDelivery = GetTickCount64();
        }
        if (!more) {
            const std::wstring error = FRun.Board.WriteError();
            return error.empty() ? Ended(TConnEnd::Idle, L"") : Ended(TConnEnd::Fatal, error);
        }
    }
    if (stream && total <= 0) {
        FRun.Board.EndStream(at);
        return Ended(TConnEnd::Idle, L"");
    }
    // A short answer keeps its bytes; the rest is asked again, by this connection or another.
    if (stream || delivered == 0) return Ended(stream ? TConnEnd::Fatal : TConnEnd::Failed, kSizeMismatch);
    return Ended(TConnEnd::Idle, L"");
}

}  // namespace

std::wstring TLineAnswer::IfRange() const {
    if (!ETag.empty()) return ETag;
    return Info.LastModified != 0 ? FormatHttpDate(Info.LastModified) : std::wstring();
}

void TConnWatch::Hold(const TClaim& claim) {
    std::lock_guard<std::mutex> hold(Lock);
    Claim = claim;
    Holding = true;
}

void TConnWatch::ReleaseOnce(TPieceBoard& board) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Holding) board.Release(Claim);
    Holding = false;
}

TConnResult RunConnection(const std::shared_ptr<TRunShared>& run, int line, const std::shared_ptr<TConnWatch>& watch) {
    return TPieceFetch(run, line, watch).Run();
}

TLineAnswer AskLine(const std::shared_ptr<TRunShared>& run, int line) {
    HttpClientPtr owner = run->Client->Clone();
    auto& client = static_cast<THttpClient&>(*owner.Get());
    TLineAnswer answer;
    TInternetConnection connection;
    if (!client._CreateInternetConnect(run->Lines[line]->Url, connection, answer.Text)) return answer;
    TInternetHandle request;
    client.SetLastErrorText(std::wstring());
    if (client._SendFollowingRedirects(connection, request, L"HEAD", nullptr, client.GetRetryCount(), nullptr) !=
        TSendOutcome::Sent) {
        const DWORD code = ::GetLastError();
        answer.ClientError = client.GetLastError();
        if (request && QueryStatusCode(request.Get()) != 0 && !client.GetLastError().empty())
            answer.Text = L"获取下载包信息失败:" + client.GetLastError();
        else
            answer.Text = FailureText(L"获取下载包信息失败", code);
        return answer;
    }
    answer.Info = _QueryFileInfo(request.Get());
    const std::wstring etag = sys::Trim(QueryInfoText(request.Get(), HTTP_QUERY_ETAG));
    if (etag.size() > 2 && etag.front() == L'"') answer.ETag = etag;
    answer.Ok = true;
    return answer;
}
