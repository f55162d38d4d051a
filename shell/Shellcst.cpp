#include "shell/Shellcst.h"

#include <shlobj.h>

namespace {

struct ClipFormats {
  FORMATETC hdrop;
  FORMATETC null;
  FORMATETC idList;
  FORMATETC fileNameMap;
  FORMATETC fileNameMapW;
  FORMATETC objectOffset;
  FORMATETC performEffect;
};

FORMATETC ContentRecord(CLIPFORMAT format) noexcept {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

FORMATETC Registered(const char* name) noexcept {
  return ContentRecord(static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(name)));
}

// Registered once per process; the initialisation of a function-local static
// is thread-safe, so any thread may be first.
const ClipFormats& Formats() noexcept {
  static const ClipFormats formats = {
      ContentRecord(CF_HDROP),
      FORMATETC{0, nullptr, static_cast<DWORD>(-1), -1, static_cast<DWORD>(-1)},
      Registered(kShellIDListArrayName),
      Registered(kFileNameMapName),
      Registered(kFileNameMapWName),
      Registered(kShellObjectOffsetsName),
      Registered(kPerformedDropEffectName),
  };
  return formats;
}

}  // namespace

void RegisterShellClipboardFormats() noexcept { Formats(); }

const FORMATETC& HDROPFormat() noexcept { return Formats().hdrop; }
const FORMATETC& NULLFormat() noexcept { return Formats().null; }
const FORMATETC& IDLISTFormat() noexcept { return Formats().idList; }
const FORMATETC& FileNameMapFormat() noexcept { return Formats().fileNameMap; }
const FORMATETC& FileNameMapFormatW() noexcept { return Formats().fileNameMapW; }
const FORMATETC& ObjectOffsetFormat() noexcept { return Formats().objectOffset; }
const FORMATETC& PerformEffectFormat() noexcept { return Formats().performEffect; }
