#pragma once
// Everyday shell chores of the shell library: path texts, folders of the
// system, volume labels and file times; disk queries, file operations through
// the shell's own engine, shortcuts, and the file-type associations of the
// registry (TShellRegistry, in ShellRegistry.h).
//
// Every text is a byte string in the ANSI code page (Shift-JIS). A trailing
// backslash is always judged on the last WHOLE character: the second byte of
// "ソ" (0x83 0x5C) is not a backslash. No function raises; failure shows as an
// empty text, false, -1 or 0.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/base/DateTime.h"
#include "shell/Shellidfunc.h"

// windows.h maps GetLongPathName to GetLongPathNameA; the library's own
// GetLongPathName below takes and gives byte strings and keeps its name.
#undef GetLongPathName

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

// ---------------------------------------------------------------------------
// Long names

// The path as the shell names it in the file system: turned into an item ID
// list and back. Empty when either step fails or the path is empty.
std::string GetLongFileNameEx(const std::string& path);
// The path rebuilt from each component's long name as stored on disk, the
// drive part in upper case. A trailing "\" is kept. Empty when a component
// does not exist or holds a wildcard; a drive alone ("c:" or "c:\") gives the
// drive in upper case.
std::string GetLongPathName(const std::string& path);

// ---------------------------------------------------------------------------
// Disks

// Free space of a root path ("C:\") in MiB (2^20 bytes), counted in 64 bits
// and clamped to the 32-bit range; -1 when the query fails. No "insert a disk"
// box is shown.
std::int32_t CheckDiskSize(const std::string& rootPath);
// True when the drive of the letter (either case) holds a disk. A network
// drive must also show at least one entry in its root. No system box appears.
bool CheckDiskInDrive(char drive);
// Opens the system's format dialog for a removable drive; any other drive is
// left alone.
void FormatFDD(HWND wnd, char drive, int options);
// True unless the folder holds an entry whose name does not begin with "."
// (".", ".." and ".hidden" alike are ignored). A folder that cannot be
// searched counts as empty.
bool FolderEmpty(const std::string& folder);

// ---------------------------------------------------------------------------
// File operations through the shell's engine (SHFileOperationA). The owner of
// any progress or confirmation window is the application's main form (none
// without one). flags are the FOF_ flags, passed on unchanged. True when the
// engine reports success.

// Copies (moves) every entry into the destination folder; a trailing "\" of
// the destination is dropped. Empty entries are skipped; a list with no
// entries at all gives false.
bool SHCopyFiles(const std::vector<std::string>& files, const std::string& destination, FILEOP_FLAGS flags);
bool SHMoveFiles(const std::vector<std::string>& files, const std::string& destination, FILEOP_FLAGS flags);
// Deletes every entry (into the recycle bin only with FOF_ALLOWUNDO).
bool SHDeleteFiles(const std::vector<std::string>& files, FILEOP_FLAGS flags);
// Deletes one folder (a trailing "\" allowed) or file; false when the path
// is neither.
bool SHDeleteFile(const std::string& path, FILEOP_FLAGS flags);
// Renames; noConfirmMkDir lets the engine make missing folders of the new
// path without asking (FOF_NOCONFIRMMKDIR), otherwise no flags are given.
bool SHRenameFile(const std::string& oldPath, const std::string& newPath, bool noConfirmMkDir);

// The file-system path of a special folder; false (and path untouched) when
// the folder does not exist or is not in the file system. wnd is not used.
bool GetSpecialFolderPath(std::string& path, TShSpecialFolderID id, HWND wnd);

// ---------------------------------------------------------------------------
// Shortcuts

// The file name of a shortcut to name: its last component (a trailing "\"
// dropped, every ":" removed) + "へのショートカット.lnk"; "C:\" gives
// "Cへのショートカット.lnk".
std::string GetShortCutName(const std::string& name);
// Makes a shortcut in linkFolder for every existing path (named by
// GetShortCutName of its in-folder display name), with workFolder as the
// working folder. The result is that of the last path: false when it is
// missing or its shortcut could not be saved.
bool SHLinkFiles(const std::vector<std::string>& paths, const std::string& linkFolder, const std::string& workFolder);
// lists[0] is the absolute list of a parent folder, lists[1..highIndex] items
// relative to it; makes a shortcut in linkFolder for every non-null item. The
// result is that of the last shortcut made (false when none was).
bool SHLinkIDList(const LPCITEMIDLIST* lists, int highIndex, const std::string& linkFolder,
                  const std::string& workFolder);
// A shortcut to path in a special folder (e.g. the desktop folder); false for
// an item directly on the desktop or a special folder outside the file system.
bool ShortCutToSpecialFolder(const std::string& path, TShSpecialFolderID id);

// ---------------------------------------------------------------------------
// Test seams: the disk queries go through these, so that figures no real
// volume gives (more than 4 GiB free, more than 2^31 MiB) and drives the
// machine lacks (a removable one) can be tested. Each returns the previous
// function; null restores the system's own.

using DiskFreeSpaceQuery = BOOL(WINAPI*)(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                         LPDWORD freeClusters, LPDWORD totalClusters);
DiskFreeSpaceQuery SetDiskFreeSpaceQuery(DiskFreeSpaceQuery query) noexcept;
using DriveTypeQuery = UINT(WINAPI*)(LPCSTR root);
DriveTypeQuery SetDriveTypeQuery(DriveTypeQuery query) noexcept;
using FormatDriveCall = DWORD(WINAPI*)(HWND wnd, UINT drive, UINT formatId, UINT options);
FormatDriveCall SetFormatDriveCall(FormatDriveCall call) noexcept;

#include "shell/ShellRegistry.h"
