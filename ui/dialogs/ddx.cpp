#include "ui/dialogs/ddx.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/text_services.h"

namespace {

constexpr int kBufferCompare = 260;  // DDX_TextBuffer compares this much
constexpr int kComboCompare = 1024;
constexpr int kDateText = 64;
constexpr int kRangeMode = 5;
constexpr char kBadNumber[] = "Bitte eine gültige Zahl eingeben.";
constexpr char kBadDate[] = "Bitte ein gültiges Datum eingeben.";
constexpr char kBadTime[] = "Bitte eine gültige Uhrzeit eingeben.";

DateRecord Today()
{
    const CTime now = CTime::GetCurrentTime();
    return DateRecord{uint16_t(now.GetYear()), uint16_t(now.GetMonth()), uint16_t(now.GetDay())};
}

TimeRecord Now()
{
    const CTime now = CTime::GetCurrentTime();
    return TimeRecord{uint16_t(now.GetHour()), uint16_t(now.GetMinute()), uint16_t(now.GetSecond())};
}

std::string DateText(const DateRecord& date, int flags)
{
    char text[kDateText];
    FormatDate(text, kDateText, date, flags);
    return text;
}

std::string TimeText(const TimeRecord& time, bool noSeconds)
{
    char text[kDateText];
    FormatTime(text, kDateText, time, noSeconds);
    return text;
}

// A typed date or time, checked; a text that does not give one fails the
// exchange rather than storing a value cut or wrapped into the record.
DateRecord ReadDate(CDataExchange* dx, const char* text)
{
    DateRecord date{};
    if (!ReadDateText(text, Today(), &date))
        dx->Fail(kBadDate);
    return date;
}

TimeRecord ReadTime(CDataExchange* dx, const char* text, bool noSeconds)
{
    TimeRecord time{};
    if (!ReadTimeText(text, Now(), &time))
        dx->Fail(kBadTime);
    if (noSeconds)
        time.second = 0;
    return time;
}

CTime MakeTime(CDataExchange* dx, const DateRecord& date, const TimeRecord& time, const char* message)
{
    CTime result;
    if (!CTime::FromLocal(date.year, date.month, date.day, time.hour, time.minute, time.second, &result))
        dx->Fail(message);
    return result;
}

DateRecord DateOf(const CTime& time)
{
    return DateRecord{uint16_t(time.GetYear()), uint16_t(time.GetMonth()), uint16_t(time.GetDay())};
}

TimeRecord TimeOf(const CTime& time)
{
    return TimeRecord{uint16_t(time.GetHour()), uint16_t(time.GetMinute()), uint16_t(time.GetSecond())};
}

// The date and the time of "date time" text: the text up to the last blank
// before the time is the date.
void SplitDateTime(const CString& text, std::string* date, std::string* time)
{
    const std::string all(text);
    const size_t blank = all.find_last_of(' ', all.find_last_not_of(' '));
    *date = blank == std::string::npos ? all : all.substr(0, blank);
    *time = blank == std::string::npos ? std::string() : all.substr(blank + 1);
}

int64_t ReadInteger(CDataExchange* dx, HWND control, int64_t low, int64_t high)
{
    const CString text = GetControlText(control);
    const char* start = text;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    while (end && *end == ' ')
        ++end;
    if (end == start || (end && *end) || errno == ERANGE || value < low || value > high)
        dx->Fail(kBadNumber);
    return value;
}

bool IsLabel(HWND wnd)
{
    return wnd && (SendMessageA(wnd, WM_GETDLGCODE, 0, 0) & DLGC_STATIC);
}

bool IsRadio(HWND wnd)
{
    return wnd && (SendMessageA(wnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON);
}

// The radio buttons from the first on, up to the next group: a group of
// radio buttons that follows is not the selector's.
std::vector<HWND> RadioGroup(HWND first)
{
    std::vector<HWND> radios;
    for (HWND radio = first; IsRadio(radio) && (radio == first || !(GetWindowLongA(radio, GWL_STYLE) & WS_GROUP));
         radio = GetWindow(radio, GW_HWNDNEXT))
        radios.push_back(radio);
    return radios;
}

// A date and a time in one field, "date time"; true when they were read.
bool ExchangeDateTime(CDataExchange* dx, int id, DateRecord& date, TimeRecord& time, int flags)
{
    const HWND control = dx->PrepareEditCtrl(id);
    const bool noSeconds = flags & 1;
    if (dx->m_bSaveAndValidate) {
        std::string dateText, clockText;
        SplitDateTime(GetControlText(control), &dateText, &clockText);
        date = ReadDate(dx, dateText.c_str());
        time = ReadTime(dx, clockText.c_str(), noSeconds);
        return true;
    }
    if (noSeconds)
        time.second = 0;
    SetControlTextIfChanged(control, (DateText(date, flags >> 1) + " " + TimeText(time, noSeconds)).c_str());
    return false;
}

template <class T>
void ExchangeInteger(CDataExchange* dx, int id, T& value, int64_t low, int64_t high)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = T(ReadInteger(dx, control, low, high));
    else
        SetControlTextIfChanged(control, std::to_string(value).c_str());
}

}  // namespace

void DDX_DoubleGrouped(CDataExchange* dx, int id, double& value, int decimals)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        double read = 0;
        if (!ParseGroupedDouble(GetControlText(control), decimals, &read))
            dx->Fail(kBadNumber);
        value = read;
    } else {
        SetControlTextIfChanged(control, FormatGroupedDouble(value, decimals).c_str());
    }
}

void DDX_FloatScaled(CDataExchange* dx, int id, float& value, int decimals, float scale)
{
    // A scale of 0 would divide by 0 on the way back.
    const double factor = scale == 0 ? 1.0 : double(scale);
    double shown = double(value) * factor;
    DDX_DoubleGrouped(dx, id, shown, decimals);
    if (dx->m_bSaveAndValidate && !FloatFromShown(shown, factor, &value))
        dx->Fail(kBadNumber);
}

void DDX_Float(CDataExchange* dx, int id, float& value, int decimals)
{
    DDX_FloatScaled(dx, id, value, decimals, 1.0f);
}

void DDX_Condition(CDataExchange* dx, int firstId, int& value1, int& value2, int& mode, int allowedModes)
{
    const HWND first = dx->PrepareEditCtrl(firstId);
    HWND next = GetWindow(first, GW_HWNDNEXT);
    const HWND label2 = IsLabel(next) ? next : nullptr;
    const HWND second = label2 ? GetWindow(label2, GW_HWNDNEXT) : next;
    const HWND afterSecond = second ? GetWindow(second, GW_HWNDNEXT) : nullptr;
    const HWND selector = IsLabel(afterSecond) ? GetWindow(afterSecond, GW_HWNDNEXT) : afterSecond;
    const HWND label1 = GetWindow(first, GW_HWNDPREV);
    if (!second || !selector)
        throw std::logic_error("condition field without its second edit or selector");
    const std::vector<HWND> radios = IsRadio(selector) ? RadioGroup(selector) : std::vector<HWND>();
    if (dx->m_bSaveAndValidate) {
        int index = -1;
        for (size_t i = 0; i < radios.size(); ++i)
            if (SendMessageA(radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                index = int(i);
        if (radios.empty())
            index = int(SendMessageA(selector, CB_GETCURSEL, 0, 0));
        const int chosen = ConditionModeAt(index, allowedModes);
        mode = chosen < 0 ? 0 : chosen;
        if (mode != 0)
            value1 = int(ReadInteger(dx, first, INT32_MIN, INT32_MAX));
        if (mode == kRangeMode) {
            dx->PrepareEditCtrl(GetDlgCtrlID(second));
            value2 = int(ReadInteger(dx, second, INT32_MIN, INT32_MAX));
        }
    } else {
        SetControlTextIfChanged(first, std::to_string(value1).c_str());
        SetControlTextIfChanged(second, std::to_string(value2).c_str());
        const int index = ConditionSelectorIndex(mode, allowedModes);
        for (size_t i = 0; i < radios.size(); ++i)
            SendMessageA(radios[i], BM_SETCHECK, int(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
        if (radios.empty())
            SendMessageA(selector, CB_SETCURSEL, WPARAM(index), 0);
    }
    if (IsLabel(label1))
        SetControlTextIfChanged(label1, mode == kRangeMode ? "Von :" : "Wert :");
    if (label2)
        SetControlTextIfChanged(label2, mode == kRangeMode ? "Bis :" : "");
    EnableWindow(first, mode != 0);
    EnableWindow(second, mode == kRangeMode);
}

void DDX_DateRecord(CDataExchange* dx, int id, DateRecord& date, int flags)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        date = ReadDate(dx, GetControlText(control));
    else
        SetControlTextIfChanged(control, DateText(date, flags).c_str());
}

void DDX_DateCTime(CDataExchange* dx, int id, CTime& time, int flags)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        time = MakeTime(dx, ReadDate(dx, GetControlText(control)), TimeOf(time), kBadDate);
    else
        SetControlTextIfChanged(control, DateText(DateOf(time), flags).c_str());
}

void DDX_TimeCTime(CDataExchange* dx, int id, CTime& time, int noSeconds)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        time = MakeTime(dx, DateOf(time), ReadTime(dx, GetControlText(control), noSeconds), kBadTime);
    else
        SetControlTextIfChanged(control, TimeText(TimeOf(time), noSeconds).c_str());
}

void DDX_TimeRecord(CDataExchange* dx, int id, TimeRecord& time, int noSeconds)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        time = ReadTime(dx, GetControlText(control), noSeconds);
    } else {
        TimeRecord shown = time;
        if (noSeconds)
            shown.second = 0;
        SetControlTextIfChanged(control, TimeText(shown, noSeconds).c_str());
    }
}

void DDX_DateTimeRecordTime(CDataExchange* dx, int id, DateTimeRecord& value, int noSeconds)
{
    TimeRecord time{value.hour, value.minute, value.second};
    DDX_TimeRecord(dx, id, time, noSeconds);
    if (dx->m_bSaveAndValidate) {
        value.hour = time.hour;
        value.minute = time.minute;
        value.second = time.second;
        value.reserved[0] = value.reserved[1] = 0;
    }
}

void DDX_DateTimeCTime(CDataExchange* dx, int id, CTime& time, int flags)
{
    DateRecord date = DateOf(time);
    TimeRecord clock = TimeOf(time);
    if (ExchangeDateTime(dx, id, date, clock, flags))
        time = MakeTime(dx, date, clock, kBadDate);
}

void DDX_DateTimeRecord(CDataExchange* dx, int id, DateTimeRecord& value, int flags)
{
    DateRecord date{value.year, value.month, value.day};
    TimeRecord clock{value.hour, value.minute, value.second};
    if (ExchangeDateTime(dx, id, date, clock, flags))
        value = DateTimeRecord{date.year, date.month, date.day, clock.hour, clock.minute, clock.second, {0, 0}};
}

void DDX_IntText(CDataExchange* dx, int id, int& value)
{
    ExchangeInteger(dx, id, value, INT32_MIN, INT32_MAX);
}

void DDX_UIntText(CDataExchange* dx, int id, unsigned& value)
{
    ExchangeInteger(dx, id, value, 0, UINT32_MAX);
}

void DDX_TextBuffer(CDataExchange* dx, int id, char* buffer, int size)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (size < 1)
        return;
    if (dx->m_bSaveAndValidate) {
        GetWindowTextA(control, buffer, size);
        return;
    }
    char shown[kBufferCompare + 1] = {};
    GetWindowTextA(control, shown, sizeof shown);
    if (std::strncmp(shown, buffer, kBufferCompare) != 0)
        SetWindowTextA(control, buffer);
}

void DDX_ComboText(CDataExchange* dx, int id, CString& text)
{
    const HWND combo = dx->PrepareCtrl(id);
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    std::string entry;
    if (selected >= 0) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(selected), 0);
        entry.assign(size_t(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(std::strlen(entry.c_str()));
    }
    if (dx->m_bSaveAndValidate) {
        text = selected >= 0 ? CString(entry.c_str()) : GetControlText(combo);
        return;
    }
    if (selected < 0 || std::strncmp(entry.c_str(), text, kComboCompare) != 0) {
        // The entry no longer matches: the text goes into the edit field.
        if (selected >= 0)
            SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0);
        SetControlTextIfChanged(combo, text);
    }
}

void RestoreComboEditSel(HWND combo)
{
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected < 0)
        return;
    const LRESULT selection = SendMessageA(combo, CB_GETEDITSEL, 0, 0);
    std::string entry(size_t(std::max<LRESULT>(SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(selected), 0), 0)) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(entry.data()));
    SetWindowTextA(combo, entry.c_str());
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(selection), HIWORD(selection)));
}
