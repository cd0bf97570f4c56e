#pragma once

#include "SkinPainter.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace skinpicture {

constexpr int kUsedEntries = 0x7C; // entries 0x00..0x7B are used, the rest black

struct IndexedPicture
{
    std::array<Rgb, 256> palette{};
    std::vector<std::uint8_t> indices; // kWidth * kHeight, top row first
};

// Builds the 124-colour palette and maps every pixel into it.
// The named entries sit at their indices; every base colour present keeps its
// exact value; the remaining colours (anti-aliased blends) are merged,
// nearest first, until they fit the entries left. Fails (returns false, with
// a reason) when the drawing does not fill the palette exactly.
bool quantize(const Canvas &canvas, IndexedPicture *out, QString *error);

} // namespace skinpicture
