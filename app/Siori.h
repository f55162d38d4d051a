#pragma once
// The bookmark file: one tab text per line in the ANSI code page, every line
// ended by CR LF.
#include <string>
#include <vector>

namespace orvane {

// Lines of the file; a line ends at CR, LF or CR LF, a last line without an
// ending counts, an empty file has no lines. Raises fw::Exception when the
// file cannot be opened or read.
std::vector<std::string> LoadSioriFile(const std::string& path);
// Replaces the file with the lines; raises fw::Exception when it cannot be written.
void SaveSioriFile(const std::string& path, const std::vector<std::string>& lines);
// Splits text into lines by the rules above.
std::vector<std::string> SplitSioriLines(const std::string& text);

}  // namespace orvane
