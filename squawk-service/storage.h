// Where the squawk service keeps its state: the codes held (by callsign) and the start ids given.
//
// Every call is one transaction, committed (on disk for a file database) before it returns, so a
// reply sent after it survives a crash of the service. The database alone guarantees that no code
// is held twice and no callsign holds two codes, also with several service instances on one
// database. Codes are numbers 0 to 4095 (the four octal digits read as a base-8 number).
//
// Thread: every implementation may be called from any number of threads at once. Failure: a
// database that cannot be reached or written throws StorageUnavailable; nothing is half done.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

namespace squawk_service {

// The database cannot be opened, read or written (or has a newer schema than this program).
class StorageUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every start id up to the largest 32-bit number has been given.
class StartIdsExhausted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Codes `first` to `last` (inclusive) of the pool named `pool` (a label for the status page and
// the metrics, such as "EGLL", "EG>EG", "EG" or "*").
struct CodeSpan {
  int first = 0;
  int last = 0;
  std::string pool;

  friend bool operator==(const CodeSpan&, const CodeSpan&) = default;
};

struct AssignRequest {
  std::string callsign;     // the key of a hold
  std::string airport;      // departure, for the record
  std::string destination;  // for the record
  std::string controller;   // for the record
  std::string macid;        // the asking client; counts against max_per_macid
  // Release the callsign's code first, then choose a new one other than that code.
  bool override_code = false;
  std::int64_t now = 0;  // unix seconds: "since" of a new hold, "last asked" of every hold asked
  // Holds last asked before this time are released first, in the same transaction (0: none).
  std::int64_t idle_before = 0;
  // Where a new code may come from, in the order to try; within a span the lowest free code.
  std::vector<CodeSpan> candidates;
  // Codes never handed out by this request (reserved, squawked by other aircraft); may be null.
  const std::unordered_set<int>* excluded = nullptr;
  // A new code is refused when the macid holds this many codes already.
  int max_per_macid = 100;
};

struct AssignResult {
  enum class Kind {
    kHeld,        // the callsign's code, kept (its "last asked" is now)
    kAssigned,    // a new code, now held by the callsign
    kNoFreeCode,  // every candidate is held or excluded; nothing held by the callsign now
    kMacidCap,    // the macid holds max_per_macid codes; nothing held by the callsign now
  };
  Kind kind = Kind::kNoFreeCode;
  int code = -1;     // for kHeld and kAssigned
  std::string pool;  // the pool of the code (as stored when it was assigned)
};

struct Hold {
  int code = 0;
  std::string callsign;
  std::string airport;
  std::string destination;
  std::string controller;
  std::string macid;
  std::int64_t since = 0;       // unix seconds
  std::int64_t last_asked = 0;  // unix seconds
  std::string pool;
};

class Storage {
 public:
  virtual ~Storage() = default;

  virtual AssignResult Assign(const AssignRequest& request) = 0;

  // A start id at least `minimum` and above every id this database has given. Ids never wrap:
  // once the largest 32-bit number has been given, throws StartIdsExhausted.
  virtual std::int32_t NextStartId(std::int32_t minimum) = 0;

  // Releases the codes held by these callsigns (absent ones are ignored); the number released.
  virtual int ReleaseCallsigns(const std::vector<std::string>& callsigns) = 0;

  // Releases every hold last asked before `last_asked_before`; the number released.
  virtual int ReleaseIdleSince(std::int64_t last_asked_before) = 0;

  // Every hold, by code.
  virtual std::vector<Hold> Holds() = 0;

  // How many codes of each span are held, in the order of `spans`.
  virtual std::vector<int> HeldInSpans(const std::vector<CodeSpan>& spans) = 0;

  // Whether the database can be written now (never throws).
  virtual bool Healthy() = 0;
};

// "postgresql://..." or "postgres://..." opens PostgreSQL; anything else is a SQLite file name
// (":memory:" a database of the process's own). Creates the schema on first use. Throws
// StorageUnavailable with the reason when the database cannot be opened.
std::unique_ptr<Storage> OpenStorage(const std::string& where);

}  // namespace squawk_service
