// The type-ahead worker's rounds without the thread: which folder entry it
// reads, which names it keeps, which one it compares with the typed text
// and what it tells the popup. The worker takes its requests under its lock,
// runs one round and posts what the round says.
#pragma once

#include "ui/filedlg/ofn_logic.h"

#include <cstdint>
#include <string>
#include <vector>

// A folder's entries one by one (FindFirstFileA and FindNextFileA on
// Windows).
class FolderEntries {
public:
    virtual ~FolderEntries() = default;
    // Starts listing the folder; false when it has no entry to give.
    virtual bool First(const std::string& folder, std::string* name) = 0;
    virtual bool Next(std::string* name) = 0;
    virtual void Close() = 0;
    // Whether the last First or Next that gave no entry failed, rather
    // than found no more.
    virtual bool Failed() const = 0;
    // What tells a change of the folder's entries (its last write time), 0
    // when unknown.
    virtual uint64_t Stamp(const std::string& folder) = 0;
};

// What one round asks of the popup.
struct TypeAheadRound {
    bool reset = false;                  // empty it (LB_RESETCONTENT)
    const std::string* match = nullptr;  // add this name, then call Posted()
    bool firstMatch = false;             // the first for this text: show the popup
};

// The folder is listed once into at most kMaxFolderNames names. A folder
// of more is cut there, and each typed text then lists it again keeping only
// the names that begin with that text, so a match past the first 2000
// entries is still offered. A folder whose entries changed after it was
// listed (names made while the dialog shows it), or whose listing failed
// on the way, is listed again for the next typed text, so the popup offers
// what it holds now; a failed listing is also tried again after the
// worker's idle wait while a text waits for its names.
class TypeAheadModel {
public:
    explicit TypeAheadModel(FolderEntries& entries) : m_entries(entries) {}
    ~TypeAheadModel() { Close(); }
    TypeAheadModel(const TypeAheadModel&) = delete;
    TypeAheadModel& operator=(const TypeAheadModel&) = delete;

    void NewFolder(const std::string& folder);
    void NewText(const std::string& typed);
    // Reads at most one entry and compares at most one name; `compare` is
    // false while there is no popup to post to.
    TypeAheadRound Round(bool compare);
    // The round's match reached the popup; without this the same name is
    // offered again by the next round.
    void Posted() { ::Posted(m_cursor); }
    // Nothing to read or compare until the next request.
    bool Idle() const;
    // The worker waited while idle (a second passed, or a request woke it):
    // a listing that failed is tried again while a text waits for names.
    void Waited();
    const std::vector<std::string>& Names() const { return m_names; }

private:
    void Close();
    void Keep(const std::string& name);
    // The next round lists the folder anew: all of it, cut anew, or only
    // the names beginning with a text.
    void ListAll();
    void ListAgainFor(const std::string& typed);

    FolderEntries& m_entries;
    std::string m_folder;
    std::string m_typed;
    std::string m_filter;  // a listing for one text keeps only names beginning with it
    std::vector<std::string> m_names;
    MatchCursor m_cursor;
    bool m_start = false;  // the next round starts the listing
    bool m_open = false;   // a listing is under way
    bool m_cut = false;    // the folder holds more names than are kept
    bool m_reset = false;  // the next round empties the popup
    bool m_failed = false; // the last listing failed before its end
    uint64_t m_stamp = 0;  // the folder's stamp when its listing started
};

// What the dialog asks of the worker, kept under the worker's lock: the
// folder the dialog shows and the text typed, each with a flag the worker
// takes. Every typed text comes with the folder the dialog shows then, so
// the listing never hangs on its first folder-change notification alone:
// one that came before the worker's record, or whose folder was read before
// the dialog knew it, is made good by the next key.
class TypeAheadRequests {
public:
    // The dialog shows this folder (its folder-change notification). The
    // typed text stays for the folder asked for already and for the first.
    void FolderShown(const std::string& folder);
    // Asks for the folder unless it is the one asked for already.
    void EnsureFolder(const std::string& folder);
    // The text typed while the dialog shows `folder`.
    void Typed(const std::string& text, const std::string& folder);
    const std::string& Text() const { return m_typed; }
    // What was asked since the last take, the flags then cleared: taken
    // under the lock, handed to the model (Into) outside it.
    TypeAheadRequests Take();
    void Into(TypeAheadModel& model) const;

private:
    std::string m_folder;
    std::string m_typed;
    bool m_folderRequest = false;
    bool m_textRequest = false;
};
