// The squawk service's state in one SQLite database (a file, or ":memory:").
//
// A file is opened in WAL mode with synchronous=FULL: a call returns after its transaction is on
// disk. Calls made while another is being committed wait and are then committed together in one
// transaction (each inside a savepoint of its own, so one failing call undoes only itself): with
// many clients, a disk commit carries many requests. Several processes may share a file; SQLite's
// lock serialises them.
//
// Thread: any; see storage.h. Failure: StorageUnavailable with SQLite's message.
#pragma once

#include <memory>
#include <string>

#include "squawk-service/storage.h"

namespace squawk_service {

// Opens (and on first use creates) the database at `path`. Throws StorageUnavailable.
std::unique_ptr<Storage> OpenSqliteStorage(const std::string& path);

}  // namespace squawk_service
