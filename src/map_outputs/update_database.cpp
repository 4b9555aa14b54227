#include "map_outputs/update_database.hpp"

#include <cmath>
#include <string_view>

#include "core/number_text.hpp"
#include "geodesy/utm_conv.hpp"
#include "map_outputs/overlay_writer.hpp"

namespace vantrel::map_outputs {
namespace {

constexpr int kUtmZone = 32;  // the grid of the maps the program serves

struct Placement {
    const char* objname;
    std::int16_t graphic_id;
    double northing;
    double easting;
};

std::array<Placement, kMapObjectCount> Placements(const core::MeasurementState& state) {
    return {{
        {"FP1", 23, state.ScedNorth[0], state.ScedEast[0]},
        {"FP2", 24, state.ScedNorth[1], state.ScedEast[1]},
        {"F1", 25, state.FoxNorth[0], state.FoxEast[0]},
        {"F2", 26, state.FoxNorth[1], state.FoxEast[1]},
        {"F3", 27, state.FoxNorth[2], state.FoxEast[2]},
        {"F4", 28, state.FoxNorth[3], state.FoxEast[3]},
        {"F5", 29, state.FoxNorth[4], state.FoxEast[4]},
    }};
}

core::Outcome WriteObject(ObjectTable& table, const MapObject& object) {
    const std::array<FieldAssignment, 4> fields{{
        {std::string(kFieldGradLat), object.grad_lat},
        {std::string(kFieldGradLong), object.grad_long},
        {std::string(kFieldObjName), object.objname},
        {std::string(kFieldGraphicId), std::int64_t{object.graphic_id}},
    }};
    if (auto edit = table.Edit(); !edit) {
        return edit;
    }
    for (const FieldAssignment& field : fields) {
        if (auto set = table.SetField(field.field, field.value); !set) {
            return set;
        }
    }
    return table.Update();
}

core::Outcome WriteAll(ObjectTable& table, const std::array<MapObject, kMapObjectCount>& objects) {
    const auto count = table.Requery();
    if (!count) {
        return count.outcome();
    }
    if (*count < kMapObjectCount) {
        return core::Outcome::Fail("Table " + std::string(kObjectTableName) + " of \"" + table.DisplayName() +
                                   "\" holds " + std::to_string(*count) +
                                   (*count == 1 ? " record" : " records") +
                                   "; Update Database needs at least 7.");
    }
    if (auto first = table.MoveFirst(); !first) {
        return first;
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (i > 0) {
            if (auto next = table.MoveNext(); !next) {
                return next;
            }
        }
        if (auto written = WriteObject(table, objects[i]); !written) {
            return written;
        }
    }
    return table.CommitTransaction();
}

}  // namespace

core::Result<std::array<MapObject, kMapObjectCount>> MapObjects(const core::MeasurementState& state) {
    std::array<MapObject, kMapObjectCount> objects;
    const auto placements = Placements(state);
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const Placement& p = placements[i];
        if (auto placed = CheckMapPosition({p.easting, p.northing}, p.objname); !placed) {
            return core::Result<std::array<MapObject, kMapObjectCount>>::Fail(placed.message() +
                                                                              " Nothing was changed.");
        }
        const geodesy::GeoPosition geo = geodesy::UtmToLatLon(p.northing, p.easting, kUtmZone);
        objects[i] =
            MapObject{p.objname, p.graphic_id, geodesy::GradLat(geo.lat), geodesy::GradLong(geo.lon)};
    }
    return objects;
}

core::Outcome UpdateDatabase(const core::MeasurementState& state, ObjectTable& table) {
    if (!state.ResultsValid) {
        return core::Outcome::Fail(kNoValidData);
    }
    const auto objects = MapObjects(state);
    if (!objects) {
        return objects.outcome();
    }
    if (auto begun = table.BeginTransaction(); !begun) {
        return core::Outcome::Fail(begun.message() + " Nothing was changed.");
    }
    const core::Outcome written = WriteAll(table, *objects);
    if (written) {
        return written;
    }
    const core::Outcome rolledBack = table.RollbackTransaction();
    if (!rolledBack) {
        return core::Outcome::Fail(written.message() + " " + rolledBack.message());
    }
    return core::Outcome::Fail(written.message() + " Nothing was changed.");
}

}  // namespace vantrel::map_outputs
