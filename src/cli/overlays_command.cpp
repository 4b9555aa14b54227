#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/cross_fix.hpp"
#include "map_outputs/preview_overlay.hpp"
#include "map_outputs/result_overlays.hpp"
#include "persistence/file_access.hpp"

#include <filesystem>

namespace vantrel::cli {

// overlays FILE [--foxes PATH --rays PATH] [--preview PATH]: load, Calculate, then Write Overlays and/or
// Write Preview Overlay to the given paths, in the order foxes, rays, preview. The first failure stops.
// Silent on success but for the window's zone warnings (of --zone) on stderr.
int RunOverlays(const Context& context) {
    constexpr const char* kSynopsis =
        "overlays FILE [--foxes PATH --rays PATH] [--preview PATH] [--zone ZONE[,ZONE]]";
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const auto zones = ZoneBoxesOption(context);
    if (!zones) {
        return kExitUsage;
    }
    const auto foxes = context.args.Option("foxes");
    const auto rays = context.args.Option("rays");
    const auto preview = context.args.Option("preview");
    if (foxes.has_value() != rays.has_value()) {
        return UsageError("--foxes and --rays go together");
    }
    if (!foxes && !preview) {
        return UsageError("usage: vantrel-cli " + std::string(kSynopsis) + " (name at least one overlay)");
    }
    for (const auto& output : {foxes, rays, preview}) {
        if (const core::Outcome distinct =
                CheckOutputIsNoInput(output.value_or(""), {context.args.positional[0]});
            !distinct) {
            return FailWith(distinct);
        }
    }
    auto state = LoadAndCalculate(context.args.positional[0], context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    core::MeasurementState& main = state->main;
    persistence::Settings settings;
    settings.FoxesFileLocation = foxes.value_or("");
    settings.RaysFileLocation = rays.value_or("");
    settings.PreviewOverlayFileLocation = preview.value_or("");
    if (foxes) {
        if (const core::Outcome written = map_outputs::WriteOverlays(main, settings); !written) {
            return FailWith(written);
        }
    }
    if (preview) {
        const core::Outcome written =
            map_outputs::WritePreviewOverlay(main, settings, context.decimalSeparator);
        if (!written && foxes) {
            return Fail(
                persistence::WithoutNothingWritten(written.message()) + ". The fox symbols overlay \"" +
                persistence::DisplayPath(std::filesystem::path(*foxes)) + "\" and the rays overlay \"" +
                persistence::DisplayPath(std::filesystem::path(*rays)) + "\" have already been written.");
        }
        if (!written) {
            return FailWith(written);
        }
    }
    // As the window's status line after Calculate and each writer.
    PrintZoneWarnings(*zones, {geodesy::ZoneCheck::Calculate,
                               foxes ? geodesy::ZoneCheck::Overlays : geodesy::ZoneCheck::PreviewOverlay});
    return kExitOk;
}

}  // namespace vantrel::cli
