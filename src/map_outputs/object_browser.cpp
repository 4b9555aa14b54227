#include "map_outputs/object_browser.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

namespace vantrel::map_outputs {
namespace {

std::string& TextOf(ObjectRecordTexts& texts, ObjectBox box) {
    switch (box) {
        case ObjectBox::Name:
            return texts.objname;
        case ObjectBox::Lat:
            return texts.grad_lat;
        case ObjectBox::Lon:
            return texts.grad_long;
        case ObjectBox::GraphId:
            break;
    }
    return texts.graphic_id;
}

FieldValue TextValue(const std::string& text) {
    if (text.empty()) {
        return std::monostate{};
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

core::Result<FieldValue> GraphIdValue(const std::string& text) {
    const std::string digits = Trimmed(text);
    if (digits.empty()) {
        return FieldValue{std::monostate{}};
    }
    const char* begin = digits.data();
    const char* end = begin + digits.size();
    if (*begin == '+') {
        ++begin;  // from_chars takes a minus sign only
    }
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc{} || stop != end || begin == end ||
        value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return core::Result<FieldValue>::Fail("Graph ID must be a whole number from -32768 to 32767: \"" +
                                              text + "\"");
    }
    return FieldValue{value};
}

core::Outcome ObjectBrowser::Open() {
    position_ = -1;
    stored_ = {};
    shown_ = {};
    const auto count = table_.Requery();
    if (!count) {
        return count.outcome();
    }
    return *count > 0 ? ShowRecord(0) : core::Outcome::Ok();
}

void ObjectBrowser::SetText(ObjectBox box, std::string text) {
    if (position_ >= 0) {
        TextOf(shown_, box) = std::move(text);
    }
}

core::Outcome ObjectBrowser::SaveEdits() {
    if (position_ < 0 || !HasEdits()) {
        return core::Outcome::Ok();
    }
    std::vector<FieldAssignment> changes;
    const auto add = [&](std::string_view field, const std::string& shown, const std::string& stored) {
        if (shown != stored) {
            changes.push_back({std::string(field), TextValue(shown)});
        }
    };
    add(kFieldObjName, shown_.objname, stored_.objname);
    add(kFieldGradLat, shown_.grad_lat, stored_.grad_lat);
    add(kFieldGradLong, shown_.grad_long, stored_.grad_long);
    if (shown_.graphic_id != stored_.graphic_id) {
        const auto value = GraphIdValue(shown_.graphic_id);
        if (!value) {
            return value.outcome();
        }
        changes.push_back({std::string(kFieldGraphicId), *value});
    }
    if (auto written = table_.WriteRecord(position_, changes); !written) {
        return written;
    }
    return ShowRecord(position_);
}

core::Outcome ObjectBrowser::ShowRecord(int index) {
    const auto record = table_.ReadRecord(index);
    if (!record) {
        return record.outcome();
    }
    position_ = index;
    stored_ = *record;
    shown_ = *record;
    return core::Outcome::Ok();
}

core::Outcome ObjectBrowser::MoveTo(int index) {
    if (position_ < 0) {
        return core::Outcome::Ok();
    }
    if (auto saved = SaveEdits(); !saved) {
        return saved;
    }
    return ShowRecord(std::clamp(index, 0, RecordCount() - 1));
}

core::Outcome ObjectBrowser::MoveFirst() {
    return MoveTo(0);
}

core::Outcome ObjectBrowser::MovePrevious() {
    return MoveTo(position_ - 1);
}

core::Outcome ObjectBrowser::MoveNext() {
    return MoveTo(position_ + 1);
}

core::Outcome ObjectBrowser::MoveLast() {
    return MoveTo(RecordCount() - 1);
}

}  // namespace vantrel::map_outputs
