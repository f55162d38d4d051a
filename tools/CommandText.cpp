#include "tools/CommandText.h"

#include <utility>

#include "framework/base/Mbcs.h"

namespace orvane {

void TCommandRecall::Add(const std::string& line) {
  m_pos = 0;
  m_lines.push_back(line);
}

std::optional<std::string> TCommandRecall::Up() {
  if (Count() <= m_pos) return std::nullopt;
  ++m_pos;
  return Entry(m_pos);
}

std::optional<std::string> TCommandRecall::Down() {
  // Shows the entry at the current position, then steps towards the newest;
  // position 1 is as far as it goes.
  std::optional<std::string> shown;
  if (m_pos >= 1 && m_pos < Count()) shown = Entry(m_pos);
  if (m_pos >= 2) --m_pos;
  return shown;
}

bool EndsInsideChar(std::string_view s) noexcept {
  std::size_t i = 0;
  while (i < s.size()) i += fw::IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
  return i > s.size();
}

std::optional<std::string> TChunkJoiner::Take(std::string_view read) {
  std::size_t zero = read.find('\0');
  // Text after a zero byte is not shown; a character cut there was cut by
  // the child itself, so only a chunk that ends where the read ended may
  // hold its last byte back.
  bool whole = zero == std::string_view::npos;
  std::string text = std::move(m_held);
  m_held.clear();
  text.append(read.substr(0, zero));
  if (whole && EndsInsideChar(text)) {
    m_held.assign(1, text.back());
    text.pop_back();
    if (text.empty()) return std::nullopt;
  }
  return text;
}

std::optional<std::string> TChunkJoiner::Flush() {
  if (m_held.empty()) return std::nullopt;
  return std::exchange(m_held, {});
}

}  // namespace orvane
