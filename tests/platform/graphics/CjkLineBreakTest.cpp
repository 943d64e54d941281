// Chinese text breaks its lines as CJK typesetting asks: no line begins with closing punctuation
// (it stays at the end of the line before), whatever the width.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/Text.h"
#include "platform/graphics/PangoSupport.h"

namespace {

std::vector<std::string> LinesOf(const std::string& text, double width, double size) {
  auto layout = gfx::detail::layoutFor(gfx::detail::measureContext(), text,
                                       gfx::TextStyle(gfx::Font::systemFont(size),
                                                      gfx::TextAlignment::Left,
                                                      gfx::LineBreakMode::WordWrap),
                                       gfx::Size(width, 1e12));
  std::vector<std::string> lines;
  std::string laidOut;  // the text as laid out, with the breaks the layout chose
  for (const auto& l : layout->lines()) {
    const std::string all = pango_layout_get_text(l.line->layout);
    lines.push_back(all.substr(static_cast<size_t>(l.line->start_index),
                               static_cast<size_t>(l.line->length)));
    laidOut += lines.back();
  }
  // Nothing lost or added but the breaks.
  EXPECT_EQ(laidOut, text);
  return lines;
}

TEST(CjkLineBreak, NoLineBeginsWithClosingPunctuation) {
  const std::string texts[] = {
      "方隆医药业绩预告。方隆医药（000057）今日发布业绩预告公告，公司经营情况正常，请投资者注意风险。",
      "龙丰水泥分红方案。龙丰水泥（000001）今日发布分红方案：每10股派发现金红利2元（含税），"
      "股权登记日为本月15日；敬请投资者关注！是否参与？「公告」已发布、详见附件。"};
  const std::u16string closing = u"）」』】〕〉》，。、：；！？";
  int lines = 0;
  for (const std::string& text : texts) {
    for (double width = 60; width <= 320; width += 1) {
      const std::vector<std::string> got = LinesOf(text, width, 15);
      for (size_t i = 1; i < got.size(); ++i) {
        ++lines;
        const std::u16string line = foundation::utf8ToUtf16(got[i]);
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(closing.find(line[0]), std::u16string::npos)
            << "width " << width << ": line " << i << " \"" << got[i] << "\" after \""
            << got[i - 1] << "\"";
      }
    }
  }
  EXPECT_GT(lines, 1000);
}

}  // namespace
