#include <QEventLoop>
#include <QTimer>

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

int FromStandardInput(const Context& context) {
    instruments::GpsRequest request;
    ReadStandardInput([&](std::string_view chunk) { return !request.Feed(chunk); });
    if (!request.fix()) {
        return Fail("the input ended before a valid RMC sentence");
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
        request.Abort();  // as Esc does: the port closes, nothing is written
        exitCode = Fail("no valid RMC sentence within " + core::ShortestText(*timeoutSeconds) + " s");
        loop.quit();
    });
    if (timeoutSeconds) {
        timeout.start(static_cast<int>(*timeoutSeconds * 1000));
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
        return FromStandardInput(context);
    }
    return FromDevice(context, *device, timeoutSeconds);
}

}  // namespace vantrel::cli
