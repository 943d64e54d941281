// The one fuzz program's entry points: the target is the one named by the program's name
// (build/fuzz/fuzz_cipher is a link to verdan-fuzz and runs the cipher target), or by
// VERDAN_FUZZ_TARGET when the program is started under its own name.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzTargets.h"

namespace {

const fuzzsupport::FuzzTarget* g_target = nullptr;

const fuzzsupport::FuzzTarget* FindTarget(const std::string& name) {
  for (size_t i = 0; i < fuzzsupport::kFuzzTargetCount; ++i) {
    if (name == fuzzsupport::kFuzzTargets[i].name) return &fuzzsupport::kFuzzTargets[i];
  }
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  std::string name;
  if (const char* chosen = std::getenv("VERDAN_FUZZ_TARGET")) {
    name = chosen;
  } else if (*argc > 0) {
    name = (*argv)[0];
    size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
  }
  g_target = FindTarget(name);
  if (!g_target) {
    std::fprintf(stderr,
                 "no fuzz target '%s'; start the program as one of (or set VERDAN_FUZZ_TARGET):\n",
                 name.c_str());
    for (size_t i = 0; i < fuzzsupport::kFuzzTargetCount; ++i) {
      std::fprintf(stderr, "  %s\n", fuzzsupport::kFuzzTargets[i].name);
    }
    std::exit(2);
  }
  return g_target->initialize ? g_target->initialize(argc, argv) : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return g_target->run(data, size);
}
