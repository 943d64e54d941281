#include "core/XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(XmlText, EscapedTextComesBackAsTyped) {
  const std::string typed = "R&D <b>仓位</b> 5>3 & 'x' \"q\" </content><to>x</to> &amp;";
  const std::string escaped = XmlEscape(typed);
  EXPECT_EQ(escaped.find_first_of("<>\"'"), std::string::npos);
  EXPECT_EQ(XmlUnescape(escaped), typed);
  // Already escaped text is escaped again: it is the user's text, not markup.
  EXPECT_EQ(XmlEscape("&lt;"), "&amp;lt;");
  EXPECT_EQ(XmlUnescape("&amp;lt;"), "&lt;");
  EXPECT_EQ(XmlEscape(""), "");
}

TEST(XmlText, CharacterReferencesAndMalformedOnesKeptAsWritten) {
  EXPECT_EQ(XmlUnescape("&#38;&#x3C;&#X3e;&#20013;&#x1F600;"), "&<>中\xF0\x9F\x98\x80");
  for (const char* kept :
       {"&", "a & b", "&nbsp;", "&amp", "&#;", "&#x;", "&#0;", "&#xD800;", "&#x110000;",
        "&#99999999999999999999;", "&#12a;", "&;", "&averyveryverylongname;"}) {
    EXPECT_EQ(XmlUnescape(kept), kept) << kept;
  }
  // A bare '&' before a reference does not swallow it.
  EXPECT_EQ(XmlUnescape("&&lt;&#&gt;"), "&<&#>");
}

}  // namespace
