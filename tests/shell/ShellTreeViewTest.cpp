// Folder tree: the root and its first level with the special items, children
// read on demand, refresh merging, device changes, the link with the contents
// list, renaming, history, and a selected folder deleted by another process.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <algorithm>

#include "shell/ShellComboBox.h"
#include "shell/ShellTreeView.h"
#include "shell/Shellnotify.h"
#include "tests/common/MessagePump.h"
#include "tests/common/TempDir.h"
#include "tests/shell/ShellListTestSupport.h"

namespace {

using listtest::ListForm;
using listtest::Settle;

TShellTreeView* PlaceTree(ListForm& form, TShVirtuaItems items = kDefaultShVirtuaItems) {
  auto* tree = fw::Make<TShellTreeView>(form.panel());
  tree->SetShVirtuaItems(items);
  tree->SetParent(form.panel());
  tree->SetBounds(0, 0, 300, 400);
  tree->Handle();
  return tree;
}

std::vector<std::string> ChildTexts(fw::TreeNode* node) {
  std::vector<std::string> texts;
  for (fw::TreeNode* c = node ? node->GetFirstChild() : nullptr; c; c = c->GetNextSibling()) texts.push_back(c->Text());
  return texts;
}

fw::TreeNode* ChildOfType(fw::TreeNode* node, TShItemIDType type) {
  for (fw::TreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
    if (FolderItemOfNode(c)->GetItemIDType() == type) return c;
  return nullptr;
}

std::string NodePath(fw::TreeNode* node) { return node ? FolderItemOfNode(node)->GetPath() : std::string(); }

TEST(ShellTreeView, RootAndFirstLevelFollowTheSpecialItems) {
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  testsupport::PumpFor(300);
  fw::TreeNode* root = tree->RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetNextSibling(), nullptr);
  EXPECT_EQ(tree->Selected(), root);
  EXPECT_EQ(FolderItemOfNode(root)->GetLevel(), 0);
  EXPECT_TRUE(root->Expanded());
  std::vector<std::string> first = ChildTexts(root);
  EXPECT_FALSE(first.empty());
  EXPECT_NE(ChildOfType(root, itMyComputer), nullptr);
  EXPECT_NE(ChildOfType(root, itBitBucket), nullptr);
  EXPECT_EQ(ChildOfType(root, itVirtual), nullptr);
}
}  // namespace
namespace {
TEST(ShellComboBox, FilledWithDesktopItsItemsAndTheFirstItemsChildren) {
  ListForm form;
  TShellTreeView* tree = PlaceTree(form);
  auto* combo = fw::Make<TShellComboBox>(form.panel());
  combo->SetParent(form.panel());
  combo->SetBounds(0, 410, 300, 22);
  tree->SetShellComboBox(combo);
  combo->Handle();
  tree->Loaded();
  ASSERT_GT(combo->ComboList().Count(), 2);
  EXPECT_EQ(combo->GetComboItem(0)->GetLevel(), 0);
  EXPECT_EQ(combo->ItemCount(), combo->ComboList().Count());
  EXPECT_EQ(combo->ItemIndex(), 0);
}
}  // namespace
