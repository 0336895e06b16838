// CDialog under Wine: binding before the first message, data exchange in
// both directions, resource dialogs (failing values: tests/dialogs/ddx_test).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
    std::vector<std::string> seen;  // messages the object saw, in order

    BOOL OnInitDialog() override
    {
        seen.push_back("init");
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kEdit, text);
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

struct ExchangeCase {
    const char* name;
    bool fromResource;
    int button;
    const char* typed;
    const char* text;  // the member afterwards
    int check;
};

class FrameworkDialogExchange : public testing::TestWithParam<ExchangeCase> {};

// The object sees WM_SIZE and WM_MEASUREITEM before WM_INITDIALOG, shows its
// members, and takes the controls' values on OK only.
TEST_P(FrameworkDialogExchange, BoundBeforeTheFirstMessageAndSavesOnOkOnly)
{
    const ExchangeCase& c = GetParam();
    ExchangeDialog dialog(c.fromResource);
    std::string shownText;
    LRESULT shownCheck = -1;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        shownText = std::string(GetControlText(GetDlgItem(top, kEdit)));
        shownCheck = SendDlgItemMessageA(top, kCheck, BM_GETCHECK, 0, 0);
        SetDlgItemTextA(top, kEdit, c.typed);
        SendDlgItemMessageA(top, kCheck, BM_SETCHECK, BST_UNCHECKED, 0);
        return d.Post(c.button);
    });
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    EXPECT_EQ(dialog.seen, (std::vector<std::string>{"size", "measure", "init"}));
    EXPECT_EQ(std::make_tuple(shownText, shownCheck), std::make_tuple("Hallo", LRESULT(BST_CHECKED)));
    EXPECT_EQ(std::make_tuple(result, std::string(dialog.text), dialog.check),
              std::make_tuple(INT_PTR(c.button), c.text, c.check));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

const ExchangeCase kExchangeCases[] = {
    {"OkTemplate", false, IDOK, "Straße", "Straße", 0},
    {"CancelTemplate", false, IDCANCEL, "Straße", "Hallo", 1},
    {"OkResource", true, IDOK, "Weg", "Weg", 0},
};
INSTANTIATE_TEST_SUITE_P(Cases, FrameworkDialogExchange, testing::ValuesIn(kExchangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameworkDialog, MissingResourceFails)
{
    CDialog dialog(kMissingResource);
    EXPECT_EQ(dialog.DoModal(), -1);
}

}  // namespace
