#include "squawk-service/storage.h"

#include "squawk-service/postgres_storage.h"
#include "squawk-service/sqlite_storage.h"

namespace squawk_service {

std::unique_ptr<Storage> OpenStorage(const std::string& where, int connections) {
  if (where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0) {
    return OpenPostgresStorage(where, connections);
  }
  return OpenSqliteStorage(where);
}

}  // namespace squawk_service
