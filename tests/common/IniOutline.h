#pragma once
// Section and key names of an INI text in file order: "[section]" for a
// section line, "section/key" for an entry.
#include <string>
#include <vector>

namespace testsupport {

std::vector<std::string> IniOutline(const std::string& text);

}  // namespace testsupport
