// The clipboard format records against the formats the real shell offers.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>

#include "framework/base/Handle.h"
#include "shell/Shellcst.h"
#include "shell/Shellidfunc.h"
#include "tests/common/TempDir.h"

namespace {

TEST(ClipFormats, RecordsHoldTheRegisteredFormats) {
  RegisterShellClipboardFormats();
  struct Named {
    const FORMATETC& record;
    const char* name;
  };
  const Named named[] = {
      {IDLISTFormat(), "Shell IDList Array"},          {FileNameMapFormat(), "FileNameMap"},
      {FileNameMapFormatW(), "FileNameMapW"},          {ObjectOffsetFormat(), "Shell Object Offsets"},
      {PerformEffectFormat(), "Performed DropEffect"},
  };
  std::set<CLIPFORMAT> seen;
  for (const Named& n : named) {
    // Registering a name again yields the same number: the records hold it.
    EXPECT_EQ(n.record.cfFormat, RegisterClipboardFormatA(n.name)) << n.name;
    EXPECT_GE(n.record.cfFormat, 0xC000) << n.name;
    EXPECT_EQ(n.record.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(n.record.lindex, -1);
    EXPECT_EQ(n.record.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(n.record.ptd, nullptr);
    seen.insert(n.record.cfFormat);
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(IDLISTFormat().cfFormat, RegisterClipboardFormatA(CFSTR_SHELLIDLIST));

  EXPECT_EQ(HDROPFormat().cfFormat, CF_HDROP);
  EXPECT_EQ(HDROPFormat().tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(NULLFormat().cfFormat, 0);
  EXPECT_EQ(NULLFormat().dwAspect, 0xFFFFFFFFu);
  EXPECT_EQ(NULLFormat().lindex, -1);
  EXPECT_EQ(NULLFormat().tymed, 0xFFFFFFFFu);
}

// The shell's data object for two files offers its item-list array through
// our record: a count, the parent's absolute list, then the items.
TEST(ClipFormats, ShellDataObjectAnswersTheIdListRecord) {
  testsupport::TempDir temp;
  std::string folderPath = temp / "表ソ";
  ASSERT_TRUE(CreateDirectoryA(folderPath.c_str(), nullptr));
  testsupport::WriteFile(folderPath + "\\一.txt", "1");
  testsupport::WriteFile(folderPath + "\\二.txt", "2");

  UniqueIDList folderList, one, two;
  ASSERT_TRUE(GetIDListFromPath(folderPath, folderList));
  ASSERT_TRUE(GetIDListFromPath(folderPath + "\\一.txt", one));
  ASSERT_TRUE(GetIDListFromPath(folderPath + "\\二.txt", two));
  UniqueIDList oneItem(GetLastItemID(one.get())), twoItem(GetLastItemID(two.get()));

  fw::ComPtr<IShellFolder> desktop, folder;
  ASSERT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
  ASSERT_EQ(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder, folder.PutVoid()), S_OK);
  LPCITEMIDLIST items[2] = {oneItem.get(), twoItem.get()};
  fw::ComPtr<IDataObject> data;
  ASSERT_EQ(folder->GetUIObjectOf(nullptr, 2, items, IID_IDataObject, nullptr, data.PutVoid()), S_OK);

  FORMATETC idList = IDLISTFormat();
  FORMATETC hdrop = HDROPFormat();
  EXPECT_EQ(data->QueryGetData(&hdrop), S_OK);
  ASSERT_EQ(data->QueryGetData(&idList), S_OK);
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&idList, &medium), S_OK);
  {
    fw::GlobalLockGuard<BYTE> lock(medium.hGlobal);
    ASSERT_TRUE(lock);
    const BYTE* block = lock.get();
    UINT count;
    std::memcpy(&count, block, 4);
    ASSERT_EQ(count, 2u);
    UINT offsets[3];
    std::memcpy(offsets, block + 4, sizeof offsets);
    auto at = [&](int i) { return reinterpret_cast<LPCITEMIDLIST>(block + offsets[i]); };
    std::string parentPath;
    ASSERT_TRUE(GetPathFromItemIDList(at(0), parentPath));
    EXPECT_EQ(parentPath, folderPath);
    EXPECT_EQ(CompareIDList(folder.Get(), at(1), oneItem.get()), cvEqual);
    EXPECT_EQ(CompareIDList(folder.Get(), at(2), twoItem.get()), cvEqual);
    // Parent + item is the item's absolute list.
    UniqueIDList joined(ConcatItemIDList(at(0), at(2)));
    std::string joinedPath;
    ASSERT_TRUE(GetPathFromItemIDList(joined.get(), joinedPath));
    EXPECT_EQ(joinedPath, folderPath + "\\二.txt");
  }
  ReleaseStgMedium(&medium);
}

TEST(LibraryTexts, AreShiftJis) {
  // 11 double-byte characters; "パ" is 0x83 0x70 in Shift-JIS.
  EXPECT_EQ(std::strlen(sShellInvalidParam), 22u);
  EXPECT_EQ(std::string(sShellInvalidParam, 2), "\x83\x70");
  // Tool-tip and status-bar parts are split by a single vertical bar.
  for (const char* hint : {sShellFileCutHint, sShellFileCopyHint, sShellFilePasteHint, sShellFileDeleteHint,
                           sShellFilePropertyHint, sSelectAllItemHint, sReverseSelectedItemHint, sReportIconHint}) {
    std::string text = hint;
    EXPECT_NE(text.find('|'), std::string::npos) << text;
    EXPECT_EQ(text.find('|'), text.rfind('|')) << text;
  }
}

}  // namespace
