#pragma once
// The HTTP client as the rest of the program sees it: a reference-counted COM-style interface,
// the records it hands out, and the accessor of the one shared client.
#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Days since 1899-12-30 with the time of day as fraction; 0 stands for "no date".
using TDateTime = double;

// Owns one interface reference; move-only so a reference can never be released twice.
template <typename T>
class TIntfPtr {
public:
    TIntfPtr() = default;
    explicit TIntfPtr(T* adopted) : p_(adopted) {}  // takes over a reference already counted
    TIntfPtr(TIntfPtr&& other) noexcept : p_(other.Detach()) {}
    TIntfPtr& operator=(TIntfPtr&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    TIntfPtr(const TIntfPtr&) = delete;
    TIntfPtr& operator=(const TIntfPtr&) = delete;
    ~TIntfPtr() { Reset(); }

    // A new counted reference to an object someone else holds.
    static TIntfPtr Share(T* borrowed) {
        if (borrowed) borrowed->AddRef();
        return TIntfPtr(borrowed);
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset(T* adopted = nullptr) {
        T* old = std::exchange(p_, adopted);
        if (old) old->Release();
    }

private:
    T* p_ = nullptr;
};

struct IHttpClient;
using HttpClientPtr = TIntfPtr<IHttpClient>;

// Extra request headers a caller may supply; the program itself never supplies any.
struct IHttpHeaders : public IUnknown {
    virtual int32_t GetCount() = 0;
    virtual std::wstring GetName(int32_t index) = 0;
    virtual std::wstring GetLine(int32_t index) = 0;  // never called by the client
    virtual std::wstring GetValue(int32_t index) = 0;
};

// Receives facts about a response; the program itself never supplies one.
struct IHttpResponseInfo : public IUnknown {
    virtual void SetRawHeaders(const char* crlfHeaderBlock) = 0;
    virtual void SetLastModified(TDateTime lastModified) = 0;
};

struct TURLParts {
    int32_t Scheme = 0;  // INTERNET_SCHEME_HTTP = 3, INTERNET_SCHEME_HTTPS = 4, ...
    std::wstring SchemeName;
    std::wstring HostName;
    uint16_t Port = 0;
    std::wstring UserName;
    std::wstring Password;
    std::wstring UrlPath;
    std::wstring ExtraInfo;  // query and fragment with their leading '?' or '#'
};

enum TDownloadState : uint8_t { dsStart = 0, dsProgress = 1, dsFinish = 2, dsFail = 3, dsError = 4 };

struct THttpDownloadInfo {
    uint8_t Version = 1;
    TDownloadState State = dsStart;
    int64_t Downloaded = 0;    // resume offset + bytes received in this run
    int64_t Total = 0;         // announced content length, 0 when none
    int32_t Tag = 0;
    std::wstring Msg;          // dsFail and dsError only
    int64_t RemainingMs = 0;   // -1 when it cannot be estimated
    std::string RemainingText; // code page 936, at most 16 bytes
    int64_t Speed = 0;         // bytes per second of the last measuring window
    std::string SpeedText;     // code page 936, at most 16 bytes
    int32_t ResultCode = -1;   // what the run would return now
};

// Cancel comes in as false; true stops the run when answered to dsStart or a running dsProgress.
using TDownloadProgressEvent = std::function<void(const THttpDownloadInfo& info, bool& cancel)>;

// Where a download may come from: the lines serving the same package, the checked one first.
struct TDownloadSources {
    std::vector<std::wstring> Urls;
    bool OthersOnlyOnFailure = false;  // the user chose the first line: the others stand by
    bool LengthAloneResumes = true;    // false: a part with no validator is not continued
    int32_t ConnectionsPerLine = 4;
    // A line whose connections each deliver at least this many bytes a second is not capped:
    // it gets no more connections than it has.
    int64_t UncappedConnection = 16 * 1024 * 1024;
};

// What one line carried in a finished run.
struct TLineReport {
    std::wstring Host;
    int64_t Bytes = 0;
    int32_t Connections = 0;
};

// Called once per resumable run after the HEAD probe; every reference argument may be changed.
using TBeforeDownloadEvent = std::function<void(IHttpClient* client, std::wstring& objectName,
                                                std::wstring& savePath, int32_t& tag,
                                                const std::wstring& verb, IHttpHeaders*& headers,
                                                uint32_t& offset, uint32_t& contentLength,
                                                bool& resume, bool& handled)>;

// {17447337-0737-4A11-981B-73C885598DCD}
extern const IID IID_IHttpClient;

struct IHttpClient : public IUnknown {
    virtual std::wstring GetAgent() = 0;
    virtual uint8_t GetAccessType() = 0;
    virtual int32_t GetTimeout() = 0;
    virtual std::wstring GetProxy() = 0;
    virtual std::wstring GetProxyUser() = 0;
    virtual std::wstring GetProxyPassword() = 0;
    virtual int64_t GetMaxFileSize() = 0;
    virtual int32_t GetBufferSize() = 0;
    virtual int32_t GetRetryCount() = 0;
    virtual bool GetResumable() = 0;
    virtual TBeforeDownloadEvent GetOnBeforeDownload() = 0;
    virtual std::wstring GetLastError() = 0;

    virtual void SetAgent(const std::wstring& value) = 0;
    virtual void SetAccessType(uint8_t value) = 0;
    virtual void SetTimeout(int32_t value) = 0;
    virtual void SetProxy(const std::wstring& value) = 0;
    virtual void SetProxyUser(const std::wstring& value) = 0;
    virtual void SetProxyPassword(const std::wstring& value) = 0;
    virtual void SetMaxFileSize(int64_t value) = 0;
    virtual void SetBufferSize(int32_t value) = 0;
    virtual void SetRetryCount(int32_t value) = 0;
    virtual void SetResumable(bool value) = 0;
    virtual void SetOnBeforeDownload(TBeforeDownloadEvent value) = 0;

    virtual HttpClientPtr Clone() = 0;
    virtual void Reset() = 0;
    virtual bool Head(const std::wstring& url, IHttpHeaders* headers) = 0;
    virtual bool ParseURL(const std::wstring& url, TURLParts& parts) = 0;
    virtual std::wstring NewTempFileName(const std::wstring& suffix) = 0;
    // -1 failed, 0 done (the file is in place), 1 cancelled through the handler.
    virtual int32_t DownloadFile(const std::wstring& url, const std::wstring& savePath,
                                 const TDownloadProgressEvent& onProgress, int32_t tag,
                                 IHttpHeaders* headers) = 0;
    // DownloadFile over several lines and connections; report (optional) gets each line's share.
    virtual int32_t DownloadFromLines(const TDownloadSources& sources, const std::wstring& savePath,
                                      const TDownloadProgressEvent& onProgress, int32_t tag, IHttpHeaders* headers,
                                      std::vector<TLineReport>* report) = 0;
    virtual bool DeleteDownloadFiles(const std::wstring& savePath) = 0;
    virtual std::wstring GetSideFileName(const std::wstring& fileName) = 0;
    virtual std::wstring GetTempName(const std::wstring& fileName) = 0;
    virtual int32_t GetDownloadedSize(const std::wstring& savePath) = 0;

    virtual bool GetText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                         std::wstring& responseText) = 0;
    virtual bool GetStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                           IStream* response) = 0;
    virtual bool PostText(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                          const std::wstring& body, std::wstring& responseText) = 0;
    virtual bool PostStreamText(const std::wstring& url, IHttpHeaders* headers,
                                IHttpResponseInfo* info, IStream* body,
                                std::wstring& responseText) = 0;
    virtual bool PostTextStream(const std::wstring& url, IHttpHeaders* headers,
                                IHttpResponseInfo* info, const std::wstring& body,
                                IStream* response) = 0;
    virtual bool PostStream(const std::wstring& url, IHttpHeaders* headers, IHttpResponseInfo* info,
                            IStream* body, IStream* response) = 0;
    virtual bool Request(const std::wstring& verb, const std::wstring& url, IHttpHeaders* headers,
                         IHttpResponseInfo* info, const std::wstring& body,
                         std::wstring& responseText) = 0;

protected:
    ~IHttpClient() = default;
};

// The one shared client, created on the first call; every caller gets the same object.
HttpClientPtr GetHttpClient();
// Drops the accessor's own reference (program shutdown); the client goes once no caller holds it.
void ReleaseHttpClient();
