// Builds a signer's chain for code signing and judges it with the Authenticode chain policy.
#include "verify/SignerChain.h"

#include "verify/CryptHandles.h"

#include <cstring>

namespace {

const wchar_t kNotTrusted[] = L"证书不受信任";
const wchar_t kExpired[] = L"证书已过期";
const wchar_t kNotCodeSigning[] = L"不是代码签名证书";

TCertStore SignatureCertificates(HCRYPTMSG signature) {
    if (!signature)
        return TCertStore();
    return TCertStore(CertOpenStore(CERT_STORE_PROV_MSG, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, 0, signature));
}

// Built from the local stores and `extra` only: no revocation check, no download of missing
// issuers.
TCertChain CodeSigningChain(PCCERT_CONTEXT leaf, HCERTSTORE extra, FILETIME asOf) {
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING)};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof(para);
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, leaf, &asOf, extra, &para, CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL,
                                 nullptr, &chain))
        return TCertChain();
    return TCertChain(chain);
}

// A missing or distrusted issuer outweighs the leaf's own faults: nothing else about an
// untrusted chain matters.
std::wstring ChainStatusReason(DWORD errorStatus) {
    const DWORD untrusted = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_REVOKED |
                            CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC |
                            CERT_TRUST_IS_EXPLICIT_DISTRUST;
    if (errorStatus & untrusted)
        return kNotTrusted;
    if (errorStatus & CERT_TRUST_IS_NOT_TIME_VALID)
        return kExpired;
    if (errorStatus & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
        return kNotCodeSigning;
    return kNotTrusted;
}

// The text of one name attribute; empty when it is not text or holds a NUL, which would make
// the name compare as one publisher and display as another.
std::wstring AttributeText(const CERT_RDN_ATTR& attribute) {
    if (attribute.dwValueType == CERT_RDN_ENCODED_BLOB || attribute.dwValueType == CERT_RDN_OCTET_STRING)
        return {};
    CERT_RDN_VALUE_BLOB value = attribute.Value;
    const DWORD size = CertRDNValueToStrW(attribute.dwValueType, &value, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring text(size, L'\0');
    CertRDNValueToStrW(attribute.dwValueType, &value, &text[0], size);
    text.resize(size - 1);
    return text.find(L'\0') == std::wstring::npos ? text : std::wstring();
}

// The value of the name's common name when it has exactly one: a second one could be what
// another reader of the certificate shows.
std::wstring SoleCommonName(const CERT_NAME_INFO& name) {
    const CERT_RDN_ATTR* found = nullptr;
    for (DWORD r = 0; r < name.cRDN; ++r) {
        const CERT_RDN& rdn = name.rgRDN[r];
        for (DWORD a = 0; a < rdn.cRDNAttr; ++a) {
            if (strcmp(rdn.rgRDNAttr[a].pszObjId, szOID_COMMON_NAME) != 0)
                continue;
            if (found)
                return {};
            found = &rdn.rgRDNAttr[a];
        }
    }
    return found ? AttributeText(*found) : std::wstring();
}

}  // namespace

std::wstring CommonName(PCCERT_CONTEXT certificate) {
    const CERT_NAME_BLOB& subject = certificate->pCertInfo->Subject;
    CERT_NAME_INFO* decoded = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_NAME, subject.pbData, subject.cbData,
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size))
        return {};
    const TLocalMemory owner(decoded);
    return SoleCommonName(*decoded);
}

std::wstring CheckSignerChain(PCCERT_CONTEXT signer, HCRYPTMSG signature, const FILETIME& asOf) {
    const TCertStore carried = SignatureCertificates(signature);
    const TCertChain chain = CodeSigningChain(signer, carried.Get(), asOf);
    if (!chain)
        return kNotTrusted;
    if (chain.Get()->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
        return ChainStatusReason(chain.Get()->TrustStatus.dwErrorStatus);
    CERT_CHAIN_POLICY_PARA para = {};
    para.cbSize = sizeof(para);
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain.Get(), &para, &status))
        return kNotTrusted;
    if (status.dwError == 0)
        return {};
    const std::wstring reason = CertificateErrorReason(static_cast<HRESULT>(status.dwError));
    return reason.empty() ? kNotTrusted : reason;
}

std::wstring CertificateErrorReason(HRESULT code) {
    switch (code) {
    case CERT_E_EXPIRED:
        return kExpired;
    case CERT_E_WRONG_USAGE:
        return kNotCodeSigning;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_REVOKED:
    case TRUST_E_EXPLICIT_DISTRUST:
        return kNotTrusted;
    default:
        return {};
    }
}
