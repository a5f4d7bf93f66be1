// The client's text and stream request variants and its download-file naming operations.
#include "net/public/HttpClientImpl.h"

#include <objbase.h>

#include "sys/SysUtils.h"
#include "net/public/HttpResponseInfo.h"

namespace {

TIntfPtr<IStream> NewMemoryStream() {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        throw sys::Exception(L"CreateStreamOnHGlobal: " + sys::SysErrorMessage(::GetLastError()));
    return TIntfPtr<IStream>(stream);
}

void Rewind(IStream* stream) {
    LARGE_INTEGER origin{};
    stream->Seek(origin, STREAM_SEEK_SET, nullptr);
}

TIntfPtr<IStream> Utf8Stream(const std::wstring& text) {
    TIntfPtr<IStream> stream = NewMemoryStream();
    const std::string bytes = sys::ToUtf8(text);
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    Rewind(stream.Get());
    return stream;
}

std::wstring DecodeUtf8Stream(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    Rewind(stream);
    ULONG read = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return sys::FromUtf8(bytes);
}

}  // namespace

bool THttpClient::StreamRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                                IHttpResponseInfo* info, const std::wstring* bodyText, IStream* bodyStream,
                                IStream* response) {
    TIntfPtr<IStream> ownBody;
    if (bodyText) {
        ownBody = Utf8Stream(*bodyText);
        bodyStream = ownBody.Get();
    }
    return _HttpRequest(verb, url, headers, info, bodyStream, response);
}

bool THttpClient::TextRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                              IHttpResponseInfo* info, const std::wstring* bodyText, IStream* bodyStream,
                              std::wstring& responseText) {
    TIntfPtr<IStream> response = NewMemoryStream();
    const bool ok = StreamRequest(verb, url, headers, info, bodyText, bodyStream, response.Get());
    responseText = DecodeUtf8Stream(response.Get());
    return ok;
}

bool THttpClient::Head(const std::wstring& url, IHttpHeaders* headers) {
    return _HttpRequest(L"HEAD", url, headers, nullptr, nullptr, nullptr);
}

bool THttpClient::GetText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                          std::wstring& responseText) {
    return TextRequest(L"GET", url, headers, info, nullptr, nullptr, responseText);
}

bool THttpClient::GetStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                            IStream* response) {
    return StreamRequest(L"GET", url, headers, info, nullptr, nullptr, response);
}

bool THttpClient::PostText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                           const std::wstring& body, std::wstring& responseText) {
    return TextRequest(L"POST", url, headers, info, &body, nullptr, responseText);
}

bool THttpClient::PostStreamText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                                 IStream* body, std::wstring& responseText) {
    return TextRequest(L"POST", url, headers, info, nullptr, body, responseText);
}

bool THttpClient::PostTextStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                                 const std::wstring& body, IStream* response) {
    return StreamRequest(L"POST", url, headers, info, &body, nullptr, response);
}

bool THttpClient::PostStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                             IStream* body, IStream* response) {
    return StreamRequest(L"POST", url, headers, info, nullptr, body, response);
}

bool THttpClient::Request(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                          IHttpResponseInfo* info, const std::wstring& body, std::wstring& responseText) {
    return TextRequest(verb, url, headers, info, &body, nullptr, responseText);
}

std::wstring THttpClient::NewTempFileName(const std::wstring& suffix) {
    GUID guid{};
    CoCreateGuid(&guid);
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return TempDir + text + suffix;
}

std::wstring THttpClient::GetTempName(const std::wstring& fileName) { return fileName + L".tmp"; }

std::wstring THttpClient::GetSideFileName(const std::wstring& fileName) {
    return sys::ChangeFileExt(fileName, L".sdc");
}

bool THttpClient::DeleteDownloadFiles(const std::wstring& savePath) {
    const std::wstring temp = GetTempName(savePath);
    sys::DeleteIfExists(savePath);
    sys::DeleteIfExists(temp);
    sys::DeleteIfExists(GetSideFileName(temp));
    return true;
}

int32_t THttpClient::GetDownloadedSize(const std::wstring& savePath) {
    const std::wstring temp = GetTempName(savePath);
    if (sys::PathExists(temp)) return static_cast<int32_t>(sys::FileSize(temp));
    if (sys::PathExists(savePath)) return static_cast<int32_t>(sys::FileSize(savePath));
    return 0;
}
