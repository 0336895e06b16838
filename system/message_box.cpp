#include "system/message_box.h"

#include <cstring>
#include <mutex>

namespace {

constexpr int kTextCount = int(kLastMessageBoxText - kFirstMessageBoxText + 1);
constexpr int kMaxText = 128;

// The built-in texts, by id from 1287.
constexpr const char* kFallbacks[kTextCount] = {
    "OK",                // 1287
    "Abbrechen",         // 1288
    "&Ja",               // 1289
    "Zeile löschen",     // 1290
    "Feld kopieren",     // 1291
    "&Nein",             // 1292
    "&Wiederholen",      // 1293
    "&Alles auswählen",  // 1294
    "&Alles abwählen",   // 1295
    "&Ignorieren",       // 1296
    "&Hilfe",            // 1297
    "Hinweis",           // 1298
};

struct Texts {
    char text[kTextCount][kMaxText];
    BYTE loaded[kTextCount];
};

const Texts& LoadTexts()
{
    // Loaded once for all threads; afterwards only read.
    static const Texts texts = [] {
        Texts made = {};
        for (int i = 0; i < kTextCount; ++i) {
#ifdef _WIN32
            if (LoadStringA(GetModuleHandleA(nullptr), kFirstMessageBoxText + UINT(i), made.text[i], kMaxText) > 0) {
                made.loaded[i] = 1;
                continue;
            }
#endif
            std::strncpy(made.text[i], kFallbacks[i], kMaxText - 1);
        }
        return made;
    }();
    return texts;
}

}  // namespace

const char* GetMessageBoxText(UINT id, BYTE* fromResource)
{
    if (fromResource != nullptr)
        *fromResource = 0;
    if (id < kFirstMessageBoxText || id > kLastMessageBoxText)
        return "";
    const Texts& texts = LoadTexts();
    const int i = int(id - kFirstMessageBoxText);
    if (fromResource != nullptr)
        *fromResource = texts.loaded[i];
    return texts.text[i];
}

#ifdef _WIN32
namespace {

// The box's buttons with the library's texts: id and string id.
constexpr struct {
    int button;
    UINT text;
} kButtonTexts[] = {{IDOK, 1287},    {IDCANCEL, 1288}, {IDABORT, 1288}, {IDYES, 1289},
                    {IDNO, 1292},    {IDRETRY, 1293},  {IDIGNORE, 1296}, {IDHELP, 1297}};

thread_local HHOOK t_hook = nullptr;

// Renames the buttons when the box first activates, before it shows.
LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_hook != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(box, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0) {
            for (const auto& entry : kButtonTexts)
                if (HWND button = GetDlgItem(box, entry.button))
                    SetWindowTextA(button, GetMessageBoxText(entry.text));
            HHOOK hook = t_hook;
            t_hook = nullptr;
            UnhookWindowsHookEx(hook);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int ShowMessageBox(const MSGBOXPARAMSA* params, int, int)
{
    if (params == nullptr || params->cbSize != sizeof(MSGBOXPARAMSA))
        return 0;
    MSGBOXPARAMSA copy = *params;
    if (copy.lpszCaption == nullptr)
        copy.lpszCaption = GetMessageBoxText(kLastMessageBoxText);
    if (copy.lpszText == nullptr)
        copy.lpszText = "";
    // A box shown while another is being made keeps the system's texts.
    const bool rename = t_hook == nullptr;
    if (rename)
        t_hook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    const int result = MessageBoxIndirectA(&copy);
    if (rename && t_hook != nullptr) {
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    return result;
}
#endif
