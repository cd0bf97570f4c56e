#pragma once

#include "PixelCanvas.h"

// The drawings of the two icons, one function per image: each size is drawn
// on its own grid rather than scaled, so that the small images stay crisp.
namespace IconArt {

// The menu demo window's icon: a yellow lightning bolt from top right to
// bottom left, black outline, olive shading on its right-hand edge.
PixelCanvas lightningBolt32();
PixelCanvas lightningBolt16();

// The application icon: a blank white window seen at a slant with a cyan
// caption strip, black outline, silver inner shading and a dark grey drop
// shadow; at 1 bit per pixel the same shape in white with a black outline.
PixelCanvas slantedWindow32(int bitsPerPixel);
PixelCanvas slantedWindow16();

} // namespace IconArt
