// A bounded pool of libpq connections to one PostgreSQL database, and the small layer the
// PostgreSQL storage runs its statements through.
//
// At most `size` connections are open; a caller waits for a free one. A connection found broken
// (the server went away, restarted, or cut it) is closed and made anew on the next use, so an
// instance recovers by itself once the database is back, without a restart.
//
// Failure: a connection that cannot be made throws StorageUnavailable, a statement cut off with
// its connection PostgresConnectionLost; a statement that lost to a concurrent transaction
// (serialization failure, deadlock, unique violation) throws PostgresConflict, after which the
// caller retries its whole transaction. Any other failed statement throws StorageUnavailable with
// the server's message. Thread: any; a Lease is used by one thread.
#pragma once

#include <libpq-fe.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "squawk-service/storage.h"

namespace squawk_service {

// The connection broke under a statement (the server restarted, or went away). The pool has
// closed its idle connections too, which most likely broke with it.
class PostgresConnectionLost : public StorageUnavailable {
 public:
  using StorageUnavailable::StorageUnavailable;
};

// The transaction lost to a concurrent one; retrying it may succeed.
class PostgresConflict : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Rows of one statement's answer, read as text.
class PgRows {
 public:
  explicit PgRows(PGresult* result) : result_(result, &PQclear) {}
  int size() const { return PQntuples(result_.get()); }
  bool Null(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
  std::int64_t Int(int row, int column) const;
  // A bytea column, decoded from its hex form; "" for NULL.
  std::string Bytes(int row, int column) const;
  // Rows an INSERT, UPDATE or DELETE touched.
  int Affected() const;

 private:
  std::unique_ptr<PGresult, decltype(&PQclear)> result_;
};

// Parameters are sent as text; nothing is SQL NULL.
using PgParams = std::vector<std::string>;

// A bytea parameter in PostgreSQL's hex form, so that any bytes are stored as they are.
std::string PgBytes(const std::string& bytes);
// An array literal of bytea values ("{...}") for "= ANY($1::bytea[])".
std::string PgBytesArray(const std::vector<std::string>& values);
// An array literal of integers.
std::string PgIntArray(const std::vector<int>& values);

class PostgresPool {
 public:
  // `conninfo`: a libpq connection string or URI. Connects lazily.
  PostgresPool(std::string conninfo, int size);
  ~PostgresPool();
  PostgresPool(const PostgresPool&) = delete;
  PostgresPool& operator=(const PostgresPool&) = delete;

  class Lease {
   public:
    Lease(PostgresPool& pool, int slot) : pool_(&pool), slot_(slot) {}
    Lease(Lease&& other) noexcept : pool_(other.pool_), slot_(other.slot_) {
      other.pool_ = nullptr;
    }
    Lease& operator=(Lease&&) = delete;
    // Rolls back an open transaction and hands the connection back.
    ~Lease();

    PgRows Exec(const char* sql, const PgParams& params = {});

   private:
    PostgresPool* pool_;
    int slot_;
  };

  // Waits for a free connection and connects it when it has none. Throws StorageUnavailable.
  Lease Acquire();

 private:
  void Release(int slot);
  PGconn* Connection(int slot);
  // Closes the broken connection of `slot` and every idle one.
  void DropBroken(int slot);

  const std::string conninfo_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<PGconn*> connections_;  // nullptr: not connected
  std::vector<bool> busy_;
};

}  // namespace squawk_service
