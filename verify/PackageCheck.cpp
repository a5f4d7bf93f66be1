// Authenticode check of a package: WinVerifyTrust for the signature, our own chain build for trust.
#include "verify/PackageCheck.h"

#include "sys/Handles.h"
#include "verify/CryptHandles.h"
#include "verify/SignerChain.h"

#include <softpub.h>
#include <wintrust.h>

namespace {

const wchar_t kUnsigned[] = L"未签名";
const wchar_t kModified[] = L"签名后被修改";
const wchar_t kOtherPublisher[] = L"发布者不符：";
const wchar_t kUnreadable[] = L"无法读取安装包";
const wchar_t kInvalidSignature[] = L"签名无效";
const wchar_t kNoVersion[] = L"安装包缺少版本信息";
const wchar_t kTooOld[] = L"安装包版本过旧：";
const wchar_t kMinimumIs[] = L"，最低要求 ";

// One WinVerifyTrust verification; its provider state (and the signer certificates it holds)
// lives until the object goes, when the state is closed.
class TTrustVerification {
public:
    TTrustVerification(const std::wstring& path, HANDLE file) {
        file_.cbStruct = sizeof(file_);
        file_.pcwszFilePath = path.c_str();
        file_.hFile = file;
        data_.cbStruct = sizeof(data_);
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        status_ = WinVerifyTrust(NoWindow(), &action_, &data_);
    }
    TTrustVerification(const TTrustVerification&) = delete;
    TTrustVerification& operator=(const TTrustVerification&) = delete;
    ~TTrustVerification() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(NoWindow(), &action_, &data_);
    }

    LONG Status() const { return status_; }

    // The signer's certificate and the message that carries the signature's certificates;
    // both borrowed from the provider state.
    PCCERT_CONTEXT SignerCertificate() const {
        CRYPT_PROVIDER_SGNR* signer = Signer();
        CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
        return cert ? cert->pCert : nullptr;
    }
    // Now, or the time of a timestamp that Windows verified on the signature: a certificate
    // expired since then still signed the package while it was valid.
    FILETIME VerifiedAsOf() const { return Signer()->sftVerifyAsOf; }
    HCRYPTMSG SignatureMessage() const {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
        return provider ? provider->hMsg : nullptr;
    }

private:
    static HWND NoWindow() { return static_cast<HWND>(INVALID_HANDLE_VALUE); }
    CRYPT_PROVIDER_SGNR* Signer() const {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
        return provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_ = {};
    WINTRUST_DATA data_ = {};
    LONG status_ = 0;
};

// What WinVerifyTrust's own verdict means to the user; on Windows it reports chain faults too.
std::wstring ReasonFor(LONG status) {
    const HRESULT code = static_cast<HRESULT>(status);
    switch (code) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
        return kUnsigned;
    case TRUST_E_BAD_DIGEST:
    case TRUST_E_CERT_SIGNATURE:
        return kModified;
    case CRYPT_E_FILE_ERROR:
        return kUnreadable;
    default: {
        const std::wstring reason = CertificateErrorReason(code);
        return reason.empty() ? kInvalidSignature : reason;
    }
    }
}

TPackageCheck Failed(std::wstring reason, std::wstring signer = {}) {
    TPackageCheck result;
    result.Unreadable = reason == kUnreadable;
    result.Reason = std::move(reason);
    result.Signer = std::move(signer);
    return result;
}

// Read only once the signature holds: the version is then the publisher's word, and an old
// package of theirs may carry a hole a newer one closed.
std::wstring VersionFault(HANDLE file, TFileVersion minimum) {
    const std::optional<TFileVersion> version = PackageFileVersion(file);
    if (!version) return kNoVersion;
    if (*version < minimum) return kTooOld + VersionText(*version) + kMinimumIs + VersionText(minimum);
    return {};
}

}  // namespace

TPackageCheck CheckPackage(const std::wstring& path, HANDLE file, const std::wstring& publisher,
                           std::optional<TFileVersion> minimumVersion) {
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return Failed(kUnreadable);
    const TTrustVerification trust(path, file);
    if (trust.Status() != ERROR_SUCCESS)
        return Failed(ReasonFor(trust.Status()));
    const PCCERT_CONTEXT leaf = trust.SignerCertificate();
    if (!leaf)
        return Failed(kInvalidSignature);
    std::wstring signer = CommonName(leaf);
    const std::wstring chainFault = CheckSignerChain(leaf, trust.SignatureMessage(), trust.VerifiedAsOf());
    if (!chainFault.empty())
        return Failed(chainFault, std::move(signer));
    if (publisher.empty() || signer != publisher) {
        std::wstring reason = kOtherPublisher + signer;
        return Failed(std::move(reason), std::move(signer));
    }
    if (minimumVersion) {
        std::wstring fault = VersionFault(file, *minimumVersion);
        if (!fault.empty()) return Failed(std::move(fault), std::move(signer));
    }
    TPackageCheck result;
    result.Passed = true;
    result.Signer = std::move(signer);
    return result;
}

TPackageCheck CheckPackage(const std::wstring& path, const std::wstring& publisher,
                           std::optional<TFileVersion> minimumVersion) {
    const TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return Failed(kUnreadable);
    return CheckPackage(path, file.Get(), publisher, minimumVersion);
}

void PreparePackageCheck() {
    const TCertStore roots(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                         CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_READONLY_FLAG, L"Root"));
}
