// purger.dll: permanent deletion in one shell operation, so the user confirms
// once for every selected item. The caller hands over the paths one by one
// with add_file, then calls sh_op.
#include <windows.h>
#include <shellapi.h>

#include "purger/PurgeList.h"

namespace {
// Process-wide: the list lives between the calls. Calls come from the
// caller's user-interface thread only.
purger::PurgeList g_list;
}  // namespace

extern "C" {

void __cdecl add_file(const char* path) {
  // An empty path would end the multi-string early and hide the paths after
  // it; it and a path that no longer fits are left out (see PurgeList::Add).
  g_list.Add(path);
}

int __cdecl sh_op(HWND owner) {
  SHFILEOPSTRUCTA op{};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = g_list.Data();
  op.pTo = nullptr;
  op.fFlags = FOF_FILESONLY;
  op.fAnyOperationsAborted = FALSE;
  int result = 0;
  // The empty list is handed over as it is: the shell deletes nothing.
  result = ::SHFileOperationA(&op);
  g_list.Clear();
  return result;
}
}
