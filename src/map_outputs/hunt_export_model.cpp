#include "map_outputs/hunt_export_model.hpp"

#include <filesystem>

#include "geodesy/hunt_zone.hpp"
#include "map_outputs/overlay_writer.hpp"
#include "quality/quality_text.hpp"

namespace vantrel::map_outputs {
namespace {

// The quality's numbers by name, in the order of vantrel-cli assess; absent values are left out.
std::vector<std::pair<std::string, double>> QualityNumbers(const quality::FixQuality& q, double confidence) {
    std::vector<std::pair<std::string, double>> numbers{{"northing", q.northing},
                                                        {"easting", q.easting},
                                                        {"crossing", q.crossing},
                                                        {"t1", q.t1},
                                                        {"t2", q.t2}};
    if (q.sigma1) {
        numbers.emplace_back("sigma1", *q.sigma1);
    }
    if (q.sigma2) {
        numbers.emplace_back("sigma2", *q.sigma2);
    }
    if (q.ellipse) {
        numbers.emplace_back("semiMajor", q.ellipse->semiMajor);
        numbers.emplace_back("semiMinor", q.ellipse->semiMinor);
        numbers.emplace_back("azimuth", q.ellipse->azimuth);
        numbers.emplace_back("confidence", confidence);
    }
    return numbers;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

class ModelBuilder {
  public:
    explicit ModelBuilder(const HuntExportRequest& request) : request_(request) {
        model_.title = request.title;
        model_.confidence = request.confidence;
    }

    // The place of a position, or nullopt after noting why it is left out.
    std::optional<geodesy::GeoPosition> PlaceOf(const std::string& name, double north, double east) {
        const geodesy::PlaceCheck check = geodesy::CheckedZoneUtmToLatLon(request_.zone, east, north);
        if (!check.place) {
            model_.warnings.push_back(name + " left out: " + check.problem);
            return std::nullopt;
        }
        if (std::string problem = geodesy::BandProblem(request_.zone, name, east, north); !problem.empty()) {
            model_.outsideZone.push_back(std::move(problem));
            return std::nullopt;
        }
        return check.place;
    }

    void AddStations(const core::MeasurementState& state) {
        for (std::size_t s = 0; s < core::kStationCount; ++s) {
            const std::string& name = request_.stationNames[s];
            if (const auto at = PlaceOf(name, state.ScedNorth[s], state.ScedEast[s])) {
                model_.stations.push_back({name, *at});
            }
        }
        if (!model_.stations.empty()) {
            model_.styles.push_back({kStationStyleId, kStationColour});
        }
    }

    void AddFix(const core::MeasurementState& state, int fox) {
        const auto index = static_cast<std::size_t>(fox);
        const std::string name = "F" + std::to_string(fox + 1);
        const auto at = PlaceOf(name, state.FoxNorth[index], state.FoxEast[index]);
        if (!at) {
            return;
        }
        const auto& q = request_.quality[index];
        ExportFix fix{fox, name, *at, q, {}, {}, {}};
        if (q) {
            fix.numbers = QualityNumbers(*q, request_.confidence);
            fix.flags = q->FlagNames();
            fix.words = Joined(quality::QualityInWords(*q, fox, request_.confidence, '.'));
        } else {
            model_.warnings.push_back(name +
                                      " exported without its quality: the boxes no longer give this fix "
                                      "(Calculate again)");
        }
        model_.styles.push_back({FoxStyleId(fox), maps::kFoxMapColours.at(static_cast<std::size_t>(fox))});
        model_.fixes.push_back(std::move(fix));
        for (const ExportStation& station : model_.stations) {
            model_.rays.push_back({station.name + " - " + name, fox, station.at, *at});
        }
        if (q && q->ellipse) {
            AddEllipse(*q, name);
        }
    }

    HuntExportModel Take() { return std::move(model_); }

  private:
    // The outline turned counterclockwise (it runs clockwise on the map) and converted.
    void AddEllipse(const quality::FixQuality& q, const std::string& name) {
        const std::vector<core::PlanePoint> outline = quality::EllipseOutline(q);
        std::vector<geodesy::GeoPosition> ring;
        for (auto p = outline.rbegin(); p != outline.rend(); ++p) {
            const geodesy::PlaceCheck check =
                geodesy::CheckedZoneUtmToLatLon(request_.zone, p->x, p->y);
            if (!check.place) {
                model_.warnings.push_back(name +
                                          "'s ellipse left out: it reaches beyond the positions on the "
                                          "earth (" +
                                          check.problem + ")");
                return;
            }
            ring.push_back(*check.place);
        }
        model_.ellipses.push_back({name + " ellipse", model_.fixes.size() - 1, std::move(ring)});
    }

    const HuntExportRequest& request_;
    HuntExportModel model_;
};

}  // namespace

std::string FoxStyleId(int fox) {
    return "fox" + std::to_string(fox + 1);
}

HuntExportModel BuildHuntExportModel(const core::MeasurementState& state, const HuntExportRequest& request) {
    ModelBuilder builder(request);
    builder.AddStations(state);
    for (int fox = 0; fox < core::kFoxCount; ++fox) {
        if (state.ResLat[static_cast<std::size_t>(fox)] != core::kNoMatch) {
            builder.AddFix(state, fox);
        }
    }
    return builder.Take();
}

core::Result<HuntExportModel> HuntExportOfProgram(const persistence::ProgramState& program,
                                                  const quality::QualitySettings& settings,
                                                  geodesy::UtmZone zone, char decimalSeparator) {
    const core::MeasurementState& state = program.main;
    if (!state.ResultsValid) {
        return core::Result<HuntExportModel>::Fail(kNoValidData);
    }
    HuntExportRequest request;
    request.zone = zone;
    request.quality = quality::AssessFixes(state, program.RxReadings, settings, decimalSeparator);
    request.confidence = settings.confidence;
    request.title = std::filesystem::path(state.DataFileName).filename().string();
    return BuildHuntExportModel(state, request);
}

}  // namespace vantrel::map_outputs
