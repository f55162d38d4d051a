// Tree view: nodes kept across windows, lazy children, selection and events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/TreeView.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;
using controltest::Place;

std::string ItemText(fw::TreeView* tv, HTREEITEM item) {
  char buf[128] = {};
  TVITEMA it{};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  ::SendMessageA(tv->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return buf;
}

TEST(TreeView, ChildrenAreAddedWhenANodeFirstExpands) {
  Host host;
  auto* tv = Place<fw::TreeView>(host.get(), host.get());
  tv->SetBounds(0, 0, 225, 300);
  fw::TreeNode* root = tv->Items().AddChild(nullptr, "デスクトップ");
  root->SetHasChildren(true);
  int expanding = 0;
  tv->OnExpanding = [&](fw::Object*, fw::TreeNode* node, bool& allow) {
    ++expanding;
    if (node->Count() == 0)
      for (const char* name : {"マイ コンピュータ", "ごみ箱"}) tv->Items().AddChild(node, name)->SetHasChildren(false);
    allow = true;
  };
  root->Expand(false);
  EXPECT_EQ(expanding, 1);
  EXPECT_TRUE(root->Expanded());
  ASSERT_EQ(root->Count(), 2);
  auto first = reinterpret_cast<HTREEITEM>(
      ::SendMessageA(tv->Handle(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root->ItemId())));
  EXPECT_EQ(ItemText(tv, first), "マイ コンピュータ");
  EXPECT_EQ(tv->NodeFromItem(first), root->Item(0));
  EXPECT_EQ(root->Item(1)->GetPrevSibling(), root->Item(0));
  EXPECT_EQ(root->GetNext(), root->Item(0));
  EXPECT_EQ(root->Item(1)->Level(), 1);

  // The user collapsing (left arrow) and expanding again (right arrow) goes
  // through the same handlers, which may refuse.
  int collapsed = 0;
  tv->OnCollapsed = [&](fw::Object*, fw::TreeNode*) { ++collapsed; };
  root->SetSelected(true);
  ::SendMessageA(tv->Handle(), WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_FALSE(root->Expanded());
  EXPECT_EQ(collapsed, 1);
  tv->OnExpanding = [&](fw::Object*, fw::TreeNode*, bool& allow) {
    ++expanding;
    allow = false;
  };
  ::SendMessageA(tv->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  EXPECT_EQ(expanding, 2);
  EXPECT_FALSE(root->Expanded());
  root->Expand(false);
  EXPECT_FALSE(root->Expanded());
}

TEST(TreeView, SelectionEventsMayBeRefused) {
  Host host;
  auto* tv = Place<fw::TreeView>(host.get(), host.get());
  fw::TreeNode* a = tv->Items().AddChild(nullptr, "A");
  fw::TreeNode* b = tv->Items().AddChild(nullptr, "B");
  std::vector<fw::TreeNode*> changes;
  bool refuse = false;
  tv->OnChanging = [&](fw::Object*, fw::TreeNode*, bool& allow) { allow = !refuse; };
  tv->OnChange = [&](fw::Object*, fw::TreeNode* node) { changes.push_back(node); };
  tv->SetSelected(a);
  EXPECT_EQ(tv->Selected(), a);
  b->SetSelected(true);
  EXPECT_EQ(tv->Selected(), b);
  EXPECT_EQ(changes, (std::vector<fw::TreeNode*>{a, b}));
  refuse = true;
  tv->SetSelected(a);
  EXPECT_EQ(tv->Selected(), b);
}

TEST(TreeView, NodesAndStateSurviveANewWindowAndDeletionIsReported) {
  Host host;
  auto* tv = Place<fw::TreeView>(host.get(), host.get());
  fw::TreeNode* root = tv->Items().AddChild(nullptr, "C:\\");
  fw::TreeNode* win = tv->Items().AddChild(root, "Windows");
  tv->Items().AddChild(win, "System32");
  tv->Items().AddChildFirst(root, "Program Files");
  root->Expand(false);
  win->SetSelected(true);
  win->SetImageIndex(3);
  std::vector<std::string> deleted;
  tv->OnDeletion = [&](fw::Object*, fw::TreeNode* node) { deleted.push_back(node->Text()); };

  tv->SetCheckboxes(true);
  tv->SetCheckboxes(false);  // a new window
  EXPECT_EQ(tv->Items().Count(), 4);
  EXPECT_EQ(::SendMessageA(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(tv->Selected(), win);
  EXPECT_EQ(root->Item(0)->Text(), "Program Files");
  EXPECT_TRUE(deleted.empty());
  // Images are asked for when needed, through the control's callback.
  int asked = 0;
  tv->OnGetImageIndex = [&](fw::Object*, fw::TreeNode*) { ++asked; };
  TVITEMA it{};
  it.mask = TVIF_IMAGE | TVIF_HANDLE;
  it.hItem = win->ItemId();
  ::SendMessageA(tv->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.iImage, 3);
  EXPECT_EQ(asked, 1);

  win->Delete();
  EXPECT_EQ(deleted, (std::vector<std::string>{"System32", "Windows"}));
  EXPECT_EQ(::SendMessageA(tv->Handle(), TVM_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(root->Count(), 1);
  deleted.clear();
  fw::Free(tv);  // the rest is reported as the control goes
  EXPECT_EQ(deleted, (std::vector<std::string>{"Program Files", "C:\\"}));
}

TEST(TreeView, EditedTextIsTheHandlersText) {
  Host host;
  auto* tv = Place<fw::TreeView>(host.get(), host.get());
  fw::TreeNode* node = tv->Items().AddChild(nullptr, "新しいフォルダ");
  tv->OnEdited = [](fw::Object*, fw::TreeNode*, std::string& text) { text = "[" + text + "]"; };
  ASSERT_TRUE(node->EditText());
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(tv->Handle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  ::SetWindowTextA(edit, "資料");
  node->EndEdit(false);
  controltest::Settle();
  EXPECT_EQ(node->Text(), "[資料]");
  EXPECT_EQ(ItemText(tv, node->ItemId()), "[資料]");
}

TEST(TreeView, CustomSortOrdersModelAndWindowAlike) {
  Host host;
  auto* tv = Place<fw::TreeView>(host.get(), host.get());
  fw::TreeNode* root = tv->Items().AddChild(nullptr, "root");
  for (const char* s : {"b", "d", "a", "c"}) tv->Items().AddChild(root, s);
  root->CustomSort([](fw::TreeNode* x, fw::TreeNode* y) { return x->Text().compare(y->Text()); });
  std::string model, window;
  for (int i = 0; i < root->Count(); ++i) model += root->Item(i)->Text();
  for (auto h = reinterpret_cast<HTREEITEM>(
           ::SendMessageA(tv->Handle(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root->ItemId())));
       h; h = reinterpret_cast<HTREEITEM>(
              ::SendMessageA(tv->Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h))))
    window += ItemText(tv, h);
  EXPECT_EQ(model, "abcd");
  EXPECT_EQ(window, "abcd");
}

}  // namespace
