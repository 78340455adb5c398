// Draws the duel's pictures named in the data table, and the tiny sample
// pictures the loader's tests and fuzzer start from.
//   kz_draw_pictures <table> <data folder>
//   kz_draw_pictures --samples <folder>
#include "picture_files.h"
#include "poses.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

int DrawTable(const std::string& table, const std::string& folder) {
    std::ifstream in(table);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", table.c_str());
        return 1;
    }
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::vector<std::string> f = SplitTabs(line);
        if (line.empty() || line[0] == '#' || f.size() < 4 || f[2] != "picture") {
            continue;
        }
        std::string path = folder + f[1];
        std::replace(path.begin(), path.end(), '\\', '/');
        RgbPicture picture;
        if (!DrawPicture(f[3], picture)) {
            std::fprintf(stderr, "%s:%d: no picture called %s\n", table.c_str(), lineNumber,
                         f[3].c_str());
            return 1;
        }
        if (!WritePng(path, picture)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

// Four by three pixels, six colours, so a decoder that swaps channels or rows
// shows it at once.
RgbPicture Sample() {
    const uint8_t colours[6][3] = {{255, 0, 0},   {0, 255, 0},     {0, 0, 255},
                                   {255, 255, 0}, {255, 255, 255}, {0, 0, 0}};
    RgbPicture picture(4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const uint8_t* c = colours[(x + y * 4) % 6];
            picture.Set(x, y, c[0], c[1], c[2]);
        }
    }
    return picture;
}

int WriteSamples(const std::string& folder) {
    RgbPicture sample = Sample();
    bool ok = WritePng(folder + "/sample.png", sample) &&
              WriteJpeg(folder + "/sample.jpg", sample) &&
              WriteBmp(folder + "/sample.bmp", sample) && WriteGif(folder + "/sample.gif", sample);
    if (!ok) {
        std::fprintf(stderr, "cannot write the samples into %s\n", folder.c_str());
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--samples") {
        return WriteSamples(argv[2]);
    }
    if (argc == 3) {
        return DrawTable(argv[1], argv[2]);
    }
    std::fprintf(stderr, "usage: %s <table> <data folder> | --samples <folder>\n", argv[0]);
    return 2;
}
