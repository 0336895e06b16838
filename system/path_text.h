// Path texts: '\' and '/' both separate. A path's root (a drive "X:\", a
// network share "\\server\share\", a leading separator) is never cut, so a
// root keeps the separator that makes it one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Longest full path the dialogs handle (MAX_PATH without the NUL).
constexpr int kMaxPathText = 260;

// Path kinds of GetPathTypeA.
enum PathType { kPathMissing = 0, kPathFile = 1, kPathFolder = 2, kPathDriveRoot = 3 };

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The length of the path's root: 3 for "X:\", 2 for "X:", through the share
// and its separator for "\\server\share\" (through the server for
// "\\server"), 1 for a single leading separator, else 0.
size_t PathRootLength(const char* path);

// Appends '\' unless the text ends with a separator (an empty text gets one
// too). Returns the new length.
size_t AppendBackslashStr(std::string& text);
// Removes one trailing separator unless it belongs to the root ("C:\" stays).
size_t RemoveTrailingSlashStr(std::string& text);
// Cuts the last part, keeping the separator before it: "C:\a\b\" and
// "C:\a\b" become "C:\a\", "C:\a" becomes "C:\", a root stays, a bare name
// becomes empty. Returns the new length.
size_t RemoveFileNameStr(std::string& text);
// folder + one separator + name; onto an empty folder the name alone.
size_t JoinPathStr(std::string& out, const char* folder, const char* name);
// The levels of a path text below its root, from `from` on: empty levels
// and "." go, and each ".." takes the level before it away (never past the
// first).
std::vector<std::string> CollapsedLevels(const std::string& text, size_t from = 0);

// The file-name part of the first `length` characters of path (-1: up to
// the NUL): behind the last '\', '/' or ':'. *nameLength gets its length.
const char* FindFileNameA(int length, const char* path, int* nameLength = nullptr);

// Wildcard match of a name against one pattern ('*' any run, '?' one
// character), letters without case.
bool MatchWildcard(const char* pattern, size_t patternLength, const char* name);
// True when the name matches one of the ';'-separated patterns (blanks
// around each trimmed). A null or empty list matches everything when
// emptyMatches is set, else nothing.
bool MatchPatternList(const char* patterns, const char* name, bool emptyMatches);

// 0 missing (or null), 1 file, 2 folder, 3 drive root.
int GetPathTypeA(const char* path);
// A new heap text (free()) with the folder part, trailing separator
// included, of the path's full form; null when it is longer than
// kMaxPathText characters or cannot be formed.
char* AllocFullDirectoryA(const char* path, int* length = nullptr);
// Creates every missing folder of the path; non-zero on success (also when
// everything existed), 0 on failure.
int CreateDirectoryTreeA(const char* path);
