#pragma once
// Trust in a signer's certificate, judged by our own chain build rather than by WinVerifyTrust alone.
#include <windows.h>
#include <wincrypt.h>

#include <string>

// The value of the subject's one common name; empty when it has none, more than one, or one
// that is not plain text.
std::wstring CommonName(PCCERT_CONTEXT certificate);

// Builds the signer's chain for code signing as of `asOf`, with the certificates `signature`
// carries, and holds it to the Authenticode policy. Empty when it is trusted, else the reason
// for the log.
std::wstring CheckSignerChain(PCCERT_CONTEXT signer, HCRYPTMSG signature, const FILETIME& asOf);

// The reason for a certificate fault that WinVerifyTrust or a chain policy reports as an error
// code; empty for codes that are not about certificates.
std::wstring CertificateErrorReason(HRESULT code);
