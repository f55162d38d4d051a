#pragma once
// Command identifiers for menu items and other WM_COMMAND sources that are
// not child windows: each identifier maps to the function it runs.
#include <windows.h>

#include <functional>

namespace fw {

// Returns a fresh identifier (never 0, below 0xF000 where system commands start).
UINT AllocateCommandId(std::function<void()> handler);
void ReleaseCommandId(UINT id);
// Runs the handler of id; false when id is unknown.
bool DispatchCommand(UINT id);

}  // namespace fw
