#include "tests/common/IniOutline.h"

namespace testsupport {

std::vector<std::string> IniOutline(const std::string& text) {
  std::vector<std::string> out;
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = text.find_first_not_of("\r\n", end);
    if (pos == std::string::npos) pos = text.size();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      out.push_back("[" + section + "]");
    } else if (auto eq = line.find('='); eq != std::string::npos) {
      out.push_back(section + "/" + line.substr(0, eq));
    }
  }
  return out;
}

}  // namespace testsupport
