// The operating-system tags of the list file's gated lines ("_W7_,", "_81_X64,", ...): which characters
// of an upper-cased line make each tag, and which Windows release each one names. The list rules
// (SupportList.cpp) and the list checker (ListChecker.cpp) read tags through this one table.
#pragma once
#include <stddef.h>

struct OsTag {
    // Compared from position 1 of the line (position 0 holds the underscore). '?' marks a position
    // that is not examined; a position at or past the end of the line fits nothing.
    const wchar_t* chars;
    // Which version names the release: the one the version query reports to the program, or the
    // product version of the system library (Windows 8 and later report 6.2 to the program).
    enum Source { Reported, SystemLibrary } source;
    int major;
    int minor;  // -1: any minor number
    enum Bitness { AnyBitness, Not64Bit, Only64Bit } bitness;
};

extern const OsTag kOsTags[];
extern const size_t kOsTagCount;

// Whether the characters of the upper-cased line fit the tag.
bool OsTagCharsFit(const OsTag& tag, const wchar_t* line, size_t length);
// Whether they fit any tag of the table, whatever system runs.
bool AnyOsTagFits(const wchar_t* line, size_t length);
