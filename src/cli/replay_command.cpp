// replay FILE.fhl --at TIME: the fixes of each fox as `locate --log` prints them for the log cut at TIME.

#include <string>

#include "cli/cli.hpp"
#include "cli/locate_log.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "replay FILE.fhl --at TIME [--fox N] [--method mle|huber|andrews] [--tuning C] [--sigma DEG] "
    "[--confidence P]";

}  // namespace

int RunReplay(const Context& context) {
    if (!ExpectPositionals(context, 1, 1, kSynopsis)) {
        return kExitUsage;
    }
    const auto at = context.args.Option("at");
    if (!at) {
        return UsageError("replay needs --at TIME");
    }
    bool badFox = false;
    const std::optional<int> fox = FoxOption(context, badFox);
    if (badFox) {
        return kExitUsage;
    }
    const auto options = LocateOptions(context);
    if (!options) {
        return kExitUsage;
    }
    return RunLocateLog(context.args.positional[0], fox, *options, at);
}

}  // namespace vantrel::cli
