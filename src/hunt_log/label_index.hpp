#pragma once

// Station names and sources repeat on almost every bearing: a log holds each distinct text once
// (Log::labels) and its bearings hold the index. LabelIndex finds a text's index or adds the text; it holds
// no reference to the list, so whoever owns the list may be moved freely.
//
// Plain data; one owner at a time.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel::hunt_log {

class LabelIndex {
  public:
    // Knows the texts already in `labels` (a new Log's list holds "" at 0).
    explicit LabelIndex(const std::vector<std::string>& labels) {
        for (std::size_t i = 0; i < labels.size(); ++i) {
            index_.emplace(labels[i], static_cast<std::uint32_t>(i));
        }
    }

    // The index of `text` in `labels`, appending it when it is new.
    std::uint32_t Index(std::vector<std::string>& labels, const std::string& text) {
        const auto [it, added] = index_.emplace(text, static_cast<std::uint32_t>(labels.size()));
        if (added) {
            labels.push_back(text);
        }
        return it->second;
    }

  private:
    std::unordered_map<std::string, std::uint32_t> index_;
};

}  // namespace vantrel::hunt_log
