// The receipt pictures: bitmaps as Qt writes them are read back pixel for pixel; files whose
// header claims more than they hold are refused, never read past their end.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
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

// A 2 x 2 picture with bit fields, as image tools write them: red, green, blue and white;
// infoSize 40 puts the masks after the header, 124 (a version-5 header) inside it.
std::string BitFieldBytes(int bitsPerPixel, uint32_t infoSize) {
    const bool wide = bitsPerPixel == 32;
    const uint32_t masks[] = {wide ? 0x00FF0000u : 0xF800u, wide ? 0x0000FF00u : 0x07E0u,
                              wide ? 0x000000FFu : 0x001Fu, wide ? 0xFF000000u : 0u};
    const std::size_t maskBytes = infoSize == 40 ? 12 : 0;
    const std::size_t stride = wide ? 8 : 4;
    const std::size_t bitsAt = 14 + infoSize + maskBytes;
    std::string bytes(bitsAt + 2 * stride, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    Put32(bytes, 10, static_cast<uint32_t>(bitsAt));
    Put32(bytes, 14, infoSize);
    Put32(bytes, 18, 2);
    Put32(bytes, 22, 2);
    bytes[26] = 1;  // planes
    bytes[28] = static_cast<char>(bitsPerPixel);
    Put32(bytes, 30, 3);  // bit fields
    for (int i = 0; i < (infoSize == 40 ? 3 : 4); ++i) {
        Put32(bytes, 14 + 40 + 4 * static_cast<std::size_t>(i), masks[i]);
    }
    // Bottom row first: red, green; then blue, white.
    const uint32_t pixels[] = {wide ? 0xFFFF0000u : 0xF800u, wide ? 0xFF00FF00u : 0x07E0u,
                               wide ? 0xFF0000FFu : 0x001Fu, wide ? 0xFFFFFFFFu : 0xFFFFu};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = bitsAt + (i / 2) * stride + (i % 2) * (wide ? 4 : 2);
        for (std::size_t k = 0; k < (wide ? 4u : 2u); ++k) {
            bytes[at + k] = static_cast<char>(pixels[i] >> (8 * k));
        }
    }
    return bytes;
}

TEST(Dib, BitFieldPicturesWhoseMasksFitAreRead) {
    for (const auto &[bits, info] :
         {std::pair{16, 40u}, std::pair{32, 40u}, std::pair{32, 124u}, std::pair{16, 124u}}) {
        CDib dib;
        std::string problem;
        ASSERT_TRUE(dib.LoadBytes(BitFieldBytes(bits, info), &problem))
            << bits << " bits, header " << info << ": " << problem;
        const QImage image = dib.Image().convertToFormat(QImage::Format_RGB32);
        // Five or six bits a channel come back within a step of eight.
        const auto near = [&](int x, int y, QRgb expected) {
            const QRgb got = image.pixel(x, y);
            return std::abs(qRed(got) - qRed(expected)) < 8 &&
                   std::abs(qGreen(got) - qGreen(expected)) < 8 &&
                   std::abs(qBlue(got) - qBlue(expected)) < 8;
        };
        EXPECT_TRUE(near(0, 1, qRgb(255, 0, 0))) << bits << "/" << info;
        EXPECT_TRUE(near(1, 1, qRgb(0, 255, 0))) << bits << "/" << info;
        EXPECT_TRUE(near(0, 0, qRgb(0, 0, 255))) << bits << "/" << info;
        EXPECT_TRUE(near(1, 0, qRgb(255, 255, 255))) << bits << "/" << info;
    }
    std::string overlapping = BitFieldBytes(32, 40);
    Put32(overlapping, 14 + 44, 0x00FF0000u);  // green's mask is red's
    std::string cut = BitFieldBytes(16, 40);
    cut.resize(14 + 40 + 6);  // the masks end past the file
    std::string sixteen = BitFieldBytes(16, 40);
    Put32(sixteen, 14 + 40, 0xF8000000u);  // beyond 16 bits
    for (const std::string &bytes : {overlapping, cut, sixteen}) {
        CDib dib;
        std::string problem;
        EXPECT_FALSE(dib.LoadBytes(bytes, &problem));
        EXPECT_FALSE(problem.empty());
    }
}

TEST(Dib, OnlyRegularFilesAreReadAndNoMoreThanTheirHeadersClaim) {
    TempDir folder;
    CDib dib;
    std::string problem;
    EXPECT_FALSE(dib.Load("/dev/zero", &problem)) << "a device never ends";
    EXPECT_EQ(problem, "not a regular file");
    const std::string fifo = (folder.Path() / "fifo.bmp").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(dib.Load(fifo, &problem)) << "nobody writes: must not wait";
    EXPECT_EQ(problem, "not a regular file");
    EXPECT_FALSE(dib.Load(folder.WriteFile("notes.bmp", "Dear operator,\n"), &problem));
    EXPECT_EQ(problem, CDib::kNotABitmap);
    // A picture followed by a gigabyte of nothing is read as the picture it claims to be.
    const std::string good = BitmapBytes(folder, Sample(QImage::Format_RGB32));
    const std::string padded = (folder.Path() / "padded.bmp").string();
    {
        std::ofstream file(padded, std::ios::binary);
        file << good;
    }
    std::filesystem::resize_file(padded, std::uintmax_t{1} << 30);
    EXPECT_TRUE(dib.Load(padded, &problem)) << problem;
    EXPECT_EQ(dib.Width(), 7);
}

}  // namespace
