// The line probe against two scripted mirrors: which line wins, what each mirror was asked, and
// that a mirror which stalls cannot hold the probe past its time.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "net/LineProbe.h"
#include "tests/support/ScriptedHttpServer.h"

namespace {

using testsrv::ScriptedResponse;

const std::string kPackage = testsrv::PatternBody(300000, 7);

ScriptedResponse Announcement() {
    ScriptedResponse head;
    head.body = kPackage;
    return head;
}

// The first 256 KiB, as a mirror with ranges answers; slowed by a pause in the middle.
ScriptedResponse Start(uint32_t pauseMs = 0) {
    ScriptedResponse part;
    part.status = 206;
    part.reason = "Partial Content";
    part.body = kPackage.substr(0, 262144);
    part.headers = {{"Content-Range", "bytes 0-262143/300000"}};
    part.stallAtByte = 100000;
    part.stallMidBodyMs = pauseMs;
    return part;
}

ScriptedResponse Status(int status, const char* reason) {
    ScriptedResponse answer;
    answer.status = status;
    answer.reason = reason;
    return answer;
}

ScriptedResponse WholeFile() {
    ScriptedResponse whole;
    whole.body = kPackage;
    return whole;
}

struct TMirrorScript {
    ScriptedResponse head, get;
    bool asksForTheStart;  // a GET follows the HEAD
};

TEST(LineProbe, TheLineThatDeliversTheStartSoonerWinsAndAFailedLineLoses) {
    const TMirrorScript fast{Announcement(), Start(), true};
    const TMirrorScript slow{Announcement(), Start(400), true};
    const TMirrorScript missing{Status(404, "Not Found"), {}, false};
    const TMirrorScript noRanges{Announcement(), WholeFile(), true};
    const TMirrorScript stalled{[] { ScriptedResponse h = Announcement(); h.stallBeforeMs = 6000; return h; }(), {}, false};
    const struct {
        const char* name;
        TMirrorScript primary, secondary;
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
        if (c.primary.asksForTheStart) primary.Add(c.primary.get, testsrv::IsGet());
        secondary.Add(c.secondary.head, testsrv::IsHead());
        if (c.secondary.asksForTheStart) secondary.Add(c.secondary.get, testsrv::IsGet());

        const uint64_t start = GetTickCount64();
        const TLineProbeResult result = ProbeLines(primary.Url(L"/pkg.exe"), secondary.Url(L"/pkg.exe"), kProbeBudgetMs,
                                                   std::make_shared<std::atomic<bool>>(false));
        EXPECT_LE(GetTickCount64() - start, 3500u) << c.name;
        EXPECT_EQ(c.primaryAnswered, result.Primary.Answered) << c.name;
        EXPECT_EQ(c.secondaryAnswered, result.Secondary.Answered) << c.name;
        EXPECT_EQ(c.secondaryWins, SecondaryIsFaster(result)) << c.name;
        for (const testsrv::ScriptedHttpServer* mirror : {&primary, &secondary}) {
            const auto requests = mirror->Requests();
            for (size_t i = 1; i < requests.size(); ++i) EXPECT_EQ("bytes=0-262143", requests[i].Header("Range")) << c.name;
            EXPECT_LE(requests.size(), 2u) << c.name << ": a HEAD and one ranged GET at most";
        }
    }
}

TEST(LineProbe, AStopEndsTheProbeAtOnceWithoutAVerdict) {
    testsrv::ScriptedHttpServer primary, secondary;
    ScriptedResponse stalled = Announcement();
    stalled.stallBeforeMs = 6000;
    primary.Add(stalled, testsrv::IsHead());
    secondary.Add(stalled, testsrv::IsHead());
    auto stop = std::make_shared<std::atomic<bool>>(false);
    std::thread stopper([&] {
        primary.WaitForRequests(1, 5000);
        *stop = true;
    });
    const uint64_t start = GetTickCount64();
    const TLineProbeResult result = ProbeLines(primary.Url(L"/pkg.exe"), secondary.Url(L"/pkg.exe"), kProbeBudgetMs, stop);
    stopper.join();
    EXPECT_LT(GetTickCount64() - start, 1500u);
    EXPECT_FALSE(result.Primary.Answered);
    EXPECT_FALSE(result.Secondary.Answered);
}

}  // namespace
