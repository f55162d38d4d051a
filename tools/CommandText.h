#pragma once
// The command line's text rules that need no window: recalling earlier lines
// with Up, Down and Escape, and cutting a child's output into lines without
// splitting a double-byte character.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Recall over the command history. Position p names the entry count - p
// (0-based), so p = 1 is the newest line and 0 means nothing recalled yet.
// The history list itself is the program's (it outlives any window); the
// count is always its length, as lines are only ever appended.
class TCommandRecall {
 public:
  explicit TCommandRecall(std::vector<std::string>& lines) : m_lines(lines) {}

  // Records a confirmed line (an empty one too) and starts recall afresh.
  void Add(const std::string& line);
  // Each returns the text to put into the box, or nothing to leave it alone.
  std::optional<std::string> Up();
  std::optional<std::string> Down();
  // Back to the newest line without showing it; the box is cleared by the caller.
  void Escape() { m_pos = 1; }

  int Count() const noexcept { return static_cast<int>(m_lines.size()); }
  int Pos() const noexcept { return m_pos; }
  const std::vector<std::string>& Lines() const noexcept { return m_lines; }

 private:
  const std::string& Entry(int p) const { return m_lines[static_cast<std::size_t>(Count() - p)]; }

  std::vector<std::string>& m_lines;
  int m_pos = 0;
};

// True when s ends inside a double-byte character: only a walk from the
// start can tell, as a trail byte may carry a lead byte's value ("亜" ends in 0x9F).
bool EndsInsideChar(std::string_view s) noexcept;

// Turns the chunks read from one pipe into the lines shown. A chunk is taken
// up to its first zero byte; when it ends in the first byte of a character,
// that byte waits for the next chunk of the same pipe, so no character is
// ever shown cut in two.
class TChunkJoiner {
 public:
  // read: the bytes ReadFile delivered. Returns the line to show, or nothing
  // when the chunk was only the first half of a character.
  std::optional<std::string> Take(std::string_view read);
  // At the end: a byte still waiting is shown on its own.
  std::optional<std::string> Flush();
  bool Holding() const noexcept { return !m_held.empty(); }

 private:
  std::string m_held;
};

}  // namespace orvane
