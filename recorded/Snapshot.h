// Snapshot files: a recorded system as text (see "Snapshot files" in README.md). The loader fills a
// RecordedProbes; the capture walks any probe surface (the real system, or a recorded one) and writes
// what the check would read from it, so that replaying the capture gives the same report.
#pragma once
#include "recorded/RecordedProbes.h"
#include <string>

// Bytes of a snapshot file as text: UTF-16LE or UTF-8 with their byte-order marks, UTF-8 without one
// (or the ANSI code page when the bytes are not UTF-8).
std::wstring DecodeSnapshotBytes(const std::string& bytes);

// Loads snapshot text into probes (adding to what they already hold). On failure returns false with
// error set to "line N: what is wrong". A relative ListFile is taken relative to baseFolder.
bool LoadSnapshotText(const std::wstring& text, RecordedProbes& probes, std::wstring& error,
                      const std::wstring& baseFolder = std::wstring());
// The same for a file; the error then starts with the file's path.
bool LoadSnapshotFile(const std::wstring& path, RecordedProbes& probes, std::wstring& error);

// A snapshot of what the check reads through probes: program and OS facts, the network devices, the
// network-class registry tree, the adapters' service keys, the PROSet registry key and library, and
// the version blocks of kernel32.dll and of the driver files. listFile is recorded as the list to use.
// checkedAt is the time recorded as the check's; empty: the probes' time now.
std::wstring CaptureSnapshot(IProbes& probes, const std::wstring& listFile, const std::wstring& checkedAt = std::wstring());
// Writes text as UTF-8 with a byte-order mark and CR LF line ends.
bool WriteSnapshotFile(const std::wstring& path, const std::wstring& text, std::wstring& error);

// The value part of a registry export line for one value ("..." / dword:... / hex(N):...); with
// allowMulti a multi-string is written as multi:"a","b" instead of hex(7).
std::wstring FormatSnapshotValue(const RecordedValue& value, bool allowMulti);
