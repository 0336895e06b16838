// One run of an extended file dialog: what the caller asked for, the
// dialog's own state and its type-ahead worker, held by the system dialog's
// window property from the hook's first message until the dialog is gone.
// Every call keeps its own record, so a dialog opened from within another
// shares nothing with it.
#pragma once

#include "platform/framework/worker.h"
#include "ui/filedlg/file_dialog_ext.h"
#include "ui/filedlg/ofn_logic.h"
#include "ui/filedlg/type_ahead_logic.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// What the caller asked for.
struct OfnSettings {
    bool hasCaption = false;
    std::string caption;
    UINT mode = kOfnModeNone;
    std::string profile;
    const char* ownList = nullptr;  // mode 0x30000000: the caller's strings
    bool save = false;
    bool saveThroughOpen = false;   // Save shown as Open: OK is relabelled once
    LPOFNHOOKPROC callerHook = nullptr;
    int extraHeight = 0;
};

// The type-ahead worker's part, shared with its thread: the requests under
// the thread's lock, the popup it feeds.
struct OfnWorker {
    HWND dialog = nullptr;
    std::atomic<HWND> popup{nullptr};
    TypeAheadRequests requests;
    // Last, so it stops before what it shares goes.
    CWorker thread;
};

struct OfnRun {
    OfnSettings settings;
    std::unique_ptr<CFileDialogNew> object;
    HWND dialog = nullptr;
    std::unique_ptr<OfnWorker> worker;  // from WM_INITDIALOG to WM_DESTROY, unless mode none
    bool placed = false;  // its place and size were set when it was first shown
};

// The run of a system dialog, or null.
OfnRun* RunOf(HWND dialog);
// The pending call's record goes onto the dialog at the hook's first
// message; later messages find it there. Its dialog is caught as it is made:
// until it is placed, the system does not limit its size.
void SetPendingRun(OfnRun* run);
void ForgetPendingRun(OfnRun* run);
OfnRun* AdoptRun(HWND dialog);
void ReleaseRun(HWND dialog);

// Whether the process has sized its first dialog (only that one is).
bool FirstDialogSized();

std::string WindowTextOf(HWND wnd, int size = int(kPathBuffer));
std::vector<std::string> ComboEntries(HWND combo);
// The combo's text: its selected entry when one is, else the edit's.
std::string ComboText(HWND combo);
void SetComboText(HWND combo, const char* text);
std::string FolderOf(HWND dialog);
HWND PopupOf(const OfnRun& run);
void HidePopup(const OfnRun& run);

// The hook's WM_INITDIALOG: the framework object and the worker's record.
void OnHookInit(OfnRun& run, HWND child);
void OnShow(OfnRun& run);
// select: put the selection on a new folder entry; not while the dialog is
// still to read the file name (the selected entry would be its text).
void Remember(OfnRun& run, const std::string& chosen, bool select);
void StopWorker(OfnRun& run);
// After the system answered WM_GETMINMAXINFO: its minimum kept within the
// work area.
void FitMinimumSize(HWND dialog, MINMAXINFO* info);

// The dialog procedure's extension of the messages (the CDN codes come
// through the hook); true when the message is answered with *result.
bool HandleExt(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
