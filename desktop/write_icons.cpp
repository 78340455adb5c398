// Writes the game's own icon as the PNG files of the desktop's icon theme:
// <folder>/<N>x<N>/apps/<name>.png for every size asked for.
#include "resources/main_window.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool WriteIcon(const std::filesystem::path& folder, const std::string& name, int size) {
    const platform::PixelImage icon = resources::MakeIcon(size);
    std::vector<unsigned char> rgba;
    rgba.reserve(icon.pixels.size() * 4);
    for (uint32_t pixel : icon.pixels) {
        rgba.push_back(static_cast<unsigned char>(pixel >> 16));
        rgba.push_back(static_cast<unsigned char>(pixel >> 8));
        rgba.push_back(static_cast<unsigned char>(pixel));
        rgba.push_back(static_cast<unsigned char>(pixel >> 24));
    }
    const std::string dim = std::to_string(size);
    const std::filesystem::path apps = folder / (dim + "x" + dim) / "apps";
    std::error_code error;
    std::filesystem::create_directories(apps, error);
    const std::string file = (apps / (name + ".png")).string();
    if (error || !stbi_write_png(file.c_str(), size, size, 4, rgba.data(), size * 4)) {
        std::fprintf(stderr, "write_icons: cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: write_icons FOLDER NAME SIZE...\n");
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > 1024 || !WriteIcon(argv[1], argv[2], size)) {
            return 1;
        }
    }
    return 0;
}
