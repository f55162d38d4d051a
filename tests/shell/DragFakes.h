#pragma once
// Test doubles for OLE drag and drop: a data object as another program or
// the shell would offer it, and a drop target that records what it is told
// and answers as the system's shell would. Under Wine the shell's own drop
// targets accept every drop and copy nothing, so the controls' side is
// tested against these.
#include <windows.h>
#include <ole2.h>
#include <oleidl.h>

#include <string>
#include <vector>

#include "tests/shell/ShellFakes.h"

namespace dragfakes {

// What a FakeDataObject offers.
enum class DataKind {
  Shell,        // "Shell IDList Array" and CF_HDROP of real files
  FilesOnly,    // CF_HDROP only
  TextOnly,     // CF_TEXT, as a word processor's selection
  Malformed,    // claims shell items; the block's count and offsets lie
  Undelivered,  // claims shell items and file names; GetData fails
};

class FakeDataObject final : public IDataObject, public shellfakes::RefCounted {
 public:
  // files: full paths of existing files, all in one folder.
  FakeDataObject(DataKind kind, std::vector<std::string> files);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  int getDataCalls = 0;

 private:
  bool Offers(CLIPFORMAT format) const;
  HGLOBAL MakeIDListArray() const;
  HGLOBAL MakeHDrop() const;

  DataKind m_kind;
  std::vector<std::string> m_files;
};

// One call a drop target received.
struct DropCall {
  std::string method;  // "enter", "over", "leave", "drop"
  DWORD keyState = 0;
  POINTL pt{};
  DWORD effectIn = 0;
  IDataObject* data = nullptr;
};

class RecordingDropTarget final : public IDropTarget, public shellfakes::RefCounted {
 public:
  // Who the target stands for (set by whoever hands it out).
  std::string name;
  // Answers: the effect chosen from the allowed ones, and the results.
  DWORD choose = DROPEFFECT_COPY;
  HRESULT enterResult = S_OK;
  HRESULT overResult = S_OK;
  HRESULT dropResult = S_OK;
  std::vector<DropCall> calls;

  // The methods called, in order, e.g. "enter over leave".
  std::string Sequence() const;
  const DropCall* Last(const std::string& method) const;
  void Clear() { calls.clear(); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

 private:
  HRESULT Answer(const char* method, IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect, HRESULT result);
};

}  // namespace dragfakes
