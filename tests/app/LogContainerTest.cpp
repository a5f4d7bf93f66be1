// The logger's display controls: real windows of the three kinds and one it refuses.
#include "app/f_Logger.h"

#include "sys/SysUtils.h"
#include "tests/support/TestEnv.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

SYSTEMTIME FixedClock() {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 7;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 3;
    t.wMilliseconds = 42;
    return t;
}

class Window {
public:
    Window(const wchar_t* className, DWORD style)
        : handle_(CreateWindowExW(0, className, L"", WS_POPUP | style, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr)) {}
    ~Window() { if (handle_) DestroyWindow(handle_); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Get() const { return handle_; }

private:
    HWND handle_;
};

std::wstring TextOf(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return text;
}

std::wstring ListViewText(HWND listView, int item, int subItem) {
    wchar_t buffer[256] = L"";
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = buffer;
    lv.cchTextMax = 256;
    SendMessageW(listView, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return buffer;
}

class LogContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testenv::MakeScratchDir(sys::FromGbk(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    std::wstring dir_;
};

const wchar_t kStamp[] = L"2026/12/07 09:05:03.042";

}  // namespace

TEST_F(LogContainerTest, TextControlsGetOneStampedLinePerMessageAtEveryLevelAndClearAtLineIndex1000) {
    ASSERT_TRUE(LoadLibraryW(L"riched20.dll"));
    for (const wchar_t* kind : {L"EDIT", L"RichEdit20W"}) {
        SCOPED_TRACE(sys::ToGbk(kind));
        Window edit(kind, ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);
        ASSERT_TRUE(edit.Get());
        TLogger logger(edit.Get(), dir_, FixedClock);
        logger.WriteLog(sys::ToGbk(L"下载失败"), llInformation);
        logger.WriteLog(std::string("only here"), -1);
        std::wstring text = TextOf(edit.Get());
        for (auto& c : text) if (c == L'\r') c = L'\n';  // rich edit keeps bare CRs
        EXPECT_NE(text.find(std::wstring(kStamp) + L" 下载失败\n"), std::wstring::npos);
        EXPECT_NE(text.find(std::wstring(kStamp) + L" only here"), std::wstring::npos);

        for (int i = 2; i < 1000; ++i) logger.WriteLog(std::string("filler"), -1);
        ASSERT_EQ(SendMessageW(edit.Get(), EM_GETLINECOUNT, 0, 0), 1000) << "no line lost to the text limit";
        logger.WriteLog(std::string("line index 1000"), -1);
        EXPECT_EQ(GetWindowTextLengthW(edit.Get()), 0);
    }
}

TEST_F(LogContainerTest, ListBoxClearsOnceItsThousandthItemIsAdded) {
    Window list(L"LISTBOX", WS_VSCROLL);
    ASSERT_TRUE(list.Get());
    TLogger logger(list.Get(), dir_, FixedClock);
    for (int i = 0; i < 1000; ++i) logger.WriteLog(std::string("m") + std::to_string(i), -1);
    ASSERT_EQ(SendMessageW(list.Get(), LB_GETCOUNT, 0, 0), 1000);
    wchar_t first[64] = L"";
    SendMessageW(list.Get(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), std::wstring(kStamp) + L" m0");
    logger.WriteLog(std::string("overflow"), -1);
    EXPECT_EQ(SendMessageW(list.Get(), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(LogContainerTest, ListViewRowHasStampCaptionAndMessageSubItemAndEmptiesAtAThousandRows) {
    ASSERT_TRUE(LoadLibraryW(L"comctl32.dll"));
    Window view(WC_LISTVIEWW, LVS_REPORT);
    ASSERT_TRUE(view.Get());
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW c{};
        c.mask = LVCF_WIDTH;
        c.cx = 150;
        SendMessageW(view.Get(), LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
    }
    TLogger logger(view.Get(), dir_, FixedClock);
    logger.WriteLog(std::string("first"), llWarning);
    logger.WriteLog(std::string("second"), llInformation);
    ASSERT_EQ(SendMessageW(view.Get(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ListViewText(view.Get(), 0, 0), kStamp);
    EXPECT_EQ(ListViewText(view.Get(), 0, 1), L"first");
    EXPECT_EQ(ListViewText(view.Get(), 1, 1), L"second");

    for (int i = 2; i < 999; ++i) logger.WriteLog(std::string("filler"), -1);
    ASSERT_EQ(SendMessageW(view.Get(), LVM_GETITEMCOUNT, 0, 0), 999);
    logger.WriteLog(std::string("row 1000"), -1);
    EXPECT_EQ(SendMessageW(view.Get(), LVM_GETITEMCOUNT, 0, 0), 0) << "a list view is emptied at 1000 rows";
}

TEST_F(LogContainerTest, OtherWindowKindsAreRefusedAndThatLineStaysOutOfTheFile) {
    Window button(L"BUTTON", 0);
    ASSERT_TRUE(button.Get());
    TLogger logger(button.Get(), dir_, FixedClock);
    try {
        logger.WriteLog(std::string("lost"), llInformation);
        ADD_FAILURE() << "a button was accepted";
    } catch (const sys::Exception& e) {
        EXPECT_EQ(e.Message(), L"日志容器类型不支持:Button");
    }
    EXPECT_TRUE(logger.LogFileName().empty());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir_ + L"*.log").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}
