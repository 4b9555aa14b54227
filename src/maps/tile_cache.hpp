#pragma once

// Decoded tiles kept between draws: least recently used out first, bounded by the bytes the caller says
// each tile takes. Not locked: the map that owns it serialises every call (see platform/raster_map.hpp).

#include <cstddef>
#include <iterator>
#include <list>
#include <map>
#include <utility>

#include "maps/tile_pyramid.hpp"

namespace vantrel::maps {

template <class Tile>
class TileCache {
  public:
    explicit TileCache(std::size_t limitBytes) : limit_(limitBytes) {}

    // The tile under `key`, now the most recently used; nullptr when it is not held.
    const Tile* Find(const TileKey& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) {
            return nullptr;
        }
        entries_.splice(entries_.end(), entries_, found->second);
        return &found->second->tile;
    }

    // Keeps `tile` (replacing one under the same key), then drops the least recently used others until
    // the bytes fit the limit; the new tile stays even when it alone is larger.
    const Tile& Insert(const TileKey& key, Tile tile, std::size_t bytes) {
        if (const auto old = index_.find(key); old != index_.end()) {
            bytes_ -= old->second->bytes;
            entries_.erase(old->second);
            index_.erase(old);
        }
        entries_.push_back({key, std::move(tile), bytes});
        bytes_ += bytes;
        index_[key] = std::prev(entries_.end());
        Trim(1);
        return entries_.back().tile;
    }

    void SetLimit(std::size_t bytes) {
        limit_ = bytes;
        Trim(0);
    }
    [[nodiscard]] std::size_t Bytes() const { return bytes_; }
    [[nodiscard]] std::size_t Count() const { return entries_.size(); }

  private:
    struct Entry {
        TileKey key;
        Tile tile;
        std::size_t bytes = 0;
    };

    // Drops the oldest tiles until the cache fits, keeping the newest `keep`.
    void Trim(std::size_t keep) {
        while (bytes_ > limit_ && entries_.size() > keep) {
            bytes_ -= entries_.front().bytes;
            index_.erase(entries_.front().key);
            entries_.pop_front();
        }
    }

    std::list<Entry> entries_;  // oldest first
    std::map<TileKey, typename std::list<Entry>::iterator> index_;
    std::size_t bytes_ = 0;
    std::size_t limit_;
};

}  // namespace vantrel::maps
