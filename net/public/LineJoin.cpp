#include "net/public/LineJoin.h"

#include <algorithm>
#include <vector>

#include "net/public/DateTimeUtils.h"
#include "net/public/HttpClientImpl.h"

namespace {

constexpr int64_t kCompareBytes = 262144;

std::wstring Unquoted(const std::wstring& tag) {
    if (tag.size() >= 2 && tag.front() == L'"' && tag.back() == L'"') return tag.substr(1, tag.size() - 2);
    return tag;
}

bool SameStart(const std::shared_ptr<TRunShared>& run, int reference, int line, const sys::TStopToken& stop) {
    const int64_t count = std::min(kCompareBytes, run->Lines[reference]->Answer.Info.ContentLength);
    std::string ours;
    HttpClientPtr client = run->Client->Clone();
    return FetchStart(static_cast<THttpClient&>(*client.Get()), run->Lines[reference]->Url, count, stop, ours) &&
           LineStartsWith(run, line, ours, stop);
}

}  // namespace

bool LineStartsWith(const std::shared_ptr<TRunShared>& run, int line, const std::string& start,
                    const sys::TStopToken& stop) {
    std::string theirs;
    HttpClientPtr client = run->Client->Clone();
    return FetchStart(static_cast<THttpClient&>(*client.Get()), run->Lines[line]->Url,
                      static_cast<int64_t>(start.size()), stop, theirs) &&
           theirs == start;
}

bool ReadPartStart(const std::wstring& part, const TByteRanges& have, std::string& start) {
    if (have.Empty() || have.Ranges()[0].First != 0) return false;
    start.assign(static_cast<size_t>(std::min(kCompareBytes, have.Ranges()[0].Last + 1)), '\0');
    TFileHandle file(CreateFileW(part.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    return file && ReadFile(file.Get(), start.data(), static_cast<DWORD>(start.size()), &read, nullptr) &&
           read == start.size();
}

bool SameETag(const std::wstring& a, const std::wstring& b) { return !a.empty() && Unquoted(a) == Unquoted(b); }

bool AnnouncesRecordedFile(const TLineAnswer& answer, const TSideRecord& side, bool lengthAlone) {
    if (side.ContentLen != answer.Info.ContentLength) return false;
    const auto anyLine = [&](auto matches) { return std::any_of(side.Lines.begin(), side.Lines.end(), matches); };
    if (!answer.ETag.empty() && anyLine([](const TLineValidators& l) { return !l.ETag.empty(); }))
        return anyLine([&](const TLineValidators& l) { return SameETag(l.ETag, answer.ETag); });
    if (answer.Info.LastModified == 0) return lengthAlone;
    const std::wstring date = FormatDateTime(answer.Info.LastModified);
    return side.LastModified == date || anyLine([&](const TLineValidators& l) { return l.LastModified == date; });
}

bool FetchStart(THttpClient& client, const std::wstring& url, int64_t count, const sys::TStopToken& stop,
                std::string& bytes) {
    bytes.clear();
    TInternetConnection connection;
    std::wstring errorText;
    if (count <= 0 || stop.Stopped() || !client._CreateInternetConnect(url, connection, errorText)) return false;
    const std::wstring range = L"bytes=0-" + std::to_wstring(count - 1);
    const auto prepare = [&](HINTERNET request) { return client._AddRequestHeaders(request, nullptr, range); };
    TInternetHandle request;
    if (client._SendFollowingRedirects(connection, request, L"GET", prepare, 1, nullptr) != TSendOutcome::Sent ||
        QueryStatusCode(request.Get()) != HTTP_STATUS_PARTIAL_CONTENT)
        return false;
    std::vector<char> buffer(65536);
    while (!stop.Stopped()) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(buffer.size(), count + 1 - bytes.size()));
        DWORD read = 0;
        if (!InternetReadFile(request.Get(), buffer.data(), want, &read)) return false;
        if (read == 0) return static_cast<int64_t>(bytes.size()) == count;
        bytes.append(buffer.data(), read);
        if (static_cast<int64_t>(bytes.size()) > count) return false;
    }
    return false;
}

TLineJoin::TLineJoin(const std::shared_ptr<TRunShared>& run, int reference, int line) {
    const TLineAnswer& ours = run->Lines[reference]->Answer;
    const TLineAnswer& theirs = run->Lines[line]->Answer;
    if (ours.Info.ContentLength <= 0 || theirs.Info.ContentLength != ours.Info.ContentLength) {
        FVerdict = TJoinVerdict::Different;
        return;
    }
    const bool tags = !ours.ETag.empty() && !theirs.ETag.empty();
    const bool dates = ours.Info.LastModified != 0 && theirs.Info.LastModified != 0;
    if ((tags && SameETag(ours.ETag, theirs.ETag)) || (!tags && dates && ours.Info.LastModified == theirs.Info.LastModified)) {
        FVerdict = TJoinVerdict::Same;
        return;
    }
    FCompare = std::make_unique<sys::TTask<bool>>(
        [run, reference, line](const sys::TStopToken& stop) { return SameStart(run, reference, line, stop); });
}

TJoinVerdict TLineJoin::Verdict() const {
    if (!FCompare) return FVerdict;
    if (!FCompare->Done()) return TJoinVerdict::Pending;
    return FCompare->Result() ? TJoinVerdict::Same : TJoinVerdict::Different;
}
