// Data exchange for numbers with scale factors and grouped digits, a value
// or range condition, dates, times and texts. Each moves a value between a
// control's text and a variable in the direction of the exchange and writes
// the control only when its text changes. A text that does not parse fails
// the exchange with a message and leaves the focus on the control.
#pragma once

#include "platform/framework/dialog.h"
#include "platform/framework/time_value.h"
#include "ui/dialogs/ddx_text.h"

void DDX_FloatScaled(CDataExchange* dx, int id, float& value, int decimals, float scale);
void DDX_Float(CDataExchange* dx, int id, float& value, int decimals);
void DDX_DoubleGrouped(CDataExchange* dx, int id, double& value, int decimals);
// The first edit holds value1, the next edit value2 (a static between them
// is its label), then the mode selector: radio buttons or a combo box.
void DDX_Condition(CDataExchange* dx, int firstId, int& value1, int& value2, int& mode, int allowedModes);
void DDX_DateRecord(CDataExchange* dx, int id, DateRecord& date, int flags);
void DDX_DateCTime(CDataExchange* dx, int id, CTime& time, int flags);
void DDX_TimeCTime(CDataExchange* dx, int id, CTime& time, int noSeconds);
void DDX_TimeRecord(CDataExchange* dx, int id, TimeRecord& time, int noSeconds);
void DDX_DateTimeRecordTime(CDataExchange* dx, int id, DateTimeRecord& value, int noSeconds);
// flags bit 0: no seconds; flags >> 1: the date's FormatDate flags.
void DDX_DateTimeCTime(CDataExchange* dx, int id, CTime& time, int flags);
void DDX_DateTimeRecord(CDataExchange* dx, int id, DateTimeRecord& value, int flags);
void DDX_IntText(CDataExchange* dx, int id, int& value);
void DDX_UIntText(CDataExchange* dx, int id, unsigned& value);
void DDX_TextBuffer(CDataExchange* dx, int id, char* buffer, int size);
void DDX_ComboText(CDataExchange* dx, int id, CString& text);
void RestoreComboEditSel(HWND combo);
