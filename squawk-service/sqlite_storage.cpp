#include "squawk-service/sqlite_storage.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

namespace squawk_service {
namespace {

constexpr int kSchemaVersion = 1;
constexpr int kCodes = 4096;
constexpr std::size_t kMaxBatch = 64;  // calls a transaction does at most

constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS codes(
  code INTEGER PRIMARY KEY CHECK (code BETWEEN 0 AND 4095),
  callsign TEXT UNIQUE, airport TEXT, destination TEXT, controller TEXT, macid TEXT,
  since INTEGER, last_asked INTEGER, pool TEXT);
CREATE INDEX IF NOT EXISTS free_codes ON codes(code) WHERE callsign IS NULL;
CREATE INDEX IF NOT EXISTS held_by_macid ON codes(macid) WHERE callsign IS NOT NULL;
CREATE INDEX IF NOT EXISTS held_by_last_asked ON codes(last_asked) WHERE callsign IS NOT NULL;
CREATE TABLE IF NOT EXISTS start_ids(last INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS health(checked INTEGER NOT NULL);
)sql";

constexpr char kRelease[] =
    "UPDATE codes SET callsign = NULL, airport = NULL, destination = NULL, controller = NULL, "
    "macid = NULL, since = NULL, last_asked = NULL, pool = NULL ";

// One prepared statement, kept for the life of the connection; reset after each use.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr) !=
        SQLITE_OK) {
      throw StorageUnavailable(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds the values to ?1, ?2, ... after a reset.
  template <typename... Values>
  Statement& Bind(const Values&... values) {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    int index = 0;
    (BindOne(++index, values), ...);
    return *this;
  }
  // True while there is a row.
  bool Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(statement_);
    throw StorageUnavailable("SQLite: " + message);
  }
  void Run() {
    while (Step()) {
    }
    sqlite3_reset(statement_);
  }
  std::int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
  std::string Text(int column) {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
  }
  void Reset() { sqlite3_reset(statement_); }

 private:
  void BindOne(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
  void BindOne(int index, int value) { sqlite3_bind_int64(statement_, index, value); }
  void BindOne(int index, const std::string& value) {
    sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
  }

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class SqliteStorage final : public Storage {
 public:
  explicit SqliteStorage(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StorageUnavailable("cannot open " + path + ": " + message);
    }
    try {
      sqlite3_busy_timeout(db_, 10000);
      Exec("PRAGMA journal_mode=WAL");
      Exec("PRAGMA synchronous=FULL");
      Exec("BEGIN IMMEDIATE");
      Exec(kSchema);
      CreateRows();
      Exec("COMMIT");
    } catch (const StorageUnavailable& e) {
      sqlite3_close(db_);
      throw StorageUnavailable(path + ": " + e.what());
    }
    select_held_ =
        std::make_unique<Statement>(db_, "SELECT code, pool FROM codes WHERE callsign = ?1");
    touch_ = std::make_unique<Statement>(db_, "UPDATE codes SET last_asked = ?2 WHERE code = ?1");
    release_code_ =
        std::make_unique<Statement>(db_, (std::string(kRelease) + "WHERE code = ?1").c_str());
    release_callsign_ =
        std::make_unique<Statement>(db_, (std::string(kRelease) + "WHERE callsign = ?1").c_str());
    release_idle_ = std::make_unique<Statement>(
        db_, (std::string(kRelease) + "WHERE callsign IS NOT NULL AND last_asked < ?1").c_str());
    count_macid_ = std::make_unique<Statement>(
        db_,
        "SELECT count(*) FROM (SELECT 1 FROM codes WHERE callsign IS NOT NULL AND macid = ?1 "
        "LIMIT ?2)");
    free_in_span_ = std::make_unique<Statement>(
        db_,
        "SELECT code FROM codes WHERE callsign IS NULL AND code BETWEEN ?1 AND ?2 ORDER BY code");
    take_ = std::make_unique<Statement>(
        db_,
        "UPDATE codes SET callsign = ?2, airport = ?3, destination = ?4, controller = ?5, "
        "macid = ?6, since = ?7, last_asked = ?7, pool = ?8 WHERE code = ?1 AND callsign IS NULL");
    held_in_span_ = std::make_unique<Statement>(
        db_, "SELECT count(*) FROM codes WHERE callsign IS NOT NULL AND code BETWEEN ?1 AND ?2");
    holds_ = std::make_unique<Statement>(
        db_,
        "SELECT code, callsign, airport, destination, controller, macid, since, last_asked, pool "
        "FROM codes WHERE callsign IS NOT NULL ORDER BY code");
    last_start_id_ = std::make_unique<Statement>(db_, "SELECT last FROM start_ids");
    set_start_id_ = std::make_unique<Statement>(db_, "UPDATE start_ids SET last = ?1");
    health_ = std::make_unique<Statement>(db_, "UPDATE health SET checked = checked + 1");
  }

  ~SqliteStorage() override {
    select_held_.reset();
    touch_.reset();
    release_code_.reset();
    release_callsign_.reset();
    release_idle_.reset();
    count_macid_.reset();
    free_in_span_.reset();
    take_.reset();
    held_in_span_.reset();
    holds_.reset();
    last_start_id_.reset();
    set_start_id_.reset();
    health_.reset();
    sqlite3_close(db_);
  }

  AssignResult Assign(const AssignRequest& request) override {
    AssignResult result;
    Run([&] { result = AssignInTransaction(request); });
    return result;
  }

  std::int32_t NextStartId(std::int32_t minimum) override {
    std::int32_t id = 0;
    Run([&] {
      last_start_id_->Bind();
      last_start_id_->Step();
      const std::int64_t last = last_start_id_->Int(0);
      last_start_id_->Reset();
      const std::int64_t next = std::max<std::int64_t>(last + 1, minimum);
      if (next > std::numeric_limits<std::int32_t>::max()) {
        throw StartIdsExhausted("every start id has been given");
      }
      set_start_id_->Bind(next).Run();
      id = static_cast<std::int32_t>(next);
    });
    return id;
  }

  int ReleaseCallsigns(const std::vector<std::string>& callsigns) override {
    int released = 0;
    Run([&] {
      for (const std::string& callsign : callsigns) {
        release_callsign_->Bind(callsign).Run();
        released += sqlite3_changes(db_);
      }
    });
    return released;
  }

  int ReleaseIdleSince(std::int64_t last_asked_before) override {
    int released = 0;
    Run([&] {
      release_idle_->Bind(last_asked_before).Run();
      released = sqlite3_changes(db_);
    });
    return released;
  }

  std::vector<Hold> Holds() override {
    std::vector<Hold> holds;
    Run([&] {
      holds_->Bind();
      while (holds_->Step()) {
        holds.push_back(Hold{static_cast<int>(holds_->Int(0)), holds_->Text(1), holds_->Text(2),
                             holds_->Text(3), holds_->Text(4), holds_->Text(5), holds_->Int(6),
                             holds_->Int(7), holds_->Text(8)});
      }
    });
    return holds;
  }

  std::vector<int> HeldInSpans(const std::vector<CodeSpan>& spans) override {
    std::vector<int> held;
    Run([&] {
      for (const CodeSpan& span : spans) {
        held_in_span_->Bind(span.first, span.last);
        held_in_span_->Step();
        held.push_back(static_cast<int>(held_in_span_->Int(0)));
        held_in_span_->Reset();
      }
    });
    return held;
  }

  bool Healthy() override {
    try {
      Run([&] { health_->Bind().Run(); });
      return true;
    } catch (const StorageUnavailable&) {
      return false;
    }
  }

 private:
  // A call waiting to be done in the next transaction.
  struct Pending {
    const std::function<void()>* work = nullptr;
    std::exception_ptr error;
    bool done = false;
  };

  void Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
      sqlite3_free(message);
      throw StorageUnavailable("SQLite: " + text);
    }
  }

  void CreateRows() {
    Statement version(db_, "SELECT version FROM schema_version");
    if (version.Bind().Step()) {
      const std::int64_t found = version.Int(0);
      version.Reset();
      if (found > kSchemaVersion) {
        throw StorageUnavailable("the database was written by a newer version (schema " +
                                 std::to_string(found) + ")");
      }
      return;
    }
    version.Reset();
    Exec("INSERT INTO schema_version VALUES (1)");
    Exec("INSERT INTO start_ids VALUES (0)");
    Exec("INSERT INTO health VALUES (0)");
    Statement insert(db_, "INSERT INTO codes(code) VALUES (?1)");
    for (int code = 0; code < kCodes; ++code) insert.Bind(code).Run();
  }

  // Does `work` in a transaction, together with the calls that arrive while another transaction
  // is being committed or while this one's work is being done (group commit: one disk flush for
  // them all). Rethrows what `work` threw, or StorageUnavailable when the transaction could not
  // be committed.
  void Run(const std::function<void()>& work) {
    Pending mine;
    mine.work = &work;
    std::unique_lock lock(mutex_);
    queue_.push_back(&mine);
    while (!mine.done) {
      if (committing_) {
        changed_.wait(lock);
        continue;
      }
      committing_ = true;
      std::vector<Pending*> batch;
      batch.swap(queue_);
      lock.unlock();
      Commit(batch);
      lock.lock();
      committing_ = false;
      for (Pending* pending : batch) pending->done = true;
      changed_.notify_all();
    }
    if (mine.error) std::rethrow_exception(mine.error);
  }

  // Does the work of `batch` and of the calls that join it (appended to `batch`) in one
  // transaction.
  void Commit(std::vector<Pending*>& batch) {
    try {
      Exec("BEGIN IMMEDIATE");
    } catch (const StorageUnavailable&) {
      for (Pending* pending : batch) pending->error = std::current_exception();
      return;
    }
    // Calls that arrive while the batch's work is being done join it, up to a bound that keeps a
    // steady stream of calls from holding its first ones back.
    for (std::size_t next = 0; next < batch.size(); ++next) {
      Pending* pending = batch[next];
      try {
        Exec("SAVEPOINT request");
        (*pending->work)();
        Exec("RELEASE request");
      } catch (...) {
        pending->error = std::current_exception();
        sqlite3_exec(db_, "ROLLBACK TO request; RELEASE request", nullptr, nullptr, nullptr);
      }
      if (next + 1 == batch.size() && batch.size() < kMaxBatch) {
        std::lock_guard lock(mutex_);
        const std::size_t joining = std::min(queue_.size(), kMaxBatch - batch.size());
        batch.insert(batch.end(), queue_.begin(),
                     queue_.begin() + static_cast<std::ptrdiff_t>(joining));
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(joining));
      }
    }
    try {
      Exec("COMMIT");
    } catch (const StorageUnavailable&) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      for (Pending* pending : batch) pending->error = std::current_exception();
    }
  }

  AssignResult AssignInTransaction(const AssignRequest& request) {
    if (request.idle_before > 0) release_idle_->Bind(request.idle_before).Run();
    int avoid = -1;
    select_held_->Bind(request.callsign);
    if (select_held_->Step()) {
      const int code = static_cast<int>(select_held_->Int(0));
      std::string pool = select_held_->Text(1);
      select_held_->Reset();
      if (!request.override_code) {
        touch_->Bind(code, request.now).Run();
        return {AssignResult::Kind::kHeld, code, std::move(pool)};
      }
      release_code_->Bind(code).Run();
      avoid = code;
    } else {
      select_held_->Reset();
    }
    if (!request.macid.empty()) {
      // Counted up to the cap: a macid holding many codes costs no more than the cap's worth.
      count_macid_->Bind(request.macid, request.max_per_macid);
      count_macid_->Step();
      const std::int64_t held = count_macid_->Int(0);
      count_macid_->Reset();
      if (held >= request.max_per_macid) return {AssignResult::Kind::kMacidCap, -1, ""};
    }
    for (const CodeSpan& span : request.candidates) {
      const std::optional<int> code = LowestFree(span, avoid, request.excluded);
      if (!code) continue;
      take_
          ->Bind(*code, request.callsign, request.airport, request.destination, request.controller,
                 request.macid, request.now, span.pool)
          .Run();
      if (sqlite3_changes(db_) != 1) throw StorageUnavailable("code taken during assignment");
      return {AssignResult::Kind::kAssigned, *code, span.pool};
    }
    return {AssignResult::Kind::kNoFreeCode, -1, ""};
  }

  // The lowest free code of `span` that is neither `avoid` nor excluded. The free codes are read
  // in order from their index, so a full span costs one index look-up.
  std::optional<int> LowestFree(const CodeSpan& span, int avoid,
                                const std::unordered_set<int>* excluded) {
    free_in_span_->Bind(span.first, span.last);
    std::optional<int> found;
    while (free_in_span_->Step()) {
      const int code = static_cast<int>(free_in_span_->Int(0));
      if (code == avoid || (excluded != nullptr && excluded->count(code) != 0)) continue;
      found = code;
      break;
    }
    free_in_span_->Reset();
    return found;
  }

  sqlite3* db_ = nullptr;
  std::unique_ptr<Statement> select_held_, touch_, release_code_, release_callsign_, release_idle_,
      count_macid_, free_in_span_, take_, held_in_span_, holds_, last_start_id_, set_start_id_,
      health_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Pending*> queue_;  // guarded by mutex_
  bool committing_ = false;      // guarded by mutex_
};

}  // namespace

std::unique_ptr<Storage> OpenSqliteStorage(const std::string& path) {
  return std::make_unique<SqliteStorage>(path);
}

}  // namespace squawk_service
