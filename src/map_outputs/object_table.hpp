#pragma once

// The map application's object database as Update Database and the database view see it: table OBJECT_LIST
// as an ordered recordset. The platform layer implements it over a real database file; nothing here knows
// which engine is behind it.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/outcome.hpp"

namespace vantrel::map_outputs {

inline constexpr std::string_view kObjectTableName = "OBJECT_LIST";

// The four fields the program reads and writes; every other field of the table is left alone.
inline constexpr std::string_view kFieldObjName = "objname";
inline constexpr std::string_view kFieldGradLat = "grad_lat";
inline constexpr std::string_view kFieldGradLong = "grad_long";
inline constexpr std::string_view kFieldGraphicId = "graphic_id";

// A value assigned to a field: NULL, text or a whole number.
using FieldValue = std::variant<std::monostate, std::string, std::int64_t>;

struct FieldAssignment {
    std::string field;
    FieldValue value;
};

// The four fields of one record as the view shows them: texts, NULL shown as empty, graphic_id in decimal.
struct ObjectRecordTexts {
    std::string objname;
    std::string grad_lat;
    std::string grad_long;
    std::string graphic_id;

    friend bool operator==(const ObjectRecordTexts&, const ObjectRecordTexts&) = default;
};

// Table OBJECT_LIST of one open database. Records come in the table's natural order, the order in which
// the database delivers them; nothing sorts or filters them. Every failure comes back as a message that
// names the database file and the reason.
class ObjectTable {
  public:
    virtual ~ObjectTable() = default;
    ObjectTable() = default;
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;

    // The database file as the user should see it in a message.
    [[nodiscard]] virtual std::string DisplayName() const = 0;

    // Re-reads which records the table holds (records added or removed by others since show up) and
    // leaves no current record. Gives the number of records.
    virtual core::Result<int> Requery() = 0;
    // The number of records as of the last Requery or MoveFirst.
    [[nodiscard]] virtual int RecordCount() const = 0;

    // The recordset: MoveFirst re-reads the record list and makes the first record current (a table without
    // records fails); MoveNext fails past the last record. Edit starts an edit of the current record,
    // SetField assigns a field of the edit by name (a field the table lacks fails at once), Update saves the
    // edit into the record.
    virtual core::Outcome MoveFirst() = 0;
    virtual core::Outcome MoveNext() = 0;
    virtual core::Outcome Edit() = 0;
    virtual core::Outcome SetField(std::string_view field, const FieldValue& value) = 0;
    virtual core::Outcome Update() = 0;

    // All changes between Begin and Commit are kept together or not at all.
    virtual core::Outcome BeginTransaction() = 0;
    virtual core::Outcome CommitTransaction() = 0;
    virtual core::Outcome RollbackTransaction() = 0;

    // Record `index` (0-based, in recordset order as of the last Requery or MoveFirst), for the view.
    virtual core::Result<ObjectRecordTexts> ReadRecord(int index) = 0;
    // Assigns the given fields of record `index` in one save.
    virtual core::Outcome WriteRecord(int index, const std::vector<FieldAssignment>& assignments) = 0;
};

}  // namespace vantrel::map_outputs
