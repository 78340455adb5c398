#include "images/Image.h"
#include "platform/image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadSample(const std::string& name) {
    std::ifstream in(KZ_SOURCE_DIR "/tests/fuzz/fuzz_image/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A scratch data folder holding one picture under the game's own name.
class PictureFolder {
public:
    PictureFolder() {
        m_dir = fs::temp_directory_path() /
                ("kz_image_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "image");
    }
    ~PictureFolder() { fs::remove_all(m_dir); }

    // Writes the bytes as image/sam1.ypg and returns the path as the game
    // writes it: the folder, then a backslashed name.
    std::string Put(const std::vector<uint8_t>& bytes) {
        std::ofstream out(m_dir / "image" / "sam1.ypg", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        return m_dir.string() + "\\image\\sam1.ypg";
    }
    std::string Folder() const { return m_dir.string(); }

private:
    fs::path m_dir;
};

// The samples are 4 × 3 pixels cycling through red, green, blue, yellow,
// white and black.
uint32_t SampleColour(int x, int y) {
    const uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFFFF, 0x000000};
    return colours[(x + y * 4) % 6];
}

TEST(CImage, LoadsEachFormatByContentUnderTheGameName) {
    struct Case {
        const char* sample;
        int tolerance; // JPEG is lossy
    } cases[] = {{"sample.png", 0}, {"sample.bmp", 0}, {"sample.gif", 0}, {"sample.jpg", 24}};
    for (const Case& c : cases) {
        PictureFolder folder;
        CImage image;
        ASSERT_EQ(image.Load(folder.Put(ReadSample(c.sample))), S_OK) << c.sample;
        ASSERT_EQ(image.Width(), 4) << c.sample;
        ASSERT_EQ(image.Height(), 3) << c.sample;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                uint32_t got = image.Bitmap().At(x, y), want = SampleColour(x, y);
                EXPECT_EQ(got >> 24, 0xFFu) << c.sample;
                for (int shift : {16, 8, 0}) {
                    EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), c.tolerance)
                        << c.sample << " at " << x << "," << y;
                }
            }
        }
    }
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep) {
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

std::vector<uint8_t> Flip(std::vector<uint8_t> bytes, size_t at) {
    bytes[at] ^= 0xFF;
    return bytes;
}

// A BMP header, 24 bits a pixel, with no pixels after it.
std::vector<uint8_t> BmpHeader(int32_t width, int32_t height) {
    std::vector<uint8_t> b(54, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = uint8_t(v >> (8 * i));
        }
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, 54 + uint32_t(width) * 3 * uint32_t(height));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST(CImage, BrokenFilesFailAndLeaveTheImageEmpty) {
    const std::vector<uint8_t> png = ReadSample("sample.png"), jpg = ReadSample("sample.jpg");
    const std::vector<uint8_t> gif = ReadSample("sample.gif"), bmp = ReadSample("sample.bmp");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty file", {}},
        {"text", {'h', 'e', 'l', 'l', 'o'}},
        {"PNG signature only", Cut(png, 8)},
        {"PNG cut in its pixels", Cut(png, png.size() - 20)},
        {"PNG with damaged pixel data", Flip(Flip(png, png.size() - 24), png.size() - 26)},
        {"JPEG cut in its header", Cut(jpg, 20)},
        {"GIF cut in its header", Cut(gif, 10)},
        {"BMP cut in its header", Cut(bmp, 30)},
        {"BMP of zero width", BmpHeader(0, 4)},
    };
    for (const Case& c : cases) {
        PictureFolder folder;
        CImage image;
        ASSERT_EQ(image.Load(folder.Put(ReadSample("sample.png"))), S_OK);
        EXPECT_EQ(image.Load(folder.Put(c.bytes)), E_FAIL) << c.what;
        EXPECT_TRUE(image.IsNull()) << c.what;
        EXPECT_EQ(image.Width(), 0) << c.what;
        EXPECT_EQ(image.Height(), 0) << c.what;
    }
}

TEST(CImage, MissingFileOrFolderFails) {
    PictureFolder folder;
    CImage image;
    EXPECT_EQ(image.Load(folder.Folder() + "\\image\\nothing.ypg"), E_FAIL);
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.Load(folder.Folder() + "\\image"), E_FAIL);
    EXPECT_TRUE(image.IsNull());
}

// A picture needing more than 64 MiB of pixels is refused from its header,
// before anything is allocated for it.
TEST(DecodeImage, RefusesPicturesBeyondThePixelBudget) {
    struct Case {
        int32_t width, height;
        size_t budget;
        bool loads;
    } cases[] = {
        {4097, 4096, platform::kMaxImagePixelBytes, false},   // one column past 64 MiB
        {65536, 65536, platform::kMaxImagePixelBytes, false}, // a 16 GiB claim
        {1 << 24, 2, platform::kMaxImagePixelBytes, false},   // overflows a 32-bit product
        // The budget is inclusive; the decoder fills what a short file lacks
        // with black, so a bare header is enough to show it.
        {64, 64, 64 * 64 * 4, true},
        {65, 64, 64 * 64 * 4, false},
        {4097, 4096, size_t{64} << 30, false}, // a caller cannot raise the limit
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = BmpHeader(c.width, c.height);
        platform::DecodedImage out;
        EXPECT_EQ(platform::DecodeImage(bytes.data(), bytes.size(), out, c.budget), c.loads)
            << c.width << " x " << c.height;
        EXPECT_EQ(out.pixels.width, c.loads ? c.width : 0);
        EXPECT_EQ(out.pixels.pixels.size(), c.loads ? size_t(c.width) * size_t(c.height) : 0u);
    }
}

} // namespace
