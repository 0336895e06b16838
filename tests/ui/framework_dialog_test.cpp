// CDialog under Wine: binding before the first message, data exchange in
// both directions, a failing value keeping the focus, resource dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/dialog.h"
#include "tests/winharness/modal_driver.h"

namespace {

using winharness::ModalDriver;

constexpr int kEdit = 100;
constexpr int kCheck = 101;
constexpr int kList = 102;
constexpr int kResourceDialog = 200;  // in framework_dialog_test.rc
constexpr int kMissingResource = 999;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItem kItems[] = {
    {"EDIT", kEdit, kChild | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 100, 13, "", 0},
    {"BUTTON", kCheck, kChild | BS_AUTOCHECKBOX, 5, 22, 100, 10, "Prüfen", 0},
    {"LISTBOX", kList, kChild | WS_BORDER | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 110, 5, 60, 40, "", 0},
    {"BUTTON", IDOK, kChild | BS_DEFPUSHBUTTON, 5, 40, 40, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kChild, 50, 40, 50, 14, "Abbrechen", 0},
};

class ExchangeDialog : public CDialog {
public:
    explicit ExchangeDialog(bool fromResource = false) : CDialog(fromResource ? kResourceDialog : 0)
    {
        if (!fromResource)
            SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 180, 60, "Austausch", kItems),
                        nullptr);
    }

    CString text = "Hallo";
    int check = 1;
    bool requireText = false;
    std::vector<std::string> seen;  // messages the object saw, in order

    BOOL OnInitDialog() override
    {
        seen.push_back("init");
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kEdit, text);
        if (dx->m_bSaveAndValidate && requireText && text.IsEmpty())
            dx->Fail("Bitte einen Text eingeben.");
        DDX_Check(dx, kCheck, check);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SIZE && seen.empty())
            seen.push_back("size");
        if (message == WM_MEASUREITEM) {
            seen.push_back("measure");
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 16;
            return TRUE;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

std::string ItemText(HWND dialog, int id)
{
    return std::string(GetControlText(GetDlgItem(dialog, id)));
}

TEST(FrameworkDialog, BoundBeforeTheFirstMessageAndShowsMembers)
{
    ExchangeDialog dialog;
    std::string shownText;
    LRESULT shownCheck = -1;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        shownText = ItemText(top, kEdit);
        shownCheck = SendDlgItemMessageA(top, kCheck, BM_GETCHECK, 0, 0);
        return d.Post(IDCANCEL);
    });
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.seen, (std::vector<std::string>{"size", "measure", "init"}));
    EXPECT_EQ(shownText, "Hallo");
    EXPECT_EQ(shownCheck, BST_CHECKED);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

struct ExchangeCase {
    const char* name;
    bool fromResource;
    int button;
    const char* typed;
    INT_PTR result;
    const char* text;  // the member afterwards
    int check;
};

class FrameworkDialogExchange : public testing::TestWithParam<ExchangeCase> {};

TEST_P(FrameworkDialogExchange, SavesOnOkOnly)
{
    const ExchangeCase& c = GetParam();
    ExchangeDialog dialog(c.fromResource);
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        SetDlgItemTextA(top, kEdit, c.typed);
        SendDlgItemMessageA(top, kCheck, BM_SETCHECK, BST_UNCHECKED, 0);
        return d.Post(c.button);
    });
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(std::string(dialog.text), c.text);
    EXPECT_EQ(dialog.check, c.check);
}

const ExchangeCase kExchangeCases[] = {
    {"OkTemplate", false, IDOK, "Straße", IDOK, "Straße", 0},
    {"CancelTemplate", false, IDCANCEL, "Straße", IDCANCEL, "Hallo", 1},
    {"OkResource", true, IDOK, "Weg", IDOK, "Weg", 0},
};
INSTANTIATE_TEST_SUITE_P(Cases, FrameworkDialogExchange, testing::ValuesIn(kExchangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameworkDialog, FailingValueKeepsTheDialogAndTheFocus)
{
    ExchangeDialog dialog;
    dialog.requireText = true;
    HWND main = nullptr;
    HWND focusAfter = nullptr;
    HWND edit = nullptr;
    bool openAfter = false;
    std::string boxText;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        main = d.TopDialog();
        if (!main)
            return false;
        SetDlgItemTextA(main, kEdit, "");
        SetFocus(GetDlgItem(main, IDOK));
        return d.Post(IDOK);
    })
        .Then([&](ModalDriver& d) {
            const HWND box = d.TopDialog();
            if (box == main)
                return false;
            char text[128] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            boxText = text;
            return d.Post(IDOK);
        })
        .Then([&](ModalDriver& d) {
            if (d.TopDialog() != main)
                return false;
            focusAfter = GetFocus();
            edit = GetDlgItem(main, kEdit);
            openAfter = IsWindow(main);
            return d.Post(IDCANCEL);
        });
    driver.Run([&] { dialog.DoModal(); });
    EXPECT_EQ(boxText, "Bitte einen Text eingeben.");
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(focusAfter, edit);
    EXPECT_NE(edit, nullptr);
}

TEST(FrameworkDialog, MissingResourceFails)
{
    CDialog dialog(kMissingResource);
    EXPECT_EQ(dialog.DoModal(), -1);
}

}  // namespace
