#include "squawk-service/postgres_pool.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace squawk_service {
namespace {

// How long making a connection may take before the database counts as unreachable.
constexpr char kConnectTimeoutSeconds[] = "3";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool ConnectionLost(PGconn* connection, const char* state) {
  if (PQstatus(connection) == CONNECTION_BAD) return true;
  // Class 08: connection exceptions; 57P0x: the server is shutting down or starting.
  return state != nullptr &&
         (std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "57P0", 4) == 0);
}

}  // namespace

std::int64_t PgRows::Int(int row, int column) const {
  const char* text = PQgetvalue(result_.get(), row, column);
  std::int64_t value = 0;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

std::string PgRows::Bytes(int row, int column) const {
  const char* text = PQgetvalue(result_.get(), row, column);
  const std::size_t length = std::strlen(text);
  std::string bytes;
  // "\x" and two hex digits a byte (bytea_output = hex, PostgreSQL's default, set per session).
  for (std::size_t i = 2; i + 1 < length; i += 2) {
    bytes.push_back(static_cast<char>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
  }
  return bytes;
}

int PgRows::Affected() const {
  const char* text = PQcmdTuples(result_.get());
  int value = 0;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

std::string PgBytes(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "\\x";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 15]);
  }
  return text;
}

std::string PgBytesArray(const std::vector<std::string>& values) {
  std::string text = "{";
  for (const std::string& value : values) {
    if (text.size() > 1) text += ',';
    // Inside a quoted element a backslash is escaped by another.
    text += "\"\\" + PgBytes(value) + "\"";
  }
  return text + "}";
}

std::string PgIntArray(const std::vector<int>& values) {
  std::string text = "{";
  for (const int value : values) {
    if (text.size() > 1) text += ',';
    text += std::to_string(value);
  }
  return text + "}";
}

PostgresPool::PostgresPool(std::string conninfo, int size)
    : conninfo_(std::move(conninfo)),
      connections_(static_cast<std::size_t>(std::max(size, 1)), nullptr),
      busy_(connections_.size(), false) {}

PostgresPool::~PostgresPool() {
  for (PGconn* connection : connections_) {
    if (connection != nullptr) PQfinish(connection);
  }
}

PostgresPool::Lease PostgresPool::Acquire() {
  int slot = -1;
  {
    std::unique_lock lock(mutex_);
    for (;;) {
      for (std::size_t i = 0; i < busy_.size() && slot < 0; ++i) {
        // A connected slot first: making a connection costs a round trip or more.
        if (!busy_[i] && connections_[i] != nullptr) slot = static_cast<int>(i);
      }
      for (std::size_t i = 0; i < busy_.size() && slot < 0; ++i) {
        if (!busy_[i]) slot = static_cast<int>(i);
      }
      if (slot >= 0) break;
      freed_.wait(lock);
    }
    busy_[static_cast<std::size_t>(slot)] = true;
  }
  Lease lease(*this, slot);
  if (connections_[static_cast<std::size_t>(slot)] == nullptr) {
    // The slot is ours alone while busy: connecting happens outside the pool's lock.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {kConnectTimeoutSeconds, "squawk-service", conninfo_.c_str(), nullptr};
    PGconn* connection = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(connection) != CONNECTION_OK) {
      const std::string message = PQerrorMessage(connection);
      PQfinish(connection);
      throw StorageUnavailable("PostgreSQL unreachable: " + message);
    }
    // Notices ("already exists, skipping") are not the operator's business.
    PQsetNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
    {
      std::lock_guard lock(mutex_);
      connections_[static_cast<std::size_t>(slot)] = connection;
    }
    lease.Exec("SET bytea_output = 'hex'");
  }
  return lease;
}

PGconn* PostgresPool::Connection(int slot) {
  std::lock_guard lock(mutex_);
  return connections_[static_cast<std::size_t>(slot)];
}

void PostgresPool::DropBroken(int slot) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < connections_.size(); ++i) {
    if (connections_[i] != nullptr && (i == static_cast<std::size_t>(slot) || !busy_[i])) {
      PQfinish(connections_[i]);
      connections_[i] = nullptr;
    }
  }
}

void PostgresPool::Release(int slot) {
  {
    std::lock_guard lock(mutex_);
    busy_[static_cast<std::size_t>(slot)] = false;
  }
  freed_.notify_one();
}

PostgresPool::Lease::~Lease() {
  if (pool_ == nullptr) return;
  PGconn* connection = pool_->Connection(slot_);
  if (connection != nullptr && PQtransactionStatus(connection) != PQTRANS_IDLE) {
    PGresult* result = PQexec(connection, "ROLLBACK");
    const bool rolled_back = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!rolled_back) pool_->DropBroken(slot_);
  }
  pool_->Release(slot_);
}

PgRows PostgresPool::Lease::Exec(const char* sql, const PgParams& params) {
  PGconn* connection = pool_->Connection(slot_);
  if (connection == nullptr)
    throw PostgresConnectionLost("PostgreSQL unreachable: connection lost");
  std::vector<const char*> values;
  for (const std::string& param : params) values.push_back(param.c_str());
  PGresult* result = PQexecParams(connection, sql, static_cast<int>(values.size()), nullptr,
                                  values.data(), nullptr, nullptr, 0);
  PgRows rows(result);
  const ExecStatusType status = PQresultStatus(result);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return rows;
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const std::string message =
      result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(connection);
  if (ConnectionLost(connection, state)) {
    pool_->DropBroken(slot_);
    throw PostgresConnectionLost("PostgreSQL unreachable: " + message);
  }
  // 40001 serialization failure, 40P01 deadlock, 23505 unique violation.
  if (state != nullptr && (std::strcmp(state, "40001") == 0 || std::strcmp(state, "40P01") == 0 ||
                           std::strcmp(state, "23505") == 0)) {
    throw PostgresConflict(message);
  }
  throw StorageUnavailable("PostgreSQL: " + message);
}

}  // namespace squawk_service
