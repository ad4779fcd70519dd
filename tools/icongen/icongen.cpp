// Turns the text picture of the program's icon into a Windows .ico file with two
// 32 x 32 images: a 2-colour one and a 16-colour one.
//   icongen <picture.txt> <output.ico>

#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr char kTransparent = '.';

struct PaletteEntry {
    char symbol;
    uint8_t red, green, blue;
};

// The standard 16-colour palette, in its usual order.
constexpr std::array<PaletteEntry, 16> kPalette{{
    {'K', 0x00, 0x00, 0x00},
    {'r', 0x80, 0x00, 0x00},
    {'g', 0x00, 0x80, 0x00},
    {'o', 0x80, 0x80, 0x00},
    {'n', 0x00, 0x00, 0x80},
    {'p', 0x80, 0x00, 0x80},
    {'t', 0x00, 0x80, 0x80},
    {'s', 0xC0, 0xC0, 0xC0},
    {'d', 0x80, 0x80, 0x80},
    {'R', 0xFF, 0x00, 0x00},
    {'G', 0x00, 0xFF, 0x00},
    {'Y', 0xFF, 0xFF, 0x00},
    {'B', 0x00, 0x00, 0xFF},
    {'M', 0xFF, 0x00, 0xFF},
    {'C', 0x00, 0xFF, 0xFF},
    {'W', 0xFF, 0xFF, 0xFF},
}};

using Picture = std::vector<std::string>;  // kSize rows of kSize symbols

int PaletteIndex(char symbol) {
    for (size_t i = 0; i < kPalette.size(); ++i) {
        if (kPalette[i].symbol == symbol) return static_cast<int>(i);
    }
    return -1;
}

bool IsBright(int paletteIndex) {
    const PaletteEntry& c = kPalette[static_cast<size_t>(paletteIndex)];
    return 299 * c.red + 587 * c.green + 114 * c.blue >= 128 * 1000;
}

// Reads the picture: '#' lines and empty lines are comments.
Picture ReadPicture(std::istream& in) {
    Picture picture;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.size() != kSize) throw std::runtime_error(where + "a row needs 32 pixels");
        for (char symbol : line) {
            if (symbol != kTransparent && PaletteIndex(symbol) < 0) {
                throw std::runtime_error(where + "unknown colour '" + std::string(1, symbol) + "'");
            }
        }
        if (picture.size() == kSize) throw std::runtime_error(where + "more than 32 rows");
        picture.push_back(line);
    }
    if (picture.size() != kSize) throw std::runtime_error("the picture needs 32 rows");
    return picture;
}

class Bytes {
  public:
    void U8(uint32_t v) { data_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Append(const std::vector<uint8_t>& more) {
        data_.insert(data_.end(), more.begin(), more.end());
    }
    const std::vector<uint8_t>& Data() const { return data_; }

  private:
    std::vector<uint8_t> data_;
};

// Rows are stored bottom-up, each padded to a multiple of 4 bytes.
int RowBytes(int bitsPerPixel) {
    return (kSize * bitsPerPixel + 31) / 32 * 4;
}

// The colour index a pixel takes in an image of the given depth; transparent pixels
// are black under a set mask bit.
int PixelIndex(char symbol, int bitsPerPixel) {
    if (symbol == kTransparent) return 0;
    const int index = PaletteIndex(symbol);
    return bitsPerPixel == 1 ? (IsBright(index) ? 1 : 0) : index;
}

std::vector<uint8_t> PackRows(const Picture& picture, int bitsPerPixel, bool mask) {
    std::vector<uint8_t> bits;
    const int rowBytes = RowBytes(bitsPerPixel);
    for (int row = kSize - 1; row >= 0; --row) {
        std::vector<uint8_t> packed(static_cast<size_t>(rowBytes), 0);
        for (int column = 0; column < kSize; ++column) {
            const char symbol = picture[static_cast<size_t>(row)][static_cast<size_t>(column)];
            const int value =
                mask ? (symbol == kTransparent ? 1 : 0) : PixelIndex(symbol, bitsPerPixel);
            const int bit = column * bitsPerPixel;
            const int shift = 8 - bitsPerPixel - bit % 8;
            packed[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(value << shift);
        }
        bits.insert(bits.end(), packed.begin(), packed.end());
    }
    return bits;
}

// One image as the .ico file holds it: header, palette, colour bits, mask bits.
std::vector<uint8_t> IconImage(const Picture& picture, int bitsPerPixel) {
    const std::vector<uint8_t> colours = PackRows(picture, bitsPerPixel, false);
    const std::vector<uint8_t> mask = PackRows(picture, 1, true);
    Bytes image;
    image.U32(40);         // header size
    image.U32(kSize);      // width
    image.U32(kSize * 2);  // height: colour bits and mask together
    image.U16(1);          // planes
    image.U16(static_cast<uint32_t>(bitsPerPixel));
    image.U32(0);  // no compression
    image.U32(static_cast<uint32_t>(colours.size() + mask.size()));
    for (int i = 0; i < 4; ++i) image.U32(0);  // resolution and colour counts
    if (bitsPerPixel == 1) {
        image.U32(0x000000);
        image.U32(0xFFFFFF);
    } else {
        for (const PaletteEntry& c : kPalette) {
            image.U8(c.blue);
            image.U8(c.green);
            image.U8(c.red);
            image.U8(0);
        }
    }
    image.Append(colours);
    image.Append(mask);
    return image.Data();
}

std::vector<uint8_t> IconFile(const Picture& picture) {
    const std::array<int, 2> depths{1, 4};
    std::vector<std::vector<uint8_t>> images;
    for (int depth : depths) images.push_back(IconImage(picture, depth));
    Bytes file;
    file.U16(0);  // reserved
    file.U16(1);  // icon
    file.U16(static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.U8(kSize);
        file.U8(kSize);
        file.U8(1u << depths[i]);  // colour count
        file.U8(0);
        file.U16(1);  // planes
        file.U16(static_cast<uint32_t>(depths[i]));
        file.U32(static_cast<uint32_t>(images[i].size()));
        file.U32(offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.Append(image);
    return file.Data();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: icongen <picture.txt> <output.ico>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in) throw std::runtime_error("cannot open " + std::string(argv[1]));
        const std::vector<uint8_t> icon = IconFile(ReadPicture(in));
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(icon.data()),
                  static_cast<std::streamsize>(icon.size()));
        if (!out) throw std::runtime_error("cannot write " + std::string(argv[2]));
    } catch (const std::exception& failure) {
        std::cerr << "icongen: " << argv[1] << ": " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
