#include "hunt_picture/scene_zone.hpp"

#include <algorithm>

#include "geodesy/hunt_zone.hpp"

namespace vantrel::hunt_picture {

std::vector<std::string> LeaveOutOutsideZone(HuntScene& scene, geodesy::UtmZone zone) {
    std::vector<std::string> problems;
    const auto outside = [&problems, zone](const std::string& name, core::PlanePoint at) {
        std::string problem = geodesy::BandProblem(zone, name, at.x, at.y);
        if (problem.empty()) {
            return false;
        }
        problems.push_back(std::move(problem));
        return true;
    };
    std::erase_if(scene.stations, [&outside](const SceneStation& station) {
        return outside("P" + std::to_string(station.number), station.position);
    });
    std::erase_if(scene.fixes, [&outside](const SceneFix& fix) {
        return outside("F" + std::to_string(fix.fox + 1), fix.position);
    });
    return problems;
}

}  // namespace vantrel::hunt_picture
