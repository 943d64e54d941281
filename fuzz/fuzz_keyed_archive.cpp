// Arbitrary bytes as a stored keyed archive: the property list is parsed and unarchived into
// registered classes that hold values, a nested object and a list of objects. Nothing may crash,
// and whatever unarchives must archive and unarchive again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/PropertyList.h"

namespace {

using foundation::Archivable;
using foundation::KeyedArchive;
using foundation::KeyedArchiver;
using foundation::KeyedUnarchiver;

class Host : public Archivable {
 public:
  std::string archiveClassName() const override { return "Host"; }
  void encode(KeyedArchiver& a) const override {
    a.encode("name", name);
    a.encode("port", port);
  }
  bool decode(const KeyedUnarchiver& u) override {
    name = u.decode("name").asString();
    port = u.decode("port").toInt();
    return u.contains("name");
  }
  std::string name;
  int64_t port = 0;
};

class HostList : public Archivable {
 public:
  std::string archiveClassName() const override { return "HostList"; }
  void encode(KeyedArchiver& a) const override {
    a.encodeObject("primary", primary);
    a.encodeObjects("hosts", hosts);
    a.encode("title", title);
  }
  bool decode(const KeyedUnarchiver& u) override {
    primary = u.decodeObject<Host>("primary");
    hosts = u.decodeObjects<Host>("hosts");
    title = u.decode("title").asString();
    return true;
  }
  std::shared_ptr<Host> primary;
  std::vector<std::shared_ptr<Host>> hosts;
  std::string title;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  KeyedArchive::registerClass<Host>("Host");
  KeyedArchive::registerClass<HostList>("HostList");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parsed =
      foundation::PropertyList::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) return 0;
  auto root = KeyedArchive::unarchive(parsed.value);
  if (!root) return 0;
  auto again = KeyedArchive::unarchive(KeyedArchive::archive(*root));
  if (!again || again->archiveClassName() != root->archiveClassName()) std::abort();
  return 0;
}
