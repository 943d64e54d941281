#include "messaging/BrokerDirectory.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/CoreState.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/RunLoop.h"

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

BrokerDirectoryState& Dir() {
  return MessagingSession::shared().directory();
}

Value DisplayRow(MDBF& table, int index) {
  using namespace brokerfield;
  Dictionary row{{"broker_name", Value(table.GetNSString(kName))},
                 {"broker_mphone", Value(table.GetNSString(kMobile))},
                 {"broker_phone", Value(table.GetNSString(kPhone))},
                 {"broker_job", Value(table.GetNSString(kJob))},
                 {"broker_address", Value(table.GetNSString(kAddress))},
                 {"broker_id", Value(table.GetNSString(kId))},
                 {"broker_firstABC", Value(table.GetNSString(kInitial))},
                 {"broker_index", Value(std::to_string(index))}};
  return Value(std::move(row));
}

Value GroupRow(const std::string& name, int index) {
  return Value(Dictionary{{"broker_name", Value(name)},
                          {"broker_firstABC", Value("#")},
                          {"broker_index", Value(std::to_string(index))}});
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Rows without an initial go last; two such rows are equal, so this stays a strict weak order.
bool InitialLess(const Value& a, const Value& b) {
  const Value* ia = a.asDictionary().find("broker_firstABC");
  const Value* ib = b.asDictionary().find("broker_firstABC");
  if (!ia) return false;
  if (!ib) return true;
  return Upper(ia->toString()) < Upper(ib->toString());
}

void SortByInitial(Array& rows) {
  std::stable_sort(rows.begin(), rows.end(), InitialLess);
}

std::string JoinIds(const std::vector<std::string>& ids) {
  std::string out;
  for (const auto& id : ids) {
    if (!out.empty()) out += ';';
    out += id;
  }
  return out;
}

void CopyTable(MDBF& table, MDBF& source) {
  table.Clear();
  table.CopyFrom(source, 0, -1);
}

void LoadTable(MDBF& table, MDBF& source, int flag) {
  CopyTable(table, source);
  if (flag >= 0 && table.GetRecordNum() > 0) SetBrokerTableLoaded(flag, 1);
  Dir().sorted.clear();
}

std::string FindField(std::string_view id, int field) {
  if (id.empty()) return {};
  for (MDBF* table : {&Dir().staff, &Dir().clients}) {
    for (int i = 0; i < table->GetRecordNum(); ++i) {
      table->Seek(i);
      if (table->GetNSString(brokerfield::kId) == id) return table->GetNSString(field);
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> SplitIds(const std::string& list) {
  std::vector<std::string> ids;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    ids.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return ids;
}

void LoadStaffTable(MDBF& source) {
  LoadTable(Dir().staff, source, 0);
}
void LoadClientTable(MDBF& source) {
  LoadTable(Dir().clients, source, 1);
}
void LoadClientTagTable(MDBF& source) {
  LoadTable(Dir().clientTags, source, -1);
}

int AreBrokerTablesLoaded() {
  return (IsBrokerTableLoaded(0) || IsBrokerTableLoaded(1)) ? 1 : 0;
}

void CopyStaffTable(MDBF& target) {
  CopyTable(target, Dir().staff);
}
void CopyClientTable(MDBF& target) {
  CopyTable(target, Dir().clients);
}
void CopyClientTagTable(MDBF& target) {
  CopyTable(target, Dir().clientTags);
}

int IsAdviserLogin() {
  return GetMsgUserType() == 1 ? 1 : 0;
}

void KeepSortedBrokerList(const Array& rows) {
  Dir().sorted = rows;
}

void ClearBrokerDirectory() {
  SetBrokerTableLoaded(0, 0);
  SetBrokerTableLoaded(1, 0);
  BrokerDirectoryState& dir = Dir();
  dir.staff.Clear();
  dir.clients.Clear();
  dir.clientTags.Clear();
  dir.sorted.clear();
}

void InstallBrokerDirectoryResetHandler() {
  SetBrokerTablesResetHandler([] {
    // The relogin and forced-logout answers reset on the network thread while the screens read
    // the directory on the main thread: clear it there, queued ahead of the "relogin" post.
    foundation::performOnMain([] { ClearBrokerDirectory(); });
  });
}

Array BuildBrokerList() {
  BrokerDirectoryState& dir = Dir();
  if (!dir.sorted.empty()) return dir.sorted;
  using namespace brokerfield;
  Array rows;
  auto addRowsWithInitial = [&rows](MDBF& table, bool dropEqual) {
    for (int i = 0; i < table.GetRecordNum(); ++i) {
      table.Seek(i);
      if (table.GetNSString(kInitial).empty()) continue;
      Value row = DisplayRow(table, i);
      if (dropEqual) std::erase(rows, row);
      rows.push_back(std::move(row));
    }
  };
  if (IsAdviserLogin()) {
    rows.push_back(GroupRow("所有投顾", -1));
    rows.push_back(GroupRow("所有营销", -2));
    rows.push_back(GroupRow("所有股民", -3));
    for (int i = 0; i < dir.clientTags.GetRecordNum(); ++i) {
      dir.clientTags.Seek(i);
      if (dir.clientTags.GetInt(kTagMark) != 1) continue;
      std::string name = dir.clientTags.GetNSString(kName);
      if (name.empty()) continue;
      Value row = GroupRow(name, -(i + 4));
      row["broker_id"] = Value(dir.clientTags.GetNSString(kId));
      rows.push_back(std::move(row));
    }
    addRowsWithInitial(dir.clients, false);
    addRowsWithInitial(dir.staff, true);
  } else {
    addRowsWithInitial(dir.staff, false);
  }
  SortByInitial(rows);
  dir.sorted = rows;
  return rows;
}

Array GetBrokerRows(const Value& row) {
  using namespace brokerfield;
  BrokerDirectoryState& dir = Dir();
  Array rows;
  int64_t n = row["broker_index"].toInt(0);
  if (n == -1 || n == -2) {
    for (int i = 0; i < dir.staff.GetRecordNum(); ++i) {
      dir.staff.Seek(i);
      if (dir.staff.GetInt(kKind) == -n) rows.push_back(DisplayRow(dir.staff, i));
    }
  } else if (n == -3) {
    for (int i = 0; i < dir.clients.GetRecordNum(); ++i) {
      dir.clients.Seek(i);
      if (!dir.clients.GetNSString(kInitial).empty()) rows.push_back(DisplayRow(dir.clients, i));
    }
  } else if (n < -3) {
    std::string tagId = row["broker_id"].toString();
    bool inGroup = false;
    for (int i = 0; i < dir.clientTags.GetRecordNum(); ++i) {
      dir.clientTags.Seek(i);
      bool isTag = dir.clientTags.GetInt(kTagMark) == 1;
      std::string id = dir.clientTags.GetNSString(kId);
      if (isTag) {
        if (inGroup) break;
        inGroup = id == tagId;
        continue;
      }
      if (!inGroup) continue;
      for (int c = 0; c < dir.clients.GetRecordNum(); ++c) {
        dir.clients.Seek(c);
        if (dir.clients.GetNSString(kId) != id) continue;
        Value member = DisplayRow(dir.clients, c);
        member["broker_index"] = Value(std::to_string(i));
        rows.push_back(std::move(member));
        break;
      }
    }
  }
  SortByInitial(rows);
  return rows;
}

Value GroupBrokersByLetter(const Array& rows) {
  if (rows.empty()) return Value();
  Dictionary sections;
  std::string keys = "#ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (char key : keys) {
    std::string k(1, key);
    Array section;
    for (const Value& row : rows) {
      if (Upper(row["broker_firstABC"].toString()) == k) section.push_back(row);
    }
    if (!section.empty()) sections.set(k, Value(std::move(section)));
  }
  return Value(std::move(sections));
}

LetterSections LetterSections::Of(const Array& rows) {
  LetterSections sections;
  const std::string keys = "#ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> initials;
  std::vector<int> leftovers;
  for (size_t i = 0; i < rows.size(); ++i) {
    initials.push_back(Upper(rows[i]["broker_firstABC"].toString()));
    const std::string& initial = initials.back();
    if (initial.size() != 1 || keys.find(initial[0]) == std::string::npos)
      leftovers.push_back(static_cast<int>(i));
  }
  for (char key : keys) {
    std::vector<int> positions;
    for (size_t i = 0; i < rows.size(); ++i)
      if (initials[i] == std::string(1, key)) positions.push_back(static_cast<int>(i));
    if (key == '#') positions.insert(positions.end(), leftovers.begin(), leftovers.end());
    if (positions.empty()) continue;
    sections.keys.emplace_back(1, key);
    sections.positions.push_back(std::move(positions));
  }
  return sections;
}

int LetterSections::positionAt(const ui::IndexPath& path) const {
  if (path.section < 0 || path.section >= static_cast<int>(positions.size())) return -1;
  const auto& rows = positions[static_cast<size_t>(path.section)];
  if (path.row < 0 || path.row >= static_cast<int>(rows.size())) return -1;
  return rows[static_cast<size_t>(path.row)];
}

ui::IndexPath LetterSections::pathOf(int position) const {
  for (size_t s = 0; s < positions.size(); ++s) {
    auto at = std::find(positions[s].begin(), positions[s].end(), position);
    if (at != positions[s].end())
      return ui::IndexPath::forRow(static_cast<int>(at - positions[s].begin()),
                                   static_cast<int>(s));
  }
  return ui::IndexPath::forRow(0, 0);
}

int LetterSections::rowCount(int section) const {
  return section >= 0 && section < static_cast<int>(positions.size())
             ? static_cast<int>(positions[static_cast<size_t>(section)].size())
             : 0;
}

std::string LetterSections::key(int section) const {
  return section >= 0 && section < static_cast<int>(keys.size())
             ? keys[static_cast<size_t>(section)]
             : std::string();
}

int FindBrokerIndex(std::string_view id) {
  if (id.empty()) return -1;
  Array rows = BuildBrokerList();
  for (size_t i = 0; i < rows.size(); ++i) {
    const Value* rowId = rows[i].asDictionary().find("broker_id");
    if (rowId && rowId->toString() == id) return static_cast<int>(i);
  }
  return -1;
}

std::string FindBrokerName(std::string_view id) {
  return FindField(id, brokerfield::kName);
}
std::string FindBrokerMobile(std::string_view id) {
  return FindField(id, brokerfield::kMobile);
}
std::string FindBrokerPhone(std::string_view id) {
  return FindField(id, brokerfield::kPhone);
}

void SetOffMessageBrokers(std::string_view text) {
  Dir().currentOff = std::string(text);
  Dir().newOff = std::string(text);
}

void ClearOffMessageBrokers() {
  Dir().currentOff.reset();
  Dir().newOff.reset();
}

std::optional<std::string> GetOffMessageBrokersUTF8() {
  return Dir().newOff;
}

std::optional<std::string> GetCurrentOffMessageBrokers() {
  return Dir().currentOff;
}

void ApplyOnOffUploadResult(int code) {
  if (code == 0) {
    Dir().currentOff = Dir().newOff;
  } else if (code == 1) {
    Dir().newOff = Dir().currentOff;
  }
}

int FindInOffMessageBrokers(std::string_view id, int which) {
  const std::optional<std::string>& list = which == 1 ? Dir().currentOff : Dir().newOff;
  if (!list) return -1;
  if (id.empty()) return -1;
  if (*list == id) return 0;
  std::vector<std::string> ids = SplitIds(*list);
  auto at = std::find(ids.begin(), ids.end(), id);
  return at == ids.end() ? -1 : static_cast<int>(at - ids.begin());
}

void ToggleBrokerOnOff(std::string_view id, bool add) {
  if (id.empty()) return;
  std::optional<std::string>& list = Dir().newOff;
  std::string old = list.value_or("");
  bool present = FindInOffMessageBrokers(id, 0) >= 0;
  if (add) {
    if (present) return;
    list = old.empty() ? std::string(id) : old + ";" + std::string(id);
    return;
  }
  if (!present) return;
  std::vector<std::string> ids = SplitIds(old);
  std::erase(ids, std::string(id));
  // Drop empty items too, so no leading, trailing or doubled ";" is left behind.
  std::erase(ids, std::string());
  list = JoinIds(ids);
}

int IsOffMessageBrokersChanged() {
  const auto& current = Dir().currentOff;
  const auto& working = Dir().newOff;
  if (!current && !working) return 0;
  if (!current || !working) return 1;
  if (current->size() != working->size()) return 1;
  std::vector<std::string> a = SplitIds(*current);
  std::vector<std::string> b = SplitIds(*working);
  if (a.size() != b.size()) return 1;
  for (const auto& id : b) {
    if (std::find(a.begin(), a.end(), id) == a.end()) return 1;
  }
  return 0;
}
