// The adviser directory: the process-wide list of the people a user exchanges messages with.
// Three record tables filled from the message server's staff, client and client-tag lists, the
// display rows built from them, lookups by id and the two switched-off lists.
//
// Main thread only. The core's logout reset (which may run on a network thread) reaches the
// tables only through the handler InstallBrokerDirectoryResetHandler() installs, which hops to
// the main thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/MDBF.h"
#include "platform/foundation/Value.h"
#include "platform/ui/TableViewCell.h"

// Record fields of the three tables.
namespace brokerfield {
constexpr int kId = 32;
constexpr int kName = 33;
constexpr int kMobile = 35;
constexpr int kPhone = 36;
constexpr int kJob = 40;
constexpr int kAddress = 41;
constexpr int kKind = 48;
constexpr int kTagMark = 52;
constexpr int kInitial = 53;
}  // namespace brokerfield

// Filling: each empties its table, copies every record of the source and drops the kept rows.
// The staff and client tables set their loaded flag when they now hold a record.
void LoadStaffTable(MDBF& source);
void LoadClientTable(MDBF& source);
void LoadClientTagTable(MDBF& source);
int AreBrokerTablesLoaded();
void CopyStaffTable(MDBF& target);
void CopyClientTable(MDBF& target);
void CopyClientTagTable(MDBF& target);
int IsAdviserLogin();
// Replaces the kept rows (the message store's date-ordered rows); an empty array empties them.
void KeepSortedBrokerList(const foundation::Array& rows);
// Clears the tables, the kept rows and both loaded flags at once (main thread).
void ClearBrokerDirectory();
// Makes the core's ResetBrokerTables() clear the directory: at once on the main thread,
// otherwise queued there (ahead of anything the caller posts to the main thread afterwards).
void InstallBrokerDirectoryResetHandler();

// Rows: dictionaries of texts ("broker_name", "broker_mphone", "broker_phone", "broker_job",
// "broker_address", "broker_id", "broker_firstABC", "broker_index"). A negative "broker_index"
// marks a group row.
foundation::Array BuildBrokerList();
foundation::Array GetBrokerRows(const foundation::Value& row);
// Sections "#", "A".."Z" (only those with rows, in that order); null for no rows.
foundation::Value GroupBrokersByLetter(const foundation::Array& rows);
// Rows by their "broker_firstABC": the keys "#", "A".."Z" that have rows and, per key, the rows'
// positions in the array. Rows whose initial is no key go under "#" after its own rows, so that
// every row is shown and an index path always names the row displayed there.
struct LetterSections {
  static LetterSections Of(const foundation::Array& rows);
  // The position shown at the path, -1 when there is none.
  int positionAt(const ui::IndexPath& path) const;
  // Where the position is shown; row 0 of section 0 when it is not.
  ui::IndexPath pathOf(int position) const;
  int rowCount(int section) const;
  std::string key(int section) const;

  std::vector<std::string> keys;
  std::vector<std::vector<int>> positions;
};
int FindBrokerIndex(std::string_view id);
std::string FindBrokerName(std::string_view id);
std::string FindBrokerMobile(std::string_view id);
std::string FindBrokerPhone(std::string_view id);

// Switched-off lists: ids joined by ";". "Confirmed" is what the server last reported or took;
// "working" is what the user edits. Either may be absent (never set).
void SetOffMessageBrokers(std::string_view text);
// Both lists absent again (a new process).
void ClearOffMessageBrokers();
std::optional<std::string> GetOffMessageBrokersUTF8();
std::optional<std::string> GetCurrentOffMessageBrokers();
// 0: the upload succeeded (confirmed := working); 1: it failed (working := confirmed).
void ApplyOnOffUploadResult(int code);
// which 1: the confirmed list, otherwise the working one. -1 absent; 0 the whole list is the
// id; else the position among the ids, -1 when not there.
int FindInOffMessageBrokers(std::string_view id, int which);
void ToggleBrokerOnOff(std::string_view id, bool add);
// The ids of a list joined by ";" (a switched-off list, a mail's receivers), in order; an empty
// text gives one empty id.
std::vector<std::string> SplitIds(const std::string& list);
int IsOffMessageBrokersChanged();
