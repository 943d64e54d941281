// Web pages of the information server (the news page, the F10 page): the platform's reading of
// HTML or plain text into paragraphs and links, and the resolution of link targets. Input: one
// byte (bit 0: HTML), then the page; a first line of the page is also tried as a base address
// for the rest.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/ui/WebView.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16 * 1024) return 0;
  const bool html = (data[0] & 1) != 0;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  const ui::WebPage page = ui::parseWebPage(body, html);
  const std::string base = "http://127.0.0.1:17007/hpf10/xltxt.aspx";
  for (const auto& paragraph : page.paragraphs) {
    for (const auto& run : paragraph.runs) {
      if (run.href.empty()) continue;
      // A path from the root stays on the page's server (other schemes pass unchanged).
      const std::string url = ui::resolveURL(base, run.href);
      const bool rooted = run.href[0] == '/' && (run.href.size() < 2 || run.href[1] != '/');
      if (rooted && url.rfind("http://127.0.0.1:17007/", 0) != 0) std::abort();
    }
  }
  (void)page.plainText();
  const size_t line = body.find('\n');
  if (line != std::string::npos) (void)ui::resolveURL(body.substr(0, line), body.substr(line + 1));
  (void)ui::resolveURL(body, body);
  return 0;
}
