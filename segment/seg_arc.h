#pragma once
// What the reader keeps of each archive of a set, and the list that owns those records.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "compress/string_list.h"

namespace zov::segment {

class TSegArc : public TObject {
public:
    std::string Template;  // names the archive's source
    std::string Path;      // the template's directory part: where its files go by default
    uint16_t SeqNumber = 0;
    uint8_t ArcByte = 0;   // from the scan record, kept for the caller
    // First the stored names from the file list; after expansion the files created.
    TStringList Files;
};

// Owns its archives: deleting, clearing or destroying the list frees them.
class TSegArcList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TSegArc& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
    void Add(std::unique_ptr<TSegArc> arc) { items_.push_back(std::move(arc)); }
    void Delete(int index) {
        items_.at(static_cast<size_t>(index));  // out of range raises
        items_.erase(items_.begin() + index);
    }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TSegArc>> items_;
};

}  // namespace zov::segment
