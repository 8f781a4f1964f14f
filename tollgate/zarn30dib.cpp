#include "zarn30dib.h"

#include <QByteArray>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;  // the smallest information header read here
constexpr int kMaxSide = 32768;          // far beyond any header or footer picture
constexpr int64_t kMaxFile = int64_t{1} << 30;
constexpr uint32_t kBitFields = 3;

uint32_t U32(const unsigned char *at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t U16(const unsigned char *at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

int DefaultColours(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

}  // namespace

bool CDib::Refuse(std::string *problem, const std::string &why) {
    m_loaded = false;
    m_block.clear();
    m_image = QImage();
    if (problem) {
        *problem = why;
    }
    return false;
}

namespace {

// Reads up to count bytes more onto bytes; false on a read error.
bool ReadMore(int descriptor, std::string &bytes, std::size_t count) {
    const std::size_t start = bytes.size();
    bytes.resize(start + count);
    std::size_t have = 0;
    while (have < count) {
        const ssize_t got = read(descriptor, &bytes[start + have], count - have);
        if (got <= 0) {
            bytes.resize(start + have);
            return got == 0;
        }
        have += static_cast<std::size_t>(got);
    }
    return true;
}

// The most bytes the file's headers can claim: its headers, masks and largest colour table
// (or the pixel bits' offset, when further), then the rows or the image size, when larger.
// 0 when the first bytes do not say.
std::size_t ClaimedSize(const std::string &head) {
    if (head.size() < kFileHeader + kInfoHeader) {
        return 0;
    }
    const auto *data = reinterpret_cast<const unsigned char *>(head.data());
    const unsigned char *info = data + kFileHeader;
    const int64_t width = std::max<int64_t>(0, static_cast<int32_t>(U32(info + 4)));
    const int64_t height = std::abs(static_cast<int64_t>(static_cast<int32_t>(U32(info + 8))));
    const int64_t stride = (width * U16(info + 14) + 31) / 32 * 4;
    const int64_t rows = std::max<int64_t>(stride * height, U32(info + 20));
    const int64_t tables = int64_t{kFileHeader} + U32(info) + 12 + 4 * 256;
    const int64_t bits = std::max<int64_t>(U32(data + 10), tables);
    return static_cast<std::size_t>(std::clamp<int64_t>(bits + rows, 0, kMaxFile));
}

}  // namespace

bool CDib::Load(const std::string &path, std::string *problem) {
    if (path.empty() || path.size() > kMaxPathLength) {
        return Refuse(problem, path.empty() ? "no file named" : "the path is too long");
    }
    // Only a regular file is read (a device or a FIFO named in the settings would never end or
    // never start), and no more of it than its headers claim.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return Refuse(problem, "cannot open " + path);
    }
    struct stat status {};
    std::string bytes;
    std::string why;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = "not a regular file";
    } else if (!ReadMore(descriptor, bytes, kFileHeader + kInfoHeader)) {
        why = "cannot read " + path;
    } else if (bytes.size() >= 2 && (bytes[0] != 'B' || bytes[1] != 'M')) {
        why = kNotABitmap;
    } else {
        const std::size_t wanted =
            std::min(ClaimedSize(bytes), static_cast<std::size_t>(status.st_size));
        if (wanted > bytes.size() && !ReadMore(descriptor, bytes, wanted - bytes.size())) {
            why = "cannot read " + path;
        }
    }
    close(descriptor);
    if (!why.empty()) {
        return Refuse(problem, why);
    }
    m_path = path;
    return LoadBytes(bytes, problem);
}

bool CDib::LoadBytes(const std::string &bytes, std::string *problem) {
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        return Refuse(problem, kNotABitmap);
    }
    if (size < kFileHeader + kInfoHeader) {
        return Refuse(problem, "the file is shorter than a bitmap's headers");
    }
    const unsigned char *info = data + kFileHeader;
    const std::size_t infoSize = U32(info);
    const int32_t width = static_cast<int32_t>(U32(info + 4));
    const int32_t height = static_cast<int32_t>(U32(info + 8));
    const int bitsPerPixel = U16(info + 14);
    const uint32_t compression = U32(info + 16);
    const uint32_t claimedImage = U32(info + 20);
    const uint32_t usedColours = U32(info + 32);
    if (infoSize < kInfoHeader || infoSize > size - kFileHeader) {
        return Refuse(problem, "the information header does not fit the file");
    }
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
        return Refuse(problem, "the picture's size is unusable");
    }
    if (DefaultColours(bitsPerPixel) == 0 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32) {
        return Refuse(problem, "unknown bits per pixel");
    }
    // Bit fields (what tools write for 16 and 32 bits with transparency): the channel masks
    // follow a 40-byte header or are part of a larger one.
    const bool bitFields = compression == kBitFields && (bitsPerPixel == 16 || bitsPerPixel == 32);
    if (compression != 0 && !bitFields) {
        return Refuse(problem, "compressed bitmaps are not read");
    }
    const std::size_t masksAfterHeader = bitFields && infoSize < kInfoHeader + 12 ? 12 : 0;
    if (bitFields) {
        const std::size_t masksAt = kFileHeader + kInfoHeader;
        if (masksAt + 12 > size) {
            return Refuse(problem, "the colour masks do not fit the file");
        }
        const uint64_t limit = bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        const uint32_t red = U32(data + masksAt), green = U32(data + masksAt + 4),
                       blue = U32(data + masksAt + 8);
        if ((red | green | blue) == 0 || red > limit || green > limit || blue > limit ||
            (red & green) || (red & blue) || (green & blue)) {
            return Refuse(problem, "the colour masks are unusable");
        }
    }
    const int colours = usedColours ? static_cast<int>(std::min<uint32_t>(usedColours, 65536))
                                    : DefaultColours(bitsPerPixel);
    if (bitsPerPixel <= 8 ? colours > DefaultColours(bitsPerPixel) : colours > 256) {
        return Refuse(problem, "the colour table is larger than the bits can index");
    }
    const std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
    const std::size_t stride = (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::size_t needed = stride * rows;
    const std::size_t tableEnd =
        kFileHeader + infoSize + masksAfterHeader + 4 * static_cast<std::size_t>(colours);
    const std::size_t bitsAt = std::max<std::size_t>(U32(data + 10), tableEnd);
    if (tableEnd > size || bitsAt > size || size - bitsAt < needed) {
        return Refuse(problem, "the file is shorter than its header says");
    }
    // A zero image size means "as the rows take"; a claimed size beyond the file is refused.
    if (claimedImage > size - bitsAt) {
        return Refuse(problem, "the image size is larger than the file");
    }
    m_block.assign(data + kFileHeader, data + size);
    m_width = width;
    m_height = static_cast<int>(rows);
    m_bitsPerPixel = bitsPerPixel;
    m_colours = colours;
    m_imageSize = claimedImage ? claimedImage : needed;
    m_bitsOffset = bitsAt;
    m_factor = 1.0;
    // Read once, here: a file whose sizes fit but whose content cannot be drawn is refused
    // now, not found empty on the receipt.
    m_image = Decode();
    if (m_image.isNull() || m_image.width() != m_width || m_image.height() != m_height) {
        return Refuse(problem, "the picture cannot be read");
    }
    m_loaded = true;
    return true;
}

void CDib::ScaleToWidth(int width) {
    if (m_loaded && m_width > 0) {
        m_factor = static_cast<double>(width) / m_width;
    }
}

QSize CDib::DrawnSize() const {
    return QSize(static_cast<int>(m_width * m_factor), static_cast<int>(m_height * m_factor));
}

QImage CDib::Image() const {
    return m_loaded ? m_image : QImage();
}

QImage CDib::Decode() const {
    // Checked above: Qt's reader gets a file whose every size fits its content, written with
    // the colour-table size and image size made explicit.
    QByteArray file(static_cast<qsizetype>(kFileHeader), '\0');
    file.append(reinterpret_cast<const char *>(m_block.data()),
                static_cast<qsizetype>(m_block.size()));
    auto *bytes = reinterpret_cast<unsigned char *>(file.data());
    const auto put32 = [&](std::size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, static_cast<uint32_t>(m_bitsOffset));
    put32(kFileHeader + 20, static_cast<uint32_t>(m_imageSize));
    put32(kFileHeader + 32, static_cast<uint32_t>(m_colours));
    return QImage::fromData(file, "BMP");
}
