#pragma once
// Tree view: a tree of nodes kept by the control (so it survives the window
// being made again) and mirrored into the system tree view while the window
// exists.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/Control.h"

namespace fw {

class ImageList;
class TreeView;

class TreeNode {
 public:
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;
  ~TreeNode();

  TreeView* Owner() const noexcept { return m_owner; }
  TreeNode* Parent() const noexcept { return m_parent; }
  int Count() const noexcept { return static_cast<int>(m_children.size()); }
  TreeNode* Item(int index) const { return m_children.at(static_cast<size_t>(index)).get(); }
  // Position among its siblings.
  int Index() const;
  // 0 for a top-level node.
  int Level() const;
  HTREEITEM ItemId() const noexcept { return m_item; }

  const std::string& Text() const noexcept { return m_text; }
  void SetText(const std::string& text);
  int ImageIndex() const noexcept { return m_imageIndex; }
  void SetImageIndex(int v);
  int SelectedIndex() const noexcept { return m_selectedIndex; }
  void SetSelectedIndex(int v);
  int OverlayIndex() const noexcept { return m_overlayIndex; }
  void SetOverlayIndex(int v);
  int StateIndex() const noexcept { return m_stateIndex; }
  void SetStateIndex(int v);
  // Shows an expand button even before children exist (children read on
  // demand). Without an explicit value: whether there are children.
  bool HasChildren() const;
  void SetHasChildren(bool v);
  // Drawn as cut (dimmed).
  bool Cut() const noexcept { return m_cut; }
  void SetCut(bool v);
  bool DropTarget() const;
  void SetDropTarget(bool v);
  void* Data() const noexcept { return m_data; }
  void SetData(void* data) { m_data = data; }

  bool Expanded() const;
  void SetExpanded(bool v) { v ? Expand(false) : Collapse(false); }
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const { return Selected(); }
  void MakeVisible();
  bool IsVisible() const;
  // Rectangle of the node in the control's client area (empty when not shown).
  RECT DisplayRect(bool textOnly) const;
  // Starts and ends in-place editing of the text.
  bool EditText();
  void EndEdit(bool cancel);

  TreeNode* GetFirstChild() const { return m_children.empty() ? nullptr : m_children.front().get(); }
  TreeNode* GetLastChild() const { return m_children.empty() ? nullptr : m_children.back().get(); }
  TreeNode* GetNextSibling() const;
  TreeNode* GetPrevSibling() const;
  // Depth first: the first child, else the next sibling of this or of an ancestor.
  TreeNode* GetNext() const;
  // The next node shown on screen (parents expanded), or null.
  TreeNode* GetNextVisible() const;
  bool HasAsParent(const TreeNode* node) const;

  // Deletes this node with its children (the node is freed).
  void Delete();
  void DeleteChildren();
  // Sorts the children with compare (negative: a before b); stable.
  void CustomSort(const std::function<int(TreeNode* a, TreeNode* b)>& compare);

 private:
  friend class TreeView;
  friend class TreeNodes;
  friend int TreeNodeSortKey(LPARAM node);
  explicit TreeNode(TreeView* owner) : m_owner(owner) {}
  void UpdateItem(UINT mask);

  TreeView* m_owner;
  TreeNode* m_parent = nullptr;
  std::vector<std::unique_ptr<TreeNode>> m_children;
  HTREEITEM m_item = nullptr;
  std::string m_text;
  int m_imageIndex = -1;
  int m_selectedIndex = -1;
  int m_overlayIndex = -1;
  int m_stateIndex = -1;
  int m_hasChildren = -1;  // -1: not set, 0/1: set
  bool m_cut = false;
  bool m_expanded = false;
  bool m_deleting = false;
  void* m_data = nullptr;
  int m_sortKey = 0;
};

// What a node shows from the start, so the control learns it with the node
// instead of by one update each afterwards (-1: not set).
struct TreeNodeInit {
  int hasChildren = -1;
  int overlayIndex = -1;
};

// The nodes of one tree view.
class TreeNodes {
 public:
  explicit TreeNodes(TreeView* owner) : m_owner(owner) {}
  // All nodes, depth first.
  int Count() const;
  TreeNode* GetFirstNode() const;
  // Node number index in depth-first order (slow for large trees).
  TreeNode* Item(int index) const;
  // A last child of parent (a top-level node when parent is null).
  TreeNode* AddChild(TreeNode* parent, const std::string& text, void* data = nullptr);
  TreeNode* AddChildFirst(TreeNode* parent, const std::string& text, void* data = nullptr);
  // A last sibling of sibling (a top-level node when sibling is null).
  TreeNode* Add(TreeNode* sibling, const std::string& text, void* data = nullptr);
  // A node just before sibling.
  TreeNode* Insert(TreeNode* sibling, const std::string& text, void* data = nullptr);
  // A child at a position among parent's children (-1: last), with its
  // has-children mark and overlay given at once.
  TreeNode* InsertChild(TreeNode* parent, int position, const std::string& text, void* data, const TreeNodeInit& init);
  void Delete(TreeNode* node);
  void Clear();
  // Painting is held off between these (nestable).
  void BeginUpdate();
  void EndUpdate();

 private:
  TreeNode* InsertAt(TreeNode* parent, size_t position, const std::string& text, void* data,
                     const TreeNodeInit* init = nullptr);
  TreeView* m_owner;
};

using TTVChangingEvent = std::function<void(Object* sender, TreeNode* node, bool& allowChange)>;
using TTVChangedEvent = std::function<void(Object* sender, TreeNode* node)>;
using TTVExpandingEvent = std::function<void(Object* sender, TreeNode* node, bool& allowExpansion)>;
using TTVCollapsingEvent = std::function<void(Object* sender, TreeNode* node, bool& allowCollapse)>;
using TTVExpandedEvent = std::function<void(Object* sender, TreeNode* node)>;
using TTVEditingEvent = std::function<void(Object* sender, TreeNode* node, bool& allowEdit)>;
using TTVEditedEvent = std::function<void(Object* sender, TreeNode* node, std::string& text)>;
using TTVDeletionEvent = std::function<void(Object* sender, TreeNode* node)>;
using TTVImageEvent = std::function<void(Object* sender, TreeNode* node)>;

class TreeView : public Control {
 public:
  explicit TreeView(Component* owner);
  ~TreeView() override;
  void BeforeDestruction() override;

  TreeNodes& Items() noexcept { return m_nodes; }
  // The selected node, or null.
  TreeNode* Selected() const;
  void SetSelected(TreeNode* node);
  TreeNode* TopItem() const;
  TreeNode* GetNodeAt(int x, int y) const;
  // The node of a system item handle (for notifications), or null.
  TreeNode* NodeFromItem(HTREEITEM item) const;
  TreeNode* DropTarget() const;
  void SetDropTarget(TreeNode* node);
  void FullExpand();
  void FullCollapse();
  // Sorts the top-level nodes (stable; negative: a before b).
  void CustomSort(const std::function<int(TreeNode* a, TreeNode* b)>& compare);
  bool IsEditing() const;

  ImageList* Images() const noexcept { return m_images; }
  void SetImages(ImageList* images);
  ImageList* StateImages() const noexcept { return m_stateImages; }
  void SetStateImages(ImageList* images);

  bool ShowRoot() const noexcept { return m_showRoot; }
  void SetShowRoot(bool v);
  bool ShowLines() const noexcept { return m_showLines; }
  void SetShowLines(bool v);
  bool ShowButtons() const noexcept { return m_showButtons; }
  void SetShowButtons(bool v);
  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool v);
  bool HideSelection() const noexcept { return m_hideSelection; }
  void SetHideSelection(bool v);
  bool RowSelect() const noexcept { return m_rowSelect; }
  void SetRowSelect(bool v);
  bool HotTrack() const noexcept { return m_hotTrack; }
  void SetHotTrack(bool v);
  // Selecting a node expands it (and collapses the others).
  bool AutoExpand() const noexcept { return m_autoExpand; }
  void SetAutoExpand(bool v);
  bool ToolTips() const noexcept { return m_toolTips; }
  void SetToolTips(bool v);
  bool Checkboxes() const noexcept { return m_checkboxes; }
  virtual void SetCheckboxes(bool v);
  int Indent();
  void SetIndent(int v);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVDeletionEvent OnDeletion;
  TTVImageEvent OnGetImageIndex;
  TTVImageEvent OnGetSelectedIndex;

 protected:
  void CreateParams(fw::CreateParams& params) override;
  void CreateWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool CNNotify(NMHDR* header, LRESULT& result) override;

  // Overridable steps; each raises the event of the same purpose.
  virtual bool CanChange(TreeNode* node);
  virtual void Change(TreeNode* node);
  virtual bool CanExpand(TreeNode* node);
  virtual void Expand(TreeNode* node);
  virtual bool CanCollapse(TreeNode* node);
  virtual void Collapse(TreeNode* node);
  virtual bool CanEdit(TreeNode* node);
  virtual void Edit(TreeNode* node, std::string& text);
  // A node is being deleted (its children were told first).
  virtual void Delete(TreeNode* node);
  virtual void GetImageIndex(TreeNode* node);
  virtual void GetSelectedIndex(TreeNode* node);
  // Called while the window is being destroyed (before the items go).
  virtual void DestroyWnd();

  // Sets a style bit of the live window.
  void SetTreeStyle(DWORD bit, bool on);
  void Notification(Component* component, Operation operation) override;

 private:
  friend class TreeNode;
  friend class TreeNodes;
  void InsertIntoWindow(TreeNode* node, HTREEITEM after);
  void InsertSubtree(TreeNode* node, HTREEITEM after);
  void ForgetItems(TreeNode* node);
  void RemoveNode(TreeNode* node);
  void NotifyDeletion(TreeNode* node);
  void ApplyImageLists();
  void SortLevel(HTREEITEM parent, std::vector<std::unique_ptr<TreeNode>>& level,
                 const std::function<int(TreeNode* a, TreeNode* b)>& compare);

  TreeNodes m_nodes{this};
  std::vector<std::unique_ptr<TreeNode>> m_roots;
  TreeNode* m_selected = nullptr;  // remembered while there is no window
  ImageList* m_images = nullptr;
  ImageList* m_stateImages = nullptr;
  bool m_showRoot = true;
  bool m_showLines = true;
  bool m_showButtons = true;
  bool m_readOnly = false;
  bool m_hideSelection = true;
  bool m_rowSelect = false;
  bool m_hotTrack = false;
  bool m_autoExpand = false;
  bool m_toolTips = true;
  bool m_checkboxes = false;
  int m_indent = -1;
  int m_updateCount = 0;
  int m_programmaticExpand = 0;
  int m_restoring = 0;
};

}  // namespace fw
