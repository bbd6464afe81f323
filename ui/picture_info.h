#pragma once
// Size and frame count of a picture read from its file header, for running without a
// window system (nothing is decoded). BMP, GIF, PNG, JPEG and ICO are recognised.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zov::ui {

struct TPictureInfo {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> FrameDelays;  // milliseconds, one per frame; one entry for a still
};

std::optional<TPictureInfo> ReadPictureInfo(const std::string& bytes);

}  // namespace zov::ui
