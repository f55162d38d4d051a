#include "framework/ui/TreeView.h"

#include <algorithm>
#include <cstring>

#include "framework/ui/ImageList.h"
#include "framework/ui/WinUtil.h"

namespace fw {

// ---------------------------------------------------------------- TreeNode

int TreeNodeSortKey(LPARAM node) { return reinterpret_cast<const TreeNode*>(node)->m_sortKey; }

TreeNode::~TreeNode() = default;

int TreeNode::Index() const {
  const auto& level = m_parent ? m_parent->m_children : m_owner->m_roots;
  for (size_t i = 0; i < level.size(); ++i)
    if (level[i].get() == this) return static_cast<int>(i);
  return -1;
}

int TreeNode::Level() const {
  int n = 0;
  for (const TreeNode* p = m_parent; p; p = p->m_parent) ++n;
  return n;
}

void TreeNode::UpdateItem(UINT mask) {
  HWND h = m_owner->m_handle;
  if (!h || !m_item) return;
  TVITEMA it{};
  it.mask = mask | TVIF_HANDLE;
  it.hItem = m_item;
  if (mask & TVIF_TEXT) it.pszText = const_cast<char*>(m_text.c_str());
  if (mask & TVIF_IMAGE) it.iImage = I_IMAGECALLBACK;
  if (mask & TVIF_SELECTEDIMAGE) it.iSelectedImage = I_IMAGECALLBACK;
  if (mask & TVIF_CHILDREN) it.cChildren = m_hasChildren > 0 ? 1 : 0;
  if (mask & TVIF_STATE) {
    it.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
    it.state = (m_overlayIndex >= 0 ? INDEXTOOVERLAYMASK(m_overlayIndex + 1) : 0) | (m_cut ? TVIS_CUT : 0);
    if (m_stateIndex >= 0) {
      it.stateMask |= TVIS_STATEIMAGEMASK;
      it.state |= INDEXTOSTATEIMAGEMASK(m_stateIndex);
    }
  }
  ::SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TreeNode::SetText(const std::string& text) {
  m_text = text;
  UpdateItem(TVIF_TEXT);
}

void TreeNode::SetImageIndex(int v) {
  m_imageIndex = v;
  UpdateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TreeNode::SetSelectedIndex(int v) {
  m_selectedIndex = v;
  UpdateItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TreeNode::SetOverlayIndex(int v) {
  // Unchanged values cost the control nothing: a tree re-reading thousands
  // of nodes sets most of them to what they already are.
  if (v == m_overlayIndex) return;
  m_overlayIndex = v;
  UpdateItem(TVIF_STATE);
}

void TreeNode::SetStateIndex(int v) {
  m_stateIndex = v;
  UpdateItem(TVIF_STATE);
}

void TreeNode::SetCut(bool v) {
  m_cut = v;
  UpdateItem(TVIF_STATE);
}

bool TreeNode::HasChildren() const {
  if (m_hasChildren >= 0) return m_hasChildren > 0;
  return !m_children.empty();
}

void TreeNode::SetHasChildren(bool v) {
  if (m_hasChildren == (v ? 1 : 0)) return;
  m_hasChildren = v ? 1 : 0;
  UpdateItem(TVIF_CHILDREN);
}

bool TreeNode::DropTarget() const { return m_owner->DropTarget() == this; }

void TreeNode::SetDropTarget(bool v) {
  if (v)
    m_owner->SetDropTarget(this);
  else if (DropTarget())
    m_owner->SetDropTarget(nullptr);
}

bool TreeNode::Expanded() const {
  HWND h = m_owner->m_handle;
  if (h && m_item)
    return (::SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(m_item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return m_expanded;
}

void TreeNode::Expand(bool recurse) {
  if (!Expanded() && m_owner->CanExpand(this)) {
    m_expanded = true;
    HWND h = m_owner->m_handle;
    if (h && m_item) {
      // The steps are raised here; the control's own notifications of this
      // expansion are not raised a second time.
      ++m_owner->m_programmaticExpand;
      ::SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(m_item));
      --m_owner->m_programmaticExpand;
      m_expanded = Expanded();
    }
    if (m_expanded) m_owner->Expand(this);
  }
  if (recurse)
    for (size_t i = 0; i < m_children.size(); ++i) m_children[i]->Expand(true);
}

void TreeNode::Collapse(bool recurse) {
  if (Expanded() && m_owner->CanCollapse(this)) {
    m_expanded = false;
    HWND h = m_owner->m_handle;
    if (h && m_item) {
      ++m_owner->m_programmaticExpand;
      ::SendMessageA(h, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(m_item));
      --m_owner->m_programmaticExpand;
    }
    m_owner->Collapse(this);
  }
  if (recurse)
    for (size_t i = 0; i < m_children.size(); ++i) m_children[i]->Collapse(true);
}

bool TreeNode::Selected() const { return m_owner->Selected() == this; }

void TreeNode::SetSelected(bool v) {
  if (v)
    m_owner->SetSelected(this);
  else if (Selected())
    m_owner->SetSelected(nullptr);
}

void TreeNode::MakeVisible() {
  for (TreeNode* p = m_parent; p; p = p->m_parent) p->m_expanded = true;
  HWND h = m_owner->m_handle;
  if (h && m_item) ::SendMessageA(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(m_item));
}

RECT TreeNode::DisplayRect(bool textOnly) const {
  RECT r{};
  HWND h = m_owner->m_handle;
  if (!h || !m_item) return r;
  // TVM_GETITEMRECT takes the item handle in the rectangle's first bytes.
  static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
  std::memcpy(&r, &m_item, sizeof m_item);
  if (!::SendMessageA(h, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) return RECT{};
  return r;
}

bool TreeNode::IsVisible() const {
  RECT r = DisplayRect(true);
  return r.right > r.left || r.bottom > r.top;
}

bool TreeNode::EditText() {
  HWND h = m_owner->m_handle;
  if (!h || !m_item) return false;
  ::SetFocus(h);
  return ::SendMessageA(h, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(m_item)) != 0;
}

void TreeNode::EndEdit(bool cancel) {
  HWND h = m_owner->m_handle;
  if (h) ::SendMessageA(h, TVM_ENDEDITLABELNOW, cancel, 0);
}

TreeNode* TreeNode::GetNextSibling() const {
  const auto& level = m_parent ? m_parent->m_children : m_owner->m_roots;
  int i = Index();
  return (i >= 0 && static_cast<size_t>(i) + 1 < level.size()) ? level[static_cast<size_t>(i) + 1].get() : nullptr;
}

TreeNode* TreeNode::GetPrevSibling() const {
  const auto& level = m_parent ? m_parent->m_children : m_owner->m_roots;
  int i = Index();
  return i > 0 ? level[static_cast<size_t>(i) - 1].get() : nullptr;
}

TreeNode* TreeNode::GetNext() const {
  if (!m_children.empty()) return m_children.front().get();
  for (const TreeNode* n = this; n; n = n->m_parent)
    if (TreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

TreeNode* TreeNode::GetNextVisible() const {
  HWND h = m_owner->m_handle;
  if (h && m_item) {
    auto next = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(h, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(m_item)));
    return m_owner->NodeFromItem(next);
  }
  if (m_expanded && !m_children.empty()) return m_children.front().get();
  for (const TreeNode* n = this; n; n = n->m_parent)
    if (TreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

bool TreeNode::HasAsParent(const TreeNode* node) const {
  for (const TreeNode* p = m_parent; p; p = p->m_parent)
    if (p == node) return true;
  return false;
}

void TreeNode::Delete() { m_owner->RemoveNode(this); }

void TreeNode::DeleteChildren() {
  m_owner->m_nodes.BeginUpdate();
  while (!m_children.empty()) m_owner->RemoveNode(m_children.back().get());
  m_owner->m_nodes.EndUpdate();
}

void TreeNode::CustomSort(const std::function<int(TreeNode* a, TreeNode* b)>& compare) {
  m_owner->SortLevel(m_item, m_children, compare);
}

// ---------------------------------------------------------------- TreeNodes

int TreeNodes::Count() const {
  int n = 0;
  for (TreeNode* node = GetFirstNode(); node; node = node->GetNext()) ++n;
  return n;
}

TreeNode* TreeNodes::GetFirstNode() const {
  return m_owner->m_roots.empty() ? nullptr : m_owner->m_roots.front().get();
}

TreeNode* TreeNodes::Item(int index) const {
  TreeNode* node = GetFirstNode();
  while (node && index-- > 0) node = node->GetNext();
  return index < 0 ? node : nullptr;
}

TreeNode* TreeNodes::InsertAt(TreeNode* parent, size_t position, const std::string& text, void* data,
                              const TreeNodeInit* init) {
  auto& level = parent ? parent->m_children : m_owner->m_roots;
  position = std::min(position, level.size());
  std::unique_ptr<TreeNode> owned(new TreeNode(m_owner));
  TreeNode* node = owned.get();
  node->m_text = text;
  node->m_data = data;
  node->m_parent = parent;
  if (init) {
    node->m_hasChildren = init->hasChildren;
    node->m_overlayIndex = init->overlayIndex;
  }
  level.insert(level.begin() + static_cast<std::ptrdiff_t>(position), std::move(owned));
  if (parent && parent->m_hasChildren == 0) {
    parent->m_hasChildren = 1;
    parent->UpdateItem(TVIF_CHILDREN);
  }
  if (m_owner->m_handle && (!parent || parent->m_item)) {
    HTREEITEM after = position == 0 ? TVI_FIRST : level[position - 1]->m_item;
    m_owner->InsertIntoWindow(node, after);
  }
  return node;
}

TreeNode* TreeNodes::AddChild(TreeNode* parent, const std::string& text, void* data) {
  size_t end = parent ? parent->m_children.size() : m_owner->m_roots.size();
  return InsertAt(parent, end, text, data);
}

TreeNode* TreeNodes::InsertChild(TreeNode* parent, int position, const std::string& text, void* data,
                                 const TreeNodeInit& init) {
  size_t count = parent ? parent->m_children.size() : m_owner->m_roots.size();
  size_t at = position < 0 ? count : std::min(static_cast<size_t>(position), count);
  return InsertAt(parent, at, text, data, &init);
}

TreeNode* TreeNodes::AddChildFirst(TreeNode* parent, const std::string& text, void* data) {
  return InsertAt(parent, 0, text, data);
}

TreeNode* TreeNodes::Add(TreeNode* sibling, const std::string& text, void* data) {
  return AddChild(sibling ? sibling->m_parent : nullptr, text, data);
}

TreeNode* TreeNodes::Insert(TreeNode* sibling, const std::string& text, void* data) {
  if (!sibling) return AddChild(nullptr, text, data);
  return InsertAt(sibling->m_parent, static_cast<size_t>(std::max(sibling->Index(), 0)), text, data);
}

void TreeNodes::Delete(TreeNode* node) {
  if (node) m_owner->RemoveNode(node);
}

void TreeNodes::Clear() {
  BeginUpdate();
  for (auto& root : m_owner->m_roots) m_owner->NotifyDeletion(root.get());
  m_owner->m_selected = nullptr;
  if (m_owner->m_handle) {
    for (auto& root : m_owner->m_roots) m_owner->ForgetItems(root.get());
    ::SendMessageA(m_owner->m_handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  }
  m_owner->m_roots.clear();
  EndUpdate();
}

void TreeNodes::BeginUpdate() {
  if (m_owner->m_updateCount++ == 0 && m_owner->m_handle) ::SendMessageA(m_owner->m_handle, WM_SETREDRAW, FALSE, 0);
}

void TreeNodes::EndUpdate() {
  if (m_owner->m_updateCount == 0) return;
  if (--m_owner->m_updateCount == 0 && m_owner->m_handle) {
    ::SendMessageA(m_owner->m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_owner->m_handle, nullptr, TRUE);
  }
}

// ---------------------------------------------------------------- TreeView

TreeView::TreeView(Component* owner) : Control(owner) {
  m_width = 121;
  m_height = 97;
  m_tabStop = true;
}

TreeView::~TreeView() {
  if (!m_roots.empty()) {
    DestroyHandle();
    m_nodes.Clear();
  }
}

void TreeView::BeforeDestruction() {
  Control::BeforeDestruction();
  // Nodes are told of their deletion while the whole control still exists.
  DestroyHandle();
  m_nodes.Clear();
}

void TreeView::CreateParams(fw::CreateParams& p) {
  Control::CreateParams(p);
  p.className = WC_TREEVIEWA;
  p.param = nullptr;
  p.exStyle |= WS_EX_CLIENTEDGE;
  if (m_showRoot) p.style |= TVS_LINESATROOT;
  if (m_showLines) p.style |= TVS_HASLINES;
  if (m_showButtons) p.style |= TVS_HASBUTTONS;
  if (!m_readOnly) p.style |= TVS_EDITLABELS;
  if (!m_hideSelection) p.style |= TVS_SHOWSELALWAYS;
  if (m_rowSelect) p.style |= TVS_FULLROWSELECT;
  if (m_hotTrack) p.style |= TVS_TRACKSELECT;
  if (m_autoExpand) p.style |= TVS_SINGLEEXPAND;
  if (!m_toolTips) p.style |= TVS_NOTOOLTIPS;
}

void TreeView::CreateWnd() {
  Control::CreateWnd();
  if (m_checkboxes) ChangeWindowStyle(m_handle, GWL_STYLE, TVS_CHECKBOXES, true);
  ApplyImageLists();
  if (m_indent >= 0) ::SendMessageA(m_handle, TVM_SETINDENT, static_cast<WPARAM>(m_indent), 0);
  if (m_updateCount > 0) ::SendMessageA(m_handle, WM_SETREDRAW, FALSE, 0);
  ++m_restoring;
  for (auto& root : m_roots) InsertSubtree(root.get(), TVI_LAST);
  if (m_selected && m_selected->m_item)
    ::SendMessageA(m_handle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_selected->m_item));
  --m_restoring;
}

void TreeView::DestroyWnd() {
  if (!m_handle) return;
  m_selected = Selected();
  for (TreeNode* n = m_nodes.GetFirstNode(); n; n = n->GetNext()) {
    if (n->m_item) n->m_expanded = n->Expanded();
  }
  for (auto& root : m_roots) ForgetItems(root.get());
}

LRESULT TreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) DestroyWnd();
  return Control::WndProc(msg, wp, lp);
}

void TreeView::InsertIntoWindow(TreeNode* node, HTREEITEM after) {
  TVINSERTSTRUCTA is{};
  is.hParent = node->m_parent ? node->m_parent->m_item : TVI_ROOT;
  is.hInsertAfter = after ? after : TVI_LAST;
  TVITEMA& it = is.item;
  it.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  it.pszText = const_cast<char*>(node->m_text.c_str());
  it.lParam = reinterpret_cast<LPARAM>(node);
  // Images are asked for when drawn, so a derived tree can compute them late.
  it.iImage = I_IMAGECALLBACK;
  it.iSelectedImage = I_IMAGECALLBACK;
  it.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
  it.state =
      (node->m_overlayIndex >= 0 ? INDEXTOOVERLAYMASK(node->m_overlayIndex + 1) : 0) | (node->m_cut ? TVIS_CUT : 0);
  if (node->m_stateIndex >= 0) {
    it.stateMask |= TVIS_STATEIMAGEMASK;
    it.state |= INDEXTOSTATEIMAGEMASK(node->m_stateIndex);
  }
  if (node->m_hasChildren >= 0) {
    it.mask |= TVIF_CHILDREN;
    it.cChildren = node->m_hasChildren;
  }
  node->m_item =
      reinterpret_cast<HTREEITEM>(::SendMessageA(m_handle, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&is)));
}

void TreeView::InsertSubtree(TreeNode* node, HTREEITEM after) {
  InsertIntoWindow(node, after);
  if (!node->m_item) return;
  for (auto& child : node->m_children) InsertSubtree(child.get(), TVI_LAST);
  if (node->m_expanded) {
    ++m_programmaticExpand;
    ::SendMessageA(m_handle, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->m_item));
    --m_programmaticExpand;
  }
}

void TreeView::ForgetItems(TreeNode* node) {
  node->m_item = nullptr;
  for (auto& child : node->m_children) ForgetItems(child.get());
}

void TreeView::NotifyDeletion(TreeNode* node) {
  node->m_deleting = true;
  for (auto& child : node->m_children) NotifyDeletion(child.get());
  Delete(node);
}

void TreeView::RemoveNode(TreeNode* node) {
  if (!node || node->m_deleting) return;
  NotifyDeletion(node);
  if (m_selected && (m_selected == node || m_selected->HasAsParent(node))) m_selected = nullptr;
  if (m_handle && node->m_item) {
    HTREEITEM item = node->m_item;
    ForgetItems(node);
    ::SendMessageA(m_handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
  }
  auto& level = node->m_parent ? node->m_parent->m_children : m_roots;
  auto it = std::find_if(level.begin(), level.end(), [node](const auto& p) { return p.get() == node; });
  if (it != level.end()) level.erase(it);
}

TreeNode* TreeView::NodeFromItem(HTREEITEM item) const {
  if (!item || !m_handle) return nullptr;
  TVITEMA it{};
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = item;
  if (!::SendMessageA(m_handle, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  return reinterpret_cast<TreeNode*>(it.lParam);
}

TreeNode* TreeView::Selected() const {
  if (!m_handle) return m_selected;
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(m_handle, TVM_GETNEXTITEM, TVGN_CARET, 0));
  return NodeFromItem(item);
}

void TreeView::SetSelected(TreeNode* node) {
  m_selected = node;
  if (m_handle)
    ::SendMessageA(m_handle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->m_item : nullptr));
}

TreeNode* TreeView::TopItem() const {
  if (!m_handle) return m_nodes.GetFirstNode();
  return NodeFromItem(reinterpret_cast<HTREEITEM>(::SendMessageA(m_handle, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

TreeNode* TreeView::GetNodeAt(int x, int y) const {
  if (!m_handle) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(m_handle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) return nullptr;
  return NodeFromItem(item);
}

TreeNode* TreeView::DropTarget() const {
  if (!m_handle) return nullptr;
  return NodeFromItem(reinterpret_cast<HTREEITEM>(::SendMessageA(m_handle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TreeView::SetDropTarget(TreeNode* node) {
  if (m_handle)
    ::SendMessageA(m_handle, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node ? node->m_item : nullptr));
}

void TreeView::FullExpand() {
  for (size_t i = 0; i < m_roots.size(); ++i) m_roots[i]->Expand(true);
}

void TreeView::FullCollapse() {
  for (size_t i = 0; i < m_roots.size(); ++i) m_roots[i]->Collapse(true);
}

bool TreeView::IsEditing() const { return m_handle && ::SendMessageA(m_handle, TVM_GETEDITCONTROL, 0, 0) != 0; }

void TreeView::CustomSort(const std::function<int(TreeNode* a, TreeNode* b)>& compare) {
  SortLevel(TVI_ROOT, m_roots, compare);
}

namespace {
int CALLBACK CompareSortKeys(LPARAM a, LPARAM b, LPARAM) {
  // The model is sorted already; the window follows the model's order.
  return TreeNodeSortKey(a) - TreeNodeSortKey(b);
}
}  // namespace

void TreeView::SortLevel(HTREEITEM parent, std::vector<std::unique_ptr<TreeNode>>& level,
                         const std::function<int(TreeNode* a, TreeNode* b)>& compare) {
  std::stable_sort(level.begin(), level.end(),
                   [&compare](const auto& a, const auto& b) { return compare(a.get(), b.get()) < 0; });
  for (size_t i = 0; i < level.size(); ++i) level[i]->m_sortKey = static_cast<int>(i);
  if (!m_handle || !parent) return;
  TVSORTCB sort{};
  sort.hParent = parent;
  sort.lpfnCompare = CompareSortKeys;
  ::SendMessageA(m_handle, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void TreeView::ApplyImageLists() {
  if (!m_handle) return;
  ::SendMessageA(m_handle, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(m_images ? m_images->Handle() : nullptr));
  ::SendMessageA(m_handle, TVM_SETIMAGELIST, TVSIL_STATE,
                 reinterpret_cast<LPARAM>(m_stateImages ? m_stateImages->Handle() : nullptr));
}

void TreeView::SetImages(ImageList* images) {
  if (m_images && m_images != m_stateImages) RemoveFreeNotification(m_images);
  m_images = images;
  if (images) FreeNotification(images);
  ApplyImageLists();
}

void TreeView::SetStateImages(ImageList* images) {
  if (m_stateImages && m_stateImages != m_images) RemoveFreeNotification(m_stateImages);
  m_stateImages = images;
  if (images) FreeNotification(images);
  ApplyImageLists();
}

void TreeView::Notification(Component* component, Operation operation) {
  Control::Notification(component, operation);
  if (operation != Operation::opRemove) return;
  bool changed = false;
  if (component == m_images) {
    m_images = nullptr;
    changed = true;
  }
  if (component == m_stateImages) {
    m_stateImages = nullptr;
    changed = true;
  }
  if (changed && !Destroying()) ApplyImageLists();
}

void TreeView::SetTreeStyle(DWORD bit, bool on) { ChangeWindowStyle(m_handle, GWL_STYLE, bit, on); }

void TreeView::SetShowRoot(bool v) {
  m_showRoot = v;
  SetTreeStyle(TVS_LINESATROOT, v);
}
void TreeView::SetShowLines(bool v) {
  m_showLines = v;
  SetTreeStyle(TVS_HASLINES, v);
}
void TreeView::SetShowButtons(bool v) {
  m_showButtons = v;
  SetTreeStyle(TVS_HASBUTTONS, v);
}
void TreeView::SetReadOnly(bool v) {
  m_readOnly = v;
  SetTreeStyle(TVS_EDITLABELS, !v);
}
void TreeView::SetHideSelection(bool v) {
  m_hideSelection = v;
  SetTreeStyle(TVS_SHOWSELALWAYS, !v);
}
void TreeView::SetRowSelect(bool v) {
  m_rowSelect = v;
  SetTreeStyle(TVS_FULLROWSELECT, v);
}
void TreeView::SetHotTrack(bool v) {
  m_hotTrack = v;
  SetTreeStyle(TVS_TRACKSELECT, v);
}
void TreeView::SetAutoExpand(bool v) {
  m_autoExpand = v;
  SetTreeStyle(TVS_SINGLEEXPAND, v);
}
void TreeView::SetToolTips(bool v) {
  if (m_toolTips == v) return;
  m_toolTips = v;
  RecreateWnd();
}

void TreeView::SetCheckboxes(bool v) {
  if (m_checkboxes == v) return;
  m_checkboxes = v;
  // The check box images can be switched on in place; switching them off
  // needs a new window.
  if (v)
    SetTreeStyle(TVS_CHECKBOXES, true);
  else
    RecreateWnd();
}

int TreeView::Indent() {
  if (m_handle) return static_cast<int>(::SendMessageA(m_handle, TVM_GETINDENT, 0, 0));
  return m_indent;
}

void TreeView::SetIndent(int v) {
  m_indent = v;
  if (m_handle && v >= 0) ::SendMessageA(m_handle, TVM_SETINDENT, static_cast<WPARAM>(v), 0);
}

bool TreeView::CanChange(TreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TreeView::Change(TreeNode* node) {
  if (OnChange) OnChange(this, node);
}

bool TreeView::CanExpand(TreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TreeView::Expand(TreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TreeView::CanCollapse(TreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TreeView::Collapse(TreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TreeView::CanEdit(TreeNode* node) {
  bool allow = true;
  if (OnEditing) OnEditing(this, node, allow);
  return allow;
}

void TreeView::Edit(TreeNode* node, std::string& text) {
  if (OnEdited) OnEdited(this, node, text);
  node->SetText(text);
}

void TreeView::Delete(TreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}

void TreeView::GetImageIndex(TreeNode* node) {
  if (OnGetImageIndex) OnGetImageIndex(this, node);
}

void TreeView::GetSelectedIndex(TreeNode* node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}

bool TreeView::CNNotify(NMHDR* h, LRESULT& result) {
  switch (h->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
      result = (m_restoring || !node || node->m_deleting || CanChange(node)) ? FALSE : TRUE;
      return true;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
      if (node && node->m_deleting) node = nullptr;
      m_selected = node;
      if (!m_restoring) Change(node);
      return true;
    }
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
      result = FALSE;
      if (m_programmaticExpand || !node) return true;
      if (nm->action & TVE_EXPAND)
        result = CanExpand(node) ? FALSE : TRUE;
      else if (nm->action & TVE_COLLAPSE)
        result = CanCollapse(node) ? FALSE : TRUE;
      return true;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
      if (!node) return true;
      node->m_expanded = (nm->action & TVE_EXPAND) != 0;
      if (!m_programmaticExpand) node->m_expanded ? Expand(node) : Collapse(node);
      return true;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->item.lParam);
      result = (node && CanEdit(node)) ? FALSE : TRUE;
      return true;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->item.lParam);
      result = FALSE;
      if (!node || !nm->item.pszText) return true;  // editing was cancelled
      std::string text = h->code == TVN_ENDLABELEDITW ? WideToAnsi(reinterpret_cast<NMTVDISPINFOW*>(h)->item.pszText)
                                                      : std::string(nm->item.pszText);
      // The handler decides the final text, which is set here; the control
      // is told to leave the item as it now is.
      Edit(node, text);
      return true;
    }
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOA*>(h);
      auto* node = reinterpret_cast<TreeNode*>(nm->item.lParam);
      if (!node) return true;
      if (nm->item.mask & TVIF_IMAGE) {
        GetImageIndex(node);
        nm->item.iImage = node->m_imageIndex;
      }
      if (nm->item.mask & TVIF_SELECTEDIMAGE) {
        GetSelectedIndex(node);
        nm->item.iSelectedImage = node->m_selectedIndex >= 0 ? node->m_selectedIndex : node->m_imageIndex;
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace fw
