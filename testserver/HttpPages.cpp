// The HTTP server of the web pages: company information (F10) and news as simple HTML.
#include "testserver/ServerCore.h"

namespace testserver {

std::string HttpAnswer(Market&, const std::string&) {
  std::string body = "<html><body>ok</body></html>";
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace testserver
