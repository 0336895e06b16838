// What GetFileIconIndex reads from a path before asking the shell.
#pragma once

// The extension behind the last '.' of the file-name part (not beyond a
// separator), or null when the name has none.
const char* IconExtension(const char* path);
// A drive: a letter and a colon, alone or followed by one separator.
bool IsDrivePath(const char* path);
// Files whose icon is their own (programs, icons, links, and names without
// an extension such as folders): their icon must not stand for the
// extension.
bool HasOwnIcon(const char* path);
