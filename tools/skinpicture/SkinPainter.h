#pragma once

#include <vector>

namespace skinpicture {

constexpr int kWidth = 145;
constexpr int kHeight = 162;

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb &a, const Rgb &b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(const Rgb &a, const Rgb &b) { return !(a == b); }
    friend bool operator<(const Rgb &a, const Rgb &b)
    {
        if (a.r != b.r)
            return a.r < b.r;
        if (a.g != b.g)
            return a.g < b.g;
        return a.b < b.b;
    }
};

// The full-colour drawing of the skin picture, before quantisation.
struct Canvas
{
    std::vector<Rgb> pixels = std::vector<Rgb>(kWidth * kHeight);
    Rgb at(int x, int y) const { return pixels[y * kWidth + x]; }
    void set(int x, int y, Rgb c) { pixels[y * kWidth + x] = c; }
};

// A colour of the palette whose index the layout fixes.
struct NamedEntry
{
    int index;
    Rgb colour;
};

// The colours the layout names, at their palette indices.
const std::vector<NamedEntry> &namedEntries();

// Every base colour the drawing is built from (the named ones included).
// These reach the palette exactly; the anti-aliased blends between them are
// quantised into the palette entries that remain.
const std::vector<Rgb> &baseColours();

// Draws the picture. Everything is integer arithmetic: the result is the
// same on every machine.
Canvas paintSkin();

} // namespace skinpicture
