#include "net/public/HttpClientImpl.h"

#include <versionhelpers.h>

#include <cstdio>
#include <new>
#include <optional>
#include <vector>

#include "sys/SysUtils.h"
#include "net/public/DateTimeUtils.h"
#include "net/public/HttpResponseInfo.h"
#include "net/public/HttpRedirects.h"

const IID IID_IHttpClient = {0x17447337, 0x0737, 0x4A11, {0x98, 0x1B, 0x73, 0xC8, 0x85, 0x59, 0x8D, 0xCD}};

std::wstring TempDir;

namespace {

constexpr DWORD kTls12 = 0x800;
// What Windows 7 and 8 need to speak TLS 1.2 at all: TLS 1.0, 1.1 and 1.2, as Windows 8.1 has them.
constexpr DWORD kTlsUpTo12 = 0x080 | 0x200 | kTls12;
const wchar_t kInternetSettingsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kSecureProtocols[] = L"SecureProtocols";

const wchar_t kUserAgentHeader[] =
    L"User-Agent:Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0) "
    L"AppleWebKit/537.36 (KHTML, like Gecko) Chrome/30.0.1599.101 Safari/537.36";
const wchar_t kContentTypeHeader[] = L"Content-type:application/octet-stream";
constexpr DWORD kAddHeaderFlags = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;

std::wstring ReadEnvironment(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::vector<wchar_t> buffer(n);
    DWORD written = GetEnvironmentVariableW(name, buffer.data(), n);
    return std::wstring(buffer.data(), written < n ? written : 0);
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD value = 0, type = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

// Windows 8.1 and later enable TLS 1.2 by default, so there an absent value is left to Windows:
// writing one would freeze today's protocols and keep newer ones off.
std::optional<DWORD> WantedSecureProtocols(std::optional<DWORD> current, const TWindowsAtLeast& windowsAtLeast) {
    if (current) return (*current & kTls12) ? std::nullopt : std::optional<DWORD>(*current | kTls12);
    return windowsAtLeast(6, 3) ? std::nullopt : std::optional<DWORD>(kTlsUpTo12);
}

void AppendEscapedRun(std::wstring& out, const std::wstring& run) {
    for (unsigned char byte : sys::ToUtf8(run)) {
        wchar_t escaped[4];
        swprintf(escaped, 4, L"%%%.2x", byte);
        out += escaped;
    }
}

bool SetInternetOption(HINTERNET handle, DWORD option, const std::wstring& text) {
    return InternetSetOptionW(handle, option, const_cast<wchar_t*>(text.c_str()),
                              static_cast<DWORD>(text.size())) != FALSE;
}

const wchar_t* NullIfEmpty(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

bool AddHeader(HINTERNET request, const std::wstring& header) {
    return HttpAddRequestHeadersW(request, header.c_str(), static_cast<DWORD>(header.size()),
                                  kAddHeaderFlags) != FALSE;
}

constexpr int kMaxRedirects = 5;
const wchar_t kTooManyRedirects[] = L"重定向次数过多！";
const wchar_t kInsecureRedirect[] = L"HTTPS请求被重定向到非HTTPS地址，已拒绝：";

// The whole body once, so that every attempt sends the same bytes.
std::string ReadBody(IStream* body) {
    if (!body) return {};
    STATSTG stat{};
    if (FAILED(body->Stat(&stat, STATFLAG_DEFAULT)))
        throw sys::Exception(L"Assertion failure (public\\HttpClientImpl): "
                             L"IStream::Stat of the request body failed");
    if (stat.pwcsName) CoTaskMemFree(stat.pwcsName);
    std::string bytes;
    if (stat.cbSize.QuadPart == 0) return bytes;
    bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    body->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

bool WriteToStream(IStream* stream, const void* data, ULONG size, HRESULT& hr) {
    ULONG written = 0;
    hr = stream->Write(data, size, &written);
    return SUCCEEDED(hr) && written == size;
}

void TruncateStream(IStream* stream) {
    ULARGE_INTEGER zero{};
    stream->SetSize(zero);
    LARGE_INTEGER origin{};
    stream->Seek(origin, STREAM_SEEK_SET, nullptr);
}

}  // namespace

void EnsureTls12(const wchar_t* userKey, const TWindowsAtLeast& windowsAtLeast) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, userKey, 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS) return;
    TRegKey key(raw);
    const std::optional<DWORD> wanted = WantedSecureProtocols(ReadDword(key.Get(), kSecureProtocols), windowsAtLeast);
    if (!wanted) return;
    if (RegSetValueExW(key.Get(), kSecureProtocols, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*wanted),
                       sizeof(DWORD)) != ERROR_SUCCESS)
        OutputDebugStringA(sys::ToGbk(L"[_InitHttpClient]设置Internet 安全选项失败！").c_str());
}

// The manifest's supportedOS entries make the version query tell the truth beyond Windows 8.
bool WindowsAtLeast(WORD major, WORD minor) { return IsWindowsVersionOrGreater(major, minor, 0); }

void _InitHttpClient() {
    TempDir = sys::IncludeTrailingBackslash(ReadEnvironment(L"TEMP"));
    EnsureTls12(kInternetSettingsKey, WindowsAtLeast);
}

void _DoneHttpClient() { TempDir.clear(); }

std::wstring EncodeURL(const std::wstring& url) {
    std::wstring out, run;
    for (wchar_t c : url) {
        if (c > 128) {
            run += c;
            continue;
        }
        AppendEscapedRun(out, run);
        run.clear();
        out += c;
    }
    AppendEscapedRun(out, run);
    return out;
}

THttpClient::THttpClient() { Reset(); }

HttpClientPtr THttpClient::Create() { return HttpClientPtr(new THttpClient()); }  // the count starts at 1

HRESULT STDMETHODCALLTYPE THttpClient::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IHttpClient)) {
        *object = static_cast<IHttpClient*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE THttpClient::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG STDMETHODCALLTYPE THttpClient::Release() {
    LONG count = InterlockedDecrement(&FRefCount);
    if (count == 0) delete this;  // reference counting decides the lifetime
    return static_cast<ULONG>(count);
}

void THttpClient::Reset() {
    FAgent = sys::ExtractFileName(sys::ExeFileName());
    FAccessType = 1;
    FTimeout = 60000;
    FProxy.clear();
    FProxyUser.clear();
    FProxyPassword.clear();
    FMaxFileSize = 2097152000;
    FBufferSize = 131072;
    FRetryCount = 1;
    FResumable = false;
}

HttpClientPtr THttpClient::Clone() {
    HttpClientPtr copy = Create();
    auto* client = static_cast<THttpClient*>(copy.Get());
    client->FAgent = FAgent;
    client->FAccessType = FAccessType;
    client->FTimeout = FTimeout;
    client->FProxy = FProxy;
    client->FProxyUser = FProxyUser;
    client->FProxyPassword = FProxyPassword;
    client->FMaxFileSize = FMaxFileSize;
    client->FBufferSize = FBufferSize;
    client->FRetryCount = FRetryCount;
    client->FResumable = FResumable;
    client->FOnBeforeDownload = FOnBeforeDownload;
    client->FLastError = FLastError;
    return copy;
}

bool THttpClient::ParseURL(const std::wstring& url, TURLParts& parts) {
    parts = TURLParts();
    wchar_t scheme[32] = {}, host[256] = {}, user[128] = {}, password[128] = {}, path[2055] = {}, extra[2048] = {};
    URL_COMPONENTSW components{};
    components.dwStructSize = sizeof(components);
    components.lpszScheme = scheme;
    components.dwSchemeLength = ARRAYSIZE(scheme);
    components.lpszHostName = host;
    components.dwHostNameLength = ARRAYSIZE(host);
    components.lpszUserName = user;
    components.dwUserNameLength = ARRAYSIZE(user);
    components.lpszPassword = password;
    components.dwPasswordLength = ARRAYSIZE(password);
    components.lpszUrlPath = path;
    components.dwUrlPathLength = ARRAYSIZE(path);
    components.lpszExtraInfo = extra;
    components.dwExtraInfoLength = ARRAYSIZE(extra);
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &components)) return false;
    parts.Scheme = components.nScheme;
    parts.SchemeName = scheme;
    parts.HostName = host;
    parts.Port = components.nPort;
    parts.UserName = user;
    parts.Password = password;
    parts.UrlPath = path;
    parts.ExtraInfo = extra;
    return true;
}

// The internet handle for the access type; a named proxy's credentials stand in for those the
// URL does not carry. Any other access type opens nothing.
void THttpClient::OpenInternet(TInternetHandle& internet, std::wstring& user, std::wstring& password) const {
    if (FAccessType == 0) {
        internet.Reset(InternetOpenW(FAgent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    } else if (FAccessType == 1) {
        internet.Reset(InternetOpenW(FAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    } else if (FAccessType == 2) {
        internet.Reset(InternetOpenW(FAgent.c_str(), INTERNET_OPEN_TYPE_PROXY, FProxy.c_str(), nullptr, 0));
        if (!internet) return;
        if (!FProxyUser.empty()) {
            SetInternetOption(internet.Get(), INTERNET_OPTION_USERNAME, FProxyUser);
            if (user.empty()) user = FProxyUser;
        }
        if (!FProxyPassword.empty()) {
            SetInternetOption(internet.Get(), INTERNET_OPTION_PASSWORD, FProxyPassword);
            if (password.empty()) password = FProxyPassword;
        }
    }
}

bool THttpClient::_CreateInternetConnect(const std::wstring& url, TInternetConnection& connection,
                                         std::wstring& errorText) {
    errorText.clear();
    connection.Close();
    try {
        if (url.empty()) {
            errorText = L"URL地址为空！";
            return false;
        }
        TURLParts parts;
        if (!ParseURL(url, parts)) {
            errorText = L"解析URL失败！";
            return false;
        }
        if (parts.Scheme != INTERNET_SCHEME_HTTP && parts.Scheme != INTERNET_SCHEME_HTTPS) {
            errorText = L"URL类型不是HTTP/HTTPS！";
            return false;
        }
        connection.Https = CompareStringOrdinal(parts.SchemeName.c_str(), -1, L"https", -1, TRUE) == CSTR_EQUAL;
        std::wstring user = parts.UserName;
        std::wstring password = parts.Password;
        OpenInternet(connection.Internet, user, password);
        if (!connection.Internet) {
            errorText = L"打开一个Internet连接失败:" + sys::SysErrorMessage(::GetLastError());
            return false;
        }
        ApplyTimeouts(connection.Internet.Get());
        connection.Connect.Reset(InternetConnectW(connection.Internet.Get(), parts.HostName.c_str(), parts.Port,
                                                  NullIfEmpty(user), NullIfEmpty(password),
                                                  INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection.Connect) {
            const DWORD code = ::GetLastError();
            wchar_t prefix[64];
            swprintf(prefix, 64, L"打开HTTP连接失败:[%lu]", static_cast<unsigned long>(code));
            errorText = prefix + sys::SysErrorMessage(code);
            connection.Close();
            return false;
        }
        const std::wstring path = parts.UrlPath.empty() ? L"/" : parts.UrlPath;
        connection.Url = url;
        connection.ObjectName = path + parts.ExtraInfo;
        return true;
    } catch (const sys::Exception& e) {
        errorText = L"[THttpClient._CreateInternetConnect]" + e.Message();
        connection.Close();
        return false;
    }
}

void THttpClient::ApplyTimeouts(HINTERNET handle) const {
    if (FTimeout == 0) return;
    DWORD timeout = static_cast<DWORD>(FTimeout);
    for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &timeout, sizeof(timeout));
}

// Some WinInet implementations do not pass the internet handle's time-outs on to the requests
// made under it, and a stalled server would then block the caller for good: set them again.
TInternetHandle THttpClient::_OpenRequest(const TInternetConnection& connection, const std::wstring& verb) const {
    TInternetHandle request(HttpOpenRequestW(connection.Connect.Get(), verb.c_str(), connection.ObjectName.c_str(),
                                             L"HTTP/1.1", nullptr, nullptr, connection.OpenFlags(), 0));
    if (request) ApplyTimeouts(request.Get());
    return request;
}

bool THttpClient::_AddRequestHeaders(HINTERNET request, IHttpHeaders* headers, const std::wstring& range,
                                     const std::wstring& ifRange) {
    if (!AddHeader(request, kUserAgentHeader)) return false;
    if (!AddHeader(request, kContentTypeHeader)) return false;
    if (!range.empty()) {
        if (!AddHeader(request, L"Accept-Ranges:bytes")) return false;
        if (!AddHeader(request, L"Range:" + range)) return false;
        if (!ifRange.empty() && !AddHeader(request, L"If-Range:" + ifRange)) return false;
    }
    if (!headers) return true;
    const int32_t count = headers->GetCount();
    for (int32_t i = 0; i < count; ++i) {
        const std::wstring name = sys::Trim(headers->GetName(i));
        if (name.empty()) continue;
        if (!AddHeader(request, name + L":" + headers->GetValue(i))) return false;
    }
    return true;
}

// One attempt: a send, then the status rule (200 and 206 only). Certificate failures are not
// retried with the checks switched off; they fail like any other send.
bool THttpClient::SendAttempt(HINTERNET request, std::string& body) {
    if (!HttpSendRequestA(request, nullptr, 0, body.empty() ? nullptr : body.data(),
                          static_cast<DWORD>(body.size()))) {
        const DWORD code = ::GetLastError();
        wchar_t prefix[32];
        swprintf(prefix, 32, L"[%lu]", static_cast<unsigned long>(code));
        FLastError = prefix + sys::SysErrorMessage(code);
        return false;
    }
    const DWORD status = QueryStatusCode(request);
    if (status == 0) return false;
    if (status == HTTP_STATUS_OK || status == HTTP_STATUS_PARTIAL_CONTENT) return true;
    FLastError = L"[" + std::to_wstring(status) + L"]" + QueryInfoText(request, HTTP_QUERY_STATUS_TEXT);
    return false;
}

bool THttpClient::_SendRequest(HINTERNET request, int32_t attempts, IStream* body) {
    std::string bytes = ReadBody(body);
    return SendAttempts(request, attempts, bytes);
}

bool THttpClient::SendAttempts(HINTERNET request, int32_t attempts, std::string& body) {
    bool sent = false;
    while (request && attempts > 0) {
        sent = SendAttempt(request, body);
        --attempts;
        if (sent) break;
    }
    return sent;
}

TSendOutcome THttpClient::_SendFollowingRedirects(TInternetConnection& connection, TInternetHandle& request,
                                                  const std::wstring& verb, const TPrepareRequest& prepare,
                                                  int32_t attempts, IStream* body) {
    std::string bytes = ReadBody(body);
    for (int hop = 0;; ++hop) {
        request = _OpenRequest(connection, verb);
        if (!request || (prepare && !prepare(request.Get()))) return TSendOutcome::NotPrepared;
        if (SendAttempts(request.Get(), attempts, bytes)) return TSendOutcome::Sent;
        const DWORD sendError = ::GetLastError();  // the caller's text may need the send's own code
        if (!connection.Https || !IsRedirect(QueryStatusCode(request.Get()))) {
            SetLastError(sendError);
            return TSendOutcome::Failed;
        }
        std::wstring target;
        if (hop == kMaxRedirects || !SecureRedirectTarget(connection.Url, QueryInfoText(request.Get(), HTTP_QUERY_LOCATION), target)) {
            FLastError = hop == kMaxRedirects ? kTooManyRedirects : kInsecureRedirect + QueryInfoText(request.Get(), HTTP_QUERY_LOCATION);
            return TSendOutcome::Failed;
        }
        // Closed before its connection: WinInet hands the freed handle value to the next request.
        request.Reset();
        std::wstring errorText;
        if (!_CreateInternetConnect(target, connection, errorText)) {
            FLastError = errorText;
            return TSendOutcome::Failed;
        }
    }
}

bool THttpClient::ReadResponseInfo(HINTERNET request, IHttpResponseInfo* info, std::wstring& errorText) {
    DWORD size = 0;
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    std::vector<char> block(size + 1, '\0');
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &size, nullptr)) {
        errorText = L"获取响应头失败:" + sys::SysErrorMessage(::GetLastError());
        return false;
    }
    info->SetRawHeaders(block.data());
    info->SetLastModified(0);
    SYSTEMTIME st{};
    size = sizeof(st);
    if (HttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &size, nullptr))
        info->SetLastModified(SystemTimeToDateTime(st));
    return true;
}

bool THttpClient::ReadResponseBody(HINTERNET request, IStream* response, std::wstring& errorText) {
    std::vector<char> buffer;
    try {
        if (FBufferSize <= 0) throw std::bad_alloc();
        buffer.resize(static_cast<size_t>(FBufferSize));
    } catch (const std::bad_alloc&) {
        errorText = L"创建缓冲区失败:" + sys::SysErrorMessage(::GetLastError());
        return false;
    }
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
            errorText = L"读取响应报文失败：" + sys::SysErrorMessage(::GetLastError());
            return false;
        }
        if (read == 0) return true;
        HRESULT hr = S_OK;
        if (response && !WriteToStream(response, buffer.data(), read, hr)) {
            errorText = L"将响应报文写入流失败：" + sys::SysErrorMessage(static_cast<DWORD>(hr));
            return false;
        }
    }
}

bool THttpClient::PerformRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                                 IHttpResponseInfo* info, IStream* body, IStream* response,
                                 std::wstring& errorText) {
    TInternetConnection connection;
    if (!_CreateInternetConnect(EncodeURL(url), connection, errorText)) return false;
    TInternetHandle request;
    bool ok = [&] {
        const auto addHeaders = [&](HINTERNET opened) { return _AddRequestHeaders(opened, headers); };
        switch (_SendFollowingRedirects(connection, request, verb, addHeaders, FRetryCount, body)) {
            case TSendOutcome::NotPrepared:
                errorText = L"组织请求头失败！";
                return false;
            case TSendOutcome::Failed:
                errorText = L"发送请求失败:" + FLastError;
                return false;
            default:
                break;
        }
        if (info && !ReadResponseInfo(request.Get(), info, errorText)) return false;
        if (CompareStringOrdinal(verb.c_str(), -1, L"HEAD", -1, TRUE) == CSTR_EQUAL) return true;
        return ReadResponseBody(request.Get(), response, errorText);
    }();
    request.Reset();
    connection.Close();
    return ok;
}

bool THttpClient::_HttpRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                               IHttpResponseInfo* info, IStream* body, IStream* response) {
    std::wstring errorText;
    bool result = false;
    try {
        if (response) TruncateStream(response);
        result = PerformRequest(verb, url, headers, info, body, response, errorText);
    } catch (const sys::Exception& e) {
        errorText = L"[THttpClient._HttpRequest]" + e.Message();
        result = false;
    }
    if (!errorText.empty() && response) {
        const std::string utf8 = sys::ToUtf8(errorText);
        HRESULT hr = S_OK;
        WriteToStream(response, utf8.data(), static_cast<ULONG>(utf8.size()), hr);
    }
    return result;
}
