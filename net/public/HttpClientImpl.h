#pragma once
// The WinInet-backed HTTP client. Every operation is synchronous and reports failures as a
// result plus a fixed text, never as an exception.
#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>

#include "net/HttpClientIntf.h"
#include "net/public/InternetHandle.h"

// The TEMP folder with a trailing backslash; a lone "\" when TEMP is unset.
extern std::wstring TempDir;

// Start-up step of the HTTP unit: records TempDir and makes sure the user's internet settings
// allow TLS 1.2 (EnsureTls12 on the real key). Call it once, first thing in the entry point.
void _InitHttpClient();
// Whether the running Windows is at least major.minor (6.1 is Windows 7, 6.3 is 8.1).
using TWindowsAtLeast = std::function<bool(WORD major, WORD minor)>;
bool WindowsAtLeast(WORD major, WORD minor);
// userKey: under HKEY_CURRENT_USER. A SecureProtocols value only gains TLS 1.2, never an older
// protocol, and is written only when that changes it; an absent one is created (TLS 1.0 to 1.2)
// only on Windows 7 and 8, whose defaults lack TLS 1.2.
void EnsureTls12(const wchar_t* userKey, const TWindowsAtLeast& windowsAtLeast);
// Shutdown counterpart: clears TempDir.
void _DoneHttpClient();

// Characters above U+0080 become lower-case %xx escapes of their UTF-8 bytes; the rest stays.
std::wstring EncodeURL(const std::wstring& url);

// WinInet open flags of every request this client makes. WinInet follows a redirect from HTTPS to
// plain HTTP whatever INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP says, so HTTPS requests take their
// redirects by hand (_SendFollowingRedirects) and refuse any that leaves HTTPS.
constexpr DWORD kHttpsOpenFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                  INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr DWORD kHttpOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

enum class TSendOutcome { Sent, NotPrepared, Failed };
// Adds what a request needs before it is sent; false when it cannot.
using TPrepareRequest = std::function<bool(HINTERNET)>;

// What _CreateInternetConnect hands back: the two handles and the object name to request.
struct TInternetConnection {
    TInternetHandle Internet;
    TInternetHandle Connect;
    bool Https = false;
    std::wstring Url;         // as connected to, escaped
    std::wstring ObjectName;  // path + extra information
    DWORD OpenFlags() const { return Https ? kHttpsOpenFlags : kHttpOpenFlags; }
    void Close() {  // the connection goes before the internet handle it hangs on
        Connect.Reset();
        Internet.Reset();
    }
};

class THttpClient final : public IHttpClient {
public:
    THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    static HttpClientPtr Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    std::wstring GetAgent() override { return FAgent; }
    uint8_t GetAccessType() override { return FAccessType; }
    int32_t GetTimeout() override { return FTimeout; }
    std::wstring GetProxy() override { return FProxy; }
    std::wstring GetProxyUser() override { return FProxyUser; }
    std::wstring GetProxyPassword() override { return FProxyPassword; }
    int64_t GetMaxFileSize() override { return FMaxFileSize; }
    int32_t GetBufferSize() override { return FBufferSize; }
    int32_t GetRetryCount() override { return FRetryCount; }
    bool GetResumable() override { return FResumable; }
    TBeforeDownloadEvent GetOnBeforeDownload() override { return FOnBeforeDownload; }
    std::wstring GetLastError() override { return FLastError; }

    void SetAgent(const std::wstring& value) override { FAgent = value; }
    void SetAccessType(uint8_t value) override { FAccessType = value; }
    void SetTimeout(int32_t value) override { FTimeout = value; }
    void SetProxy(const std::wstring& value) override { FProxy = value; }
    void SetProxyUser(const std::wstring& value) override { FProxyUser = value; }
    void SetProxyPassword(const std::wstring& value) override { FProxyPassword = value; }
    void SetMaxFileSize(int64_t value) override { FMaxFileSize = value; }
    void SetBufferSize(int32_t value) override { FBufferSize = value; }
    void SetRetryCount(int32_t value) override { FRetryCount = value; }
    void SetResumable(bool value) override { FResumable = value; }
    void SetOnBeforeDownload(TBeforeDownloadEvent value) override { FOnBeforeDownload = std::move(value); }

    HttpClientPtr Clone() override;
    void Reset() override;
    bool Head(const std::wstring& url, IHttpHeaders* headers) override;
    bool ParseURL(const std::wstring& url, TURLParts& parts) override;
    std::wstring NewTempFileName(const std::wstring& suffix) override;
    int32_t DownloadFile(const std::wstring& url, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress, int32_t tag,
                         IHttpHeaders* headers) override;
    int32_t DownloadFromLines(const TDownloadSources& sources, const std::wstring& savePath,
                              const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers,
                              std::vector<TLineReport>* report) override;
    bool DeleteDownloadFiles(const std::wstring& savePath) override;
    std::wstring GetSideFileName(const std::wstring& fileName) override;
    std::wstring GetTempName(const std::wstring& fileName) override;
    int32_t GetDownloadedSize(const std::wstring& savePath) override;

    bool GetText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                 std::wstring& responseText) override;
    bool GetStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                   IStream* response) override;
    bool PostText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                  const std::wstring& body, std::wstring& responseText) override;
    bool PostStreamText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                        IStream* body, std::wstring& responseText) override;
    bool PostTextStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                        const std::wstring& body, IStream* response) override;
    bool PostStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                    IStream* body, IStream* response) override;
    bool Request(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                 IHttpResponseInfo* info, const std::wstring& body,
                 std::wstring& responseText) override;

    // Internal steps, shared with the download.
    // url: escaped (EncodeURL); false leaves no handle open.
    bool _CreateInternetConnect(const std::wstring& url, TInternetConnection& connection,
                                std::wstring& errorText);
    // The request for the connection's object name, with the client's open flags and time-outs.
    TInternetHandle _OpenRequest(const TInternetConnection& connection, const std::wstring& verb) const;
    // range: "bytes=..." of a ranged request, "" for none; ifRange: its validator, so that a
    // changed file comes whole, "" for none.
    bool _AddRequestHeaders(HINTERNET request, IHttpHeaders* headers, const std::wstring& range = std::wstring(),
                            const std::wstring& ifRange = std::wstring());
    bool _SendRequest(HINTERNET request, int32_t attempts, IStream* body);
    // Opens, prepares and sends verb on the connection. Over HTTPS a redirect to another https
    // address moves the connection there and is sent again (a few hops at most); a redirect
    // anywhere else fails with its text in LastError, having contacted nobody.
    // Failed leaves the text in LastError and the last request in `request`.
    TSendOutcome _SendFollowingRedirects(TInternetConnection& connection, TInternetHandle& request,
                                         const std::wstring& verb, const TPrepareRequest& prepare,
                                         int32_t attempts, IStream* body);
    bool _HttpRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                      IHttpResponseInfo* info, IStream* body, IStream* response);

    // The download's failure reporting also writes LastError.
    void SetLastErrorText(const std::wstring& text) { FLastError = text; }

private:
    ~THttpClient() = default;

    void OpenInternet(TInternetHandle& internet, std::wstring& user, std::wstring& password) const;
    void ApplyTimeouts(HINTERNET handle) const;
    bool SendAttempt(HINTERNET request, std::string& body);
    bool SendAttempts(HINTERNET request, int32_t attempts, std::string& body);
    bool PerformRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                        IHttpResponseInfo* info, IStream* body, IStream* response, std::wstring& errorText);
    bool ReadResponseInfo(HINTERNET request, IHttpResponseInfo* info, std::wstring& errorText);
    bool ReadResponseBody(HINTERNET request, IStream* response, std::wstring& errorText);
    bool TextRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                     IHttpResponseInfo* info, const std::wstring* bodyText, IStream* bodyStream,
                     std::wstring& responseText);
    bool StreamRequest(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                       IHttpResponseInfo* info, const std::wstring* bodyText, IStream* bodyStream,
                       IStream* response);

    LONG FRefCount = 1;
    std::wstring FAgent;
    uint8_t FAccessType = 1;
    int32_t FTimeout = 60000;
    std::wstring FProxy;
    std::wstring FProxyUser;
    std::wstring FProxyPassword;
    int64_t FMaxFileSize = 2097152000;
    int32_t FBufferSize = 131072;
    int32_t FRetryCount = 1;
    bool FResumable = false;
    TBeforeDownloadEvent FOnBeforeDownload;
    std::wstring FLastError;
};
