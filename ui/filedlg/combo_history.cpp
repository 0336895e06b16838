#include "ui/filedlg/combo_history.h"

#include "platform/framework/string_object.h"
#include "system/registry.h"
#include "text/text_services.h"
#include "ui/filedlg/combo_history_logic.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Texts of the combo box and its entries are read up to this size.
constexpr int kTextSize = 1024;
constexpr int kStrBufferSize = 2048;

struct ListMessages {
    UINT add, insert, remove, reset, count, getSel, setSel, textLen, text;
};
constexpr ListMessages kListBox{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
                                LB_GETCURSEL, LB_SETCURSEL, LB_GETTEXTLEN, LB_GETTEXT};
constexpr ListMessages kComboBox{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT,
                                 CB_GETCURSEL, CB_SETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT};

const ListMessages& MessagesFor(HWND list)
{
    char name[16] = "";
    GetClassNameA(list, name, sizeof name);
    return lstrcmpiA(name, "LISTBOX") == 0 ? kListBox : kComboBox;
}

std::vector<std::string> Entries(HWND list, const ListMessages& m)
{
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(list, m.count, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, m.textLen, i, 0);
        std::string text(length > 0 ? size_t(length) + 1 : 1, '\0');
        if (length > 0)
            SendMessageA(list, m.text, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(strlen(text.c_str()));
        entries.push_back(std::move(text));
    }
    return entries;
}

int AddEntries(HWND list, const std::vector<std::string>& pieces, bool clear)
{
    const ListMessages& m = MessagesFor(list);
    LRESULT selected = SendMessageA(list, m.getSel, 0, 0);
    if (clear)
        SendMessageA(list, m.reset, 0, 0);
    int added = 0;
    for (const std::string& piece : pieces)
        if (SendMessageA(list, m.add, 0, reinterpret_cast<LPARAM>(piece.c_str())) >= 0)
            ++added;
    // Selecting -1 would wipe a drop-down combo's text: only a real index.
    LRESULT restore = clear ? 0 : selected;
    if (restore >= 0 && (clear ? added > 0 : true))
        SendMessageA(list, m.setSel, static_cast<WPARAM>(restore), 0);
    return added;
}

int OpenHistoryKey(CRegistry& registry, const char* key, int mode)
{
    if (key && key[0] == '#') {
        if (!registry.Open(HKEY_CURRENT_USER, nullptr, mode))
            return 0;
        return key[1] ? registry.OpenSubKey(key + 1, mode != CRegistry::kModeWrite) : 1;
    }
    return registry.Open(HKEY_CURRENT_USER, key, mode);
}

}  // namespace

int FillListFromText(HWND list, const char* text, char separator, bool clear)
{
    size_t size = 0;
    if (text) {
        // A NUL-separated list ends with an empty string: find its end.
        if (separator == '\0')
            while (text[size] != '\0' || text[size + 1] != '\0')
                ++size;
        else
            size = strlen(text);
        size += 1;
    }
    return AddEntries(list, SplitListText(text, size, separator), clear);
}

int AddToHistoryList(HWND list, const char* text, int limit, bool caseSensitive)
{
    if (!text)
        return 0;
    const ListMessages& m = MessagesFor(list);
    bool wasSelected = SendMessageA(list, m.getSel, 0, 0) >= 0;
    std::vector<std::string> old = Entries(list, m);
    SendMessageA(list, m.insert, 0, reinterpret_cast<LPARAM>(text));
    for (size_t index : HistoryDeletions(old, text, limit < 0 ? 0 : size_t(limit), caseSensitive))
        SendMessageA(list, m.remove, index + 1, 0);
    if (wasSelected)
        SendMessageA(list, m.setSel, 0, 0);
    return 0;
}

int LoadComboHistory(HWND dialog, int id, const char* valueName, const char* key, char* out, int size)
{
    CRegistry registry;
    if (!OpenHistoryKey(registry, key, CRegistry::kModeRead))
        return 0;
    return LoadComboHistoryFromKey(dialog, id, valueName, registry, out, size);
}

int LoadComboHistoryFromKey(HWND dialog, int id, const char* valueName, CRegistry& registry, char* out, int size)
{
    if (!valueName || !registry.Key())
        return 0;
    bool withText = valueName[0] == '#';
    void* data = nullptr;
    DWORD length = 0;
    if (!registry.ReadValueAlloc(&data, valueName + (withText ? 1 : 0), REG_MULTI_SZ, &length))
        return 0;
    ComboHistory history = ParseComboHistory(static_cast<const char*>(data), length, withText);
    free(data);
    HWND combo = GetDlgItem(dialog, id);
    if (withText) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    } else {
        while (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0)
            if (SendMessageA(combo, CB_DELETESTRING, 0, 0) < 0)
                break;
    }
    if (out && size > 0) {
        const std::string& first = history.hasText ? history.text
                                   : history.entries.empty() ? std::string() : history.entries.front();
        StrCopyBoundedA(out, first.c_str(), size);
    }
    int added = AddEntries(combo, history.entries, false);
    // The text goes in after the list, so filling cannot clear it.
    if (history.hasText)
        SetWindowTextA(combo, history.text.c_str());
    return added;
}

int SaveComboHistory(HWND dialog, int id, const char* valueName, const char* key)
{
    CRegistry registry;
    if (!OpenHistoryKey(registry, key, CRegistry::kModeWrite))
        return 0;
    return SaveComboHistoryToKey(dialog, id, valueName, registry);
}

int SaveComboHistoryToKey(HWND dialog, int id, const char* valueName, CRegistry& registry)
{
    if (!valueName || !registry.Key())
        return 0;
    bool saveEmpty = *valueName == '*';
    valueName += saveEmpty ? 1 : 0;
    bool withText = *valueName == '#';
    valueName += withText ? 1 : 0;
    HWND combo = GetDlgItem(dialog, id);
    char text[kTextSize] = "";
    GetWindowTextA(combo, text, sizeof text);
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    std::vector<std::string> entries = Entries(combo, kComboBox);
    if (!text[0] && selected >= 0 && size_t(selected) < entries.size())
        StrCopyBoundedA(text, entries[size_t(selected)].c_str(), sizeof text);
    if (!text[0] && !saveEmpty)
        return 0;
    ComboHistory written;
    std::vector<char> bytes = BuildComboHistory(withText, text, entries, &written);
    if (selected < 0) {
        AddEntries(combo, written.entries, true);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetWindowTextA(combo, text);
    }
    if (!registry.WriteValue(bytes.data(), DWORD(bytes.size()), valueName, REG_MULTI_SZ))
        return 0;
    return int(written.entries.size());
}

int LoadComboHistoryStr(HWND dialog, int id, const char* valueName, const char* key, CString& out)
{
    char buffer[kStrBufferSize] = "";
    int added = LoadComboHistory(dialog, id, valueName, key, buffer, sizeof buffer);
    out = buffer;
    return added;
}

int LoadComboHistoryStrFromKey(HWND dialog, int id, const char* valueName, CRegistry& registry, CString& out)
{
    char buffer[kStrBufferSize] = "";
    int added = LoadComboHistoryFromKey(dialog, id, valueName, registry, buffer, sizeof buffer);
    out = buffer;
    return added;
}
