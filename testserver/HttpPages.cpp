// The HTTP server of the web pages: company information (F10), the information home page and
// news, as simple HTML.
#include <string>
#include <vector>

#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"

namespace testserver {

namespace {

std::string Page(const std::string& title, const std::string& body, int status = 200) {
  std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                     "</title></head><body><h2>" + title + "</h2>" + body + "</body></html>";
  const char* reason = status == 200 ? "OK" : "Not Found";
  return foundation::format(
             "HTTP/1.1 %d %s\r\nContent-Type: text/html; charset=utf-8\r\n"
             "Content-Length: %zu\r\nConnection: close\r\n\r\n",
             status, reason, html.size()) +
         html;
}

std::string Query(const std::string& path, const std::string& key) {
  size_t q = path.find('?');
  if (q == std::string::npos) return {};
  std::string query = path.substr(q + 1);
  size_t pos = 0;
  while (pos <= query.size()) {
    size_t end = query.find('&', pos);
    std::string item = query.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (item.rfind(key + "=", 0) == 0) return item.substr(key.size() + 1);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return {};
}

std::string InHundredMillions(int64_t v) {
  return foundation::format("%.2f亿", static_cast<double>(v) / 1e8);
}

std::string F10(Market& m, const std::string& key) {
  // key = "<code>,<sh|sz|hk>"
  size_t comma = key.find(',');
  std::string code = key.substr(0, comma);
  std::string mk = comma == std::string::npos ? "sh" : key.substr(comma + 1);
  uint8_t market = mk == "sz" ? kMarketSz : mk == "hk" ? kMarketHk : kMarketSh;
  const Security* s = m.find(market, code);
  // Only a company has a profile: an index, like a board or a contract, has none to show.
  if (!s || s->q.zgb <= 0) return Page("F10", "<p>没有找到该证券的资料。</p>", 404);
  const tagLocalStockData& q = s->q;
  std::string name = foundation::utf16ToUtf8(std::u16string(q.name));
  std::string body = "<h3>公司概况</h3><table>";
  body += "<tr><td>证券代码</td><td>" + code + "</td></tr>";
  body += "<tr><td>证券简称</td><td>" + name + "</td></tr>";
  body += "<tr><td>总股本</td><td>" + InHundredMillions(q.zgb) + "股</td></tr>";
  body += "<tr><td>流通股本</td><td>" + InHundredMillions(q.ltgb) + "股</td></tr>";
  body += foundation::format("<tr><td>每股收益</td><td>%.3f元</td></tr>", q.zxmgsy / 10000.0);
  body += foundation::format("<tr><td>每股净资产</td><td>%.3f元</td></tr>", q.mgJZZ / 10000.0);
  body += "</table><h3>分红送配</h3><ul>";
  for (const auto& w : s->weights) {
    // Every kind of event the ex-rights arithmetic takes says what it is. Shares are stored per
    // share x 100000 (per ten shares x 10000); the rights price a share and the cash per ten
    // shares in 1/10000 yuan.
    std::vector<std::string> parts;
    if (w.sgs > 0) parts.push_back(foundation::format("每10股送%g股", w.sgs / 10000.0));
    if (w.zgs > 0) parts.push_back(foundation::format("每10股转增%g股", w.zgs / 10000.0));
    if (w.pgs > 0)
      parts.push_back(foundation::format("每10股配%g股，配股价%.2f元", w.pgs / 10000.0,
                                         w.pgj / 10000.0));
    if (w.hl > 0) parts.push_back(foundation::format("每10股派%.2f元", w.hl / 10000.0));
    // An event that gives nothing is no event to list.
    if (parts.empty()) continue;
    body += foundation::format("<li>%d：", w.date);
    for (size_t i = 0; i < parts.size(); ++i) body += (i ? "，" : "") + parts[i];
    body += "</li>";
  }
  body += "</ul>";
  // The latest notices, when there are any: a heading over nothing reads as a page cut short.
  std::string notices;
  for (const NewsItem& n : m.news())
    if (n.body.find(code) != std::string::npos)
      notices += foundation::format("<li><a href=\"/news?id=%d\">", n.id) + n.title + "</a></li>";
  if (!notices.empty()) body += "<h3>最新公告</h3><ul>" + notices + "</ul>";
  return Page(name + "(" + code + ") F10", body);
}

std::string NewsList(Market& m) {
  std::string body = "<ul>";
  for (const NewsItem& n : m.news())
    body +=
        foundation::format("<li>%d <a href=\"/news?id=%d\">", n.date, n.id) + n.title + "</a></li>";
  return Page("新闻资讯", body + "</ul>");
}

}  // namespace

std::string HttpAnswer(Market& market, const std::string& path) {
  std::string key = Query(path, "key");
  if (path.rfind("/f10", 0) == 0 || !key.empty()) return F10(market, key);
  if (path.rfind("/news", 0) == 0) {
    int id = std::atoi(Query(path, "id").c_str());
    for (const NewsItem& n : market.news())
      if (n.id == id)
        return Page(n.title,
                    "<p>" + n.source + foundation::format(" %d</p><p>", n.date) + n.body + "</p>");
    return NewsList(market);
  }
  if (path.rfind("/hpf10/xltxt.aspx", 0) == 0) return NewsList(market);
  if (path.rfind("/broker/", 0) == 0) {
    const std::string name = BrokerName(std::atoi(path.c_str() + 8));
    if (!name.empty())
      return Page(name, "<p>" + name + "欢迎您。</p><p>开户、转账与交易问题请致电客服热线 95500。</p>");
  }
  if (path == "/" || path.rfind("/index.htm", 0) == 0)
    return Page("资讯首页", "<p><a href=\"/hpf10/xltxt.aspx\">新闻资讯</a></p>");
  return Page("未找到", "<p>页面不存在。</p>", 404);
}

}  // namespace testserver
