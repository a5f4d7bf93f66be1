#include "app/f_Logger.h"

#include "sys/SysUtils.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>
#include <iterator>
#include <string>

namespace {

SYSTEMTIME g_now;

SYSTEMTIME FakeClock() { return g_now; }

void SetNow(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    g_now = SYSTEMTIME{};
    g_now.wYear = year;
    g_now.wMonth = month;
    g_now.wDay = day;
    g_now.wHour = hour;
    g_now.wMinute = minute;
    g_now.wSecond = second;
    g_now.wMilliseconds = ms;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const std::string kExeStem = sys::ToGbk(sys::ChangeFileExt(sys::ExtractFileName(sys::ExeFileName()), L""));

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testenv::MakeScratchDir(sys::FromGbk(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        SetNow(2026, 12, 7, 9, 5, 3, 42);
    }

    std::wstring FileOfDay(const wchar_t* yyyymmdd) const {
        return dir_ + sys::FromGbk(kExeStem) + L"_" + yyyymmdd + L".log";
    }

    std::wstring dir_;
};

}  // namespace

TEST_F(LoggerTest, LineIsGbkTimeTagMessageCrLfInAFileNamedAfterExeAndDay) {
    {
        TLogger logger(nullptr, dir_, FakeClock);
        logger.WriteLog(L"下载失败dsFail：无法连接", llInformation);
        EXPECT_EQ(L"test_app_20261207.log", logger.LogFileName());
    }
    // 下载失败, the full-width colon and 无法连接 as their GBK bytes.
    const std::string expected = "09:05:03.042 [Information] \xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC" "dsFail\xA3\xBA"
                                 "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\r\n";
    EXPECT_EQ(expected, ReadBytes(dir_ + L"test_app_20261207.log"));
}

TEST_F(LoggerTest, LevelsChooseTheTagAndNegativeLevelsStayOutOfTheFile) {
    TLogger logger(nullptr, dir_, FakeClock);
    logger.WriteLog(L"宽", llInformation);
    logger.WriteLog(std::string("n"), llNotice);
    logger.WriteLog(std::string("w"), llWarning);
    logger.WriteLog(std::string("e"), llError);
    logger.WriteLog(std::string("seven"), 7);
    logger.WriteLog(std::string("hidden"), -1);
    SetNow(2026, 12, 7, 23, 0, 0, 5);
    logger.WriteLog(std::string("late"), 4);

    EXPECT_EQ(ReadBytes(FileOfDay(L"20261207")),
              "09:05:03.042 [Information] " + sys::ToGbk(L"宽") + "\r\n"
              "09:05:03.042 [Notice] n\r\n"
              "09:05:03.042 [Warning] w\r\n"
              "09:05:03.042 [Error] e\r\n"
              "09:05:03.042 seven\r\n"
              "23:00:00.005 late\r\n");
}

TEST_F(LoggerTest, AppendsToTheDaysFileOfAnEarlierRun) {
    WriteBytes(FileOfDay(L"20261207"), "08:00:00.000 [Information] old\r\n");
    {
        TLogger logger(nullptr, dir_, FakeClock);
        logger.WriteLog(std::string("new"), llInformation);
    }
    TLogger again(nullptr, dir_, FakeClock);
    again.WriteLog(std::string("newer"), llInformation);
    EXPECT_EQ(ReadBytes(FileOfDay(L"20261207")),
              "08:00:00.000 [Information] old\r\n"
              "09:05:03.042 [Information] new\r\n"
              "09:05:03.042 [Information] newer\r\n");
}

TEST_F(LoggerTest, KeepsTheFirstDaysFileAcrossMidnight) {
    TLogger logger(nullptr, dir_, FakeClock);
    SetNow(2026, 12, 31, 23, 59, 59, 990);
    logger.WriteLog(std::string("before"), llInformation);
    SetNow(2027, 1, 1, 0, 0, 0, 10);
    logger.WriteLog(std::string("after"), llInformation);

    EXPECT_EQ(ReadBytes(FileOfDay(L"20261231")),
              "23:59:59.990 [Information] before\r\n"
              "00:00:00.010 [Information] after\r\n");
    EXPECT_FALSE(FileExists(FileOfDay(L"20270101")));
}

TEST_F(LoggerTest, MessageIsCutAtNulButItsLineStillEnds) {
    TLogger logger(nullptr, dir_, FakeClock);
    logger.WriteLog(std::string("kept\0dropped", 12), llInformation);
    logger.WriteLog(std::string("\0all gone", 9), llError);
    logger.WriteLog(std::string("next"), llInformation);
    EXPECT_EQ(ReadBytes(FileOfDay(L"20261207")),
              "09:05:03.042 [Information] kept\r\n"
              "09:05:03.042 [Error] \r\n"
              "09:05:03.042 [Information] next\r\n");
}

TEST_F(LoggerTest, FolderThatCannotBeMadeRefusesConstruction) {
    const std::wstring file = dir_ + L"plain.txt";
    WriteBytes(file, "x");
    for (const std::wstring& bad : {file + L"\\Log\\", file + L"\\", std::wstring(L"Q:\\nowhere\\Log\\")}) {
        try {
            TLogger logger(nullptr, bad, FakeClock);
            ADD_FAILURE() << "constructed with " << sys::ToGbk(bad);
        } catch (const sys::Exception& e) {
            EXPECT_EQ(e.Message(), L"日志路径错误，日志类对象不能被创建");
        }
    }
}

TEST_F(LoggerTest, MakesMissingParentsAndDefaultsToTheExeFolderForABlankArgument) {
    TLogger nested(nullptr, dir_ + L"a\\b\\c\\", FakeClock);
    EXPECT_TRUE(sys::DirectoryExists(dir_ + L"a\\b\\c"));

    TLogger blank(nullptr, L" \t ", FakeClock);
    EXPECT_EQ(blank.LogDir(), sys::ExtractFilePath(sys::ExeFileName()) + L"Tallyvo\\Log\\");
    EXPECT_TRUE(sys::DirectoryExists(blank.LogDir()));
}

// Two loggers on one folder stand for two processes: the sharing modes are per handle.
TEST_F(LoggerTest, NewFileIsHeldExclusivelyUntilItsOwnerReopensItSharedAndARefusedWriteIsRetried) {
    TLogger first(nullptr, dir_, FakeClock);
    TLogger second(nullptr, dir_, FakeClock);
    first.WriteLog(std::string("one"), llInformation);
    EXPECT_THROW(second.WriteLog(std::string("refused"), llInformation), sys::EInOutError);
    EXPECT_EQ(second.LogFileName(), first.LogFileName());
    first.WriteLog(std::string("two"), llInformation);
    second.WriteLog(std::string("three"), llInformation);
    first.WriteLog(std::string("four"), llInformation);
    EXPECT_EQ(ReadBytes(FileOfDay(L"20261207")),
              "09:05:03.042 [Information] one\r\n"
              "09:05:03.042 [Information] two\r\n"
              "09:05:03.042 [Information] three\r\n"
              "09:05:03.042 [Information] four\r\n");
}

TEST_F(LoggerTest, LinesFromSeveralThreadsNeverInterleave) {
    const int kThreads = 4, kLinesEach = 150;
    {
        TLogger logger(nullptr, dir_, FakeClock);
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t)
            writers.emplace_back([&logger, t] {
                for (int i = 0; i < kLinesEach; ++i)
                    logger.WriteLog("thread " + std::to_string(t) + " line " + std::to_string(i), llNotice);
            });
        for (auto& writer : writers) writer.join();
    }
    std::istringstream lines(ReadBytes(FileOfDay(L"20261207")));
    std::vector<int> next(kThreads, 0);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "09:05:03.042 [Notice] thread %d line %d\r", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(i, next[t]++) << "each thread's lines keep their order";
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLinesEach);
}

namespace {

const wchar_t kChildDirVar[] = L"TALLYVO_LOGGER_CHILD_DIR";

// Runs this test executable again as the second process, writing one line through the child test.
DWORD RunChildWriter(const std::wstring& dir) {
    SetEnvironmentVariableW(kChildDirVar, dir.c_str());
    std::wstring command = L"\"" + sys::ExeFileName() + L"\" --gtest_filter=LoggerChildProcess.*";
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;  // the child's gtest report would garble ours
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kChildDirVar, nullptr);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return 0xFFFFFFFF;
    // A child that hangs is ended, so it cannot write into a later part of the test.
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 0xFFFFFFFF);
        WaitForSingleObject(process.hProcess, 5000);
    }
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(LoggerChildProcess, WritesOneLineIntoTheFolderItIsGiven) {
    const std::wstring dir = testenv::Var(kChildDirVar);
    if (dir.empty()) GTEST_SKIP() << "runs only as the second process of the sharing test";
    TLogger logger(nullptr, dir);
    logger.WriteLog(std::string("from the other process"), llInformation);
}

TEST_F(LoggerTest, AnotherProcessCanWriteOnlyAfterTheCreatorReopenedTheFile) {
    TLogger logger(nullptr, dir_);
    logger.WriteLog(std::string("created"), llInformation);
    EXPECT_NE(RunChildWriter(dir_), 0u) << "the new file is still held without sharing";
    logger.WriteLog(std::string("reopened"), llInformation);
    EXPECT_EQ(RunChildWriter(dir_), 0u);
    logger.WriteLog(std::string("after"), llInformation);

    std::istringstream lines(ReadBytes(dir_ + logger.LogFileName()));
    std::vector<std::string> messages;
    for (std::string line; std::getline(lines, line);) messages.push_back(line.substr(13));
    EXPECT_EQ(messages, (std::vector<std::string>{"[Information] created\r", "[Information] reopened\r",
                                                  "[Information] from the other process\r", "[Information] after\r"}));
}
