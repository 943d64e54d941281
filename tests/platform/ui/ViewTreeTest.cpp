#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "UiTestSupport.h"
#include "platform/ui/View.h"

namespace {

using gfx::Point;
using gfx::Rect;
using gfx::Size;
using ui::View;
using uitest::UiTest;

void expectPointNear(Point actual, Point expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << gfx::toString(actual);
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << gfx::toString(actual);
}

void expectRectNear(const Rect& actual, const Rect& expected) {
  EXPECT_NEAR(actual.x(), expected.x(), 1e-9) << gfx::toString(actual);
  EXPECT_NEAR(actual.y(), expected.y(), 1e-9) << gfx::toString(actual);
  EXPECT_NEAR(actual.width(), expected.width(), 1e-9) << gfx::toString(actual);
  EXPECT_NEAR(actual.height(), expected.height(), 1e-9) << gfx::toString(actual);
}

TEST(ViewGeometry, FrameCenterAndBoundsStayConsistent) {
  auto v = View::create(Rect(10, 20, 100, 50));
  expectPointNear(v->center(), Point(60, 45));
  expectRectNear(v->bounds(), Rect(0, 0, 100, 50));

  v->setCenter(Point(0, 0));
  expectRectNear(v->frame(), Rect(-50, -25, 100, 50));
  v->setBounds(Rect(5, 5, 40, 20));  // the origin moves the content, not the frame
  expectRectNear(v->frame(), Rect(-20, -10, 40, 20));

  // A transform changes the frame (its bounding box) but not bounds or center.
  v->setFrame(Rect(0, 0, 100, 50));
  v->setTransform(gfx::AffineTransform::scaling(2, 2));
  expectRectNear(v->frame(), Rect(-50, -25, 200, 100));
  expectRectNear(v->bounds(), Rect(5, 5, 100, 50));
  v->setTransform(gfx::AffineTransform::rotation(gfx::kPi / 2));
  expectRectNear(v->frame(), Rect(25, -25, 50, 100));
}

TEST(ViewGeometry, ConvertsPointsAndRectsBetweenViews) {
  auto root = View::create(Rect(0, 0, 320, 480));
  auto a = View::create(Rect(10, 20, 200, 200));
  auto b = View::create(Rect(30, 40, 50, 50));
  auto c = View::create(Rect(100, 100, 20, 20));
  root->addSubview(a);
  a->addSubview(b);
  root->addSubview(c);

  expectPointNear(b->convertPointToView(Point(1, 2), root.get()), Point(41, 62));
  expectPointNear(b->convertPointToView(Point(1, 2), c.get()), Point(-59, -38));
  expectPointNear(c->convertPointFromView(Point(1, 2), b.get()), Point(-59, -38));
  expectRectNear(b->convertRectToView(Rect(0, 0, 10, 10), a.get()), Rect(30, 40, 10, 10));

  // Scrolled content: the bounds origin shifts what the children show.
  a->setBounds(Rect(0, 100, 200, 200));
  expectPointNear(b->convertPointToView(Point(0, 0), root.get()), Point(40, -40));

  // Rotation by 90 degrees about the view's centre.
  a->setBounds(Rect(0, 0, 200, 200));
  b->setTransform(gfx::AffineTransform::rotation(gfx::kPi / 2));
  Point p = b->convertPointToView(Point(50, 0), a.get());  // top-right corner of b
  expectPointNear(p, Point(80, 90));
  expectPointNear(b->convertPointFromView(p, a.get()), Point(50, 0));
}

TEST(ViewTree, ViewWithTagSearchesDepthFirstInOrder) {
  auto root = View::create();
  auto first = View::create();
  auto nested = View::create();
  auto second = View::create();
  nested->setTag(7);
  second->setTag(7);
  first->addSubview(nested);
  root->addSubview(first);
  root->addSubview(second);
  EXPECT_EQ(root->viewWithTag(7), nested.get());
  EXPECT_EQ(root->viewWithTag(0), root.get());  // the receiver itself counts
  EXPECT_EQ(root->viewWithTag(99), nullptr);
  EXPECT_EQ(second->viewWithTag(7), second.get());
}

TEST(ViewTree, SubviewOrderOperations) {
  auto root = View::create();
  std::vector<std::shared_ptr<View>> v;
  for (int i = 0; i < 4; ++i) {
    v.push_back(View::create());
    v.back()->setTag(i);
  }
  auto order = [&] {
    std::string s;
    for (auto& sub : root->subviews()) s += std::to_string(sub->tag());
    return s;
  };
  root->addSubview(v[0]);
  root->addSubview(v[1]);
  root->insertSubview(v[2], 0);
  EXPECT_EQ(order(), "201");
  root->insertSubview(v[3], 99);
  EXPECT_EQ(order(), "2013");
  root->bringSubviewToFront(v[2].get());
  EXPECT_EQ(order(), "0132");
  root->sendSubviewToBack(v[3].get());
  EXPECT_EQ(order(), "3012");
  root->insertSubviewAbove(v[3], v[1].get());
  EXPECT_EQ(order(), "0132");
  root->insertSubviewBelow(v[2], v[0].get());
  EXPECT_EQ(order(), "2013");
  root->exchangeSubviews(0, 3);
  EXPECT_EQ(order(), "3012");
  v[0]->removeFromSuperview();
  EXPECT_EQ(order(), "312");
  EXPECT_EQ(v[0]->superview(), nullptr);

  // Adding to another parent moves the view.
  auto other = View::create();
  other->addSubview(v[1]);
  EXPECT_EQ(order(), "32");
  EXPECT_EQ(v[1]->superview(), other.get());
  // An ancestor cannot become a subview of its descendant.
  v[1]->addSubview(other);
  EXPECT_EQ(other->superview(), nullptr);
}

TEST(ViewTree, ParentGoingAwayClearsBackReferences) {
  auto child = View::create();
  {
    auto parent = View::create();
    parent->addSubview(child);
    EXPECT_EQ(child->superview(), parent.get());
  }
  EXPECT_EQ(child->superview(), nullptr);
}

struct AutoresizeCase {
  unsigned mask;
  Rect expected;
};

class Autoresizing : public ::testing::TestWithParam<AutoresizeCase> {};

TEST_P(Autoresizing, ParentGrowingBy100x50) {
  auto parent = View::create(Rect(0, 0, 200, 100));
  auto child = View::create(Rect(20, 10, 100, 40));
  child->setAutoresizingMask(GetParam().mask);
  parent->addSubview(child);
  parent->setFrame(Rect(0, 0, 300, 150));
  expectRectNear(child->frame(), GetParam().expected);
}

using namespace ui::Autoresizing;
INSTANTIATE_TEST_SUITE_P(
    Masks, Autoresizing,
    ::testing::Values(AutoresizeCase{None, Rect(20, 10, 100, 40)},
                      AutoresizeCase{FlexibleWidth, Rect(20, 10, 200, 40)},
                      AutoresizeCase{FlexibleLeftMargin, Rect(120, 10, 100, 40)},
                      AutoresizeCase{FlexibleHeight | FlexibleTopMargin,
                                     Rect(20, 10 + 50.0 / 5, 100, 40 + 40.0)},
                      // Left margin 20 and width 100 share 100 in proportion: 1/6 and 5/6.
                      AutoresizeCase{FlexibleLeftMargin | FlexibleWidth,
                                     Rect(20 + 100.0 / 6, 10, 100 + 500.0 / 6, 40)},
                      AutoresizeCase{FlexibleWidth | FlexibleBottomMargin, Rect(20, 10, 200, 40)}));

class LayoutCounter : public View {
 public:
  using View::View;
  void layoutSubviews() override { ++layouts; }
  int layouts = 0;
};

TEST_F(UiTest, LayoutRunsOnceBeforeDrawingAfterChanges) {
  auto v = std::make_shared<LayoutCounter>(Rect(0, 0, 100, 100));
  window->addSubview(v);
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 1);
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 1);
  v->setFrame(Rect(0, 0, 120, 100));  // a size change asks for layout
  v->setCenter(Point(10, 10));        // a move does not add another
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 2);
  v->setNeedsLayout();
  window->layoutIfNeeded();  // the window lays out its whole tree
  EXPECT_EQ(v->layouts, 3);
}

// Layout code that changes the tree it is laid out in: each child the parent had when the pass
// began is laid out once, a child removed meanwhile (even its last owner gone) included, a child
// added meanwhile waits for the next pass, and a view whose layout takes its own parent out of
// the window ends the pass whole.
TEST_F(UiTest, ALayoutPassWalksTheChildrenItBeganWith) {
  class Changer : public LayoutCounter {
   public:
    using LayoutCounter::LayoutCounter;
    void layoutSubviews() override {
      LayoutCounter::layoutSubviews();
      if (change) change();
    }
    std::function<void()> change;
  };
  auto parent = std::make_shared<LayoutCounter>(Rect(0, 0, 100, 100));
  window->addSubview(parent);
  std::vector<std::shared_ptr<Changer>> kids;
  for (int i = 0; i < 4; ++i) {
    kids.push_back(std::make_shared<Changer>(Rect(0, 0, 10, 10)));
    parent->addSubview(kids.back());
  }
  auto added = std::make_shared<LayoutCounter>(Rect(0, 0, 10, 10));
  std::weak_ptr<Changer> removed = kids[2];
  int removedLaidOut = 0;
  kids[2]->change = [&] { ++removedLaidOut; };
  kids[0]->change = [&] {
    parent->bringSubviewToFront(kids[1].get());
    kids[2]->removeFromSuperview();
    kids[2].reset();  // the pass holds the last reference now
    parent->insertSubview(added, 0);
  };
  kids[3]->change = [&] { parent->removeFromSuperview(); };
  window->layoutIfNeeded();
  EXPECT_EQ(kids[0]->layouts, 1);
  EXPECT_EQ(kids[1]->layouts, 1);
  EXPECT_EQ(kids[3]->layouts, 1);
  EXPECT_EQ(removedLaidOut, 1);
  EXPECT_TRUE(removed.expired());
  EXPECT_EQ(added->layouts, 0);
  EXPECT_EQ(parent->superview(), nullptr);
  ASSERT_EQ(parent->subviews().size(), 4u);
  EXPECT_EQ(parent->subviews().front(), added);
  EXPECT_EQ(parent->subviews().back(), kids[1]);
  parent->layoutIfNeeded();
  EXPECT_EQ(added->layouts, 1);
}

// A pass goes down only the branches where a view is marked, whenever the mark was set: a mark
// set by another view's layout during a pass (on a branch the pass has left, or on one still to
// come) and a mark below a view taken out of the window both lead to a layout.
TEST_F(UiTest, ALayoutPassReachesEveryMarkedViewAndNoOther) {
  class Marker : public LayoutCounter {
   public:
    using LayoutCounter::LayoutCounter;
    void layoutSubviews() override {
      LayoutCounter::layoutSubviews();
      for (View* v : marks) v->setNeedsLayout();
      marks.clear();
    }
    std::vector<View*> marks;
  };
  auto make = [] { return std::make_shared<Marker>(Rect(0, 0, 10, 10)); };
  auto a = make(), a1 = make(), b = make(), b1 = make();
  window->addSubview(a);
  a->addSubview(a1);
  window->addSubview(b);
  b->addSubview(b1);
  window->layoutIfNeeded();
  auto counts = [&] {
    return std::vector<int>{a->layouts, a1->layouts, b->layouts, b1->layouts};
  };
  EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1, 1}));
  window->layoutIfNeeded();
  b1->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1, 2}));

  // a1 marks its own parent (passed already) and b1 (still to come) while it is laid out.
  a1->setNeedsLayout();
  a1->marks = {a.get(), b1.get()};
  window->layoutIfNeeded();
  EXPECT_EQ(counts(), (std::vector<int>{1, 2, 1, 3}));
  window->layoutIfNeeded();
  EXPECT_EQ(counts(), (std::vector<int>{2, 2, 1, 3}));

  // Marked while out of the window: laid out once back in it.
  b->removeFromSuperview();
  b1->setNeedsLayout();
  window->layoutIfNeeded();
  window->addSubview(b);
  window->layoutIfNeeded();
  EXPECT_EQ(counts(), (std::vector<int>{2, 2, 2, 4}));
}

TEST(ViewGeometry, SizeToFitUsesSizeThatFits) {
  class Fixed : public View {
   public:
    using View::View;
    Size sizeThatFits(Size) const override { return Size(33, 44); }
  };
  auto v = std::make_shared<Fixed>(Rect(5, 6, 1, 1));
  v->sizeToFit();
  expectRectNear(v->frame(), Rect(5, 6, 33, 44));
}

}  // namespace

namespace {

TEST(ViewTree, DescribesItselfForTestMessages) {
  auto root = View::create(Rect(0, 0, 100, 50));
  auto child = View::create(Rect(1, 2, 3, 4));
  child->setTag(9);
  child->setHidden(true);
  root->addSubview(child);
  EXPECT_EQ(root->describeTree(),
            "View {{0, 0}, {100, 50}}\n  View {{1, 2}, {3, 4}} tag=9 hidden\n");
}

}  // namespace
