// The Verdan securities client.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace {

void printHelp() {
  std::printf(
      "usage: verdan [options]\n"
      "  --version          print the version and exit\n"
      "  --help             print this help and exit\n"
      "  --bundle DIR       the application bundle (default: resources beside the program)\n"
      "  --documents DIR    the documents folder (default: ~/.local/share/verdan/Documents)\n");
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--version") {
      std::printf("verdan %s\n", VERDAN_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      printHelp();
      return 0;
    }
    if ((arg == "--bundle" || arg == "--documents") && i + 1 < argc) {
      (arg == "--bundle" ? foundation::setBundleDir : foundation::setDocumentsDir)(argv[++i]);
      continue;
    }
    std::fprintf(stderr, "verdan: unknown option '%s' (see --help)\n", arg.c_str());
    return 2;
  }
  foundation::logInfo("verdan %s: bundle %s, documents %s", VERDAN_VERSION,
                      foundation::bundleDir().c_str(), foundation::documentsDir().c_str());
  printHelp();
  return 0;
}
