#include "squawk-service/postgres_storage.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "squawk-service/postgres_pool.h"

namespace squawk_service {
namespace {

// Advisory lock keys (first half): the schema, and a macid's holds (second half its hash).
constexpr int kSchemaLock = 0x5351;
constexpr int kMacidLock = 0x5352;
// A request that loses to concurrent ones this many times in a row gives up (503).
constexpr int kMaxAttempts = 50;

// Upgrades[i] takes the schema from version i to i + 1; the program's version is their count.
const std::vector<std::vector<const char*>> kUpgrades = {
    {
        "CREATE TABLE codes("
        "  code INTEGER PRIMARY KEY CHECK (code BETWEEN 0 AND 4095),"
        "  callsign BYTEA UNIQUE, airport BYTEA, destination BYTEA, controller BYTEA,"
        "  macid BYTEA, since BIGINT, last_asked BIGINT, pool BYTEA)",
        "INSERT INTO codes(code) SELECT generate_series(0, 4095)",
        "CREATE INDEX free_codes ON codes(code) WHERE callsign IS NULL",
        "CREATE INDEX held_by_macid ON codes(macid) WHERE callsign IS NOT NULL",
        "CREATE INDEX held_by_last_asked ON codes(last_asked) WHERE callsign IS NOT NULL",
        "CREATE TABLE start_ids(last BIGINT NOT NULL)",
        "INSERT INTO start_ids VALUES (0)",
    },
};
const int kSchemaVersion = static_cast<int>(kUpgrades.size());

// Frees the codes that match `condition`.
std::string ReleaseWhere(const char* condition) {
  return std::string(
             "UPDATE codes SET callsign = NULL, airport = NULL, destination = NULL, "
             "controller = NULL, macid = NULL, since = NULL, last_asked = NULL, pool = NULL "
             "WHERE ") +
         condition;
}
const std::string kReleaseCallsigns = ReleaseWhere("callsign = ANY($1::bytea[])");
const std::string kReleaseIdle = ReleaseWhere("callsign IS NOT NULL AND last_asked < $1");
const std::string kReleaseCode = ReleaseWhere("code = $1");

std::string Number(std::int64_t value) { return std::to_string(value); }

class PostgresStorage : public Storage {
 public:
  PostgresStorage(const std::string& conninfo, int connections) : pool_(conninfo, connections) {
    Retrying([&] { MakeSchema(); });
  }

  AssignResult Assign(const AssignRequest& request) override {
    return Retrying([&] { return AssignOnce(request); });
  }

  std::int32_t NextStartId(std::int32_t minimum) override {
    return Retrying([&] {
      PgRows rows = pool_.Acquire().Exec(
          "UPDATE start_ids SET last = GREATEST(last + 1, $1) WHERE last < $2 RETURNING last",
          {Number(minimum), Number(std::numeric_limits<std::int32_t>::max())});
      if (rows.size() == 0) throw StartIdsExhausted("every start id has been given");
      return static_cast<std::int32_t>(rows.Int(0, 0));
    });
  }

  int ReleaseCallsigns(const std::vector<std::string>& callsigns) override {
    if (callsigns.empty()) return 0;
    return Retrying([&] {
      return pool_.Acquire().Exec(kReleaseCallsigns.c_str(), {PgBytesArray(callsigns)}).Affected();
    });
  }

  int ReleaseIdleSince(std::int64_t last_asked_before) override {
    return Retrying([&] {
      return pool_.Acquire().Exec(kReleaseIdle.c_str(), {Number(last_asked_before)}).Affected();
    });
  }

  std::vector<Hold> Holds() override {
    return Retrying([&] {
      PgRows rows = pool_.Acquire().Exec(
          "SELECT code, callsign, airport, destination, controller, macid, since, last_asked, "
          "pool FROM codes WHERE callsign IS NOT NULL ORDER BY code");
      std::vector<Hold> holds;
      for (int row = 0; row < rows.size(); ++row) {
        holds.push_back({static_cast<int>(rows.Int(row, 0)), rows.Bytes(row, 1), rows.Bytes(row, 2),
                         rows.Bytes(row, 3), rows.Bytes(row, 4), rows.Bytes(row, 5),
                         rows.Int(row, 6), rows.Int(row, 7), rows.Bytes(row, 8)});
      }
      return holds;
    });
  }

  std::vector<int> HeldInSpans(const std::vector<CodeSpan>& spans) override {
    if (spans.empty()) return {};
    std::vector<int> firsts, lasts;
    for (const CodeSpan& span : spans) {
      firsts.push_back(span.first);
      lasts.push_back(span.last);
    }
    return Retrying([&] {
      PgRows rows = pool_.Acquire().Exec(
          "SELECT count(c.code) FROM unnest($1::int[], $2::int[]) WITH ORDINALITY "
          "AS s(first, last, i) LEFT JOIN codes c ON c.callsign IS NOT NULL AND "
          "c.code BETWEEN s.first AND s.last GROUP BY s.i ORDER BY s.i",
          {PgIntArray(firsts), PgIntArray(lasts)});
      std::vector<int> held;
      for (int row = 0; row < rows.size(); ++row)
        held.push_back(static_cast<int>(rows.Int(row, 0)));
      return held;
    });
  }

  bool Healthy() override {
    try {
      // A standby answers but cannot be written.
      return Retrying([&] {
        return pool_.Acquire().Exec("SELECT 1 WHERE NOT pg_is_in_recovery()").size() == 1;
      });
    } catch (const std::exception&) {
      return false;
    }
  }

 private:
  // Runs `work` (one transaction) again after it lost to a concurrent transaction, and once more
  // after a connection found broken (the server restarted since it was last used).
  template <typename Work>
  auto Retrying(Work work) -> decltype(work()) {
    bool reconnected = false;
    for (int attempt = 1;; ++attempt) {
      try {
        return work();
      } catch (const PostgresConflict& conflict) {
        if (attempt >= kMaxAttempts) {
          throw StorageUnavailable(std::string("PostgreSQL: too many conflicts: ") +
                                   conflict.what());
        }
      } catch (const PostgresConnectionLost&) {
        if (reconnected) throw;
        reconnected = true;
      }
    }
  }

  void MakeSchema() {
    PostgresPool::Lease lease = pool_.Acquire();
    lease.Exec("BEGIN");
    // Instances starting together: one makes the schema, the others then find it.
    lease.Exec("SELECT pg_advisory_xact_lock($1)", {Number(kSchemaLock)});
    lease.Exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
    PgRows version = lease.Exec("SELECT max(version) FROM schema_version");
    const int found = version.Null(0, 0) ? 0 : static_cast<int>(version.Int(0, 0));
    if (found > kSchemaVersion) {
      throw StorageUnavailable("the database's schema is version " + Number(found) +
                               ", newer than this program knows (" + Number(kSchemaVersion) +
                               "): run the newer squawk-service that upgraded it");
    }
    for (int step = found; step < kSchemaVersion; ++step) {
      for (const char* statement : kUpgrades[static_cast<std::size_t>(step)]) {
        lease.Exec(statement);
      }
    }
    if (found == 0) {
      lease.Exec("INSERT INTO schema_version VALUES ($1)", {Number(kSchemaVersion)});
    } else if (found < kSchemaVersion) {
      lease.Exec("UPDATE schema_version SET version = $1", {Number(kSchemaVersion)});
    }
    lease.Exec("COMMIT");
  }

  AssignResult AssignOnce(const AssignRequest& request) {
    PostgresPool::Lease lease = pool_.Acquire();
    lease.Exec("BEGIN");
    if (request.idle_before > 0) {
      lease.Exec(kReleaseIdle.c_str(), {Number(request.idle_before)});
    }
    const std::string callsign = PgBytes(request.callsign);
    PgRows hold =
        lease.Exec("SELECT code, pool FROM codes WHERE callsign = $1 FOR UPDATE", {callsign});
    int old_code = -1;
    if (hold.size() > 0) {
      old_code = static_cast<int>(hold.Int(0, 0));
      if (!request.override_code) {
        lease.Exec("UPDATE codes SET last_asked = $2 WHERE code = $1",
                   {Number(old_code), Number(request.now)});
        lease.Exec("COMMIT");
        return {AssignResult::Kind::kHeld, old_code, hold.Bytes(0, 1)};
      }
      lease.Exec(kReleaseCode.c_str(), {Number(old_code)});
    }
    const std::string macid = PgBytes(request.macid);
    lease.Exec("SELECT pg_advisory_xact_lock($1, hashtext(encode($2::bytea, 'hex')))",
               {Number(kMacidLock), macid});
    PgRows held =
        lease.Exec("SELECT count(*) FROM codes WHERE callsign IS NOT NULL AND macid = $1", {macid});
    if (held.Int(0, 0) >= request.max_per_macid) {
      lease.Exec("COMMIT");
      return {AssignResult::Kind::kMacidCap, -1, {}};
    }
    for (const CodeSpan& span : request.candidates) {
      std::vector<int> skipped = {old_code};
      if (request.excluded != nullptr) {
        for (const int code : *request.excluded) {
          if (code >= span.first && code <= span.last) skipped.push_back(code);
        }
      }
      PgRows free = lease.Exec(
          "SELECT code FROM codes WHERE callsign IS NULL AND code BETWEEN $1 AND $2 "
          "AND code <> ALL($3::int[]) ORDER BY code LIMIT 1 FOR UPDATE SKIP LOCKED",
          {Number(span.first), Number(span.last), PgIntArray(skipped)});
      if (free.size() == 0) continue;
      const int code = static_cast<int>(free.Int(0, 0));
      lease.Exec(
          "UPDATE codes SET callsign = $2, airport = $3, destination = $4, controller = $5, "
          "macid = $6, since = $7, last_asked = $7, pool = $8 WHERE code = $1",
          {Number(code), callsign, PgBytes(request.airport), PgBytes(request.destination),
           PgBytes(request.controller), macid, Number(request.now), PgBytes(span.pool)});
      lease.Exec("COMMIT");
      return {AssignResult::Kind::kAssigned, code, span.pool};
    }
    lease.Exec("COMMIT");
    return {AssignResult::Kind::kNoFreeCode, -1, {}};
  }

  PostgresPool pool_;
};

}  // namespace

std::unique_ptr<Storage> OpenPostgresStorage(const std::string& conninfo, int connections) {
  return std::make_unique<PostgresStorage>(conninfo, connections);
}

}  // namespace squawk_service
