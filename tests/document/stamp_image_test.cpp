#include "document/stamp_image.h"
#include "app/text_utils.h"

#include "app/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <lodepng.h>

namespace {

struct loaded {
    std::string outcome;
    unsigned char* pixels = nullptr;
    int width = -1, height = -1;
    ~loaded() { std::free(pixels); }
};

void load(const std::string& path, loaded& out) {
    try {
        load_stamp_image(path.c_str(), &out.pixels, &out.width, &out.height);
        out.outcome = "(nothing thrown)";
    } catch (const std::exception& e) {
        out.outcome = e.what();
    }
}

void write_png(const std::string& path, const unsigned char* image, unsigned w, unsigned h, LodePNGColorType type) {
    ASSERT_EQ(lodepng_encode_file(path.c_str(), image, w, h, type, 8), 0u);
}

}  // namespace

class StampImage : public ScratchFolderTest {};

TEST_F(StampImage, RgbaComesBackAsBgra) {
    const unsigned char rgba[] = {255, 0, 0, 255, /**/ 0, 128, 255, 64, /**/ 1, 2, 3, 0, /**/ 9, 8, 7, 6};
    const std::string file = path("\xE5\x8D\xB0\xE7\xAB\xA0.png");  // a CJK name
    write_png(file, rgba, 2, 2, LCT_RGBA);
    loaded img;
    load(file, img);
    ASSERT_EQ(img.outcome, "Succeed");
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    const unsigned char bgra[] = {0, 0, 255, 255, /**/ 255, 128, 0, 64, /**/ 3, 2, 1, 0, /**/ 7, 8, 9, 6};
    EXPECT_EQ(std::memcmp(img.pixels, bgra, sizeof bgra), 0);
}

TEST_F(StampImage, GreyAndPaletteBecomeEightBitBgra) {
    const unsigned char grey[] = {0, 77, 200};
    write_png(path("grey.png"), grey, 3, 1, LCT_GREY);
    loaded g;
    load(path("grey.png"), g);
    ASSERT_EQ(g.outcome, "Succeed");
    ASSERT_EQ(g.width, 3);
    for (int i = 0; i < 3; ++i) {
        const unsigned char* px = g.pixels + 4 * i;
        EXPECT_EQ(px[0], grey[i]);
        EXPECT_EQ(px[1], grey[i]);
        EXPECT_EQ(px[2], grey[i]);
        EXPECT_EQ(px[3], 255);
    }

    // A palette picture made by another encoder.
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick missing";
    const std::string cmd = "convert -size 4x3 xc:'#FF8000' -type Palette PNG8:'" + path("pal.png") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    loaded p;
    load(path("pal.png"), p);
    ASSERT_EQ(p.outcome, "Succeed");
    ASSERT_EQ(p.width, 4);
    ASSERT_EQ(p.height, 3);
    for (int i = 0; i < 12; ++i) {
        const unsigned char* px = p.pixels + 4 * i;
        EXPECT_EQ(px[0], 0x00);
        EXPECT_EQ(px[1], 0x80);
        EXPECT_EQ(px[2], 0xFF);
        EXPECT_EQ(px[3], 0xFF);
    }
}

TEST_F(StampImage, UnreadableEmptyAndBrokenFiles) {
    std::ofstream(path("empty.png")).close();
    std::ofstream(path("text.png")) << "not a picture at all";
    for (const char* name : {"missing.png", "empty.png"}) {
        loaded img;
        load(path(name), img);
        EXPECT_EQ(img.outcome, "Undefined") << name;
        EXPECT_EQ(img.pixels, nullptr);
        EXPECT_EQ(img.width, 0);
        EXPECT_EQ(img.height, 0);
    }
    loaded bad;
    load(path("text.png"), bad);
    EXPECT_EQ(bad.outcome.rfind("Failed to load image : ", 0), 0u) << bad.outcome;
    EXPECT_GT(bad.outcome.size(), std::string("Failed to load image : ").size());
    EXPECT_EQ(bad.pixels, nullptr);
}

TEST(SwapRedBlue, InPlaceAndNothingForEmptySizes) {
    unsigned char px[] = {1, 2, 3, 4, 5, 6, 7, 8};
    swap_red_blue(px, 2, 1);
    const unsigned char swapped[] = {3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(std::memcmp(px, swapped, 8), 0);
    swap_red_blue(px, 0, 1);
    swap_red_blue(px, 2, -1);
    EXPECT_EQ(std::memcmp(px, swapped, 8), 0);
}
