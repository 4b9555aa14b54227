#include "platform/map_sidecars.hpp"

#include <algorithm>
#include <cctype>

#include "persistence/file_access.hpp"

namespace vantrel::platform {

namespace fs = std::filesystem;

std::vector<fs::path> WorldFileCandidates(const fs::path& picture) {
    std::string ext = picture.extension().string();
    if (ext.size() < 2) {
        return {};
    }
    ext.erase(0, 1);
    const std::string shortForm = std::string(1, ext.front()) + ext.back() + "w";
    std::vector<fs::path> candidates;
    for (int upper = 0; upper < 2; ++upper) {
        for (std::string name : {shortForm, ext + "w", std::string("wld")}) {
            if (upper == 1) {
                std::transform(name.begin(), name.end(), name.begin(), [](char c) {
                    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                });
            }
            candidates.push_back(fs::path(picture).replace_extension(name));
        }
    }
    return candidates;
}

std::vector<fs::path> PrjCandidates(const fs::path& picture) {
    return {fs::path(picture).replace_extension(".prj"), fs::path(picture).replace_extension(".PRJ")};
}

core::Result<std::optional<fs::path>> FindSidecar(const std::vector<fs::path>& candidates,
                                                  std::string_view kind) {
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (!fs::exists(candidate, error)) {
            continue;
        }
        if (auto regular = persistence::FollowToFileTarget(candidate); !regular) {
            return core::Result<std::optional<fs::path>>::Fail("the " + std::string(kind) + " \"" +
                                                               persistence::DisplayPath(candidate) +
                                                               "\" cannot be read: " + regular.message());
        }
        return std::optional<fs::path>(candidate);
    }
    return std::optional<fs::path>();
}

std::vector<std::string> RegularSiblings(const fs::path& file) {
    std::vector<std::string> names{file.filename().string()};
    std::error_code error;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code kindError;
        if (entry->is_regular_file(kindError) && entry->path().filename() != file.filename()) {
            names.push_back(entry->path().filename().string());
        }
    }
    return names;
}

}  // namespace vantrel::platform
