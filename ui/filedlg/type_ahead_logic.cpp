#include "ui/filedlg/type_ahead_logic.h"

void TypeAheadModel::NewFolder(const std::string& folder)
{
    m_folder = folder;
    ListAll();
}

void TypeAheadModel::NewText(const std::string& typed)
{
    m_typed = typed;
    m_cursor.Reset();
    m_reset = true;
    if (typed.empty() || m_folder.empty())
        return;
    if (!m_start && (m_failed || m_entries.Stamp(m_folder) != m_stamp))
        ListAll();  // listed before its entries changed, or not to its end
    else if (m_cut)
        ListAgainFor(typed);
}

void TypeAheadModel::Waited()
{
    if (m_failed && !m_typed.empty() && !m_folder.empty() && !m_start)
        ListAll();
}

void TypeAheadModel::ListAll()
{
    m_cut = false;
    m_failed = false;
    ListAgainFor("");
}

void TypeAheadModel::ListAgainFor(const std::string& typed)
{
    m_filter = typed;
    m_start = true;
    m_cursor.Reset();
    m_reset = true;
}

void TypeAheadModel::Close()
{
    if (m_open)
        m_entries.Close();
    m_open = false;
}

void TypeAheadModel::Keep(const std::string& name)
{
    if (!m_filter.empty() && !NameBeginsWith(name, m_filter))
        return;
    m_names.push_back(name);
    if (m_names.size() <= kMaxFolderNames)
        return;
    Close();
    if (!m_filter.empty())
        return;  // even the names of one beginning are too many: these do
    m_cut = true;
    // Names past the cut may begin with the text: list again for it, unless
    // the popup is full already.
    if (!m_typed.empty() && m_cursor.posted < kMaxMatches)
        ListAgainFor(m_typed);
}

TypeAheadRound TypeAheadModel::Round(bool compare)
{
    TypeAheadRound round;
    round.reset = m_reset;
    m_reset = false;
    std::string name;
    bool have = false;
    if (m_start) {
        m_start = false;
        Close();
        m_names.clear();
        if (!m_folder.empty()) {
            m_stamp = m_entries.Stamp(m_folder);
            have = m_open = m_entries.First(m_folder, &name);
            m_failed = !have && m_entries.Failed();
        }
    } else if (m_open) {
        have = m_entries.Next(&name);
        if (!have) {
            m_failed = m_entries.Failed();
            Close();
        }
    }
    if (have && IsListedName(name.c_str()))
        Keep(name);
    bool matched = false;
    long at = compare && !m_start ? MatchStep(m_names, m_typed, m_cursor, &matched) : -1;
    if (at >= 0 && matched) {
        round.match = &m_names[size_t(at)];
        round.firstMatch = m_cursor.posted == 0;
    }
    return round;
}

bool TypeAheadModel::Idle() const
{
    if (m_start || m_open)
        return false;
    return m_typed.empty() || m_cursor.position >= m_names.size() || m_cursor.posted >= kMaxMatches;
}

namespace {

// Texts in the dialog's buffers: at most a path's length.
std::string Bounded(const std::string& text)
{
    return text.substr(0, kPathChars);
}

}  // namespace

void TypeAheadRequests::FolderShown(const std::string& folder)
{
    if (!FolderChangeKeepsText(m_folder, folder))
        m_typed.clear();
    m_folder = Bounded(folder);
    m_folderRequest = m_textRequest = true;
}

void TypeAheadRequests::EnsureFolder(const std::string& folder)
{
    if (!folder.empty() && (m_folder.empty() || !FolderChangeKeepsText(m_folder, folder)))
        FolderShown(folder);
}

void TypeAheadRequests::Typed(const std::string& text, const std::string& folder)
{
    EnsureFolder(folder);
    m_typed = Bounded(text);
    m_textRequest = true;
}

TypeAheadRequests TypeAheadRequests::Take()
{
    TypeAheadRequests taken = *this;
    m_folderRequest = m_textRequest = false;
    return taken;
}

void TypeAheadRequests::Into(TypeAheadModel& model) const
{
    if (m_folderRequest)
        model.NewFolder(m_folder);
    if (m_textRequest)
        model.NewText(m_typed);
}
