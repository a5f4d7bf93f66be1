// The package check on the samples the build signs with its test PKI (tools/make-test-pki.sh).
#include "verify/PackageCheck.h"

#include "sys/Handles.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace {

const wchar_t kTestPublisher[] = L"Tallyvo Test Publisher";
// 1.3.0.0, the version of the genuine sample's version resource.
const TFileVersion kMinimum = 0x0001'0003'0000'0000;

struct TSampleCase {
    const wchar_t* sample;     // file name under the build's pki/signed/, without ".exe"
    const wchar_t* publisher;  // the pin
    bool passed;
    const wchar_t* reason;
    const wchar_t* signer;
    std::optional<TFileVersion> minimum = std::nullopt;
};

const TSampleCase kSampleCases[] = {
    {L"genuine", kTestPublisher, true, L"", kTestPublisher},
    {L"genuine", L"Tallyvo Test Publisher ", false, L"发布者不符：Tallyvo Test Publisher", kTestPublisher},
    {L"genuine", L"tallyvo test publisher", false, L"发布者不符：Tallyvo Test Publisher", kTestPublisher},
    {L"genuine", L"", false, L"发布者不符：Tallyvo Test Publisher", kTestPublisher},
    {L"tampered", kTestPublisher, false, L"签名后被修改", L""},
    {L"unsigned", kTestPublisher, false, L"未签名", L""},
    {L"other-publisher", kTestPublisher, false, L"发布者不符：Tallyvo Other Publisher", L"Tallyvo Other Publisher"},
    {L"expired", kTestPublisher, false, L"证书已过期", kTestPublisher},
    {L"not-code-signing", kTestPublisher, false, L"不是代码签名证书", kTestPublisher},
    {L"untrusted-root", kTestPublisher, false, L"证书不受信任", kTestPublisher},
    {L"unknown-issuer", kTestPublisher, false, L"证书不受信任", kTestPublisher},
    {L"missing", kTestPublisher, false, L"无法读取安装包", L""},
    {L"two-names", kTestPublisher, false, L"发布者不符：", L""},
    {L"no-name", kTestPublisher, false, L"发布者不符：", L""},
    {L"genuine", kTestPublisher, true, L"", kTestPublisher, kMinimum},
    {L"genuine", kTestPublisher, true, L"", kTestPublisher, 0x0001'0002'FFFF'FFFF},
    {L"genuine", kTestPublisher, false, L"安装包版本过旧：1.3.0.0，最低要求 1.3.0.1", kTestPublisher,
     0x0001'0003'0000'0001},
    {L"old", kTestPublisher, false, L"安装包版本过旧：1.2.0.0，最低要求 1.3.0.0", kTestPublisher, kMinimum},
    {L"old", kTestPublisher, true, L"", kTestPublisher},
    {L"unversioned", kTestPublisher, false, L"安装包缺少版本信息", kTestPublisher, kMinimum},
    {L"unversioned", kTestPublisher, true, L"", kTestPublisher},
    {L"garbled-version", kTestPublisher, false, L"安装包缺少版本信息", kTestPublisher, kMinimum},
};

std::wstring SamplePath(const wchar_t* sample) {
    return testenv::UnixToWindowsPath(std::wstring(TALLYVO_TEST_SAMPLES) + L"/" + sample + L".exe");
}

TFileHandle OpenDenyingWriteAndDelete(const std::wstring& path) {
    return TFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

void ExpectVerdict(const TPackageCheck& check, const TSampleCase& expected) {
    EXPECT_EQ(check.Passed, expected.passed);
    EXPECT_EQ(check.Reason, expected.reason);
    EXPECT_EQ(check.Signer, expected.signer);
    EXPECT_EQ(check.Unreadable, std::wstring(expected.reason) == L"无法读取安装包") << "only what was not read";
}

}  // namespace

// Each sample is checked twice at once: by path on this thread, and through a handle that
// denies writing and deleting (as a caller holds it while starting the package) on a worker.
TEST(CheckPackage, OnlyTheGenuinePackageOfThePinnedPublisherPasses) {
    for (const TSampleCase& c : kSampleCases) {
        SCOPED_TRACE(testing::Message() << c.sample << L" pinned to '" << c.publisher << L"', minimum "
                                        << std::hex << c.minimum.value_or(0));
        const std::wstring path = SamplePath(c.sample);
        const TFileHandle held = OpenDenyingWriteAndDelete(path);
        TPackageCheck throughHandle;
        std::thread worker([&] { throughHandle = CheckPackage(path, held.Get(), c.publisher, c.minimum); });
        const TPackageCheck byPath = CheckPackage(path, c.publisher, c.minimum);
        worker.join();
        ExpectVerdict(byPath, c);
        ExpectVerdict(throughHandle, c);
    }
    const TFileHandle exclusive(CreateFileW(SamplePath(L"genuine").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(exclusive);
    EXPECT_TRUE(CheckPackage(SamplePath(L"genuine"), kTestPublisher).Unreadable) << "held by another program";
}

// What gets started is the file behind the handle, so its bytes are judged, whatever the path
// names (the path only tells the check what kind of file it is).
TEST(CheckPackage, ThroughAHandleTheHeldBytesAreJudged) {
    const struct {
        const wchar_t* path;
        const wchar_t* held;
        bool passed;
        std::optional<TFileVersion> minimum;
    } cases[] = {
        {L"tampered", L"genuine", true, std::nullopt},
        {L"genuine", L"tampered", false, std::nullopt},
        {L"genuine", L"unsigned", false, std::nullopt},
        {L"old", L"genuine", true, kMinimum},
        {L"genuine", L"old", false, kMinimum},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.held << L" held, path of " << c.path);
        const TFileHandle held = OpenDenyingWriteAndDelete(SamplePath(c.held));
        ASSERT_TRUE(held);
        EXPECT_EQ(CheckPackage(SamplePath(c.path), held.Get(), kTestPublisher, c.minimum).Passed, c.passed);
    }
}
