#include "persistence/ini_file.hpp"

#include <algorithm>
#include <cctype>

namespace vantrel::persistence {
namespace {

// Blanks, and carriage returns: a CR left at the end of the file's last line (a CR LF cut short, or an old
// Mac line end) belongs to a line end, never to a name or a value.
std::string_view Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The section name of a "[Name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.size() < 2 || t.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = t.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(t.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view t = Trim(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

std::optional<std::string_view> KeyName(std::string_view line) {
    if (IsComment(line)) {
        return std::nullopt;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(0, eq));
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        Line line;
        if (lf == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            std::string_view body = text.substr(0, lf);
            if (!body.empty() && body.back() == '\r') {
                body.remove_suffix(1);
                line.ending = "\r\n";
            } else {
                line.ending = "\n";
            }
            line.text = std::string(body);
            text.remove_prefix(lf + 1);
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

IniFile::Location IniFile::Find(std::string_view section, std::string_view key) const {
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& text = lines_[i].text;
        if (const auto name = SectionName(text)) {
            if (inSection) {
                break;  // the first matching section ends here
            }
            if (SameName(*name, section)) {
                inSection = true;
                where.sectionHeader = i;
                where.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(text).empty()) {
            where.insertAt = i + 1;
        }
        if (const auto name = KeyName(text); name && !where.keyLine && SameName(*name, key)) {
            where.keyLine = i;
        }
    }
    return where;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const Location where = Find(section, key);
    if (!where.keyLine) {
        return std::nullopt;
    }
    const std::string& text = lines_[*where.keyLine].text;
    return std::string(Trim(std::string_view(text).substr(text.find('=') + 1)));
}

std::string IniFile::NewLineEnding() const {
    for (const Line& line : lines_) {
        if (!line.ending.empty()) {
            return line.ending;
        }
    }
    return "\r\n";
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(key) + "=" + std::string(value);
    const Location where = Find(section, key);
    const std::string ending = NewLineEnding();
    if (where.keyLine) {
        lines_[*where.keyLine].text = entry;
        return;
    }
    if (!lines_.empty() && lines_.back().ending.empty()) {
        lines_.back().ending = ending;  // the old last line gets its end before anything follows it
    }
    if (where.sectionHeader) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(where.insertAt), Line{entry, ending});
        return;
    }
    lines_.push_back(Line{"[" + std::string(section) + "]", ending});
    lines_.push_back(Line{entry, ending});
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

}  // namespace vantrel::persistence
