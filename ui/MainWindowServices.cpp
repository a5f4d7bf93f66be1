#include "ui/MainWindowServices.h"

#include "verify/Publisher.h"

#include <wininet.h>

namespace {

class TRealMainWindowServices final : public IMainWindowServices {
public:
    bool IsOnline() override {
        DWORD kinds = 0;
        return InternetGetConnectedState(&kinds, 0) != FALSE;
    }

    int ShowMessage(TMsgDlgKind kind, const std::wstring& text) override {
        return ShowMsgDlg(kind, text, std::wstring(), false, std::wstring());
    }

    int32_t DownloadFile(const std::wstring& url, const std::wstring& savePath,
                         const TDownloadProgressEvent& onProgress) override {
        return GetHttpClient()->DownloadFile(url, savePath, onProgress, 0, nullptr);
    }

    bool ChecksPackages() override { return !RequiredPublisher().empty(); }

    TPackageCheck CheckPackage(const std::wstring& path, HANDLE file) override {
        return ::CheckPackage(path, file, RequiredPublisher());
    }
};

}  // namespace

IMainWindowServices& RealMainWindowServices() {
    static TRealMainWindowServices services;
    return services;
}
