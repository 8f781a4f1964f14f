// The receipt pictures: bitmaps as Qt writes them are read back pixel for pixel; files whose
// header claims more than they hold are refused, never read past their end.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <fstream>
#include <string>

#include "supportfixtures.h"
#include "zarn30dib.h"

using zarn::test::TempDir;

namespace {

void Put32(std::string &bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
}

// A bitmap file as Qt writes it.
std::string BitmapBytes(const TempDir &folder, const QImage &image) {
    const std::string path = (folder.Path() / "picture.bmp").string();
    EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

QImage Sample(QImage::Format format) {
    QImage image(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 30, y * 80, (x + y) * 20));
        }
    }
    return format == QImage::Format_Indexed8 ? image.convertToFormat(format, Qt::ThresholdDither)
                                             : image;
}

TEST(Dib, ReadsWhatQtWritesPixelForPixelAndScalesToAWidth) {
    TempDir folder;
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_Indexed8}) {
        const QImage original = Sample(format);
        CDib dib;
        std::string problem;
        ASSERT_TRUE(dib.LoadBytes(BitmapBytes(folder, original), &problem)) << problem;
        EXPECT_EQ(dib.Width(), 7);
        EXPECT_EQ(dib.Height(), 3);
        const QImage read = dib.Image().convertToFormat(QImage::Format_RGB32);
        const QImage expected = original.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 7; ++x) {
                ASSERT_EQ(read.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            }
        }
        dib.ScaleToWidth(10);
        EXPECT_DOUBLE_EQ(dib.Factor(), 10.0 / 7.0);
        EXPECT_EQ(dib.DrawnSize(), QSize(10, 4)) << "4.28 truncated";
    }
}

TEST(Dib, AZeroImageSizeMeansWhatTheRowsTake) {
    TempDir folder;
    std::string bytes = BitmapBytes(folder, Sample(QImage::Format_Indexed8));
    Put32(bytes, 14 + 20, 0);  // image size
    CDib dib;
    ASSERT_TRUE(dib.LoadBytes(bytes));
    EXPECT_EQ(dib.ImageSize(), 8u * 3u) << "rows of 7 bytes padded to 8";
    EXPECT_GT(dib.ColourCount(), 0);
    EXPECT_LE(dib.ColourCount(), 256);
    EXPECT_FALSE(dib.Image().isNull());
}

TEST(Dib, FilesThatClaimMoreThanTheyHoldAreRefused) {
    TempDir folder;
    const std::string good = BitmapBytes(folder, Sample(QImage::Format_Indexed8));
    struct Case {
        const char *what;
        std::size_t at;  // 0: cut the file instead
        uint32_t value;
    };
    const Case cases[] = {
        {"the pixel bits cut short", 0, 20},
        {"a colour table of 2^31 entries", 14 + 32, 0x80000000u},
        {"more colours than 8 bits index", 14 + 32, 257},
        {"a width the bits cannot hold", 14 + 4, 4000},
        {"a height the bits cannot hold", 14 + 8, 0x7fffffffu},
        {"a negative width", 14 + 4, 0xfffffff0u},
        {"an image size beyond the file", 14 + 20, 0x10000000u},
        {"an information header beyond the file", 14, 0x10000u},
        {"compressed bits", 14 + 16, 1},
    };
    for (const Case &test : cases) {
        std::string bytes = good;
        if (test.at == 0) {
            bytes.resize(bytes.size() - test.value);
        } else {
            Put32(bytes, test.at, test.value);
        }
        CDib dib;
        std::string problem;
        EXPECT_FALSE(dib.LoadBytes(bytes, &problem)) << test.what;
        EXPECT_FALSE(problem.empty()) << test.what;
        EXPECT_FALSE(dib.IsLoaded());
        EXPECT_TRUE(dib.Image().isNull());
    }
    CDib dib;
    EXPECT_FALSE(dib.Load("")) << "an empty path fails like a missing file";
    EXPECT_FALSE(dib.Load((folder.Path() / "missing.bmp").string()));
    EXPECT_FALSE(dib.Load(std::string(300, 'x')));
    EXPECT_FALSE(dib.LoadBytes("BM"));
}

}  // namespace
