#pragma once
// The folder contents control: an owner-data list view over a TShellFileList.
// It draws the rows the list holds, opens items (folders are entered, files
// handed to the shell), renames in place, sorts by column, switches view
// styles, shows the shell context menu through a linked TShellPopupMenu and
// keeps a linked folder tree on the same folder.
//
// The process's current directory follows every file-system folder the
// control shows: the command line and the text preview rely on it.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/ui/ListView.h"
#include "shell/ShellCtrlList.h"
#include "shell/ShellDragDrop.h"
#include "shell/ShellFileList.h"
#include "shell/ShellItems.h"

namespace fw {
class IniFile;
class ImageList;
}  // namespace fw

class TShellPopupMenu;

// What the contents control needs from the folder tree linked to it. The
// folder tree implements it and links itself with SetShellTreeLink.
class TShellTreeLink {
 public:
  // The tree's current folder (borrowed), or null.
  virtual LPCITEMIDLIST GetNameSpace() = 0;
  // Moves the tree to a folder (the list view opened a folder row).
  virtual void SetNameSpace(LPCITEMIDLIST list) = 0;
  // The list view passes its own settings on to the tree.
  virtual void SetIncludeHidden(bool value) = 0;
  virtual void SetShVirtuaItems(TShVirtuaItems value) = 0;
  // Reads the tree's current folder again (a folder was deleted from the list).
  virtual void RefreshFolder() = 0;
  // The tree as a component, so the list view hears when it goes away
  // (null when the link is no component).
  virtual fw::Component* LinkComponent() { return nullptr; }

 protected:
  ~TShellTreeLink() = default;
};

// Optional images for the attribute flags (drawn beside large icons and in
// the attributes column).
class TAttributesImage : public fw::Object {
 public:
  fw::ImageList* ImageList = nullptr;  // not owned; cleared when it goes away
  int Archive = -1;
  int ReadOnly = -1;
  int Hidden = -1;
  int System = -1;
  void Assign(const TAttributesImage& other) noexcept {
    ImageList = other.ImageList;
    Archive = other.Archive;
    ReadOnly = other.ReadOnly;
    Hidden = other.Hidden;
    System = other.System;
  }
};

// "RHSA" letters of the attribute bits that are set (read-only, hidden,
// system, archive, in this order).
std::string AttributeLetters(DWORD attributes);

using TShellListBeginDragEvent =
    std::function<void(fw::Object* sender, TShellIDList& list, POINT pt, int x, int y, bool& canDrag)>;
using TShellClipboardEvent = std::function<void(fw::Object* sender, bool contented)>;
using TShellListDragEnterEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject,
                                                    fw::TShiftState shift, POINT pt, bool& accept)>;
using TShellListDragEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, TShellFileItem* item,
                                               fw::TShiftState shift, int x, int y)>;
using TShellListDropEvent = std::function<void(fw::Object* sender, TShellDragObject* dragObject, TShellFileItem* item,
                                               fw::TShiftState shift, int x, int y, bool& defaultAction)>;
using TShellListExecuteEvent = std::function<void(fw::Object* sender, TShellFileItem* item, fw::TShiftState shift,
                                                  int subItem, int x, int y, bool& defaultAction)>;
using TShellListFilterEvent = std::function<void(fw::Object* sender, TShellFileItem* item, bool& accept)>;
using TShellListChangeEvent = std::function<void(fw::Object* sender, TShellFileList* fileList)>;
using TShellListSelChangeEvent = std::function<void(fw::Object* sender, DWORD selSize)>;
using TShellListDrawItemEvent =
    std::function<void(fw::Object* sender, int item, UINT state, bool& defaultDraw, bool& subItemDraw)>;
using TShellListDrawSubItemEvent =
    std::function<void(fw::Object* sender, int item, int subItem, UINT state, bool& defaultDraw)>;

class TShellListView : public fw::ListView, public TShellDeviceChangeClient, private IShellDropClient {
 public:
  // The message that re-creates the window after a system settings change.
  static constexpr UINT kRecreateMessage = WM_USER + 1;

  explicit TShellListView(fw::Component* owner);
  ~TShellListView() override;
  void BeforeDestruction() override;

  // ---- the folder shown
  // Shows the folder with this absolute list (copied). The same folder again
  // is not read again.
  void SetNameSpace(LPCITEMIDLIST list);
  LPCITEMIDLIST GetNameSpace() const noexcept { return m_fileList->GetRootItemID(); }
  // Shows an existing directory.
  void SetPath(const std::string& path);
  std::string GetPath() { return m_fileList->GetPath(); }
  // Reads the folder again.
  void RefreshFiles();
  TShellFileList* FileList() const noexcept { return m_fileList.get(); }
  TShellFileItem* GetFileItem(int index) const noexcept { return m_fileList->GetFileItem(index); }

  // ---- sorting, view, commands
  void Sort(THeaderCaption column, bool ascending);
  void SetViewStyle(fw::TViewStyle style) override;
  fw::TViewStyle GetViewStyle() const noexcept { return ViewStyle(); }
  // Clipboard and file commands on the selection (paste: into the folder shown).
  bool InvokeCommand(TShInvokeCommand command);

  // ---- properties
  bool GetIncludeHidden() const noexcept { return m_includeHidden; }
  void SetIncludeHidden(bool value);
  TShVirtuaItems GetShVirtuaItems() const noexcept { return m_shVirtuaItems; }
  void SetShVirtuaItems(TShVirtuaItems value);
  TAttributesImage& AttributesImage() noexcept { return *m_attributesImage; }
  void SetAttributesImage(const TAttributesImage& value);
  TShellPopupMenu* GetShellPopupMenu() const noexcept { return m_shellPopupMenu; }
  void SetShellPopupMenu(TShellPopupMenu* menu);
  TShellTreeLink* GetShellTreeLink() const noexcept { return m_treeLink; }
  void SetShellTreeLink(TShellTreeLink* tree);

  // ---- custom draw
  // While OnCustomDrawItem / OnCustomDrawSubItem run: the control's draw
  // record (null otherwise). A handler that wants other colours for the row
  // or cell calls SetDrawColors.
  NMLVCUSTOMDRAW* CustomDrawInfo() const noexcept { return m_drawInfo; }
  void SetDrawColors(COLORREF text, COLORREF background) noexcept;

  // ---- state
  TShDragState GetDragState() const noexcept { return m_dragState; }
  DWORD GetSelectedSize() const noexcept { return m_selectedSize; }
  bool WindowGone() const noexcept { return m_windowGone; }
  int UpdateLock() const noexcept { return m_updateLock; }
  void BeginUpDate();
  void EndUpDate();
  void SuspendChangeNotify() { m_fileList->SuspendNotify(); }
  void ResumeChangeNotify() { m_fileList->ResumeNotify(); }

  // ---- settings ("<exe>.ini" beside the program, section given)
  void LoadSetting(const std::string& section);
  void SaveSetting(const std::string& section);
  void LoadSetting(fw::IniFile& file, const std::string& section);
  void SaveSetting(fw::IniFile& file, const std::string& section);

  // False while a shell operation started by a drop still runs.
  bool CanClose();

  // ---- drag and drop (ShellListViewDrag.cpp)
  // What OLE holds of the control: the drop target registered for its
  // window and the drop source of the drags it starts.
  IDropTarget* DropTarget() const noexcept { return m_dropRegistration->Target(); }
  IDropSource* DropSource() const noexcept { return m_dropRegistration->Source(); }
  bool DropTargetRegistered() const noexcept { return m_dropRegistration->Registered(); }
  // The drag over the control (null when none, or when it was refused).
  TShellDragObject* DragObject() const noexcept { return m_dragObject.get(); }
  // Row shown as drop target, -1 when none.
  int DropHighlight() const noexcept { return m_dropHighlight; }
  // Shell drop targets kept alive after a drop until they are done.
  std::size_t PendingDropTargetCount() const noexcept { return m_pendingDropTargets.size(); }
  // Scrolls one line or column when the client point is near an edge.
  void DoAutoScroll(POINT client);

  void DeviceChange(const std::string& caption, DWORD event, LPCITEMIDLIST itemIDList, WORD kind) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;

  // ---- events
  TShellListBeginDragEvent OnShBeginDrag;
  TShellClipboardEvent OnShClipboard;
  TShellListDragEnterEvent OnShDragEnter;
  fw::TNotifyEvent OnShDragLeave;
  TShellListDragEvent OnShDragOver;
  TShellListDropEvent OnShDragDrop;
  TShellListExecuteEvent OnShExecute;
  TShellListFilterEvent OnShFilter;
  TShellListChangeEvent OnShListChange;
  TShellListSelChangeEvent OnShSelChange;
  TShellListDrawItemEvent OnCustomDrawItem;
  TShellListDrawSubItemEvent OnCustomDrawSubItem;

  // ---- hooks (each Can hook starts from true and lets its event veto)
  // Whether a drag may start from the waiting state: the waiting button still
  // down, moved past the threshold, a selection that can be copied, moved or
  // linked, and OnShBeginDrag not vetoing.
  virtual bool CanBeginDrag(TShellIDList& list, POINT pt, int x, int y);
  // Drop-target hooks; effect is OLE's, set to none on a refusal. Points
  // are screen coordinates, as OLE gives them.
  virtual bool CanDragEnter(TShellDragObject* dragObject, DWORD keyState, DWORD& effect, POINT pt);
  virtual void DoDragOver(TShellDragObject* dragObject, TShellFileItem* item, DWORD& effect, POINT pt, DWORD keyState);
  virtual bool CanDragDrop(TShellDragObject* dragObject, TShellFileItem* item, DWORD& effect, POINT pt, DWORD keyState);
  virtual void DoDragLeave();
  virtual bool CanExecute(TShellFileItem* item, fw::TShiftState shift, int subItem, int x, int y);
  virtual void DoShClipboard(bool contented);
  virtual void DoShSelChange(DWORD selSize);
  virtual void DoItemActivate(int index, int subItem, POINT pt, fw::TShiftState shift);
  virtual void DoListChange();
  virtual void DoContextPopup(POINT clientPt, bool& handled);
  bool DoFilter(TShellFileItem* item);

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Notification(fw::Component* component, fw::Operation operation) override;

  void OwnerDataFetch(fw::ListItem* item, fw::TItemRequest request) override;
  void OwnerDataHint(int startIndex, int endIndex) override;
  int OwnerDataFind(fw::TItemFind find, const std::string& findString, POINT findPosition, void* findData,
                    int startIndex, fw::TSearchDirection direction, bool wrap) override;
  void OwnerDataStateChange(int startIndex, int endIndex, fw::TItemStates oldState, fw::TItemStates newState) override;
  void ItemChanged(NMLISTVIEW* nm) override;
  void ColClick(fw::ListColumn* column) override;
  bool CanEdit(fw::ListItem* item) override;
  void Edit(fw::ListItem* item, std::string& text) override;
  void ItemActivate(int index, int subItem, POINT pt, fw::TShiftState shift) override;
  bool CustomDraw(NMLVCUSTOMDRAW* draw, LRESULT& result) override;

  // Hands a file to the shell (ShellExecuteExA). A seam: under Wine the real
  // call may not return for a long time, so tests replace it.
  virtual bool ShellExecuteItem(SHELLEXECUTEINFOA& info);

  // Where a drag over the control finds the shell's drop target: a row's
  // (its folder's IDropTarget for it) and the folder shown's. Seams: under
  // Wine the shell's targets accept a drop and copy nothing, so tests put a
  // recording target that behaves as Windows does in their place.
  virtual bool GetItemDropTarget(TShellFileItem* item, fw::ComPtr<IDropTarget>& target);
  virtual bool GetFolderDropTarget(fw::ComPtr<IDropTarget>& target);

 private:
  friend class TShellFileList;
  void ShowFolderAgain();
  void ApplySystemImageLists();
  void UpdateCurrentDirectory();
  void ShCustomDrawItem(NMLVCUSTOMDRAW* draw, LRESULT& result);
  void ShCustomDrawSubItem(NMLVCUSTOMDRAW* draw, LRESULT& result);
  void DrawAttributeImagesBesideIcon(NMLVCUSTOMDRAW* draw, DWORD attributes);
  void DrawAttributeColumn(NMLVCUSTOMDRAW* draw, DWORD attributes);
  void RecomputeSelectedSize();
  void DrawClipboard();
  void UpdateSelectedSizeForRow(int index, UINT oldState, UINT newState);

  // Drag source and drop target (ShellListViewDrag.cpp).
  void DragMouseMove(POINT pt);
  void StartShellDrag(TShellIDList& selection);
  int DropRowAt(POINT client);
  void SetDropHighlight(int row);
  bool FolderTakesDrops();
  int AutoScrollMargin();
  HRESULT DropDragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DropDragLeave() override;
  HRESULT DropDrop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

  std::unique_ptr<TShellFileList> m_fileList;
  std::unique_ptr<TAttributesImage> m_attributesImage;
  TShellPopupMenu* m_shellPopupMenu = nullptr;  // not owned
  TShellTreeLink* m_treeLink = nullptr;         // not owned
  UniqueIDList m_pendingNameSpace;              // shown when the window is created
  fw::Component* m_treeComponent = nullptr;     // the same tree as a component
  bool m_includeHidden = true;
  TShVirtuaItems m_shVirtuaItems = kDefaultShVirtuaItems;
  bool m_windowGone = false;
  bool m_canvasChanged = false;
  NMLVCUSTOMDRAW* m_drawInfo = nullptr;  // during the custom-draw events
  TShDragState m_dragState = dsWait;
  POINT m_dragStart{};
  int m_dropHighlight = -1;
  DWORD m_selectedSize = 0;
  int m_updateLock = 0;
  std::vector<fw::ComPtr<IDropTarget>> m_pendingDropTargets;
  std::unique_ptr<TShellDropRegistration> m_dropRegistration;
  std::unique_ptr<TShellDragObject> m_dragObject;  // the drag over the control
  bool m_rightDrag = false;                        // it entered with the right button down
  HWND m_nextClipboardViewer = nullptr;
  bool m_inClipboardChain = false;
  bool m_registered = false;
  // Set while the control asks for what it is about to draw. Rows fetched
  // otherwise (Item(), change events) get their icon and type name only
  // when already known: asking the shell costs milliseconds per row.
  bool m_servingDisplay = false;
};
