// A top-level window to parent controls under test. It logs every WM_NOTIFY
// and WM_COMMAND it receives with a deep copy of the record (the record dies
// when the sender returns) and lets the test answer each notification code.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

struct LoggedMessage {
    UINT message;   // WM_NOTIFY or WM_COMMAND
    UINT id;        // idFrom, or the command id
    int code;       // notification code (controls use negative ones)
    HWND from;      // hwndFrom, or the control of a command (null for menus)
    LRESULT answer; // what the parent answered
    std::vector<uint8_t> record;  // WM_NOTIFY: the record's first bytes as sent
    std::string extra;            // what a copier kept of memory the record points to

    // The copied record as T; false when fewer bytes were copied.
    template <class T>
    bool Read(T* out) const
    {
        if (record.size() < sizeof(T))
            return false;
        std::memcpy(out, record.data(), sizeof(T));
        return true;
    }
};

class NotifyParent {
public:
    typedef std::function<void(const NMHDR* live, LoggedMessage& entry)> Copier;
    // May change the live record; the result is the parent's answer.
    typedef std::function<LRESULT(NMHDR* live)> Answer;
    typedef std::function<LRESULT(UINT id, int code, HWND control)> CommandAnswer;

    explicit NotifyParent(int clientWidth = 640, int clientHeight = 480, bool visible = true);
    NotifyParent(const NotifyParent&) = delete;
    NotifyParent& operator=(const NotifyParent&) = delete;
    ~NotifyParent();

    HWND Handle() const { return m_hWnd; }

    // Bytes of a notification's record to copy (at least the NMHDR; the
    // sender's record must be that large).
    void SetRecordSize(int code, size_t bytes) { m_recordSizes[code] = bytes; }
    void SetCopier(int code, Copier copier) { m_copiers[code] = std::move(copier); }
    void SetAnswer(int code, Answer answer) { m_answers[code] = std::move(answer); }
    void SetCommandAnswer(CommandAnswer answer) { m_commandAnswer = std::move(answer); }

    const std::vector<LoggedMessage>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // The logged notification codes in order, for comparing with a table.
    std::vector<int> Codes() const;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::map<int, size_t> m_recordSizes;
    std::map<int, Copier> m_copiers;
    std::map<int, Answer> m_answers;
    CommandAnswer m_commandAnswer;
    std::vector<LoggedMessage> m_log;
};

}  // namespace winharness
