#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ShellTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Object.h"
#include "shell/Extend.h"
#include "shell/SharedTool.h"

namespace {

using shelltest::ShellTest;

class ProducedView : public ui::View {
 public:
  ProducedView() : ui::View(gfx::Rect(0, 0, 320, 44)) { setTag(77); }
};
class ProducedTallView : public ui::View {};
class PlainObject : public ui::Object {};

class ExtendTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    auto& registry = ui::ClassRegistry::shared();
    registry.registerClass<ProducedView>("ProducedView");
    registry.registerClass<ProducedTallView>("ProducedView_iP5");
    registry.registerClass<PlainObject>("PlainObject");
  }
};

TEST_F(ExtendTest, ProduceObjectBuildsScreensByClassNameAndNothingElse) {
  auto view = Extend::produceObject<ui::View>("ProducedView");
  ASSERT_TRUE(view);
  EXPECT_EQ(view->tag(), 77);
  EXPECT_EQ(view->frame(), gfx::Rect(0, 0, 320, 44));
  // Each call builds a new object the caller owns.
  EXPECT_NE(Extend::produceObject("ProducedView"), view);

  EXPECT_EQ(Extend::produceObject("PlainObject"), nullptr);
  EXPECT_EQ(Extend::produceObject("NoSuchScreen"), nullptr);
  EXPECT_EQ(Extend::produceObject(""), nullptr);

  EXPECT_TRUE(
      std::dynamic_pointer_cast<ProducedTallView>(Extend::defaultUsingXIB_iP5("ProducedView")));
  // Without a tall variant the plain class serves.
  ui::ClassRegistry::shared().registerClass<ProducedView>("OnlyShortView");
  EXPECT_TRUE(
      std::dynamic_pointer_cast<ProducedView>(Extend::defaultUsingXIB_iP5("OnlyShortView")));
}

TEST_F(ExtendTest, PostFromAWorkerReachesObserversOnTheMainThreadAfterTheCallReturned) {
  auto& center = foundation::NotificationCenter::defaultCenter();
  int owner = 0;
  struct Seen {
    bool onMain;
    foundation::Value info;
    const void* object;
  };
  std::vector<Seen> seen;
  center.addObserver(&owner, "SelfStock", [&](const foundation::Notification& n) {
    seen.push_back({foundation::RunLoop::isMainThread(), n.userInfo, n.object});
  });

  std::atomic<bool> returned{false};
  std::thread worker([&] {
    foundation::Value info;
    info["Data_ID"] = foundation::Value::data("\x01\x00\x00\x00", 4);
    Extend::postNotificationNameOnMainThread("SelfStock", &owner, info);
    // Nothing ran on the posting thread.
    returned = seen.empty();
    Extend::postNotificationNameOnMainThread("SelfStock");
  });
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_TRUE(seen.empty());

  drain();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].onMain);
  EXPECT_EQ(seen[0].object, &owner);
  EXPECT_EQ(seen[0].info["Data_ID"].size(), 4u);
  EXPECT_TRUE(seen[1].onMain);
  EXPECT_TRUE(seen[1].info.isNull());

  // Also from the main thread the post waits for the loop.
  Extend::postNotificationNameOnMainThread("SelfStock");
  EXPECT_EQ(seen.size(), 2u);
  drain();
  EXPECT_EQ(seen.size(), 3u);

  Extend::removeObservers(&owner);
  Extend::postNotificationNameOnMainThread("SelfStock");
  drain();
  EXPECT_EQ(seen.size(), 3u);
}

TEST(ExtendDigest, Md5OfTheRfc1321SuiteInLowerCaseHex) {
  const std::vector<std::pair<std::string, std::string>> suite = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [text, digest] : suite) {
    EXPECT_EQ(Extend::MD5(text), digest) << '"' << text << '"';
    EXPECT_EQ(SharedTool::MD5ByAStr(text), digest);
    EXPECT_EQ(Extend::MD5(foundation::Data(text.begin(), text.end())), digest);
  }
  // A text ends at its first zero byte; data does not.
  const std::string withZero("abc\0def", 7);
  EXPECT_EQ(Extend::MD5(withZero), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_NE(Extend::MD5(foundation::Data(withZero.begin(), withZero.end())),
            "900150983cd24fb0d6963f7d28e17f72");
}

TEST_F(ExtendTest, ScaleToSizeRedrawsTheImageAtExactlyThatSize) {
  gfx::Image red = gfx::Image::filled(gfx::Size(10, 10), gfx::Color::red());
  gfx::Image scaled = Extend::scaleToSize(red, gfx::Size(4, 6));
  EXPECT_EQ(scaled.size(), gfx::Size(4, 6));
  EXPECT_EQ(scaled.pixelArgb(3, 5), 0xFFFF0000u);
  EXPECT_TRUE(Extend::scaleToSize(red, gfx::Size(0, 0)).isEmpty());
}

TEST_F(ExtendTest, CentreFromTextLeavesTheViewAloneForAnEmptyText) {
  auto view = ui::View::create(gfx::Rect(0, 0, 10, 10));
  Extend::setCenterOnMainThread(*view, "{40, 25.5}");
  EXPECT_EQ(view->center(), gfx::Point(40, 25.5));
  Extend::setCenterOnMainThread(*view, "");
  EXPECT_EQ(view->center(), gfx::Point(40, 25.5));
}

}  // namespace
