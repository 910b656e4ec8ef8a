#include "squawk-service/postgres_storage.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "squawk-service/postgres_pool.h"

namespace squawk_service {
namespace {

// Advisory lock key of the schema.
constexpr int kSchemaLock = 0x5351;
// A request that loses to concurrent ones this many times in a row gives up (503).
constexpr int kMaxAttempts = 50;

// One request in one round trip. Kinds: 0 held, 1 assigned, 2 no free code, 3 macid cap.
// A callsign asked of two instances at once: the loser's UPDATE breaks the unique callsign
// (23505) and the caller retries, then finds the winner's hold. A macid's holds are counted under
// an advisory lock of that macid (21330 and its hash), so its cap holds across instances too.
constexpr char kAssignFunction[] = R"sql(
CREATE FUNCTION squawk_assign(
  p_callsign BYTEA, p_airport BYTEA, p_destination BYTEA, p_controller BYTEA, p_macid BYTEA,
  p_override BOOLEAN, p_now BIGINT, p_idle_before BIGINT, p_firsts INT[], p_lasts INT[],
  p_pools BYTEA[], p_excluded INT[], p_max_per_macid INT,
  OUT o_kind INT, OUT o_code INT, OUT o_pool BYTEA) LANGUAGE plpgsql AS $$
DECLARE
  old_code INT;
BEGIN
  IF p_idle_before > 0 THEN
    UPDATE codes SET callsign = NULL, airport = NULL, destination = NULL, controller = NULL,
      macid = NULL, since = NULL, last_asked = NULL, pool = NULL
      WHERE callsign IS NOT NULL AND last_asked < p_idle_before;
  END IF;
  SELECT c.code, c.pool INTO old_code, o_pool FROM codes c WHERE c.callsign = p_callsign
    FOR UPDATE;
  IF FOUND THEN
    IF NOT p_override THEN
      UPDATE codes SET last_asked = p_now WHERE code = old_code;
      o_kind := 0; o_code := old_code; RETURN;
    END IF;
    UPDATE codes SET callsign = NULL, airport = NULL, destination = NULL, controller = NULL,
      macid = NULL, since = NULL, last_asked = NULL, pool = NULL WHERE code = old_code;
  ELSE
    old_code := -1;
  END IF;
  o_code := -1; o_pool := NULL;
  PERFORM pg_advisory_xact_lock(21330, hashtext(encode(p_macid, 'hex')));
  IF (SELECT count(*) FROM codes c WHERE c.callsign IS NOT NULL AND c.macid = p_macid)
      >= p_max_per_macid THEN
    o_kind := 3; RETURN;
  END IF;
  FOR i IN 1 .. coalesce(array_length(p_firsts, 1), 0) LOOP
    SELECT c.code INTO o_code FROM codes c
      WHERE c.callsign IS NULL AND c.code BETWEEN p_firsts[i] AND p_lasts[i]
        AND c.code <> old_code AND c.code <> ALL(p_excluded)
      ORDER BY c.code LIMIT 1 FOR UPDATE SKIP LOCKED;
    IF FOUND THEN
      UPDATE codes SET callsign = p_callsign, airport = p_airport, destination = p_destination,
        controller = p_controller, macid = p_macid, since = p_now, last_asked = p_now,
        pool = p_pools[i] WHERE code = o_code;
      o_kind := 1; o_pool := p_pools[i]; RETURN;
    END IF;
  END LOOP;
  o_kind := 2; o_code := -1; RETURN;
END $$)sql";

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
        kAssignFunction,
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
    std::vector<int> firsts, lasts, excluded;
    std::vector<std::string> pools;
    for (const CodeSpan& span : request.candidates) {
      firsts.push_back(span.first);
      lasts.push_back(span.last);
      pools.push_back(span.pool);
    }
    if (request.excluded != nullptr) {
      for (const int code : *request.excluded) {
        const bool candidate = std::any_of(
            request.candidates.begin(), request.candidates.end(),
            [&](const CodeSpan& span) { return code >= span.first && code <= span.last; });
        if (candidate) excluded.push_back(code);
      }
    }
    // One statement, its own transaction: committed when the answer arrives.
    PgRows rows = pool_.Acquire().Exec(
        "SELECT * FROM squawk_assign($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13)",
        {PgBytes(request.callsign), PgBytes(request.airport), PgBytes(request.destination),
         PgBytes(request.controller), PgBytes(request.macid), request.override_code ? "t" : "f",
         Number(request.now), Number(request.idle_before), PgIntArray(firsts), PgIntArray(lasts),
         PgBytesArray(pools), PgIntArray(excluded), Number(request.max_per_macid)});
    static constexpr AssignResult::Kind kKinds[] = {
        AssignResult::Kind::kHeld, AssignResult::Kind::kAssigned, AssignResult::Kind::kNoFreeCode,
        AssignResult::Kind::kMacidCap};
    return {kKinds[rows.Int(0, 0)], static_cast<int>(rows.Int(0, 1)), rows.Bytes(0, 2)};
  }

  PostgresPool pool_;
};

}  // namespace

std::unique_ptr<Storage> OpenPostgresStorage(const std::string& conninfo, int connections) {
  return std::make_unique<PostgresStorage>(conninfo, connections);
}

}  // namespace squawk_service
