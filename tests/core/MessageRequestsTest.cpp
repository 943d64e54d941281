// The message family: record-table requests, key/value settings bodies, the XML writer and
// the mail cut into numbered parts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/CXMLMake.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/MessageRequests.h"
#include "tests/core/RequestTestSupport.h"

using namespace reqtest;

namespace {

class MessageRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLoginInfo("alice", "secret");
    SetQSID("QSID00001");
    SetMsgUserType(3);
    previousPause = SetMailPartPause([this](int ms) { pauses.push_back(ms); });
  }
  void TearDown() override { SetMailPartPause(previousPause); }

  CDataRequest request;
  RecordingSink sink;
  std::vector<int> pauses;
  MailPartPause previousPause;
};

struct TableCase {
  const char* name;
  std::function<int(CDataRequest*)> build;  // code 31, page 24
  uint8_t child;
  std::vector<WireField> fields;
};

TEST_F(MessageRequests, RecordTableRequestsByBuilder) {
  const std::u16string title = u"\u4ef7\u683c";  // Chinese title travels as UTF-16
  const TableCase cases[] = {
      {"MessageList",
       [](CDataRequest* r) { return MakeRequest_MessageList(r, 0, 31, 5000000000LL, 200, 24); },
       100,
       {Text(0, "\x14\x2A\x15\x16\x17\x18\x19"), Text(23, "alice"), Text(44, "QSID00001"),
        Int(20, 5000000000LL), Int(27, 200)}},
      {"MessageGetContent",
       [](CDataRequest* r) { return MakeRequest_MessageGetContent(r, 0, 31, 77, 88, 0, -1, 24); },
       101,
       {Text(23, "alice"), Text(44, "QSID00001"), Int(20, 77), Int(42, 88), Int(28, 0),
        Int(29, -1)}},
      {"MessageDelete",
       [](CDataRequest* r) { return MakeRequest_MessageDelete(r, 0, 31, 300, 24); },
       102,
       {Text(0, "\x14"), Text(23, "alice"), Int(20, 300), Text(44, "QSID00001")}},
      {"BrokerList",
       [](CDataRequest* r) { return MakeRequest_BrokerList(r, 0, 31, "alice", "QSX", 107, 24); },
       107,
       {Text(31, "alice"), Text(44, "QSX")}},
      {"FuQuan kind 1",
       [](CDataRequest* r) {
         return Request_MessageFuQuan(r, 0, 31, "bob", "11;12", "\xE4\xBB\xB7\xE6\xA0\xBC", "a<b&c",
                                      1, "src", "G1", "pt", "e1", "t9", 24);
       },
       120,
       {Text(24, "bob"), Text(32, "bob"), Text(23, "11;12"), Utf16(25, title), Utf16(26, u"a<b&c"),
        Text(44, "QSID00001"), Text(51, "src"), Utf16(54, u"G1"), Text(55, "pt"), Text(56, "e1"),
        Text(58, "t9")}},
      {"FuQuan without sender",
       [](CDataRequest* r) {
         return Request_MessageFuQuan(r, 0, 31, nullptr, "11", "t", "", 2, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, 24);
       },
       121,
       {Text(24, "alice"), Text(32, "alice"), Text(23, "11"), Utf16(25, u"t"),
        Text(44, "QSID00001")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sink.packets.clear();
    EXPECT_EQ(c.build(&request), 0);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].kind, SendQueueKind::Message);
    const auto& packet = sink.packets[0].bytes;
    ExpectHeader(packet, 144, c.child, 24, 0, 31, 1);
    EXPECT_EQ(ReadOneRecord(OpenBody(packet, kRequestKey1)), c.fields);
  }
}

TEST_F(MessageRequests, RecordTableThatDoesNotFitIsNotQueued) {
  std::string longName(600, 'u');
  EXPECT_EQ(MakeRequest_BrokerList(&request, 0, 31, longName.c_str(), "Q", 104, 24), -2);
  // Title and content of 2048 units each take 8192 bytes of UTF-16, more than 7984.
  std::string text(3000, 'c');
  EXPECT_EQ(Request_MessageFuQuan(&request, 0, 31, "bob", "1", text.c_str(), text.c_str(), 1,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, 24),
            -2);
  EXPECT_TRUE(sink.packets.empty());
}

TEST_F(MessageRequests, OnOffBodiesAreKeyValueTextUnderPageOne) {
  EXPECT_EQ(MakeRequest_OnOffMessage(&request, 0, 32, "alice", "secret", "21"), 0);
  EXPECT_EQ(MakeRequest_UploadOnOffMessage(&request, 0, 33, "alice", "secret", nullptr), 0);
  ASSERT_EQ(sink.packets.size(), 2u);
  ExpectHeader(sink.packets[0].bytes, 144, 29, 1, 0, 32, 1);
  ExpectHeader(sink.packets[1].bytes, 144, 28, 1, 0, 33, 1);
  auto query = OpenBody(sink.packets[0].bytes, kRequestKey1);
  EXPECT_EQ(std::string(query.begin(), query.end()),
            "3\x01"
            "4\x02"
            "4\x01"
            "0\x02"
            "5\x01"
            "21\x02"
            "1\x01"
            "alice\x02"
            "2\x01"
            "secret\x02"
            "24\x01"
            "QSID00001");
  // A setting not received yet goes as an empty value.
  auto upload = OpenBody(sink.packets[1].bytes, kRequestKey1);
  EXPECT_EQ(std::string(upload.begin(), upload.end()),
            "3\x01"
            "4\x02"
            "4\x01"
            "0\x02"
            "21\x01\x02"
            "1\x01"
            "alice\x02"
            "2\x01"
            "secret\x02"
            "24\x01"
            "QSID00001");
}

TEST(KeyValueText, PairsAndCopy) {
  CLineStep body;
  KVBody_AddInt(body, 3, 4);
  KVBody_AddString(body, 12, "ab");
  KVBody_AddInt(body, 7, -5);
  EXPECT_EQ(std::string(body.GetData(), body.GetSize()),
            "3\x01"
            "4\x02"
            "12\x01"
            "ab\x02"
            "7\x01-5");
  uint8_t out[8];
  EXPECT_EQ(KVBody_CopyText(body, out, 1), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(KVBody_CopyText(body, out, 5), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out)),
            "3\x01"
            "4\x02");
  CLineStep empty;
  EXPECT_EQ(KVBody_CopyText(empty, out, 8), 0);
}

TEST(XmlWriter, FlatElementsEscapedAndLengthChecks) {
  CXMLMake xml;
  char buf[128];
  EXPECT_EQ(xml.GetXml(buf, sizeof(buf)), 0);
  xml.AddElement("to", "1;2");
  xml.AddElement("skip", nullptr);
  xml.AddElement(nullptr, "x");
  xml.AddNSString("content", "a<b&c>\"'d");
  xml.AddInt("typeid", -7);
  // The length counts the escaped value, so a buffer sized from it takes the whole body.
  const std::string expected =
      "<request><to>1;2</to><content>a&lt;b&amp;c&gt;&quot;&apos;d</content><typeid>-7</typeid>"
      "</request>";
  EXPECT_EQ(xml.GetXmlLength(), static_cast<int>(expected.size()));
  EXPECT_EQ(xml.GetXml(buf, xml.GetXmlLength() - 1), -1);
  EXPECT_EQ(xml.GetXml(buf, sizeof(buf)), static_cast<int>(expected.size()));
  EXPECT_EQ(std::string(buf), expected);
}

// Rebuilds the XML text from the mail's packets, checking each part's header.
std::string CollectMail(const std::vector<Queued>& packets, uint16_t code) {
  std::string text;
  for (size_t i = 0; i < packets.size(); ++i) {
    EXPECT_EQ(packets[i].kind, SendQueueKind::Message);
    ExpectHeader(packets[i].bytes, 144, 106, 24, 0, code, 1);
    Header h = ReadHeader(packets[i].bytes);
    EXPECT_EQ(h.packageNum, packets.size());
    EXPECT_EQ(h.packageNo, i);
    auto body = OpenBody(packets[i].bytes, kRequestKey1);
    text.append(body.begin(), body.end());
  }
  return text;
}

std::string MailFor(const std::string& content, const char* from) {
  std::string fromText = from ? from : "alice";
  return "<request><from>" + fromText + "</from><to>11</to><title>T</title><content>" + content +
         "</content><qsid_4x>QSID00001</qsid_4x><typeid>2</typeid><usertype>3</usertype>" +
         "</request>";
}

TEST_F(MessageRequests, MailIsCutIntoNumberedPartsOf7984Bytes) {
  const int overhead = static_cast<int>(MailFor("", nullptr).size());
  struct {
    int xmlLength;
    size_t parts;
    size_t lastPart;
  } rows[] = {{7984, 1, 7984}, {7985, 2, 1}, {3 * 7984, 3, 7984}, {200, 1, 200}};
  for (auto& row : rows) {
    SCOPED_TRACE(row.xmlLength);
    sink.packets.clear();
    pauses.clear();
    std::string content(static_cast<size_t>(row.xmlLength - overhead), 'm');
    EXPECT_EQ(MakeRequest_MessageSendXml(&request, 0, 45, nullptr, "11", "T", content.c_str(), 2,
                                         nullptr, nullptr, nullptr, nullptr, 24),
              0);
    ASSERT_EQ(sink.packets.size(), row.parts);
    EXPECT_EQ(pauses, std::vector<int>(row.parts, 50));
    std::string text = CollectMail(sink.packets, 45);
    EXPECT_EQ(text, MailFor(content, nullptr));
    auto last = OpenBody(sink.packets.back().bytes, kRequestKey1);
    EXPECT_EQ(last.size(), row.lastPart);
  }
}

TEST_F(MessageRequests, MailEscapesMarkupCharactersAndRefusesMoreThan255Parts) {
  // A content that tries to close its element and add a receiver stays one content.
  EXPECT_EQ(MakeRequest_MessageSendXml(&request, 0, 46, "bob", "11", "R&D \"A<B\"",
                                       "x<y&z</content><to>9</to>", 2, "s@x", "G", "P", "E", 24),
            0);
  ASSERT_EQ(sink.packets.size(), 1u);
  std::string text = CollectMail(sink.packets, 46);
  EXPECT_EQ(text,
            "<request><from>bob</from><to>11</to><title>R&amp;D &quot;A&lt;B&quot;</title>"
            "<content>x&lt;y&amp;z&lt;/content&gt;&lt;to&gt;9&lt;/to&gt;</content>"
            "<qsid_4x>QSID00001</qsid_4x><typeid>2</typeid><sourcemail>s@x</sourcemail>"
            "<goldcode>G</goldcode><usertype>3</usertype><producttype>P</producttype>"
            "<ext1>E</ext1></request>");

  sink.packets.clear();
  const int overhead = static_cast<int>(MailFor("", nullptr).size());
  std::string fits(static_cast<size_t>(255 * 7984 - overhead), 'q');
  EXPECT_EQ(MakeRequest_MessageSendXml(&request, 0, 47, nullptr, "11", "T", fits.c_str(), 2,
                                       nullptr, nullptr, nullptr, nullptr, 24),
            0);
  EXPECT_EQ(sink.packets.size(), 255u);
  EXPECT_EQ(ReadHeader(sink.packets.back().bytes).packageNo, 254);
  sink.packets.clear();
  fits.push_back('q');
  EXPECT_EQ(MakeRequest_MessageSendXml(&request, 0, 48, nullptr, "11", "T", fits.c_str(), 2,
                                       nullptr, nullptr, nullptr, nullptr, 24),
            -2);
  EXPECT_TRUE(sink.packets.empty());
}

}  // namespace
