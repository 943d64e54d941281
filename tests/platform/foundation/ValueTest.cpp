#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/Value.h"

using namespace foundation;

namespace {

TEST(Value, DictionaryKeepsInsertionOrderAndReplacesInPlace) {
  Dictionary d{{"zeta", 1}, {"alpha", 2}};
  d.set("mid", 3);
  d.set("zeta", "replaced");
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"zeta", "alpha", "mid"}));
  EXPECT_EQ(d.get("zeta").asString(), "replaced");
  EXPECT_TRUE(d.remove("alpha"));
  EXPECT_FALSE(d.remove("alpha"));
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"zeta", "mid"}));
  // Order is part of equality: a written file must come back the same way.
  Dictionary a{{"x", 1}, {"y", 2}}, b{{"y", 2}, {"x", 1}};
  EXPECT_FALSE(a == b);
}

TEST(Value, MissingKeysAndIndexesChainToNull) {
  Value v;
  v["server"]["list"].append("127.0.0.1:7709");
  v["server"]["list"].append("127.0.0.1:7710");
  EXPECT_EQ(v["server"]["list"].at(1).asString(), "127.0.0.1:7710");
  const Value& c = v;
  EXPECT_TRUE(c["server"]["missing"]["deeper"].isNull());
  EXPECT_TRUE(c["server"]["list"].at(9).isNull());
  EXPECT_TRUE(c.at(0).isNull());
  EXPECT_EQ(c["server"]["list"].size(), 2u);
  EXPECT_EQ(c["nothing"].toInt(-1), -1);
}

TEST(Value, ConversionsBetweenScalarTypes) {
  struct Case {
    Value v;
    bool b;
    std::int64_t i;
    double r;
    std::string s;
  };
  const Case cases[] = {
      {true, true, 1, 1, "1"},
      {Value(-42), true, -42, -42, "-42"},
      {Value(2.75), true, 2, 2.75, "2.75"},
      {Value("17"), true, 17, 17, "17"},
      {Value("3.5"), true, 3, 3.5, "3.5"},
      {Value("YES"), true, 0, 0, "YES"},
      {Value("abc"), false, 0, 0, "abc"},
      {Value(1e30), true, INT64_MAX, 1e30, "1.0000000000000000e+30"},
      {Value(), false, 0, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.v.description());
    EXPECT_EQ(c.v.toBool(), c.b);
    EXPECT_EQ(c.v.toInt(), c.i);
    EXPECT_DOUBLE_EQ(c.v.toReal(), c.r);
    if (c.v.isReal() && c.r == 1e30) continue;  // text form of huge reals is not pinned
    EXPECT_EQ(c.v.toString(), c.s);
  }
  EXPECT_EQ(Value(std::nan("")).toInt(7), 7);
}

TEST(Value, WrongTypeAccessGivesEmptyAndMutableAccessConverts) {
  Value v = 5;
  EXPECT_TRUE(v.asString().empty());
  EXPECT_TRUE(v.asArray().empty());
  EXPECT_TRUE(v.asDictionary().empty());
  EXPECT_TRUE(v.asData().empty());
  v.mutableString() = "now text";
  EXPECT_TRUE(v.isString());
  v.append(1);
  EXPECT_TRUE(v.isArray());
  EXPECT_EQ(v.size(), 1u);
}

TEST(Value, EqualityIsByTypeAndContent) {
  EXPECT_NE(Value(1), Value(1.0));
  EXPECT_NE(Value(true), Value(1));
  EXPECT_EQ(Value(std::nan("")), Value(std::nan("")));
  EXPECT_EQ(Value::data("ab", 2), Value(Data{'a', 'b'}));
  EXPECT_EQ(Value::date(10.5), Value(Date{10.5}));
  EXPECT_EQ(Value(Array{1, "x"}).description(), "[1, \"x\"]");
}

}  // namespace
