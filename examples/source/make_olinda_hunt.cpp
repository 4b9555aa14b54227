// Makes examples/hunt-olinda.fh2, a hunt on the Landsat scene of examples/maps/olinda.png (UTM zone 25
// south), and the map's .prj. The foxes were hidden at chosen places; each station took five receiver
// readings per fox scattered by a few degrees around the true bearing, which the bearing table averages and
// transfers to the main window exactly as "Calculate AVG" and "Transfer to Main" do, then File > Save writes
// the file. Run: vantrel-make-olinda-example EXAMPLES_FOLDER
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/number_text.hpp"
#include "instruments/bearing_table.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file_commands.hpp"
#include "platform/raster_map.hpp"

namespace {

using vantrel::persistence::ProgramState;

struct Place {
    double east;
    double north;
};

// Stations and hidden foxes on the scene (pixel centres of the picture, rounded to metres).
constexpr Place kStations[2] = {{291056, 9112781}, {295901, 9119051}};
constexpr double kBaseAngles[2] = {10, 350};
constexpr Place kFoxes[5] = {
    {292196, 9118196}, {295331, 9113636}, {290486, 9115916}, {293906, 9112496}, {296471, 9115346}};
// How each of the five readings of a bearing strays, in degrees, and the signal of each fox.
constexpr double kStray[5] = {-2.5, 1.0, 3.0, -0.5, 1.5};
constexpr double kSignals[5] = {-25, -42, -55, -35, -61};

double TrueBearing(Place from, Place to) {
    const double degrees = std::atan2(to.east - from.east, to.north - from.north) * 180 / 3.14159265358979;
    return degrees < 0 ? degrees + 360 : degrees;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-make-olinda-example EXAMPLES_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    constexpr char kSeparator = '.';
    ProgramState program;
    for (int station = 0; station < 2; ++station) {
        const Place at = kStations[station];
        for (int fox = 0; fox < 5; ++fox) {
            const double bearing = TrueBearing(at, kFoxes[fox]) - kBaseAngles[station];
            for (int row = 0; row < 5; ++row) {
                const double stray = kStray[(row + fox + station) % 5] * (1 + 0.3 * fox);
                const double angle = std::fmod(bearing + stray + 720, 360);
                program.RxReadings(station, fox, row) = {std::round(angle * 10) / 10, kSignals[fox] + row - 2,
                                                         1};
            }
        }
        vantrel::instruments::DataInForm form;
        vantrel::instruments::ShowStationReadings(form, program.RxReadings, station, kSeparator);
        vantrel::instruments::CalcAverages(form, program.RxReadings, station, kSeparator);
        vantrel::instruments::TransferToMain(form, program.main, station);
        const auto text = [](double value) { return vantrel::core::DefaultText(value, kSeparator); };
        (station == 0 ? program.main.Sced1Lon : program.main.Sced2Lon) = text(at.east);
        (station == 0 ? program.main.Sced1Lat : program.main.Sced2Lat) = text(at.north);
        (station == 0 ? program.main.Sced1Ang : program.main.Sced2Ang) = text(kBaseAngles[station]);
    }
    const auto saved = vantrel::persistence::WriteDataFile(program, folder / "hunt-olinda.fh2", kSeparator);
    if (!saved) {
        std::fprintf(stderr, "%s\n", saved.message().c_str());
        return 1;
    }
    const auto prj = vantrel::persistence::WriteFileAtomically(folder / "maps" / "olinda.prj",
                                                               vantrel::platform::UtmZonePrjText({25, 'M'}));
    if (!prj) {
        std::fprintf(stderr, "%s\n", prj.message().c_str());
        return 1;
    }
    return 0;
}
