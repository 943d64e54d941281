#include "kline/TechIndexParams.h"

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace kline {

ParamTable BuiltInParams() {
  return {{{12, 26, 9, 0}, {9, 3, 3, 0}, {6, 12, 24, 0}, {6, 12, 24, 0}, {14, 0, 0, 0}}};
}

int ParamColumns(int row) {
  return row == 4 ? 1 : 3;
}

foundation::Value CheckedParamList(const foundation::Value& list) {
  if (!list.isArray() || list.size() != kParamRows) return {};
  for (size_t i = 0; i < kParamRows; ++i)
    if (!list.at(i).isDictionary()) return {};
  return list;
}

ParamTable TableFromList(const foundation::Value& list, const ParamTable& fallback) {
  ParamTable out = fallback;
  const foundation::Value checked = CheckedParamList(list);
  if (checked.isNull()) return out;
  for (int i = 0; i < kParamRows; ++i) {
    const foundation::Dictionary& d = checked.at(static_cast<size_t>(i)).asDictionary();
    for (int j = 0; j < kParamColumns; ++j) {
      const foundation::Value* v = d.find(std::to_string(j));
      if (!v) continue;
      double x = 0;
      if (v->isNumber()) {
        x = v->toReal();
      } else if (v->isString()) {
        // A number written as text reads as one, as the list's integer reading does.
        const std::string& text = v->asString();
        char* end = nullptr;
        x = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0') continue;
      } else {
        continue;
      }
      if (x >= kParamMin && x <= kParamMax && x == static_cast<int>(x))
        out[static_cast<size_t>(i)][static_cast<size_t>(j)] = static_cast<int32_t>(x);
    }
  }
  return out;
}

foundation::Value ListFromTable(const ParamTable& table) {
  foundation::Array rows;
  for (int i = 0; i < kParamRows; ++i) {
    foundation::Dictionary d;
    for (int j = 0; j < ParamColumns(i); ++j)
      d.set(std::to_string(j), table[static_cast<size_t>(i)][static_cast<size_t>(j)]);
    rows.emplace_back(std::move(d));
  }
  return foundation::Value(std::move(rows));
}

std::string ParamStore::savedPath() {
  return foundation::documentsPath(kParamSavedFile);
}

void ParamStore::load() {
  const ParamTable builtIn = BuiltInParams();
  foundation::Value bundle = CheckedParamList(
      foundation::PropertyList::readFile(foundation::bundlePath(kParamBundleFile)).value);
  if (bundle.isNull()) {
    foundation::logError("%s unreadable: built-in indicator periods", kParamBundleFile);
    bundle = ListFromTable(builtIn);
  }
  defaults = TableFromList(bundle, builtIn);
  foundation::Value saved = CheckedParamList(foundation::PropertyList::readFile(savedPath()).value);
  list = saved.isNull() ? bundle : saved;
  table = TableFromList(list, defaults);
}

bool ParamStore::apply(int row, const int32_t* values, int count) {
  if (row < 0 || row >= kParamRows || !values) return false;
  count = std::clamp(count, 0, kParamColumns);
  if (CheckedParamList(list).isNull()) list = ListFromTable(table);
  foundation::Dictionary& d = list.mutableArray()[static_cast<size_t>(row)].mutableDictionary();
  for (int c = 0; c < count; ++c) {
    table[static_cast<size_t>(row)][static_cast<size_t>(c)] = values[c];
    d.set(std::to_string(c), values[c]);
  }
  return foundation::PropertyList::writeFile(savedPath(), list,
                                             foundation::PropertyListFormat::Xml);
}

}  // namespace kline
