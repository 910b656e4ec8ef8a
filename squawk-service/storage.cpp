#include "squawk-service/storage.h"

#include "squawk-service/sqlite_storage.h"

namespace squawk_service {

std::unique_ptr<Storage> OpenStorage(const std::string& where) {
  if (where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0) {
    throw StorageUnavailable("this build has no PostgreSQL storage: " + where);
  }
  return OpenSqliteStorage(where);
}

}  // namespace squawk_service
