#pragma once
#include <windows.h>

// The patterns of rules and of the command line's selectors: '*' stands for
// any run of characters (none too), '?' for exactly one, anything else for
// itself whatever its case, in any script. A pattern matches the whole
// text. A surrogate pair is one character.
bool MatchPattern(LPCWSTR pszPattern, LPCWSTR pszText);

// Whether a program's path names the program a rule or a selector gives:
// with a backslash in it, the whole path; else its file name, with or
// without its ".exe". Case is ignored.
bool MatchProgram(LPCWSTR pszGiven, LPCWSTR pszPath);

// The file name at the end of a path (after its last backslash or slash).
LPCWSTR FileNameOf(LPCWSTR pszPath);
