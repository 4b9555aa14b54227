#pragma once

// An INI profile file as the platform's profile functions keep it: "[Section]" lines open sections,
// "Key=Value" lines hold values. Sections and keys are matched without regard to letter case; blanks (and
// stray carriage returns) around names and values are not part of them. Changing a value rewrites only that
// line and leaves every other line, comments and unknown keys included, exactly as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::persistence {

class IniFile {
  public:
    IniFile() = default;
    static IniFile Parse(std::string_view text);

    // The value of the first matching key in the first matching section; nullopt when either is absent.
    [[nodiscard]] std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces the key's value, or adds the key at the end of its section, or adds the section at the end
    // of the file. An empty value is written as "Key=".
    void Set(std::string_view section, std::string_view key, std::string_view value);

    [[nodiscard]] std::string Serialize() const;

  private:
    struct Line {
        std::string text;    // without its line end
        std::string ending;  // "\r\n", "\n" or "" (a last line without an end)
    };
    struct Location {
        std::optional<std::size_t> sectionHeader;
        std::optional<std::size_t> keyLine;
        std::size_t insertAt = 0;  // after the section's last non-empty line
    };
    [[nodiscard]] Location Find(std::string_view section, std::string_view key) const;
    [[nodiscard]] std::string NewLineEnding() const;

    std::vector<Line> lines_;
};

}  // namespace vantrel::persistence
