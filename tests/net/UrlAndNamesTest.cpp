// URL escaping and splitting, download file names and the side file's date text.
#include <gtest/gtest.h>

#include "net/HttpClientIntf.h"
#include "net/public/DateTimeUtils.h"
#include "net/public/HttpClientImpl.h"
#include "net/public/HttpResponseInfo.h"

namespace {

TEST(EncodeURL, EscapesOnlyCharactersAbove128AsLowerCaseUtf8) {
    struct Case { const wchar_t* in; const wchar_t* out; };
    const Case cases[] = {
        {L"http://h/下载/a b?q=1#f", L"http://h/%e4%b8%8b%e8%bd%bd/a b?q=1#f"},
        {L"\u0080\u0081x", L"\u0080%c2%81x"},  // U+0080 itself is copied unchanged
        {L"（完整安装包）.exe", L"%ef%bc%88%e5%ae%8c%e6%95%b4%e5%ae%89%e8%a3%85%e5%8c%85%ef%bc%89.exe"},
        {L"\U0001F600", L"%f0%9f%98%80"},  // a surrogate pair stays one character
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(EncodeURL(c.in), c.out) << c.in;
}

TEST(ParseURL, SplitsHttpAndHttpsAndRejectsGarbage) {
    HttpClientPtr client = THttpClient::Create();
    TURLParts parts;
    ASSERT_TRUE(client->ParseURL(L"https://u:p@example.test/a/b.exe?x=1#top", parts));
    EXPECT_EQ(parts.Scheme, 4);
    EXPECT_EQ(parts.SchemeName, L"https");
    EXPECT_EQ(parts.HostName, L"example.test");
    EXPECT_EQ(parts.Port, 443);
    EXPECT_EQ(parts.UserName, L"u");
    EXPECT_EQ(parts.Password, L"p");
    EXPECT_EQ(parts.UrlPath, L"/a/b.exe");
    EXPECT_EQ(parts.ExtraInfo, L"?x=1#top");

    ASSERT_TRUE(client->ParseURL(L"http://127.0.0.1:8080", parts));
    EXPECT_EQ(parts.Scheme, 3);
    EXPECT_EQ(parts.Port, 8080);
    EXPECT_EQ(parts.UrlPath, L"");

    parts.HostName = L"stale";
    EXPECT_FALSE(client->ParseURL(L"not a url", parts));
    EXPECT_EQ(parts.HostName, L"") << "a failed split leaves the record clear";
}

TEST(HttpClientRequests, RefuseBadUrlsBeforeOpeningAnything) {
    HttpClientPtr client = THttpClient::Create();
    std::wstring text;
    EXPECT_FALSE(client->GetText(L"", nullptr, nullptr, text));
    EXPECT_EQ(text, L"URL地址为空！");
    EXPECT_FALSE(client->GetText(L"ftp://127.0.0.1/x", nullptr, nullptr, text));
    EXPECT_EQ(text, L"URL类型不是HTTP/HTTPS！");
    EXPECT_FALSE(client->GetText(L"not a url", nullptr, nullptr, text));
    EXPECT_EQ(text, L"解析URL失败！");
    client->SetAccessType(3);
    EXPECT_FALSE(client->GetText(L"http://127.0.0.1/", nullptr, nullptr, text));
    EXPECT_EQ(text.rfind(L"打开一个Internet连接失败:", 0), 0u) << text;
}

TEST(HttpClientSettings, ResetKeepsLastErrorAndHookAndCloneCopiesEverything) {
    HttpClientPtr client = THttpClient::Create();
    std::wstring text;
    client->SetRetryCount(0);
    client->SetOnBeforeDownload([](IHttpClient*, std::wstring&, std::wstring&, int32_t&, const std::wstring&,
                                   IHttpHeaders*&, uint32_t&, uint32_t&, bool&, bool&) {});
    client->SetTimeout(5);
    client->SetResumable(true);
    static_cast<THttpClient*>(client.Get())->SetLastErrorText(L"old");
    HttpClientPtr copy = client->Clone();
    EXPECT_EQ(copy->GetTimeout(), 5);
    EXPECT_TRUE(copy->GetResumable());
    EXPECT_EQ(copy->GetLastError(), L"old");
    EXPECT_TRUE(static_cast<bool>(copy->GetOnBeforeDownload()));

    client->Reset();
    EXPECT_EQ(client->GetTimeout(), 60000);
    EXPECT_EQ(client->GetRetryCount(), 1);
    EXPECT_EQ(client->GetMaxFileSize(), 2097152000);
    EXPECT_EQ(client->GetBufferSize(), 131072);
    EXPECT_EQ(client->GetAccessType(), 1);
    EXPECT_FALSE(client->GetResumable());
    EXPECT_EQ(client->GetAgent(), L"test_net.exe");
    EXPECT_EQ(client->GetLastError(), L"old");
    EXPECT_TRUE(static_cast<bool>(client->GetOnBeforeDownload()));
    EXPECT_EQ(copy->GetTimeout(), 5) << "the clone is independent";
}

TEST(DownloadFileNames, TempAndSideNamesFollowTheSavePath) {
    HttpClientPtr client = THttpClient::Create();
    EXPECT_EQ(client->GetTempName(L"C:\\d\\a.exe"), L"C:\\d\\a.exe.tmp");
    EXPECT_EQ(client->GetSideFileName(L"C:\\d\\a.exe.tmp"), L"C:\\d\\a.exe.sdc");
    EXPECT_EQ(client->GetSideFileName(L"C:\\d.x\\noext"), L"C:\\d.x\\noext.sdc");
    _InitHttpClient();
    const std::wstring name = client->NewTempFileName(L".bin");
    ASSERT_EQ(name.size(), TempDir.size() + 38 + 4);
    EXPECT_EQ(name.substr(0, TempDir.size() + 1), TempDir + L"{");
    EXPECT_EQ(name.substr(TempDir.size() + 37), L"}.bin");
    EXPECT_NE(name, client->NewTempFileName(L".bin"));
}

TEST(DateTime, FormatsDayCountsAndRoundTripsSystemTimes) {
    EXPECT_EQ(FormatDateTime(0), L"1899-12-30 00:00:00");
    SYSTEMTIME st{};
    st.wYear = 2019; st.wMonth = 3; st.wDay = 5; st.wHour = 8; st.wMinute = 9; st.wSecond = 10;
    const TDateTime value = SystemTimeToDateTime(st);
    EXPECT_EQ(FormatDateTime(value), L"2019-03-05 08:09:10");
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(DateTimeToSystemTime(value)), value);
    st.wYear = 2000; st.wMonth = 2; st.wDay = 29; st.wHour = 23; st.wMinute = 59; st.wSecond = 59;
    EXPECT_EQ(FormatDateTime(SystemTimeToDateTime(st)), L"2000-02-29 23:59:59");
    EXPECT_EQ(FormatHttpDate(SystemTimeToDateTime(st)), L"Tue, 29 Feb 2000 23:59:59 GMT");
    EXPECT_EQ(FormatHttpDate(value), L"Tue, 05 Mar 2019 08:09:10 GMT");
    st.wYear = 2026; st.wMonth = 12; st.wDay = 6; st.wHour = 0; st.wMinute = 0; st.wSecond = 0;
    EXPECT_EQ(FormatHttpDate(SystemTimeToDateTime(st)), L"Sun, 06 Dec 2026 00:00:00 GMT");
}

// What a mirror announces is only trusted when it parses whole: a malformed length counts as none.
TEST(ResponseHeaders, LengthsAndRangesParseWholeOrNotAtAll) {
    struct Length { const char* text; int64_t value; };
    for (const Length& c : {Length{"5368709120", 5368709120LL}, Length{" 1000 ", 1000}, Length{"0", 0},
                            Length{"", -1}, Length{"-5", -1}, Length{"12a", -1}, Length{"1e3", -1},
                            Length{"9999999999999999999", -1}})
        EXPECT_EQ(ParseDecimal(c.text), c.value) << c.text;

    struct Range { const char* text; bool ok; int64_t first; int64_t complete; };
    const Range ranges[] = {
        {"bytes 400-999/1000", true, 400, 1000},
        {"bytes 4294967296-5368709119/5368709120", true, 4294967296LL, 5368709120LL},
        {"bytes 0-9/*", true, 0, -1},
        {"bytes 400-999/999", false, 0, 0},   // ends past the complete length
        {"bytes 500-400/1000", false, 0, 0},
        {"bytes */1000", false, 0, 0},        // an unsatisfied range carries no data
        {"items 0-9/10", false, 0, 0},
        {"bytes 0-9", false, 0, 0},
    };
    for (const Range& c : ranges) {
        TContentRange range;
        ASSERT_EQ(ParseContentRange(c.text, range), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(range.First, c.first) << c.text;
        EXPECT_EQ(range.Complete, c.complete) << c.text;
    }
}

}  // namespace
