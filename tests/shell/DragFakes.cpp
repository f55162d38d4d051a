#include "tests/shell/DragFakes.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include "framework/base/Handle.h"
#include "shell/Shellcst.h"
#include "shell/Shellidfunc.h"

namespace dragfakes {

namespace {

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

HGLOBAL GlobalFrom(const std::vector<BYTE>& bytes) {
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!g) return nullptr;
  fw::GlobalLockGuard<BYTE> lock(g);
  std::memcpy(lock.get(), bytes.data(), bytes.size());
  return g;
}

void AppendU32(std::vector<BYTE>& bytes, std::uint32_t v) {
  const auto* p = reinterpret_cast<const BYTE*>(&v);
  bytes.insert(bytes.end(), p, p + 4);
}

}  // namespace

FakeDataObject::FakeDataObject(DataKind kind, std::vector<std::string> files)
    : m_kind(kind), m_files(std::move(files)) {}

STDMETHODIMP FakeDataObject::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

bool FakeDataObject::Offers(CLIPFORMAT format) const {
  CLIPFORMAT idList = IDLISTFormat().cfFormat;
  switch (m_kind) {
    case DataKind::Shell:
    case DataKind::Undelivered:
      return format == idList || format == CF_HDROP;
    case DataKind::FilesOnly:
      return format == CF_HDROP;
    case DataKind::TextOnly:
      return format == CF_TEXT;
    case DataKind::Malformed:
      return format == idList;
  }
  return false;
}

STDMETHODIMP FakeDataObject::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
  return Offers(format->cfFormat) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP FakeDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++getDataCalls;
  if (!format || !medium) return E_INVALIDARG;
  if (!Offers(format->cfFormat) || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
  if (m_kind == DataKind::Undelivered) return E_FAIL;
  HGLOBAL g = nullptr;
  if (format->cfFormat == CF_HDROP) {
    g = MakeHDrop();
  } else if (format->cfFormat == CF_TEXT) {
    g = GlobalFrom(std::vector<BYTE>{'h', 'i', 0});
  } else if (m_kind == DataKind::Malformed) {
    // A thousand entries promised in a block of twelve bytes, offsets far
    // outside it.
    std::vector<BYTE> bytes;
    AppendU32(bytes, 1000);
    AppendU32(bytes, 0x7FFFFFF0);
    AppendU32(bytes, 0x10);
    g = GlobalFrom(bytes);
  } else {
    g = MakeIDListArray();
  }
  if (!g) return E_OUTOFMEMORY;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = g;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HGLOBAL FakeDataObject::MakeIDListArray() const {
  // CIDA: count, count + 1 offsets, the folder's absolute list, then each
  // file's list relative to it.
  UniqueIDList parent;
  if (m_files.empty() || !GetIDListFromPath(FolderOf(m_files[0]), parent)) return nullptr;
  std::vector<UniqueIDList> children;
  for (const std::string& file : m_files) {
    UniqueIDList full;
    if (!GetIDListFromPath(file, full)) return nullptr;
    children.emplace_back(GetLastItemID(full.get()));
  }
  std::vector<BYTE> bytes;
  std::size_t header = 4 + 4 * (children.size() + 1);
  std::vector<std::uint32_t> offsets;
  std::vector<BYTE> lists;
  auto add = [&](LPCITEMIDLIST list) {
    offsets.push_back(static_cast<std::uint32_t>(header + lists.size()));
    const auto* p = reinterpret_cast<const BYTE*>(list);
    lists.insert(lists.end(), p, p + GetItemIDListSize(list));
  };
  add(parent.get());
  for (const UniqueIDList& child : children) add(child.get());
  AppendU32(bytes, static_cast<std::uint32_t>(children.size()));
  for (std::uint32_t o : offsets) AppendU32(bytes, o);
  bytes.insert(bytes.end(), lists.begin(), lists.end());
  return GlobalFrom(bytes);
}

HGLOBAL FakeDataObject::MakeHDrop() const {
  std::vector<BYTE> bytes(sizeof(DROPFILES), 0);
  auto* head = reinterpret_cast<DROPFILES*>(bytes.data());
  head->pFiles = sizeof(DROPFILES);
  head->fWide = FALSE;
  for (const std::string& file : m_files) {
    bytes.insert(bytes.end(), file.begin(), file.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return GlobalFrom(bytes);
}

// ---------------------------------------------------------------------------

std::string RecordingDropTarget::Sequence() const {
  std::string s;
  for (const DropCall& c : calls) s += (s.empty() ? "" : " ") + c.method;
  return s;
}

const DropCall* RecordingDropTarget::Last(const std::string& method) const {
  for (auto i = calls.rbegin(); i != calls.rend(); ++i)
    if (i->method == method) return &*i;
  return nullptr;
}

STDMETHODIMP RecordingDropTarget::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IDropTarget) {
    *out = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT RecordingDropTarget::Answer(const char* method, IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect,
                                    HRESULT result) {
  calls.push_back(DropCall{method, keyState, pt, effect ? *effect : 0, data});
  // As the shell does: the chosen effect when allowed, else none.
  if (effect) *effect = SUCCEEDED(result) ? (*effect & choose) : DROPEFFECT_NONE;
  return result;
}

STDMETHODIMP RecordingDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  return Answer("enter", data, keyState, pt, effect, enterResult);
}

STDMETHODIMP RecordingDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  return Answer("over", nullptr, keyState, pt, effect, overResult);
}

STDMETHODIMP RecordingDropTarget::DragLeave() {
  calls.push_back(DropCall{"leave", 0, {}, 0, nullptr});
  return S_OK;
}

STDMETHODIMP RecordingDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  return Answer("drop", data, keyState, pt, effect, dropResult);
}

}  // namespace dragfakes
