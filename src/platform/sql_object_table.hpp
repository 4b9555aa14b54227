#pragma once

// Inside the platform layer: table OBJECT_LIST over a QtSql connection.

#include <memory>

#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"
#include "platform/sql_connection.hpp"

namespace vantrel::platform {

// Connects under a connection name of its own (closed and removed with the returned table) and finds table
// OBJECT_LIST, its fields and how its records are told apart. The caller has checked that the file exists.
core::Result<std::unique_ptr<map_outputs::ObjectTable>> ConnectObjectTable(
    const DatabaseConnection& connection);

}  // namespace vantrel::platform
