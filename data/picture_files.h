#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An RGB picture made by our generator, three bytes a pixel, row-major.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    RgbPicture() = default;
    RgbPicture(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3) {}
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b);
};

// Each returns false when the file could not be written.
bool WritePng(const std::string& path, const RgbPicture& picture);
bool WriteJpeg(const std::string& path, const RgbPicture& picture);
bool WriteBmp(const std::string& path, const RgbPicture& picture);
// Pictures of at most 256 distinct colours only.
bool WriteGif(const std::string& path, const RgbPicture& picture);
