#pragma once
// A scripted server, a fresh client and a scratch save path for one download test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "net/public/HttpClientImpl.h"
#include "tests/net/DownloadRecorder.h"
#include "tests/support/ScriptedHttpServer.h"
#include "tests/support/TestEnv.h"

namespace nettest {

constexpr char kServerDate[] = "Tue, 05 Mar 2019 08:09:10 GMT";
constexpr char kServerDateText[] = "2019-03-05 08:09:10";
constexpr char kFixedUserAgent[] =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0) AppleWebKit/537.36 "
    "(KHTML, like Gecko) Chrome/30.0.1599.101 Safari/537.36";

class ScriptedFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring id = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        dir_ = testenv::MakeScratchDir(L"scripted-" + id);
        save_ = dir_ + L"pkg.bin";
        client_ = THttpClient::Create();
        client_->SetResumable(true);
        client_->SetTimeout(5000);
    }

    // The answer for a file: Content-Length always framed by the server, Last-Modified optional.
    static testsrv::ScriptedResponse File(const std::string& body, bool lastModified = true) {
        testsrv::ScriptedResponse response;
        response.body = body;
        if (lastModified) response.headers = {{"Last-Modified", kServerDate}};
        return response;
    }
    static testsrv::ScriptedResponse Partial(const std::string& body, size_t from) {
        testsrv::ScriptedResponse response = File(body.substr(from));
        response.status = 206;
        response.reason = "Partial Content";
        response.headers.push_back({"Content-Range", "bytes " + std::to_string(from) + "-" +
                                                         std::to_string(body.size() - 1) + "/" +
                                                         std::to_string(body.size())});
        return response;
    }
    // A temporary file holding the first bytes and a side file announcing the whole.
    void LeavePartial(const std::string& part, size_t announced, const char* lastModified = kServerDateText) {
        WriteFileBytes(Temp(), part);
        WriteFileBytes(Side(), "[server]\r\nContentLen=" + std::to_string(announced) + "\r\nLastModified=" +
                                   lastModified + "\r\n");
    }

    int32_t Run(TDownloadRecorder& recorder, const std::wstring& path = L"/pkg.bin", int32_t tag = 0) {
        return client_->DownloadFile(server_.Url(path), save_, recorder.Handler(), tag, nullptr);
    }
    std::wstring Temp() const { return save_ + L".tmp"; }
    std::wstring Side() const { return save_ + L".sdc"; }
    // Names of the request's headers in order, lower-cased.
    static std::vector<std::string> HeaderNames(const testsrv::RecordedRequest& request) {
        std::vector<std::string> names;
        for (const auto& header : request.headers) {
            std::string name = header.first;
            for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            names.push_back(name);
        }
        return names;
    }

    testsrv::ScriptedHttpServer server_;
    HttpClientPtr client_;
    std::wstring dir_, save_;
};

}  // namespace nettest
