#pragma once

// The database view ("Dataview"): browses table OBJECT_LIST record by record and shows the four fields in
// four boxes. What the user types is saved into the record when the view moves to another record or is
// closed, as a bound record browser does; a box emptied by the user stores NULL.

#include <string>

#include "core/outcome.hpp"
#include "map_outputs/object_table.hpp"

namespace vantrel::map_outputs {

// The four boxes, top to bottom: "Name", "LAT", "LON", "Graph ID".
enum class ObjectBox { Name, Lat, Lon, GraphId };

class ObjectBrowser {
  public:
    explicit ObjectBrowser(ObjectTable& table) : table_(table) {}

    // Reads the record list afresh and shows the first record (no record when the table is empty).
    core::Outcome Open();

    [[nodiscard]] int RecordCount() const { return table_.RecordCount(); }
    // 0-based position of the record shown, -1 when none is.
    [[nodiscard]] int Position() const { return position_; }
    // What the four boxes show, typing included.
    [[nodiscard]] const ObjectRecordTexts& Texts() const { return shown_; }
    [[nodiscard]] bool HasEdits() const { return shown_ != stored_; }

    // The user typed into a box. Ignored while no record is shown.
    void SetText(ObjectBox box, std::string text);

    // Saves pending edits, then moves; at either end the view stays where it is. When the edits cannot be
    // saved (a Graph ID that is not a whole number, a failed write) the view stays on the record with the
    // edits kept and the message says why.
    core::Outcome MoveFirst();
    core::Outcome MovePrevious();
    core::Outcome MoveNext();
    core::Outcome MoveLast();

    // Writes the boxes that differ from the record into it (OK and closing the window do this).
    core::Outcome SaveEdits();

  private:
    core::Outcome ShowRecord(int index);
    core::Outcome MoveTo(int index);

    ObjectTable& table_;
    int position_ = -1;
    ObjectRecordTexts stored_;  // the record as read
    ObjectRecordTexts shown_;   // the boxes
};

// The Graph ID box as the value to store: empty text stores NULL, otherwise a whole number from -32768 to
// 32767 (the field is a 16-bit integer), blanks around it allowed.
core::Result<FieldValue> GraphIdValue(const std::string& text);

}  // namespace vantrel::map_outputs
