// CDib: the header and footer pictures of a receipt, from .bmp files. The file's content after
// its 14-byte file header is kept as one block (information header, colour table, pixel bits);
// every size the header claims is checked against the file before anything is read, so that a
// short or hostile file is refused instead of read past its end.
#ifndef ZARN_TOLLGATE_ZARN30DIB_H
#define ZARN_TOLLGATE_ZARN30DIB_H

#include <QImage>
#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

class CDib {
public:
    static constexpr std::size_t kMaxPathLength = 255;
    // Why a file that does not start with "BM" is refused.
    static constexpr const char *kNotABitmap = "not a bitmap file";

    // Reads a .bmp file; false (problem says why) for an empty or over-long path, a file that
    // is not a regular file or cannot be read, or one whose header does not fit its content.
    // No more of the file is read than its headers claim.
    bool Load(const std::string &path, std::string *problem = nullptr);
    // The same from a file's bytes already in memory.
    bool LoadBytes(const std::string &bytes, std::string *problem = nullptr);
    bool IsLoaded() const { return m_loaded; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    // Entries in the colour table: the header's used-colour count, else 2, 16 or 256 for 1, 4
    // or 8 bits per pixel, none for more.
    int ColourCount() const { return m_colours; }
    // Bytes of pixel data: the header's image size, else what the rows take.
    std::size_t ImageSize() const { return m_imageSize; }

    // factor = width / bitmap width; the drawn size is the bitmap's times factor, truncated.
    void ScaleToWidth(int width);
    double Factor() const { return m_factor; }
    QSize DrawnSize() const;
    // The picture, colours taken from the table, ready to be stretched to DrawnSize().
    QImage Image() const;

private:
    bool Refuse(std::string *problem, const std::string &why);
    QImage Decode() const;

    std::string m_path;
    std::vector<unsigned char> m_block;  // the file after its 14-byte file header
    bool m_loaded = false;
    double m_factor = 1.0;
    int m_width = 0;
    int m_height = 0;  // as drawn: positive whichever way the rows are stored
    int m_bitsPerPixel = 0;
    int m_colours = 0;
    std::size_t m_imageSize = 0;
    std::size_t m_bitsOffset = 0;  // where the pixel bits start in the file
    QImage m_image;
};

#endif
