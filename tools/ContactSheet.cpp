#include "tools/ContactSheet.h"

#include <algorithm>
#include <array>
#include <optional>

#include "rules/GridSolver.h"
#include "tools/ArtCodes.h"

namespace p7tools {

namespace {

// Panel layout: every picture is scaled to the same width whatever its size.
constexpr int kPictureSide = 160;
constexpr int kGap = 8;
constexpr int kLabelHeight = 16;
constexpr int kPanelWidth = kPictureSide * 2 + kGap * 3;
constexpr int kPanelHeight = kPictureSide + kLabelHeight + kGap * 2;
constexpr int kColumns = 3;
// The paper a solved picture lies on and the colour of the "ArtTiles" sheet (make_art.py).
constexpr std::array<int, 3> kPaper = {242, 230, 201};
constexpr std::array<int, 3> kArtTileColour = {96, 112, 158};

// 3x5 digits, one row per byte (bit 2 = left pixel), for the panel numbers.
constexpr std::array<std::array<uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 3, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 2, 2, 2},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

void DrawNumber(RgbImage* image, int x, int y, int number) {
    const std::string text = std::to_string(number);
    constexpr int kScale = 2;
    for (char ch : text) {
        const auto& glyph = kDigits[static_cast<size_t>(ch - '0')];
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                if ((glyph[static_cast<size_t>(row)] >> (2 - col)) & 1) {
                    image->Fill(x + col * kScale, y + row * kScale, kScale, kScale, 0, 0, 0);
                }
            }
        }
        x += 4 * kScale;
    }
}

bool InsideCircle(double u, double v, double cu, double cv, double r) {
    return (u - cu) * (u - cu) + (v - cv) * (v - cv) <= r * r;
}

bool IsLineSolvable(const std::vector<std::string>& rows) {
    SolutionGrid grid;
    grid.n = static_cast<int>(rows.size());
    for (const std::string& row : rows) {
        for (char ch : row) {
            grid.cells.push_back(ch == kHoleChar ? 0 : 1);
        }
    }
    GridSolver solver;
    return solver.Solve(ComputeClues(grid)).status == SolveStatus::Solved;
}

uint32_t Crc32(const std::string& data, size_t from) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc = table[(crc ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void PutChunk(std::string* out, const char* type, const std::string& body) {
    PutBigEndian(out, static_cast<uint32_t>(body.size()));
    const size_t start = out->size();
    out->append(type, 4);
    out->append(body);
    PutBigEndian(out, Crc32(*out, start));
}

}  // namespace

RgbImage::RgbImage(int w, int h, uint8_t r, uint8_t g, uint8_t b)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {
    Fill(0, 0, w, h, r, g, b);
}

void RgbImage::Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    pixels[at] = r;
    pixels[at + 1] = g;
    pixels[at + 2] = b;
}

void RgbImage::Fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    for (int py = y; py < y + h; ++py) {
        for (int px = x; px < x + w; ++px) {
            Set(px, py, r, g, b);
        }
    }
}

bool ArtShapeCovers(int column, double u, double v) {
    switch (column) {
        case 0:
            return true;
        case 1:
            return u + v < 1.0;
        case 2:
            return v < u;
        case 3:
            return u < v;
        case 4:
            return u + v >= 1.0;
        case 5:
            return !(u < 0.5 && v < 0.5) || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 6:
            return !(u >= 0.5 && v < 0.5) || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 7:
            return !(u < 0.5 && v >= 0.5) || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 8:
            return !(u >= 0.5 && v >= 0.5) || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 9:
            return v < 0.5;
        case 10:
            return v >= 0.5;
        case 11:
            return u < 0.5;
        case 12:
            return u >= 0.5;
        case 13:
            return InsideCircle(u, v, 0.5, 0.5, 0.45);
        case 14:
            return v >= 0.5 || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 15:
            return v < 0.5 || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 16:
            return u >= 0.5 || InsideCircle(u, v, 0.5, 0.5, 0.5);
        case 17:
            return u < 0.5 || InsideCircle(u, v, 0.5, 0.5, 0.5);
        default:
            return false;
    }
}

void DrawPicture(RgbImage* image, int x, int y, int cell, const std::vector<std::string>& rows) {
    // As the game shows a solved puzzle: the sheet's ink-wash tiles, darkened by their shade
    // (grey 255 - 32 s as a fraction of white), on the paper ground, with the tile shapes the
    // catalogue gives them.
    const int n = static_cast<int>(rows.size());
    image->Fill(x, y, n * cell, n * cell, kPaper[0], kPaper[1], kPaper[2]);
    std::vector<int> codes(static_cast<size_t>(n) * n, -1);
    for (int b = 0; b < n; ++b) {
        for (int a = 0; a < n && a < static_cast<int>(rows[b].size()); ++a) {
            codes[static_cast<size_t>(b) * n + a] = ArtCodeForChar(rows[b][a]).value_or(-1);
        }
    }
    SquareCornersAgainstNeighbours(&codes, n);
    for (int b = 0; b < n; ++b) {
        for (int a = 0; a < n; ++a) {
            const int code = codes[static_cast<size_t>(b) * n + a];
            if (code < 0) {
                continue;
            }
            const int column = code / kShades;
            const int grey = 255 - 32 * (code % kShades);
            uint8_t ink[3];
            for (int c = 0; c < 3; ++c) {
                ink[c] = static_cast<uint8_t>(kArtTileColour[c] * grey / 255);
            }
            for (int py = 0; py < cell; ++py) {
                for (int px = 0; px < cell; ++px) {
                    if (ArtShapeCovers(column, (px + 0.5) / cell, (py + 0.5) / cell)) {
                        image->Set(x + a * cell + px, y + b * cell + py, ink[0], ink[1], ink[2]);
                    }
                }
            }
        }
    }
}

void DrawSilhouette(RgbImage* image, int x, int y, int cell, const std::vector<std::string>& rows) {
    const int n = static_cast<int>(rows.size());
    image->Fill(x, y, n * cell, n * cell, 255, 255, 255);
    for (int b = 0; b < n; ++b) {
        for (int a = 0; a < n && a < static_cast<int>(rows[b].size()); ++a) {
            if (rows[b][a] != kHoleChar) {
                image->Fill(x + a * cell, y + b * cell, cell, cell, 20, 20, 20);
            }
        }
    }
}

RgbImage RenderContactSheet(const SetSource& set) {
    const int count = static_cast<int>(set.puzzles.size());
    const int columns = std::max(1, std::min(kColumns, count));
    const int panelRows = std::max(1, (count + columns - 1) / columns);
    RgbImage image(columns * kPanelWidth, panelRows * kPanelHeight, 236, 228, 210);
    for (int i = 0; i < count; ++i) {
        const PuzzleSource& puzzle = set.puzzles[static_cast<size_t>(i)];
        const int px = (i % columns) * kPanelWidth;
        const int py = (i / columns) * kPanelHeight;
        if (!IsLineSolvable(puzzle.rows)) {
            image.Fill(px + 2, py + 2, kPanelWidth - 4, kPanelHeight - 4, 220, 40, 40);
            image.Fill(px + 6, py + 6, kPanelWidth - 12, kPanelHeight - 12, 236, 228, 210);
        }
        DrawNumber(&image, px + kGap, py + kGap, i + 1);
        const int n = static_cast<int>(puzzle.rows.size());
        if (n == 0) {
            continue;
        }
        const int cell = kPictureSide / n;
        const int top = py + kGap + kLabelHeight;
        DrawSilhouette(&image, px + kGap, top, cell, puzzle.rows);
        DrawPicture(&image, px + kGap * 2 + kPictureSide, top, cell, puzzle.rows);
    }
    return image;
}

std::string EncodePng(const RgbImage& image) {
    // Raw scanlines, each led by filter byte 0.
    std::string raw;
    const size_t stride = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char*>(image.pixels.data()) + y * stride, stride);
    }
    // zlib stream of stored blocks, at most 65535 bytes each.
    std::string zlib = {'\x78', '\x01'};
    size_t at = 0;
    do {
        const size_t len = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + len == raw.size();
        zlib.push_back(last ? '\x01' : '\x00');
        zlib.push_back(static_cast<char>(len & 0xFF));
        zlib.push_back(static_cast<char>(len >> 8));
        zlib.push_back(static_cast<char>(~len & 0xFF));
        zlib.push_back(static_cast<char>((~len >> 8) & 0xFF));
        zlib.append(raw, at, len);
        at += len;
    } while (at < raw.size());
    uint32_t s1 = 1;
    uint32_t s2 = 0;
    for (char ch : raw) {
        s1 = (s1 + static_cast<uint8_t>(ch)) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    PutBigEndian(&zlib, (s2 << 16) | s1);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(&header, static_cast<uint32_t>(image.width));
    PutBigEndian(&header, static_cast<uint32_t>(image.height));
    header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8-bit RGB
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", zlib);
    PutChunk(&png, "IEND", "");
    return png;
}

}  // namespace p7tools
