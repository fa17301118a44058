// The check's diagnostic trace: plain lines on standard output for whoever runs the check from a
// console. Lines are collected in memory and written in large pieces (a stream written line by line
// costs a system call per line, which under Wine with output to a device takes minutes for a large
// registry), at the end of each traced step of the check and at exit. Where standard output leads
// nowhere (a windowed program started without one) nothing is even formatted.
#pragma once
#include <string>

class CCheckTrace {
public:
    // A traced step: the outermost one decides whether anyone reads the trace, and writes what was
    // collected when it ends.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // Whether lines are collected at all; callers skip formatting work when not.
    static bool On();
    // One line (or several), formatted as by the wide printf family (%ls for a wide string).
    static void Line(const wchar_t* format, ...);
    // Text as it is.
    static void Text(const std::wstring& text);
    // Writes what was collected to standard output.
    static void Flush();
};
