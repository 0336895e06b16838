// Data exchange reached by keyboard alone: Tab walks the fields with their
// text selected, typed values are stored on Enter, and an invalid value
// shows its message and gives the focus back to its field.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/dialogs/dialog_input_script.h"
#include "ui/dialogs/ddx.h"

namespace {

using dialog_input::Action;
using dialog_input::AllSelected;
using dialog_input::DialogScript;
using dialog_input::Press;
using dialog_input::TextOf;
using dialog_input::Typing;
using winharness::ModalDriver;

enum { kDistance = 10, kDate, kTime, kCount };

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
const DialogItem kItems[] = {
    {"STATIC", 1, kChild, 5, 7, 50, 8, "Strecke (m) :", 0},
    {"EDIT", kDistance, kEdit, 60, 5, 90, 13, "", 0},
    {"STATIC", 2, kChild, 5, 24, 50, 8, "Datum :", 0},
    {"EDIT", kDate, kEdit, 60, 22, 90, 13, "", 0},
    {"STATIC", 3, kChild, 5, 41, 50, 8, "Uhrzeit :", 0},
    {"EDIT", kTime, kEdit, 60, 39, 90, 13, "", 0},
    {"STATIC", 4, kChild, 5, 58, 50, 8, "Anzahl :", 0},
    {"EDIT", kCount, kEdit, 60, 56, 90, 13, "", 0},
    {"BUTTON", IDOK, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 45, 76, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kChild | WS_TABSTOP, 100, 76, 50, 14, "Abbrechen", 0},
};

class FieldsDialog : public CDialog {
public:
    FieldsDialog()
    {
        SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 160, 95, "Datenaustausch",
                                     kItems),
                    nullptr);
    }
    double distance = 1234.5;
    DateRecord date = {2026, 12, 24};
    TimeRecord time = {7, 5, 9};
    int count = 12;

    auto Stored() const
    {
        return std::make_tuple(distance, date.year, date.month, date.day, time.hour, time.minute, time.second, count);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_DoubleGrouped(dx, kDistance, distance, 2);
        DDX_DateRecord(dx, kDate, date, 0);
        DDX_TimeRecord(dx, kTime, time, 0);
        DDX_IntText(dx, kCount, count);
    }
};

const std::vector<Action> kSelectAll = {Press(VK_HOME), Press(VK_END, winharness::kShift)};

// Where the focus is and whether an edit there has its whole text selected.
struct Focus {
    int id;
    bool selected;
    bool operator==(const Focus&) const = default;
};

void PrintTo(const Focus& f, std::ostream* os)
{
    *os << "focus on " << f.id << (f.selected ? ", text selected" : "");
}

Focus FocusIn(HWND top)
{
    const HWND focus = GetFocus();
    const bool edit = focus && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
    return {GetParent(focus) == top ? GetDlgCtrlID(focus) : 0, edit && AllSelected(focus)};
}

TEST(DataExchangeRealInput, TabWalksTheFieldsWithTheirTextSelected)
{
    const std::tuple<Action, Focus> rows[] = {
        {Press(VK_TAB), {kDate, true}},
        {Press(VK_TAB), {kTime, true}},
        {Press(VK_TAB), {kCount, true}},
        {Press(VK_TAB), {IDOK, false}},
        {Press(VK_TAB), {IDCANCEL, false}},
        {Press(VK_TAB), {kDistance, true}},  // round to the first field
        {Press(VK_TAB, winharness::kShift), {IDCANCEL, false}},
        {Press(VK_TAB, winharness::kShift), {IDOK, false}},
        {Press(VK_TAB, winharness::kShift), {kCount, true}},
    };
    FieldsDialog dialog;
    std::vector<Focus> seen, expected;
    ModalDriver driver;
    DialogScript script(driver);
    for (const auto& [action, focus] : rows) {
        expected.push_back(focus);
        script.Do(action).Look([&seen](HWND top) { seen.push_back(FocusIn(top)); });
    }
    script.Finally(Press(VK_ESCAPE));
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(result, IDCANCEL);
}

TEST(DataExchangeRealInput, TypedValuesAreStoredOnEnter)
{
    FieldsDialog dialog;
    ModalDriver driver;
    DialogScript script(driver);
    script.Do(kSelectAll).Do(Typing("2 500,25"));
    for (const char* typed : {"1.5.2027", "8:30:15", "-3"})
        script.Do(Press(VK_TAB)).Do(Typing(typed));
    script.Finally(Press(VK_RETURN));
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Stored(), std::make_tuple(2500.25, 2027, 5, 1, 8, 30, 15, -3));
}

TEST(DataExchangeRealInput, InvalidValueShowsTheMessageAndPutsTheFocusBack)
{
    const struct {
        const char* name;
        int field, tabs;  // Tab presses from the first field
        const char* typed;
        const char* message;
    } rows[] = {
        {"Strecke", kDistance, 0, "abc", "Bitte eine gültige Zahl eingeben."},
        {"Datum", kDate, 1, "31.2.2026", "Bitte ein gültiges Datum eingeben."},
        {"Uhrzeit", kTime, 2, "25:61", "Bitte eine gültige Uhrzeit eingeben."},
        {"Anzahl", kCount, 3, "12x", "Bitte eine gültige Zahl eingeben."},
    };
    for (const auto& row : rows) {
        FieldsDialog dialog;
        const auto before = dialog.Stored();
        HWND main = nullptr;
        std::string message;
        Focus back{};
        std::string textBack;
        ModalDriver driver;
        DialogScript script(driver);
        script.Look([&main](HWND top) { main = top; });
        for (int i = 0; i < row.tabs; ++i)
            script.Do(Press(VK_TAB));
        script.Do(kSelectAll).Do(Typing(row.typed)).Do(Press(VK_RETURN));
        script.Until([&main](HWND top) { return top && top != main; })
            .Look([&message](HWND box) { message = TextOf(GetDlgItem(box, 0xFFFF)); })
            .Do(Press(VK_RETURN))  // closes the message
            .Until([&main, &row](HWND top) { return top == main && GetFocus() == GetDlgItem(main, row.field); })
            .Look([&](HWND top) { back = FocusIn(top), textBack = TextOf(GetDlgItem(top, row.field)); })
            .Finally(Press(VK_ESCAPE));
        INT_PTR result = 0;
        driver.Run([&] { result = dialog.DoModal(); });
        EXPECT_EQ(message, row.message) << row.name;
        EXPECT_EQ(back, (Focus{row.field, true})) << row.name;
        EXPECT_EQ(textBack, row.typed) << row.name;
        EXPECT_EQ(result, IDCANCEL) << row.name;
        EXPECT_TRUE(dialog.Stored() == before) << row.name;
    }
}

}  // namespace
