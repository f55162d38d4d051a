// Alignment layout and splitters on real windows.
#include <gtest/gtest.h>

#include "framework/ui/Splitter.h"
#include "framework/ui/StdCtrls.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

using controltest::Host;

fw::Panel* MakePanel(fw::Panel* form, fw::TAlign align, int size) {
  auto* p = fw::Make<fw::Panel>(form);
  p->SetParent(form);
  if (align == fw::TAlign::alLeft || align == fw::TAlign::alRight)
    p->SetWidth(size);
  else
    p->SetHeight(size);
  p->SetAlign(align);
  return p;
}

TEST(Layout, StacksFromEachEdgeInOrderAndClientTakesTheRest) {
  Host form;
  int cw = form->ClientWidth();
  int ch = form->ClientHeight();
  // Created in this order: the first of each alignment sits at the edge.
  auto* top1 = MakePanel(form.get(), fw::TAlign::alTop, 30);
  auto* top2 = MakePanel(form.get(), fw::TAlign::alTop, 20);
  auto* bottom1 = MakePanel(form.get(), fw::TAlign::alBottom, 25);
  auto* bottom2 = MakePanel(form.get(), fw::TAlign::alBottom, 40);
  auto* left = MakePanel(form.get(), fw::TAlign::alLeft, 100);
  auto* client = MakePanel(form.get(), fw::TAlign::alClient, 0);
  controltest::Settle();

  EXPECT_EQ(top1->Top(), 0);
  EXPECT_EQ(top1->Width(), cw);
  EXPECT_EQ(top2->Top(), 30);
  EXPECT_EQ(bottom1->Top(), ch - 25);
  EXPECT_EQ(bottom2->Top(), ch - 25 - 40);
  EXPECT_EQ(left->Left(), 0);
  EXPECT_EQ(left->Top(), 50);
  EXPECT_EQ(left->Height(), ch - 50 - 65);
  EXPECT_EQ(client->Left(), 100);
  EXPECT_EQ(client->Top(), 50);
  EXPECT_EQ(client->Width(), cw - 100);
  EXPECT_EQ(client->Height(), ch - 50 - 65);

  // The real windows are where the controls say they are.
  RECT r;
  ::GetWindowRect(client->Handle(), &r);
  ::MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
  ASSERT_EQ(form->ClientWidth(), Host::SharedForm()->ClientWidth());
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);

  // Hiding a top control gives its space to the others; resizing the form
  // lays everything out again.
  top2->Hide();
  controltest::Settle();
  EXPECT_EQ(left->Top(), 30);
  EXPECT_EQ(client->Top(), 30);
  Host::SharedForm()->SetBounds(20, 20, 650, 450);
  controltest::Settle();
  EXPECT_EQ(client->Width(), form->ClientWidth() - 100);
  EXPECT_EQ(bottom1->Top(), form->ClientHeight() - 25);
  Host::SharedForm()->SetBounds(20, 20, 700, 500);
}

TEST(Layout, PanelBevelNarrowsTheAreaOfItsAlignedChildren) {
  Host form;
  auto* outer = MakePanel(form.get(), fw::TAlign::alClient, 0);
  outer->SetBevelWidth(2);
  auto* inner = fw::Make<fw::Panel>(form.get());
  inner->SetParent(outer);
  inner->SetAlign(fw::TAlign::alClient);
  controltest::Settle();
  EXPECT_EQ(inner->Left(), 2);
  EXPECT_EQ(inner->Top(), 2);
  EXPECT_EQ(inner->Width(), outer->ClientWidth() - 4);
}

TEST(Layout, DraggingALeftSplitterResizesTheControlOnItsLeft) {
  Host form;
  auto* tree = MakePanel(form.get(), fw::TAlign::alLeft, 150);
  auto* splitter = fw::Make<fw::Splitter>(form.get());
  splitter->SetParent(form.get());
  splitter->SetAlign(fw::TAlign::alLeft);
  auto* list = MakePanel(form.get(), fw::TAlign::alClient, 0);
  controltest::Settle();
  ASSERT_EQ(splitter->Left(), 150);
  ASSERT_EQ(splitter->Neighbour(), tree);
  int cw = form->ClientWidth();

  int moved = 0;
  splitter->OnMoved = [&](fw::Object*) { ++moved; };
  HWND h = splitter->Handle();
  controltest::MouseDown(h, 1, 20);
  controltest::MouseMove(h, 1 + 60, 20);
  // Live resizing: the splitter moved with the tree; the next point is
  // relative to where it is now.
  EXPECT_EQ(tree->Width(), 210);
  EXPECT_EQ(splitter->Left(), 210);
  EXPECT_EQ(list->Left(), 213);
  controltest::MouseMove(h, 1 - 30, 20);
  EXPECT_EQ(tree->Width(), 180);
  controltest::MouseUp(h, 1, 20);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(tree->Width(), 180);
  EXPECT_EQ(list->Width(), cw - 183);

  // Neither side gets smaller than the minimum size.
  splitter->SetMinSize(40);
  controltest::MouseDown(h, 1, 20);
  controltest::MouseMove(h, -1000, 20);
  EXPECT_EQ(tree->Width(), 40);
  controltest::MouseMove(h, 2000, 20);
  EXPECT_EQ(list->Width(), 40);
  controltest::MouseUp(h, 2000, 20);
}

TEST(Layout, DraggingABottomSplitterResizesTheControlBelowIt) {
  Host form;
  auto* status = MakePanel(form.get(), fw::TAlign::alBottom, 20);
  auto* pages = MakePanel(form.get(), fw::TAlign::alBottom, 110);
  auto* splitter = fw::Make<fw::Splitter>(form.get());
  splitter->SetParent(form.get());
  splitter->SetAlign(fw::TAlign::alBottom);  // 3 pixels thick by default
  MakePanel(form.get(), fw::TAlign::alClient, 0);
  controltest::Settle();
  int ch = form->ClientHeight();
  ASSERT_EQ(splitter->Top(), ch - 20 - 110 - 3);
  ASSERT_EQ(splitter->Neighbour(), pages);

  bool vetoed = false;
  splitter->OnCanResize = [&](fw::Object*, int& size, bool& accept) {
    if (size > 200) {
      accept = false;
      vetoed = true;
    }
  };
  HWND h = splitter->Handle();
  controltest::MouseDown(h, 10, 1);
  controltest::MouseMove(h, 10, 1 - 50);  // upwards: the bottom control grows
  EXPECT_EQ(pages->Height(), 160);
  EXPECT_EQ(pages->Top(), ch - 20 - 160);
  EXPECT_EQ(status->Top(), ch - 20);
  controltest::MouseMove(h, 10, 1 - 80);  // 240 is refused by the handler
  EXPECT_TRUE(vetoed);
  EXPECT_EQ(pages->Height(), 160);
  controltest::MouseUp(h, 10, 1);
}

}  // namespace
