// The line probe against two scripted mirrors: which line wins, what each mirror was asked, and
// that a mirror which stalls cannot hold the probe past its time.
#include <gtest/gtest.h>

#include <windows.h>

#include "net/LineProbe.h"
#include "tests/support/ScriptedHttpServer.h"

namespace {

using testsrv::ScriptedResponse;

const std::string kPackage = testsrv::PatternBody(300000, 7);

ScriptedResponse Answer(int status, const std::string& body, uint32_t stallBeforeMs = 0) {
    ScriptedResponse answer;
    answer.status = status;
    answer.reason = status == 206 ? "Partial Content" : status == 404 ? "Not Found" : "OK";
    answer.body = body;
    answer.stallBeforeMs = stallBeforeMs;
    return answer;
}

// The first 256 KiB, as a mirror with ranges answers; slowed by a pause in the middle.
ScriptedResponse Start(uint32_t pauseMs) {
    ScriptedResponse part = Answer(206, kPackage.substr(0, 262144));
    part.headers = {{"Content-Range", "bytes 0-262143/300000"}};
    part.stallAtByte = 100000;
    part.stallMidBodyMs = pauseMs;
    return part;
}

struct TMirror {
    ScriptedResponse head, get;
};

TEST(LineProbe, TheLineThatDeliversTheStartSoonerWinsAndAFailedLineLoses) {
    const TMirror fast{Answer(200, kPackage), Start(0)};
    const TMirror slow{Answer(200, kPackage), Start(400)};
    const TMirror missing{Answer(404, ""), {}};
    const TMirror noRanges{Answer(200, kPackage), Answer(200, kPackage)};
    const TMirror stalled{Answer(200, kPackage, 6000), {}};
    const struct {
        const char* name;
        TMirror primary, secondary;
        bool primaryAnswered, secondaryAnswered, secondaryWins;
    } cases[] = {
        {"faster primary", fast, slow, true, true, false},
        {"faster secondary", slow, fast, true, true, true},
        {"primary down", missing, slow, false, true, true},
        {"secondary without ranges", slow, noRanges, true, false, false},
        {"both down", missing, missing, false, false, false},
        {"primary stalls past the time", stalled, fast, false, true, true},
    };
    for (const auto& c : cases) {
        testsrv::ScriptedHttpServer primary, secondary;
        primary.Add(c.primary.head, testsrv::IsHead());
        primary.Add(c.primary.get, testsrv::IsGet());
        secondary.Add(c.secondary.head, testsrv::IsHead());
        secondary.Add(c.secondary.get, testsrv::IsGet());

        const uint64_t start = GetTickCount64();
        const TLineProbeResult result = ProbeLines(primary.Url(L"/pkg.exe"), secondary.Url(L"/pkg.exe"), kProbeBudgetMs,
                                                   TProbeStop());
        EXPECT_LE(GetTickCount64() - start, 3500u) << c.name;
        EXPECT_EQ(c.primaryAnswered, result.Primary.Answered) << c.name;
        EXPECT_EQ(c.secondaryAnswered, result.Secondary.Answered) << c.name;
        EXPECT_EQ(c.secondaryWins, SecondaryIsFaster(result)) << c.name;
        for (const testsrv::ScriptedHttpServer* mirror : {&primary, &secondary}) {
            const auto requests = mirror->Requests();
            EXPECT_LE(requests.size(), 2u) << c.name << ": a HEAD and one ranged GET at most";
            for (size_t i = 1; i < requests.size(); ++i) EXPECT_EQ("bytes=0-262143", requests[i].Header("Range")) << c.name;
        }
    }
}

}  // namespace
