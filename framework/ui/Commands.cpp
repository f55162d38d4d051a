#include "framework/ui/Commands.h"

#include <unordered_map>

namespace fw {
namespace {
// The user-interface thread is the only one that touches menus.
std::unordered_map<UINT, std::function<void()>>& Table() {
  static std::unordered_map<UINT, std::function<void()>> table;
  return table;
}
UINT g_next = 100;
}  // namespace

UINT AllocateCommandId(std::function<void()> handler) {
  auto& t = Table();
  for (;;) {
    UINT id = g_next++;
    if (g_next >= 0xF000) g_next = 100;
    if (!t.count(id)) {
      t.emplace(id, std::move(handler));
      return id;
    }
  }
}

void ReleaseCommandId(UINT id) { Table().erase(id); }

bool DispatchCommand(UINT id) {
  auto& t = Table();
  auto it = t.find(id);
  if (it == t.end()) return false;
  auto handler = it->second;  // the handler may release its own id
  if (handler) handler();
  return true;
}

}  // namespace fw
