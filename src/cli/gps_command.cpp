#include <QEventLoop>
#include <QTimer>

#include <chrono>

#include "cli/cli.hpp"
#include "cli/instrument_input.hpp"
#include "core/number_text.hpp"
#include "instruments/gps_request.hpp"
#include "platform/gps_position_request.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis = "gps [DEVICE|-] [--timeout SECONDS]";

// What "Get Pos" writes for station 1: northing, easting, zone and txtTest.
void PrintFix(const Context& context, const instruments::RmcFix& fix) {
    core::MeasurementState state;
    instruments::ApplyGpsFix(state, 0, fix, context.decimalSeparator);
    PrintLineNow(state.Sced1Lat + "\t" + state.Sced1Lon + "\t" + state.txtZone[0] + "\t" + state.txtTest);
}

// The seconds as the user wrote them (at most a day, so a whole number of milliseconds fits).
std::chrono::milliseconds Milliseconds(double seconds) {
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

int FromStandardInput(const Context& context, std::optional<double> timeoutSeconds) {
    instruments::GpsRequest request;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (timeoutSeconds) {
        deadline = std::chrono::steady_clock::now() + Milliseconds(*timeoutSeconds);
    }
    const InputEnd end =
        ReadStandardInput([&](std::string_view chunk) { return !request.Feed(chunk); }, deadline);
    if (!request.fix()) {
        const std::string refusals = instruments::GpsRefusalText(request);
        const std::string why = refusals.empty() ? "" : "; " + refusals;
        if (end == InputEnd::TimedOut) {
            return Fail("no valid RMC sentence within " + core::ShortestText(*timeoutSeconds) + " s" + why);
        }
        return Fail("the input ended before a valid RMC sentence" + why);
    }
    PrintFix(context, *request.fix());
    return kExitOk;
}

int FromDevice(const Context& context, const QString& device, std::optional<double> timeoutSeconds) {
    QEventLoop loop;
    platform::GpsPositionRequest request;
    int exitCode = kExitFailure;
    QObject::connect(&request, &platform::GpsPositionRequest::finished, &loop,
                     [&](const instruments::RmcFix& fix) {
                         PrintFix(context, fix);
                         exitCode = kExitOk;
                         loop.quit();
                     });
    QObject::connect(&request, &platform::GpsPositionRequest::failed, &loop, [&](const QString& message) {
        exitCode = Fail(message.toStdString());
        loop.quit();
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
        const std::string refusals = instruments::GpsRefusalText(request.Request());
        request.Abort();  // as Esc does: the port closes, nothing is written
        exitCode = Fail("no valid RMC sentence within " + core::ShortestText(*timeoutSeconds) + " s" +
                        (refusals.empty() ? "" : "; " + refusals));
        loop.quit();
    });
    if (timeoutSeconds) {
        timeout.start(Milliseconds(*timeoutSeconds));
    }
    request.Start(device);
    loop.exec();
    return exitCode;
}

}  // namespace

int RunGps(const Context& context) {
    if (!ExpectPositionals(context, 0, 1, kSynopsis)) {
        return kExitUsage;
    }
    std::optional<double> timeoutSeconds;
    if (const auto text = context.args.Option("timeout")) {
        timeoutSeconds = core::ReadRegional(*text, context.decimalSeparator);
        if (!timeoutSeconds || *timeoutSeconds <= 0 || *timeoutSeconds > 86400) {
            return UsageError("--timeout must be a number of seconds from above 0 to 86400: \"" + *text +
                              "\"");
        }
    }
    const std::optional<QString> device = DeviceArgument(context);
    if (!device) {
        return FromStandardInput(context, timeoutSeconds);
    }
    return FromDevice(context, *device, timeoutSeconds);
}

}  // namespace vantrel::cli
