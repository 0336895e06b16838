#include "examples/gallery/gallery_pages.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "ui/dialogs/ddx.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/dialogs/tree_select_dlg.h"
#include "ui/dialogs/progress_dlg.h"
#include "ui/folderdlg/path_dlg.h"
#include "system/registry.h"

// Extended Open and Save dialogs (gallery_filedlg.cpp).
int OpenFileDialogPage();
int SaveFileDialogPage();

namespace {

constexpr DWORD kStepMs = 40;
constexpr int64_t kItems = 100000;

UINT CountItems(CProgressDlg* dialog)
{
    dialog->SetRange(kItems);
    dialog->SetText(1, "Z:\\Karten\\Touren\\2026\\Alpenüberquerung.gpx");
    char text[64];
    for (int64_t item = 0; !dialog->m_bCancelled; item = (item + 397) % kItems) {
        std::snprintf(text, sizeof text, "Spur %lld von %lld wird ausgewertet", static_cast<long long>(item),
                      static_cast<long long>(kItems));
        dialog->SetText(0, text);
        dialog->SetPos(item);
        Sleep(kStepMs);
    }
    return 0;
}

int OpenProgress()
{
    CProgressDlg dialog;
    dialog.SetTitle("Fortschritt");
    dialog.SetThreadProc(&CountItems);
    return int(dialog.DoModal());
}

int OpenInput()
{
    CInputDlg dialog;
    dialog.SetTitle("Wegpunkt setzen");
    dialog.SetPrompt("Name des Wegpunkts :");
    dialog.SetText("Gipfelkreuz Zugspitze");
    return int(dialog.DoModal());
}

int OpenInputNumber()
{
    CInputNumDlg dialog;
    dialog.SetTitle("Zahl eingeben");
    dialog.SetPrompt("Dezimal, 0x1F, 1Fh, 17o oder 101b :");
    dialog.SetText("0x1F");
    dialog.m_width = 177;
    return int(dialog.DoModal());
}

const char* const kLayers[] = {"Topographische Karte", "Luftbild", "Höhenlinien", "Wanderwege",
                               "Radwege", "Hütten und Almen", "Gipfel", "Gewässer"};

int OpenListChoice()
{
    CListSelectDlg dialog;
    dialog.SetPrompt("Ebenen, die gezeichnet werden :");
    dialog.SetMode(3);
    for (int i = 0; i < int(std::size(kLayers)); ++i)
        dialog.AddItem(kChoiceSortByText, uint32_t(i), kLayers[i], i % 3 == 0);
    return int(dialog.DoModal());
}

int OpenComboChoice()
{
    CComboSelectDlg dialog;
    dialog.SetPrompt("Kartenebene :");
    for (int i = 0; i < int(std::size(kLayers)); ++i)
        dialog.AddItem(-1, uint32_t(i), kLayers[i]);
    dialog.m_current = 2;
    return int(dialog.DoModal());
}

int OpenTreeChoice()
{
    CTreeSelectDlg dialog;
    dialog.SetPrompt("Kartenebenen und ihre Quellen :");
    dialog.m_options = kTreeSelectMultiple | kTreeSelectCheckBoxes | kTreeSelectAddRow | kTreeSelectDelete;
    dialog.AddColumn("Ebene", -3, 0, 1);
    dialog.AddColumn("Quelle", -2, 0, 1);
    dialog.AddColumn("Zoom", 50, 1, 0);
    const char* const sources[] = {"Landesamt", "Satellit", "DGM 25", "Alpenverein"};
    for (int i = 0; i < int(std::size(kLayers)); ++i) {
        const int index = dialog.AddItem(kChoiceSortByText, uint32_t(i), kLayers[i], i % 3 == 0);
        dialog.SetCellText(index, sources[i % 4], 1);
        dialog.SetCellText(index, i % 2 ? "8-18" : "5-16", 2);
    }
    return int(dialog.DoModal());
}

int OpenPassword()
{
    CInputDlg dialog(nullptr, 1);
    dialog.SetTitle("Kennwort");
    dialog.SetPrompt("Kennwort für den Kartenserver :");
    dialog.SetText("geheim");
    return int(dialog.DoModal());
}

// A dialog of the data-exchange functions: a grouped number, a date, a time
// and a value-or-range condition.
class ExchangeDialog : public CDialog {
public:
    ExchangeDialog();

    double m_distance = 1234567.891;
    DateRecord m_date = {2026, 12, 24};
    TimeRecord m_time = {7, 5, 9};
    int m_from = 100, m_to = 2500, m_mode = 5;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_DoubleGrouped(dx, 10, m_distance, 2);
        DDX_DateRecord(dx, 11, m_date, kDateWeekday);
        DDX_TimeRecord(dx, 12, m_time, 0);
        DDX_Condition(dx, 21, m_from, m_to, m_mode, 0x3F);
    }
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
const DialogItem kExchangeItems[] = {
    {"STATIC", 1, kChild, 5, 7, 50, 8, "Strecke (m) :", 0},
    {"EDIT", 10, kEdit, 60, 5, 90, 13, "", 0},
    {"STATIC", 2, kChild, 5, 24, 50, 8, "Datum :", 0},
    {"EDIT", 11, kEdit, 60, 22, 90, 13, "", 0},
    {"STATIC", 3, kChild, 5, 41, 50, 8, "Uhrzeit :", 0},
    {"EDIT", 12, kEdit, 60, 39, 90, 13, "", 0},
    {"STATIC", 20, kChild, 5, 60, 50, 8, "", 0},
    {"EDIT", 21, kEdit, 60, 58, 40, 13, "", 0},
    {"STATIC", 22, kChild, 105, 60, 20, 8, "", 0},
    {"EDIT", 23, kEdit, 125, 58, 40, 13, "", 0},
    {"STATIC", 24, kChild, 5, 77, 50, 8, "Bedingung :", 0},
    {"COMBOBOX", 25, kChild | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 60, 75, 105, 80, "", 0},
    {"BUTTON", IDOK, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 95, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kChild | WS_TABSTOP, 115, 95, 50, 14, "Abbrechen", 0},
};

ExchangeDialog::ExchangeDialog()
{
    SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 175, 115, "Datenaustausch",
                                 kExchangeItems),
                nullptr);
}

class FilledExchangeDialog : public ExchangeDialog {
    BOOL OnInitDialog() override
    {
        for (const char* mode : {"keine", "gleich", "kleiner", "größer", "ungleich", "Bereich"})
            SendDlgItemMessageA(m_hWnd, 25, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
        return ExchangeDialog::OnInitDialog();
    }
};

int OpenExchange()
{
    FilledExchangeDialog dialog;
    return int(dialog.DoModal());
}

// A small folder tree of map data in the temporary folder; the dialog opens
// in it, in tree mode or in the classic view with breadcrumbs.
int OpenFolder(DWORD treeMode)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "Karten";
    for (const char* sub : {"\\Alpen\\Zugspitze", "\\Alpen\\Watzmann", "\\Alpen\\Ötztal", "\\Harz\\Brocken",
                            "\\Schwarzwald", "\\Touren 2026\\Juli", "\\Touren 2026\\August"})
        CreateDirectoryTreeA((root + sub).c_str());
    CRegistry reg;
    if (reg.Open(HKEY_CURRENT_USER, "Software\\Velk\\Common", CRegistry::kModeWrite)) {
        const DWORD crumbs = 1;
        reg.WriteValue(&treeMode, 4, "PathDlgTreeMode", REG_DWORD);
        reg.WriteValue(&crumbs, 4, "PathDlgBreadCrumb", REG_DWORD);
    }
    CPathDlg dialog;
    dialog.SetPath((root + "\\Alpen").c_str());
    return int(dialog.DoModal());
}

int OpenFolderClassic() { return OpenFolder(0); }
int OpenFolderTree() { return OpenFolder(1); }

}  // namespace

const std::vector<GalleryPage>& GalleryPages()
{
    static const std::vector<GalleryPage> pages = {
        {"progress", "Fortschritt", &OpenProgress},
        {"input", "Wegpunkt setzen", &OpenInput},
        {"inputnum", "Zahl eingeben", &OpenInputNumber},
        {"password", "Kennwort", &OpenPassword},
        {"ddx", "Datenaustausch", &OpenExchange},
        {"toolbar", "Symbolleiste", &OpenToolbarPage},
        {"folder", "Verzeichnis wählen", &OpenFolderClassic},
        {"foldertree", "Verzeichnis wählen", &OpenFolderTree},
        {"list", "Auswahl", &OpenListChoice},
        {"combo", "Auswahl", &OpenComboChoice},
        {"tree", "Auswahl", &OpenTreeChoice},
        {"open", "Tour laden", &OpenFileDialogPage},
        {"save", "Tour speichern", &SaveFileDialogPage},
    };
    return pages;
}
