// Data exchange in a real dialog under Wine: both directions, controls
// written only on change, failing values keeping the focus, the condition
// field's labels and enabling.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/ddx.h"

namespace {

using winharness::ModalDriver;

enum { kNumber = 10, kDate = 11, kTime = 12, kDateTime = 13, kInt = 14, kCombo = 15, kBuffer = 16, kZeroScale = 17,
       kDouble = 18, kFloat = 19, kLabel1 = 20, kValue1, kLabel2, kValue2, kModeLabel, kMode };

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
const DialogItem kItems[] = {
    {"EDIT", kNumber, kEdit, 5, 5, 80, 13, "", 0},
    {"EDIT", kDate, kEdit, 5, 20, 80, 13, "", 0},
    {"EDIT", kTime, kEdit, 5, 35, 80, 13, "", 0},
    {"EDIT", kDateTime, kEdit, 5, 50, 120, 13, "", 0},
    {"EDIT", kInt, kEdit, 5, 65, 80, 13, "", 0},
    {"COMBOBOX", kCombo, kChild | WS_TABSTOP | CBS_DROPDOWN | WS_VSCROLL, 5, 80, 80, 60, "", 0},
    {"EDIT", kBuffer, kEdit, 5, 95, 80, 13, "", 0},
    {"EDIT", kZeroScale, kEdit, 90, 95, 30, 13, "", 0},
    {"EDIT", kDouble, kEdit, 90, 65, 40, 13, "", 0},
    {"EDIT", kFloat, kEdit, 90, 80, 40, 13, "", 0},
    {"STATIC", kLabel1, kChild, 130, 5, 30, 8, "", 0},
    {"EDIT", kValue1, kEdit, 160, 5, 40, 13, "", 0},
    {"STATIC", kLabel2, kChild, 130, 20, 30, 8, "", 0},
    {"EDIT", kValue2, kEdit, 160, 20, 40, 13, "", 0},
    {"STATIC", kModeLabel, kChild, 130, 35, 30, 8, "Art :", 0},
    {"COMBOBOX", kMode, kChild | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 160, 35, 40, 80, "", 0},
    {"BUTTON", IDOK, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 115, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kChild | WS_TABSTOP, 60, 115, 50, 14, "Abbrechen", 0},
};

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog()
    {
        SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 210, 135, "Austausch", kItems), nullptr);
        CTime::FromLocal(2026, 7, 1, 13, 14, 15, &time);
    }
    float number = 0.25f, unscaled = 2.5f, plain = 2.5f;
    double grouped = 1234.5;
    DateRecord date = {2026, 12, 24};
    TimeRecord clock = {7, 5, 9};
    CTime time;
    int integer = -42;
    CString combo = "Zwei";
    char buffer[32] = "Puffer";
    int value1 = 3, value2 = 9, mode = 5;

protected:
    BOOL OnInitDialog() override
    {
        for (const char* entry : {"Eins", "Zwei"})
            SendDlgItemMessageA(m_hWnd, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        for (const char* entry : {"keine", "gleich", "Bereich"})
            SendDlgItemMessageA(m_hWnd, kMode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        SendDlgItemMessageA(m_hWnd, kCombo, CB_SETCURSEL, 1, 0);
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_FloatScaled(dx, kNumber, number, 1, 100.0f);
        DDX_FloatScaled(dx, kZeroScale, unscaled, 1, 0.0f);  // taken as 1
        DDX_DoubleGrouped(dx, kDouble, grouped, 2);
        DDX_Float(dx, kFloat, plain, 1);
        DDX_DateRecord(dx, kDate, date, kDateWeekday);
        DDX_TimeRecord(dx, kTime, clock, 0);
        DDX_DateTimeCTime(dx, kDateTime, time, 0);
        DDX_IntText(dx, kInt, integer);
        DDX_ComboText(dx, kCombo, combo);
        DDX_TextBuffer(dx, kBuffer, buffer, sizeof buffer);
        DDX_Condition(dx, kValue1, value1, value2, mode, 0b100011);
    }
};

std::string Text(HWND dialog, int id)
{
    return std::string(GetControlText(GetDlgItem(dialog, id)));
}

// Counts WM_SETTEXT reaching one control.
struct SetTextCounter {
    static int count;
    static WNDPROC previous;
    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SETTEXT)
            ++count;
        return CallWindowProcA(previous, wnd, message, wParam, lParam);
    }
};
int SetTextCounter::count = 0;
WNDPROC SetTextCounter::previous = nullptr;

TEST(DataExchange, LoadsShowsAndWritesOnlyChangedTexts)
{
    ExchangeDialog dialog;
    std::vector<std::string> shown;
    bool firstEnabled = false, secondEnabled = false;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        for (int id : {kNumber, kZeroScale, kDate, kTime, kDateTime, kInt, kCombo, kBuffer, kLabel1, kValue1, kLabel2,
                       kValue2, kDouble, kFloat})
            shown.push_back(Text(top, id));
        firstEnabled = IsWindowEnabled(GetDlgItem(top, kValue1));
        secondEnabled = IsWindowEnabled(GetDlgItem(top, kValue2));
        const HWND number = GetDlgItem(top, kNumber);
        SetTextCounter::count = 0;
        SetTextCounter::previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(number, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SetTextCounter::Proc)));
        dialog.UpdateData(FALSE);  // nothing changed: nothing written
        SetWindowLongPtrA(number, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SetTextCounter::previous));
        return d.Post(IDCANCEL);
    });
    driver.Run([&] { dialog.DoModal(); });
    EXPECT_EQ(shown, (std::vector<std::string>{"25.0", "2.5", "Do 24.Dez.2026", "07:05:09", "1.Juli 2026 13:14:15", "-42",
                                               "Zwei", "Puffer", "Von :", "3", "Bis :", "9", "1 234.50", "2.5"}));
    EXPECT_TRUE(firstEnabled && secondEnabled);
    EXPECT_EQ(SetTextCounter::count, 0);
}

typedef std::vector<std::pair<int, std::string>> Typed;

// Opens the dialog, lets `before` look at it, types the texts, saves (the
// result of the exchange returned), lets `after` look again and cancels.
BOOL TypeAndSave(ExchangeDialog& dialog, const Typed& typed, const std::function<void(HWND)>& before,
                 const std::function<void(HWND)>& after)
{
    BOOL saved = FALSE;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        before(top);
        for (const auto& [id, text] : typed)
            SetDlgItemTextA(top, id, text.c_str());
        saved = dialog.UpdateData(TRUE);
        after(top);
        return d.Post(IDCANCEL);
    });
    driver.Run([&] { dialog.DoModal(); });
    return saved;
}

TEST(DataExchange, SavesTypedValues)
{
    ExchangeDialog dialog;
    std::string label1, label2;
    bool secondEnabled = true;
    const Typed typed = {{kNumber, "12,5"}, {kDate, "2027-03-05"}, {kTime, "23:59:58"}, {kDateTime, "24.12.2030 18:30"},
                         {kInt, " 2147483647"}, {kBuffer, "neu"}, {kValue1, "-7"}, {kZeroScale, "3,5"}, {kCombo, "frei"}};
    TypeAndSave(
        dialog, typed,
        [](HWND top) {
            SendDlgItemMessageA(top, kCombo, CB_SETCURSEL, WPARAM(-1), 0);
            SendDlgItemMessageA(top, kMode, CB_SETCURSEL, 1, 0);  // the second allowed mode: 1
        },
        [&](HWND top) {
            dialog.UpdateData(FALSE);
            label1 = Text(top, kLabel1);
            label2 = Text(top, kLabel2);
            secondEnabled = IsWindowEnabled(GetDlgItem(top, kValue2));
        });
    EXPECT_EQ(std::make_tuple(dialog.number, dialog.unscaled), std::make_tuple(0.125f, 3.5f));
    EXPECT_EQ(std::make_tuple(dialog.date.year, dialog.date.month, dialog.date.day, dialog.clock.hour,
                              dialog.clock.minute, dialog.clock.second),
              std::make_tuple(2027, 3, 5, 23, 59, 58));
    EXPECT_EQ(std::make_tuple(dialog.time.GetYear(), dialog.time.GetHour(), dialog.time.GetMinute()),
              std::make_tuple(2030, 18, 30));
    EXPECT_EQ(std::make_tuple(dialog.integer, std::string(dialog.combo), std::string(dialog.buffer)),
              std::make_tuple(2147483647, "frei", "neu"));
    EXPECT_EQ(std::make_tuple(dialog.mode, dialog.value1, dialog.value2, label1, label2, secondEnabled),
              std::make_tuple(1, -7, 9, "Wert :", "", false));
}

// Everything the dialog stores, to see that a failed exchange changed none of it.
auto Stored(const ExchangeDialog& d)
{
    return std::make_tuple(d.number, d.unscaled, d.plain, d.grouped, d.date.year, d.date.month, d.date.day, d.clock.hour,
                           d.clock.minute, d.clock.second, d.time.GetTime(), d.integer);
}

// Each value that does not parse (or cannot be held) fails the exchange: a
// message, the dialog stays open, the focus on the control, the old value
// kept.
TEST(DataExchange, FailingValueKeepsTheOldValueAndTheFocusOnTheControl)
{
    const std::pair<int, const char*> cases[] = {{kNumber, "abc"},  {kDate, "31.2.2026"}, {kDateTime, "24.12.45 10:00"},
                                                 {kInt, "12x"},     {kInt, "2147483648"}};
    for (const auto& [id, typed] : cases) {
        ExchangeDialog dialog;
        const auto before = Stored(dialog);
        HWND main = nullptr;
        bool focused = false;
        DWORD waitFrom = 0;
        ModalDriver driver;
        driver.Then([&](ModalDriver& d) { return (main = d.TopDialog()) && SetDlgItemTextA(main, id, typed) && d.Post(IDOK); })
            .Then([&](ModalDriver& d) { return d.TopDialog() != main && d.Post(IDOK); })  // the message
            .Then([&](ModalDriver& d) {
                // Other test programs on the display may delay the reactivation.
                if (d.TopDialog() != main)
                    return false;
                waitFrom = waitFrom ? waitFrom : GetTickCount();
                focused = GetFocus() == GetDlgItem(main, id);
                if (!focused)
                    winharness::Activated(main, waitFrom);  // brought forward if another window kept it back
                return (focused || GetTickCount() - waitFrom > 3000) && d.Post(IDCANCEL);  // within the watchdog
            });
        driver.Run([&] { EXPECT_EQ(dialog.DoModal(), IDCANCEL) << typed; });
        EXPECT_TRUE(focused) << typed;
        EXPECT_TRUE(Stored(dialog) == before) << typed;
    }
}

// Dates, times and numbers out of range are refused, not cut or wrapped into
// the record: one dialog takes each text in turn, shows the field's message
// and gives the focus back to the field.
TEST(DataExchange, OutOfRangeDatesTimesAndNumbersAreRefused)
{
    const std::string digits400(400, '9'), tenTo42 = "1" + std::string(42, '0');
    const struct {
        int id;
        std::string typed;
        const char* message;
    } cases[] = {
        {kDate, "33.1.2026", "Bitte ein gültiges Datum eingeben."},
        {kDate, "24.17.2026", "Bitte ein gültiges Datum eingeben."},
        {kDate, "24.12.67536", "Bitte ein gültiges Datum eingeben."},
        {kTime, "abc", "Bitte eine gültige Uhrzeit eingeben."},
        {kTime, "25:61:61", "Bitte eine gültige Uhrzeit eingeben."},
        {kDateTime, "24.12.2030 24:00", "Bitte eine gültige Uhrzeit eingeben."},
        {kDouble, digits400, "Bitte eine gültige Zahl eingeben."},
        {kFloat, tenTo42, "Bitte eine gültige Zahl eingeben."},
    };
    ExchangeDialog dialog;
    const auto before = Stored(dialog);
    std::vector<std::string> messages, expected;
    std::vector<int> focusedOn;
    HWND main = nullptr;
    DWORD waitFrom = 0;
    ModalDriver driver(30000);
    for (const auto& c : cases) {
        expected.push_back(c.message);
        driver.Then([&](ModalDriver& d) { return (main = d.TopDialog()) && SetDlgItemTextA(main, c.id, c.typed.c_str()) && d.Post(IDOK); })
            .Then([&](ModalDriver& d) {
                const HWND box = d.TopDialog();
                if (box == main)
                    return false;
                messages.push_back(std::string(GetControlText(GetDlgItem(box, 0xFFFF))));
                waitFrom = 0;
                return d.Post(IDOK);
            })
            .Then([&](ModalDriver& d) {
                if (d.TopDialog() != main)
                    return false;
                waitFrom = waitFrom ? waitFrom : GetTickCount();
                const bool focused = GetFocus() == GetDlgItem(main, c.id);
                if (!focused)
                    winharness::Activated(main, waitFrom);
                if (!focused && GetTickCount() - waitFrom <= 3000)
                    return false;
                focusedOn.push_back(GetDlgCtrlID(GetFocus()));
                dialog.UpdateData(FALSE);  // the stored values shown again
                return true;
            });
    }
    driver.Then([](ModalDriver& d) { return d.Post(IDCANCEL); });
    driver.Run([&] { EXPECT_EQ(dialog.DoModal(), IDCANCEL); });
    std::vector<int> fields;
    for (const auto& c : cases)
        fields.push_back(c.id);
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(focusedOn, fields);
    EXPECT_TRUE(Stored(dialog) == before);
}

// What the fields accept at the edges of their ranges is stored as typed,
// and a field's own text for a large value reads back as that value.
TEST(DataExchange, EdgesOfTheRangesAreStoredAsTyped)
{
    ExchangeDialog dialog;
    dialog.grouped = 1e17;  // shown as "1.00e+17"
    std::string shownLarge;
    const BOOL saved = TypeAndSave(
        dialog,
        {{kDate, "Dezember 24, 2026"}, {kTime, "23:59:59"}, {kDateTime, "29.2.2028 0:00:00"}, {kFloat, "1e38"}},
        [&](HWND top) { shownLarge = Text(top, kDouble); }, [](HWND) {});
    EXPECT_EQ(std::make_tuple(saved, shownLarge, dialog.grouped, dialog.plain), std::make_tuple(TRUE, "1.00e+17", 1e17, 1e38f));
    EXPECT_EQ(std::make_tuple(dialog.date.year, dialog.date.month, dialog.date.day, dialog.clock.hour, dialog.clock.minute,
                              dialog.clock.second),
              std::make_tuple(2026, 12, 24, 23, 59, 59));
    EXPECT_EQ(std::make_tuple(dialog.time.GetYear(), dialog.time.GetMonth(), dialog.time.GetDay(), dialog.time.GetHour(),
                              dialog.time.GetMinute(), dialog.time.GetSecond()),
              std::make_tuple(2028, 2, 29, 0, 0, 0));
}

// The condition field with radio buttons as its selector, a group of other
// radio buttons after them.
enum { kRadioLabel1 = 30, kRadioValue1, kRadioLabel2, kRadioValue2, kRadioModeLabel, kRadioNone, kRadioEqual, kRadioRange,
       kUnitMetre, kUnitFoot };
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
const DialogItem kRadioItems[] = {
    {"STATIC", kRadioLabel1, kChild, 5, 7, 30, 8, "", 0},
    {"EDIT", kRadioValue1, kEdit, 40, 5, 40, 13, "", 0},
    {"STATIC", kRadioLabel2, kChild, 85, 7, 20, 8, "", 0},
    {"EDIT", kRadioValue2, kEdit, 105, 5, 40, 13, "", 0},
    {"STATIC", kRadioModeLabel, kChild, 5, 25, 30, 8, "Art :", 0},
    {"BUTTON", kRadioNone, kRadio | WS_GROUP | WS_TABSTOP, 40, 25, 40, 10, "keine", 0},
    {"BUTTON", kRadioEqual, kRadio, 40, 37, 40, 10, "gleich", 0},
    {"BUTTON", kRadioRange, kRadio, 40, 49, 40, 10, "Bereich", 0},
    {"BUTTON", kUnitMetre, kRadio | WS_GROUP | WS_TABSTOP, 100, 25, 40, 10, "Meter", 0},
    {"BUTTON", kUnitFoot, kRadio, 100, 37, 40, 10, "Fuß", 0},
    {"BUTTON", IDOK, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 40, 65, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kChild | WS_TABSTOP, 95, 65, 50, 14, "Abbrechen", 0},
};
constexpr int kRadioModes = 0b100101;  // none, equal (2), range (5)

class RadioConditionDialog : public CDialog {
public:
    RadioConditionDialog()
    {
        SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 150, 85, "Bedingung", kRadioItems), nullptr);
    }
    int value1 = 3, value2 = 9, mode = 5;

protected:
    BOOL OnInitDialog() override
    {
        CheckDlgButton(m_hWnd, kUnitFoot, BST_CHECKED);
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Condition(dx, kRadioValue1, value1, value2, mode, kRadioModes);
    }
};

// What the field shows: the checked radio buttons (selector, then the other
// group), the labels and which edits are enabled.
struct ConditionLook {
    std::string checked, label1, label2;
    bool enabled1, enabled2;
    bool operator==(const ConditionLook&) const = default;
};

ConditionLook LookOf(HWND dialog)
{
    ConditionLook look{"", Text(dialog, kRadioLabel1), Text(dialog, kRadioLabel2),
                       IsWindowEnabled(GetDlgItem(dialog, kRadioValue1)) != FALSE,
                       IsWindowEnabled(GetDlgItem(dialog, kRadioValue2)) != FALSE};
    for (int id = kRadioNone; id <= kUnitFoot; ++id)
        look.checked += IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 'x' : '-';
    return look;
}

void PrintTo(const ConditionLook& l, std::ostream* os)
{
    *os << l.checked << " '" << l.label1 << "' '" << l.label2 << "' " << l.enabled1 << l.enabled2;
}

TEST(DataExchange, ConditionWithRadioButtons)
{
    // Clicked radio button (0 none: only a load of the mode), typed values;
    // the mode and values stored and the field's look afterwards.
    const struct {
        int click, loadMode;
        const char *typed1, *typed2;
        int mode, value1, value2;
        ConditionLook look;
    } cases[] = {
        {0, 5, nullptr, nullptr, 5, 3, 9, {"--x-x", "Von :", "Bis :", true, true}},
        {kRadioEqual, 0, "17", "x", 2, 17, 9, {"-x--x", "Wert :", "", true, false}},  // the second edit not read
        {kRadioNone, 0, "abc", "abc", 0, 17, 9, {"x---x", "Wert :", "", false, false}},
        {kRadioRange, 0, "-4", "12", 5, -4, 12, {"--x-x", "Von :", "Bis :", true, true}},
        {0, 2, nullptr, nullptr, 2, -4, 12, {"-x--x", "Wert :", "", true, false}},
        {0, 0, nullptr, nullptr, 0, -4, 12, {"x---x", "Wert :", "", false, false}},
    };
    RadioConditionDialog dialog;
    std::vector<std::tuple<int, int, int, ConditionLook>> seen, expected;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        for (const auto& c : cases) {
            expected.emplace_back(c.mode, c.value1, c.value2, c.look);
            if (c.click) {
                SetDlgItemTextA(top, kRadioValue1, c.typed1);
                SetDlgItemTextA(top, kRadioValue2, c.typed2);
                SendDlgItemMessageA(top, c.click, BM_CLICK, 0, 0);
                dialog.UpdateData(TRUE);
            } else {
                dialog.mode = c.loadMode;
                dialog.UpdateData(FALSE);
            }
            seen.emplace_back(dialog.mode, dialog.value1, dialog.value2, LookOf(top));
        }
        return d.Post(IDCANCEL);
    });
    driver.Run([&] { dialog.DoModal(); });
    EXPECT_EQ(seen, expected);
}

}  // namespace
