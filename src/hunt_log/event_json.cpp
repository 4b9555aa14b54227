#include "hunt_log/event_json.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <memory>
#include <utility>

#include "core/number_text.hpp"

namespace vantrel::hunt_log {
namespace {

using Json = nlohmann::ordered_json;

double Degrees9(double value) {
    return std::round(value * 1e9) / 1e9;
}

double Millimetres(double value) {
    return std::round(value * 1e3) / 1e3;
}

std::string Dump(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The fields a line may hold; everything else is skipped.
enum Field : std::uint8_t {
    kType,
    kVersion,
    kZone,
    kCreated,
    kId,
    kTime,
    kFox,
    kStation,
    kLat,
    kLon,
    kEasting,
    kNorthing,
    kBearing,
    kReference,
    kSigma,
    kSource,
    kReadings,
    kCourse,
    kSpeed,
    kIgnore,
    kNote,
    kFieldCount,
    kOther = kFieldCount
};

constexpr std::array<std::string_view, kFieldCount> kFieldNames{
    "type",    "version", "zone",     "created", "id",       "time",    "fox",
    "station", "lat",     "lon",      "easting", "northing", "bearing", "reference",
    "sigma",   "source",  "readings", "course",  "speed",    "ignore",  "note"};

enum class Kind : std::uint8_t { Missing, Null, Number, Text, Boolean, Nested };

// The top-level fields of one line, as the parser hands them over.
struct Fields {
    std::array<Kind, kFieldCount> kind{};
    std::array<double, kFieldCount> number{};
    std::array<std::string, kFieldCount> text;
    bool boolean = false;

    void Clear() { kind.fill(Kind::Missing); }
};

Field FieldNamed(std::string_view name) {
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (kFieldNames[i] == name) {
            return static_cast<Field>(i);
        }
    }
    return kOther;
}

// The parser's events for one line: one object whose known members are kept; members nested deeper are
// skipped, except that a known member holding an object or array is marked so it is reported.
class LineHandler {
  public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    explicit LineHandler(Fields& fields) : fields_(fields) {}

    bool null() { return Value(Kind::Null); }
    bool boolean(bool value) {
        if (depth_ == 1 && current_ == kIgnore) {
            fields_.boolean = value;
        }
        return Value(Kind::Boolean);
    }
    bool number_integer(number_integer_t value) { return Number(static_cast<double>(value)); }
    bool number_unsigned(number_unsigned_t value) { return Number(static_cast<double>(value)); }
    bool number_float(number_float_t value, const string_t&) { return Number(value); }
    bool string(string_t& value) {
        if (depth_ == 1 && current_ != kOther) {
            fields_.text[current_] = value;
        }
        return Value(Kind::Text);
    }
    bool binary(binary_t&) { return Value(Kind::Nested); }
    bool start_object(std::size_t) { return Open(); }
    bool end_object() { return Close(); }
    bool start_array(std::size_t) {
        if (depth_ == 0) {
            error_ = "it is not a JSON object";
            return false;
        }
        return Open();
    }
    bool end_array() { return Close(); }
    bool key(string_t& name) {
        if (depth_ == 1) {
            current_ = FieldNamed(name);
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        if (error_.empty()) {
            error_ = std::string("it is not JSON (") + error.what() + ")";
        }
        return false;
    }

    [[nodiscard]] const std::string& Error() const { return error_; }

  private:
    bool Number(double value) {
        if (depth_ == 1 && current_ != kOther) {
            fields_.number[current_] = value;
        }
        return Value(Kind::Number);
    }
    bool Value(Kind kind) {
        if (depth_ == 0) {
            error_ = "it is not a JSON object";
            return false;
        }
        if (depth_ == 1 && current_ != kOther) {
            fields_.kind[current_] = kind;
        }
        return true;
    }
    bool Open() {
        if (depth_ == 1 && current_ != kOther) {
            fields_.kind[current_] = Kind::Nested;
        }
        ++depth_;
        return true;
    }
    bool Close() {
        --depth_;
        return true;
    }

    Fields& fields_;
    int depth_ = 0;
    Field current_ = kOther;
    std::string error_;
};

// Reading the typed fields: each returns the reason when the field is there but wrong, or missing where
// required.
class FieldReader {
  public:
    explicit FieldReader(const Fields& fields) : fields_(fields) {}

    [[nodiscard]] bool Has(Field field) const {
        return fields_.kind[field] != Kind::Missing && fields_.kind[field] != Kind::Null;
    }
    [[nodiscard]] const std::string& Reason() const { return reason_; }

    // A finite number in [low, high]; `fallback` when missing and not required.
    bool ReadNumber(Field field, double low, double high, bool required, double& out) {
        if (!Has(field)) {
            return !required || Fail("its " + Name(field) + " is missing");
        }
        if (fields_.kind[field] != Kind::Number) {
            return Fail("its " + Name(field) + " is not a number");
        }
        const double value = fields_.number[field];
        if (!std::isfinite(value) || value < low || value > high) {
            return Fail("its " + Name(field) + " " + core::ShortestText(value) + " lies outside " +
                        core::ShortestText(low) + ".." + core::ShortestText(high));
        }
        out = value;
        return true;
    }

    bool ReadWhole(Field field, double low, double high, bool required, std::uint64_t& out) {
        double value = static_cast<double>(out);
        if (!ReadNumber(field, low, high, required, value)) {
            return false;
        }
        if (value != std::floor(value)) {
            return Fail("its " + Name(field) + " is not a whole number");
        }
        out = static_cast<std::uint64_t>(value);
        return true;
    }

    bool ReadText(Field field, bool required, std::string& out) {
        if (!Has(field)) {
            return !required || Fail("its " + Name(field) + " is missing");
        }
        if (fields_.kind[field] != Kind::Text) {
            return Fail("its " + Name(field) + " is not a text");
        }
        out = fields_.text[field];
        return true;
    }

    bool ReadTime(Field field, TimeMs& out) {
        if (!Has(field)) {
            return Fail("its " + Name(field) + " is missing");
        }
        if (fields_.kind[field] != Kind::Text) {
            return Fail("its " + Name(field) + " is not a text");
        }
        const std::string& text = fields_.text[field];  // not copied: read a million times
        const auto time = ParseUtcText(text);
        if (!time) {
            return Fail("its " + Name(field) + " \"" + text +
                        "\" is not a UTC time (2026-12-08T14:05:22.123Z)");
        }
        out = *time;
        return true;
    }

    bool ReadZone(std::optional<geodesy::UtmZone>& out) {
        std::string text;
        if (!ReadText(kZone, false, text)) {
            return false;
        }
        if (Has(kZone)) {
            out = geodesy::ParseUtmZone(text);
            if (!out) {
                return Fail("its zone \"" + text + "\" is not a UTM zone (32U)");
            }
        }
        return true;
    }

    bool Fail(std::string reason) {
        reason_ = std::move(reason);
        return false;
    }

  private:
    static std::string Name(Field field) { return std::string(kFieldNames[field]); }

    const Fields& fields_;
    std::string reason_;
};

bool DecodeHeader(FieldReader& read, Header& header) {
    std::uint64_t version = 0;
    std::optional<geodesy::UtmZone> zone;
    if (!read.ReadWhole(kVersion, 1, 1e6, true, version) || !read.ReadZone(zone) ||
        !read.ReadTime(kCreated, header.created)) {
        return false;
    }
    if (!zone) {
        return read.Fail("its zone is missing");
    }
    header.version = static_cast<int>(version);
    header.zone = *zone;
    return true;
}

bool DecodeTruth(FieldReader& read, TruthFox& truth) {
    truth = TruthFox{};
    std::uint64_t fox = 0;
    if (!read.ReadWhole(kFox, 1, kFoxCount, true, fox) || !read.ReadNumber(kLat, -90, 90, true, truth.lat) ||
        !read.ReadNumber(kLon, -180, 180, true, truth.lon)) {
        return false;
    }
    truth.fox = static_cast<int>(fox);
    return true;
}

bool DecodeBearing(FieldReader& read, DecodedLine& out) {
    BearingEvent& b = out.bearing;
    b = BearingEvent{};
    std::uint64_t fox = 0;
    std::uint64_t readings = 1;
    std::string reference;
    std::optional<geodesy::UtmZone> zone;
    if (!read.ReadWhole(kId, 1, 9007199254740992.0, true, b.id) || !read.ReadTime(kTime, b.time) ||
        !read.ReadWhole(kFox, 1, kFoxCount, true, fox) || !read.ReadText(kStation, false, out.station) ||
        !read.ReadNumber(kBearing, 0, 360, true, b.bearing) || !read.ReadText(kReference, true, reference) ||
        !read.ReadNumber(kSigma, 0, 180, false, b.sigma) || !read.ReadText(kSource, false, out.source) ||
        !read.ReadWhole(kReadings, 1, 4294967295.0, false, readings) || !read.ReadZone(zone) ||
        !read.ReadNumber(kLat, -90, 90, false, b.lat) || !read.ReadNumber(kLon, -180, 180, false, b.lon) ||
        !read.ReadNumber(kEasting, -1e8, 1e8, false, b.easting) ||
        !read.ReadNumber(kNorthing, -1e8, 1e8, false, b.northing)) {
        return false;
    }
    if (reference != "grid" && reference != "true") {
        return read.Fail("its reference \"" + reference + "\" is neither grid nor true");
    }
    out.hasLatLon = read.Has(kLat) && read.Has(kLon);
    out.hasGrid = zone && read.Has(kEasting) && read.Has(kNorthing);
    if (!out.hasLatLon && !out.hasGrid) {
        return read.Fail("its position is missing (lat and lon, or zone, easting and northing)");
    }
    if (zone) {
        b.zone = *zone;
    }
    b.fox = static_cast<std::uint8_t>(fox);
    b.readings = static_cast<std::uint32_t>(readings);
    b.reference = reference == "true" ? Reference::True : Reference::Grid;
    if (!read.Has(kSigma)) {
        b.sigma = kUnknown;
    }
    return true;
}

bool DecodePosition(FieldReader& read, PositionEvent& p) {
    p = PositionEvent{};
    return read.ReadTime(kTime, p.time) && read.ReadNumber(kLat, -90, 90, true, p.lat) &&
           read.ReadNumber(kLon, -180, 180, true, p.lon) &&
           read.ReadNumber(kCourse, 0, 360, false, p.course) &&
           read.ReadNumber(kSpeed, 0, 1e6, false, p.speed);
}

bool DecodeEdit(FieldReader& read, const Fields& fields, EditEvent& e) {
    e = EditEvent{};
    if (!read.ReadWhole(kId, 1, 9007199254740992.0, true, e.id) || !read.ReadTime(kTime, e.time)) {
        return false;
    }
    if (read.Has(kIgnore)) {
        if (fields.kind[kIgnore] != Kind::Boolean) {
            return read.Fail("its ignore is neither true nor false");
        }
        e.ignore = fields.boolean;
    }
    if (read.Has(kNote)) {
        std::string note;
        if (!read.ReadText(kNote, true, note)) {
            return false;
        }
        e.note = std::move(note);
    }
    return true;
}

}  // namespace

std::string EncodeHeader(const Header& header) {
    Json json;
    json["type"] = "header";
    json["version"] = header.version;
    json["zone"] = geodesy::ZoneText(header.zone);
    json["created"] = UtcText(header.created);
    return Dump(json);
}

std::string EncodeTruth(const TruthFox& truth) {
    Json json;
    json["type"] = "truth";
    json["fox"] = truth.fox;
    json["lat"] = Degrees9(truth.lat);
    json["lon"] = Degrees9(truth.lon);
    return Dump(json);
}

std::string EncodeBearing(const BearingEvent& b, std::string_view station, std::string_view source) {
    Json json;
    json["type"] = "bearing";
    json["id"] = b.id;
    json["time"] = UtcText(b.time);
    json["fox"] = b.fox;
    json["station"] = station;
    json["lat"] = Degrees9(b.lat);
    json["lon"] = Degrees9(b.lon);
    json["zone"] = geodesy::ZoneText(b.zone);
    json["easting"] = Millimetres(b.easting);
    json["northing"] = Millimetres(b.northing);
    json["bearing"] = b.bearing;
    json["reference"] = ReferenceText(b.reference);
    if (b.HasSigma()) {
        json["sigma"] = b.sigma;
    }
    json["source"] = source;
    json["readings"] = b.readings;
    return Dump(json);
}

std::string EncodePosition(const PositionEvent& p) {
    Json json;
    json["type"] = "position";
    json["time"] = UtcText(p.time);
    json["lat"] = Degrees9(p.lat);
    json["lon"] = Degrees9(p.lon);
    if (!std::isnan(p.course)) {
        json["course"] = p.course;
    }
    if (!std::isnan(p.speed)) {
        json["speed"] = p.speed;
    }
    return Dump(json);
}

std::string EncodeEdit(const EditEvent& e) {
    Json json;
    json["type"] = "edit";
    json["time"] = UtcText(e.time);
    json["id"] = e.id;
    if (e.ignore) {
        json["ignore"] = *e.ignore;
    }
    if (e.note) {
        json["note"] = *e.note;
    }
    return Dump(json);
}

struct LineDecoder::Scratch {
    Fields fields;
};

LineDecoder::LineDecoder() : scratch_(std::make_unique<Scratch>()) {}
LineDecoder::~LineDecoder() = default;

core::Outcome LineDecoder::Decode(std::string_view line, DecodedLine& out) {
    Fields& fields = scratch_->fields;
    fields.Clear();
    LineHandler handler(fields);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(line.begin(), line.end(), &handler);
    } catch (const nlohmann::json::exception& error) {
        return core::Outcome::Fail(std::string("it is not JSON (") + error.what() + ")");
    }
    if (!parsed) {
        return core::Outcome::Fail(handler.Error().empty() ? "it is not JSON" : handler.Error());
    }
    FieldReader read(fields);
    std::string type;
    if (!read.ReadText(kType, true, type)) {
        return core::Outcome::Fail(read.Reason());
    }
    bool ok = true;
    if (type == "bearing") {
        out.kind = LineKind::Bearing;
        ok = DecodeBearing(read, out);
    } else if (type == "position") {
        out.kind = LineKind::Position;
        ok = DecodePosition(read, out.position);
    } else if (type == "edit") {
        out.kind = LineKind::Edit;
        ok = DecodeEdit(read, fields, out.edit);
    } else if (type == "truth") {
        out.kind = LineKind::Truth;
        ok = DecodeTruth(read, out.truth);
    } else if (type == "header") {
        out.kind = LineKind::Header;
        ok = DecodeHeader(read, out.header);
    } else {
        out.kind = LineKind::Unknown;
    }
    return ok ? core::Outcome::Ok() : core::Outcome::Fail(read.Reason());
}

}  // namespace vantrel::hunt_log
