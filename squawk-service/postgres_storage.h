// The squawk service's state in a PostgreSQL database, shared by any number of service instances.
//
// The database alone keeps the instances apart: a code is held by a row of the 4,096-row code
// table, whose primary key and unique callsign make a code held twice or a callsign with two
// codes impossible. A request takes the lowest free code of a span with SELECT ... FOR UPDATE
// SKIP LOCKED (instances choosing at once take different codes), and a transaction that loses a
// race (a callsign asked of two instances at once, a deadlock) is retried from the start and
// then finds what the winner committed. A macid's holds are counted under a transaction-scoped
// advisory lock of that macid, so its cap holds across instances. Start ids come from one
// counter row, raised in a single statement. Every call returns after its COMMIT.
//
// The schema is made and upgraded on open, by one instance at a time (an advisory lock); a
// database whose schema is newer than this program's is refused. Text is stored as bytea, byte
// for byte, whatever its encoding.
//
// Thread: any; see storage.h. Failure: StorageUnavailable when the database cannot be reached;
// the pool reconnects on a later call once it can.
#pragma once

#include <memory>
#include <string>

#include "squawk-service/storage.h"

namespace squawk_service {

// Connects to `conninfo` (a libpq URI such as "postgresql://user@host:5432/squawk" or a
// key=value string), with at most `connections` connections, and makes or upgrades the schema.
// Throws StorageUnavailable when the database cannot be reached or its schema is too new.
std::unique_ptr<Storage> OpenPostgresStorage(const std::string& conninfo, int connections);

}  // namespace squawk_service
