// The harness itself: what later UI tests rely on must hold under Wine.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <tuple>

#include "tests/support/test_support.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/notify_parent.h"
#include "tests/winharness/screenshot.h"

namespace {

// A logged message's message, code, id and sender, as one value.
std::tuple<UINT, int, UINT, HWND> Fields(const winharness::LoggedMessage& m)
{
    return {m.message, m.code, m.id, m.from};
}

using winharness::LoggedMessage;
using winharness::ModalDriver;
using winharness::NotifyParent;

constexpr int kCustomCode = -700;
constexpr UINT kChildId = 1234;
constexpr UINT kMarker = 0x12345678;

struct CustomRecord {
    NMHDR header;
    int value;
    const char* text;
};

TEST(NotifyParentTest, LogsDeepCopiesAndLetsTheTestAnswer)
{
    NotifyParent parent(200, 100);
    const HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent.Handle(),
                                       reinterpret_cast<HMENU>(UINT_PTR(kChildId)), nullptr, nullptr);
    parent.SetRecordSize(kCustomCode, sizeof(CustomRecord));
    parent.SetCopier(kCustomCode, [](const NMHDR* live, LoggedMessage& entry) {
        entry.extra = reinterpret_cast<const CustomRecord*>(live)->text;
    });
    parent.SetAnswer(kCustomCode, [](NMHDR* live) {
        live->idFrom = kMarker;  // how a parent marks a handled key notification
        reinterpret_cast<CustomRecord*>(live)->value = 99;
        return LRESULT(42);
    });
    char text[] = "before";
    CustomRecord record = {{child, kChildId, UINT(kCustomCode)}, 7, text};
    const LRESULT answer = SendMessageA(parent.Handle(), WM_NOTIFY, kChildId, reinterpret_cast<LPARAM>(&record));
    std::strcpy(text, "after!");

    EXPECT_EQ(std::make_tuple(answer, record.header.idFrom, record.value),
              std::make_tuple(LRESULT(42), UINT_PTR(kMarker), 99));
    ASSERT_EQ(parent.Log().size(), 1u);
    const LoggedMessage& entry = parent.Log()[0];
    CustomRecord copy;
    ASSERT_TRUE(entry.Read(&copy));
    EXPECT_EQ(Fields(entry), std::make_tuple(UINT(WM_NOTIFY), kCustomCode, kChildId, child));
    EXPECT_EQ(copy.value, 7) << "the copy is the record as sent";
    EXPECT_EQ(entry.extra, "before");
    EXPECT_EQ(entry.answer, 42);
}

TEST(NotifyParentTest, LogsCommandsOfControls)
{
    NotifyParent parent(200, 100);
    const HWND button = CreateWindowExA(0, "BUTTON", "B", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 50, 20,
                                        parent.Handle(), reinterpret_cast<HMENU>(UINT_PTR(kChildId)), nullptr, nullptr);
    SendMessageA(button, BM_CLICK, 0, 0);
    winharness::PumpUntilIdle();
    ASSERT_FALSE(parent.Log().empty());
    EXPECT_EQ(Fields(parent.Log().back()), std::make_tuple(UINT(WM_COMMAND), int(BN_CLICKED), kChildId, button));
}

TEST(MessagePumpTest, DispatchesPostedMessagesUntilIdle)
{
    NotifyParent parent(100, 100);
    for (int i = 0; i < 3; ++i)
        PostMessageA(parent.Handle(), WM_COMMAND, MAKEWPARAM(10 + i, 0), 0);
    EXPECT_GE(winharness::PumpUntilIdle(), 3);
    EXPECT_EQ(parent.Log().size(), 3u);
    EXPECT_EQ(winharness::PumpUntilIdle(), 0);
    bool flag = false;
    EXPECT_FALSE(winharness::PumpUntil([&] { return flag; }, 50));
    PostMessageA(parent.Handle(), WM_COMMAND, 77, 0);
    EXPECT_TRUE(winharness::PumpUntil([&] { return parent.Log().size() == 4; }, 1000));
}

TEST(ModalDriverTest, RunsStepsInsideTheModalLoop)
{
    ModalDriver driver;
    int result = 0;
    driver.Then([](ModalDriver& d) { return d.TopDialog() != nullptr; })
        .Then([](ModalDriver& d) { return d.Post(IDOK); });
    driver.Run([&] { result = MessageBoxA(nullptr, "Text", "Title", MB_OKCANCEL); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(driver.Dialogs().size(), 1u);
    EXPECT_FALSE(driver.TimedOut());
}

TEST(ModalDriverTest, NestedDialogsAreRecordedAndDrivenInOrder)
{
    ModalDriver driver;
    int inner = 0;
    int outer = 0;
    // The first dialog's step posts a request that opens a second one; the
    // second is answered from inside its own loop, then the first.
    static constexpr UINT kOpenInner = WM_APP + 5;
    NotifyParent host(100, 100, false);
    host.SetCommandAnswer([&](UINT id, int, HWND) {
        if (id == kOpenInner)
            inner = MessageBoxA(host.Handle(), "Inner", "Inner", MB_OKCANCEL);
        return LRESULT(0);
    });
    driver.Then([](ModalDriver& d) { return d.Dialogs().size() == 1; })
        .Then([&](ModalDriver& d) { return PostMessageA(host.Handle(), WM_COMMAND, kOpenInner, 0) != FALSE; })
        .Then([](ModalDriver& d) { return d.Dialogs().size() == 2 && d.TopDialog() == d.Dialogs()[1]; })
        .Then([](ModalDriver& d) { return d.Post(IDCANCEL); })
        .Then([](ModalDriver& d) { return d.TopDialog() == d.Dialogs()[0]; })
        .Then([](ModalDriver& d) { return d.Post(IDOK); });
    driver.Run([&] { outer = MessageBoxA(nullptr, "Outer", "Outer", MB_OKCANCEL); });
    EXPECT_EQ(inner, IDCANCEL);
    EXPECT_EQ(outer, IDOK);
}

TEST(ModalDriverTest, WatchdogClosesAStuckDialogAndFails)
{
    int result = 0;
    DWORD elapsed = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver(300);
            driver.Then([](ModalDriver&) { return false; });  // never done
            const DWORD start = GetTickCount();
            driver.Run([&] { result = MessageBoxA(nullptr, "Stuck", "Stuck", MB_OKCANCEL); });
            elapsed = GetTickCount() - start;
        },
        "did not finish");
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_LT(elapsed, 3000u);
}

TEST(ScreenshotTest, CapturesWhatTheWindowShowsAndSavesPng)
{
    NotifyParent parent(120, 80);
    winharness::PumpUntilIdle();
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(parent.Handle(), &shot));
    EXPECT_EQ(std::make_pair(shot.width, shot.height), std::make_pair(120, 80));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t expected = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EXPECT_EQ(shot.At(60, 40), expected);

    const std::string path = lindar_test::TempDir() + "/harness_shot.png";
    std::string error;
    ASSERT_TRUE(winharness::SavePng(shot, path, &error)) << error;
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fclose(file);
    EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);

    EXPECT_FALSE(winharness::SavePng(winharness::Screenshot{}, path, &error));
}

DWORD WINAPI WaitForRelease(LPVOID event)
{
    return WaitForSingleObject(HANDLE(event), INFINITE);
}

// The tests' main waits for threads still starting before the process ends:
// one counts as started once it runs, and no longer matters once it ends.
TEST(TestMainTest, AThreadCountsAsStartedOnceItRuns)
{
    ASSERT_TRUE(lindar_test::Eventually(lindar_test::AllThreadsStarted));
    const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE thread = CreateThread(nullptr, 0, WaitForRelease, release, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(lindar_test::AllThreadsStarted()) << "a suspended thread has not started";
    ResumeThread(thread);
    EXPECT_TRUE(lindar_test::Eventually(lindar_test::AllThreadsStarted)) << "running, waiting for the event";
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(lindar_test::AllThreadsStarted());
    CloseHandle(thread);
    CloseHandle(release);
}

}  // namespace
