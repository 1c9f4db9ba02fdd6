#include "captcha_image.h"

#include <QByteArray>
#include <QImage>

#include "png_writer.h"

#include <array>
#include <cstdint>

namespace tieba::forumsim {

namespace {

struct Glyph {
    char ch;
    std::array<const char*, 7> rows;
};

// 5 x 7 block letters, '#' for ink.
constexpr Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
};

constexpr char kAlphabet[] = "ABCDEFGHJKMNPQRTUVWXYZ23456789"; // no S: it looks like 5

constexpr int kScale = 3;  // each font dot is a 3 x 3 block
constexpr int kAdvance = 21; // 15 pixels of letter, 6 of gap
constexpr int kLeft = 11;
constexpr int kTop = 5;

const Glyph* glyphFor(char c)
{
    for (const Glyph& g : kGlyphs) {
        if (g.ch == c)
            return &g;
    }
    return nullptr;
}

// A small deterministic generator, so that the same code always gives the same picture.
struct Noise {
    std::uint32_t state;
    std::uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

} // namespace

std::string_view captchaAlphabet()
{
    return kAlphabet;
}

std::string captchaPng(std::string_view code)
{
    QImage image(kCaptchaWidth, kCaptchaHeight, QImage::Format_RGB32);
    image.fill(qRgb(0xF4, 0xF7, 0xFB));

    Noise noise{0x9E3779B9u};
    for (const char c : code)
        noise.state = noise.state * 31u + static_cast<unsigned char>(c);

    // Light speckles that do not hide the letters.
    for (int i = 0; i < 120; ++i) {
        const int x = static_cast<int>(noise.next() % kCaptchaWidth);
        const int y = static_cast<int>(noise.next() % kCaptchaHeight);
        image.setPixel(x, y, qRgb(0xC8, 0xD2, 0xDC));
    }

    static const QRgb inks[] = {qRgb(0x1A, 0x3C, 0x8C), qRgb(0x8C, 0x1A, 0x2E), qRgb(0x14, 0x6E, 0x32),
                                qRgb(0x50, 0x1E, 0x78)};
    int index = 0;
    for (const char c : code) {
        const Glyph* glyph = glyphFor(c);
        const QRgb ink = inks[noise.next() % 4];
        const int left = kLeft + index * kAdvance;
        const int top = kTop + static_cast<int>(noise.next() % 2);
        ++index;
        if (!glyph)
            continue;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (glyph->rows[row][col] != '#')
                    continue;
                for (int dy = 0; dy < kScale; ++dy) {
                    for (int dx = 0; dx < kScale; ++dx) {
                        const int x = left + col * kScale + dx;
                        const int y = top + row * kScale + dy;
                        if (x < kCaptchaWidth && y < kCaptchaHeight)
                            image.setPixel(x, y, ink);
                    }
                }
            }
        }
    }

    return encodePng(image);
}

} // namespace tieba::forumsim
