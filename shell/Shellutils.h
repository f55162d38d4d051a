#pragma once
// Everyday shell chores of the shell library: path texts, folders of the
// system, associations, volume labels and file times.
//
// Every text is a byte string in the ANSI code page (Shift-JIS). A trailing
// backslash is always judged on the last WHOLE character: the second byte of
// "ソ" (0x83 0x5C) is not a backslash. No function raises; failure shows as an
// empty text or 0.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/base/DateTime.h"

// ---------------------------------------------------------------------------
// Path texts

// The path with one "\" appended unless it already ends in "\".
std::string AddPathDelimiter(const std::string& path);
// The path without its last character if that character is "\".
std::string RemoveLastDelimiter(const std::string& path);
// folder + name, with a "\" between them unless the folder ends in one.
std::string MakeFullPath(const std::string& folder, const std::string& name);

// ---------------------------------------------------------------------------
// Folders and programs of the system

// The Windows folder; empty on failure.
std::string GetWinDir();
// The temporary-files folder as the system gives it (with its trailing "\");
// empty on failure.
std::string GetTempDir();
// The program associated with a file (FindExecutableA); empty when there is
// none or the file does not exist.
std::string FindAssociatedProgram(const std::string& fileName);
// The short (8.3) form of an existing file or folder; empty for a missing
// path or when it does not fit MAX_PATH.
std::string GetShortPathNameEx(const std::string& path);

// ---------------------------------------------------------------------------
// Volumes

// The volume label of a root path ("C:\"), in lower case with its first letter
// raised ("DATA" -> "Data"); empty when the label cannot be read. The system's
// "insert a disk" box is suppressed during the query.
std::string GetVolumeName(const std::string& rootPath);
// The shown form of a stored label: lower case by the file-name rules of the
// code page (double-byte characters untouched), then a single-byte first
// letter raised.
std::string FormatVolumeLabel(std::string label);

// ---------------------------------------------------------------------------
// File times

// Local date-time of a file time (UTC); 0 unless both halves are non-zero or
// when a conversion fails.
fw::TDateTime FileTimeToDateTime(const FILETIME& fileTime) noexcept;
// File time (UTC) of a local date-time, rounded down to the even second as a
// DOS date and time holds it; the zero file time for 0 and for dates a DOS
// date cannot hold (before 1980 or after 2107).
FILETIME DateTimeToFileTime(fw::TDateTime dateTime) noexcept;
// The minute (0-59) of the file time in local time; 0 when a conversion fails.
std::uint16_t FileTimeToElapsedTime(const FILETIME& fileTime) noexcept;

// The unit's file operations, shortcuts, disk queries and associations are
// declared after this point.
