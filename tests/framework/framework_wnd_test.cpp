// CWnd under Wine: binding, message maps, default handling, subclassing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/framework/wnd.h"
#include "platform/framework/wnd_class.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/notify_parent.h"

namespace {

constexpr UINT kCommandOpen = 100;
constexpr UINT kCommandRangeFirst = 200;
constexpr UINT kAppMessage = WM_APP + 1;
constexpr UINT kThrowMessage = WM_APP + 2;
constexpr int kNotifyCode = -500;

const char* PlainClass()
{
    return AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW));
}

class BaseWnd : public CWnd {
public:
    std::vector<std::string> calls;
    HWND handleAtCreate = nullptr;
    CWnd* boundAtCreate = nullptr;
    bool failCreate = false;
    bool postNcDestroy = false;

    int OnCreate(CREATESTRUCTA*)
    {
        handleAtCreate = m_hWnd;
        boundAtCreate = FromHandlePermanent(m_hWnd);
        calls.push_back("Base::OnCreate");
        return failCreate ? -1 : 0;
    }
    void OnSize(UINT, int cx, int cy) { calls.push_back("Base::OnSize " + std::to_string(cx) + "x" + std::to_string(cy)); }
    void OnOpen() { calls.push_back("Base::OnOpen"); }
    void PostNcDestroy() override { postNcDestroy = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_COMMAND(kCommandOpen, OnOpen)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
public:
    LRESULT lastNotifyResult = 0;

    void OnSize(UINT type, int cx, int cy)
    {
        calls.push_back("Derived::OnSize");
        BaseWnd::OnSize(type, cx, cy);
    }
    LRESULT OnApp(WPARAM wParam, LPARAM lParam) { return LRESULT(wParam + lParam); }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
    LRESULT OnRange(UINT message, WPARAM, LPARAM) { return LRESULT(message); }
    void OnCustomNotify(NMHDR* header, LRESULT* result)
    {
        calls.push_back("Derived::OnCustomNotify " + std::to_string(header->idFrom));
        *result = 77;
    }
    // Text changes go through, then are counted: Default runs the window's
    // previous procedure with the message being dispatched.
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        const LRESULT result = Default();
        calls.push_back("Derived::OnSetText");
        return result;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_WM_SIZE()
    ON_MESSAGE(kAppMessage, OnApp)
    ON_MESSAGE(kThrowMessage, OnThrow)
    ON_MESSAGE_RANGE(WM_APP + 10, WM_APP + 12, OnRange)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_NOTIFY(kNotifyCode, 7, OnCustomNotify)
END_MESSAGE_MAP()

bool Contains(const std::vector<std::string>& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// A top-level window of the plain class.
bool CreateTop(CWnd& wnd, const char* text = "x")
{
    return wnd.CreateEx(0, PlainClass(), text, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr);
}

TEST(WndTest, BindsBeforeTheFirstHandlerAndOutsideUserData)
{
    DerivedWnd wnd;
    ASSERT_TRUE(CreateTop(wnd));
    EXPECT_EQ(wnd.handleAtCreate, wnd.m_hWnd);
    EXPECT_EQ(wnd.boundAtCreate, &wnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(GetWindowLongPtrA(wnd.m_hWnd, GWLP_USERDATA), 0) << "left to dialogs' markers";
    // A marker written there does not disturb dispatch.
    SetWindowLongPtrA(wnd.m_hWnd, GWLP_USERDATA, 0x5A5A);
    EXPECT_EQ(wnd.SendMessage(kAppMessage, 3, 4), 7);
    // Handler exceptions stay inside the window procedure.
    EXPECT_EQ(wnd.SendMessage(kThrowMessage), 0);
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));
}

TEST(WndTest, MessageMapsChainFromDerivedToBase)
{
    DerivedWnd wnd;
    ASSERT_TRUE(CreateTop(wnd));
    wnd.calls.clear();
    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    // The derived entry replaces the base one.
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"Derived::OnSize", "Base::OnSize 120x80"}));

    wnd.calls.clear();
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandOpen, 0), 0);
    EXPECT_EQ(wnd.calls, std::vector<std::string>{"Base::OnOpen"});
    wnd.calls.clear();
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandOpen, 5), 0);  // another code: not ON_COMMAND's
    EXPECT_TRUE(wnd.calls.empty());

    for (UINT message = WM_APP + 9; message <= WM_APP + 13; ++message) {
        const bool inRange = message >= WM_APP + 10 && message <= WM_APP + 12;
        EXPECT_EQ(wnd.SendMessage(message), inRange ? LRESULT(message) : 0) << message;
    }

    NMHDR header = {wnd.m_hWnd, 7, UINT(kNotifyCode)};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header)), 77);
    header.idFrom = 8;
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&header)), 0) << "other id";
}

TEST(WndTest, DefaultRunsThePreviousProcedure)
{
    DerivedWnd wnd;
    ASSERT_TRUE(CreateTop(wnd, "old"));
    wnd.calls.clear();
    wnd.SetWindowText("new text");
    char text[32] = {};
    wnd.GetWindowText(text, sizeof text);
    EXPECT_STREQ(text, "new text");
    EXPECT_TRUE(Contains(wnd.calls, "Derived::OnSetText"));
    EXPECT_EQ(wnd.Default(), 0) << "outside a dispatch there is nothing to default";
}

TEST(WndTest, FailedCreationAndDestructionUnbind)
{
    BaseWnd failing;
    failing.failCreate = true;
    EXPECT_FALSE(CreateTop(failing));
    EXPECT_EQ(failing.m_hWnd, nullptr);
    EXPECT_TRUE(failing.postNcDestroy);

    BaseWnd wnd;
    ASSERT_TRUE(CreateTop(wnd));
    const HWND handle = wnd.m_hWnd;
    EXPECT_FALSE(CreateTop(wnd)) << "one window per object";
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.postNcDestroy);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);

    HWND destroyed;
    {
        BaseWnd scoped;
        ASSERT_TRUE(CreateTop(scoped));
        destroyed = scoped.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(destroyed)) << "the destructor destroys its window";
    EXPECT_EQ(CWnd::FromHandlePermanent(destroyed), nullptr);
}

TEST(WndTest, CreatesAndBindsWindowsOfSystemClasses)
{
    winharness::NotifyParent parent(200, 100);
    DerivedWnd button;
    const RECT rect = {0, 0, 80, 20};
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, rect,
                                CWnd::FromHandle(parent.Handle()), 42));
    EXPECT_EQ(CWnd::FromHandlePermanent(button.m_hWnd), &button);
    EXPECT_EQ(button.GetDlgCtrlID(), 42);
    // The button's own behaviour reaches it through Default.
    button.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(button.SendMessage(kAppMessage, 1, 1), 2);
}

// Makes a child while its own creation is under way.
class OuterWnd : public CWnd {
public:
    CWnd inner;
    int OnCreate(CREATESTRUCTA*)
    {
        const RECT rect = {0, 0, 10, 10};
        return inner.CreateEx(0, PlainClass(), "", WS_CHILD, rect, this, 5) ? 0 : -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OuterWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(WndTest, NestedCreationBindsEachWindowToItsOwnObject)
{
    OuterWnd outer;
    ASSERT_TRUE(outer.CreateEx(0, PlainClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    ASSERT_NE(outer.inner.m_hWnd, nullptr);
    EXPECT_NE(outer.inner.m_hWnd, outer.m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(outer.inner.m_hWnd), &outer.inner);
    EXPECT_EQ(CWnd::FromHandlePermanent(outer.m_hWnd), &outer);
    EXPECT_EQ(outer.inner.GetParent(), &outer);
}

TEST(WndTest, SubclassesExistingWindowsAndGivesThemBack)
{
    winharness::NotifyParent parent(200, 100);
    const HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent.Handle(),
                                      reinterpret_cast<HMENU>(UINT_PTR(9)), nullptr, nullptr);
    const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassDlgItem(9, CWnd::FromHandle(parent.Handle())));
    EXPECT_EQ(wnd.m_hWnd, edit);
    EXPECT_NE(GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    SetWindowTextA(edit, "typed");
    EXPECT_TRUE(Contains(wnd.calls, "Derived::OnSetText"));
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "typed") << "the edit control still does its work";
    EXPECT_FALSE(wnd.SubclassWindow(edit)) << "already bound";

    EXPECT_EQ(wnd.UnsubclassWindow(), edit);
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    EXPECT_TRUE(IsWindow(edit)) << "given back, not destroyed";
}

TEST(WndTest, AttachDetachAndWrappersOfForeignWindows)
{
    winharness::NotifyParent parent(100, 100);
    const HWND handle = parent.Handle();
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
    CWnd* wrapper = CWnd::FromHandle(handle);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->m_hWnd, handle);
    EXPECT_EQ(CWnd::FromHandle(handle), wrapper) << "the same wrapper each time";
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    EXPECT_NE(CWnd::GetDesktopWindow(), nullptr);

    CWnd attached;
    ASSERT_TRUE(attached.Attach(handle));
    EXPECT_EQ(CWnd::FromHandle(handle), &attached);
    CWnd second;
    EXPECT_FALSE(second.Attach(handle)) << "one object per handle";
    EXPECT_EQ(attached.Detach(), handle);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
    EXPECT_TRUE(IsWindow(handle));
}

TEST(WndClassTest, SameParametersSameClass)
{
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    const char* a = AfxRegisterWndClass(CS_HREDRAW, arrow);
    const char* b = AfxRegisterWndClass(CS_HREDRAW, arrow);
    const char* c = AfxRegisterWndClass(CS_VREDRAW, arrow);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_STRNE(a, c);
    WNDCLASSA info = {};
    ASSERT_TRUE(GetClassInfoA(AfxGetInstanceHandle(), a, &info));
    EXPECT_EQ(info.style, UINT(CS_HREDRAW));
    EXPECT_EQ(info.hCursor, arrow);
}

TEST(WndTest, WindowsOfOtherThreadsAreLookedUpSafely)
{
    BaseWnd wnd;
    ASSERT_TRUE(CreateTop(wnd));
    const HWND handle = wnd.m_hWnd;
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i)
            if (CWnd::FromHandle(handle) != &wnd)
                ++wrong;
    });
    // Meanwhile this thread binds and unbinds other windows.
    for (int i = 0; i < 20; ++i) {
        BaseWnd other;
        EXPECT_TRUE(other.CreateEx(0, PlainClass(), "y", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr));
    }
    reader.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
