// Alpha blending on 32-bit images. A colour drawn with an alpha between 1 and 254 is mixed with
// the pixel under it by table look-up: one 16 MiB table of every channel mix and one 64 KiB table
// of the resulting alpha, built when the first 32-bit image is made. The two commonest cases,
// opaque and invisible, and the half-blends at alpha 127 and 128 never reach the tables.
#include <cstdlib>

#include "libtq.h"
#include "screen/screen_internal.h"

uint8_t *cblend = nullptr;
uint8_t *ablend = nullptr;
uint8_t *ablend127 = nullptr;
uint8_t *ablend128 = nullptr;

namespace {

// Rounds numerator / 255 to the nearest integer. The blends below never fall exactly half-way,
// so the direction of ties does not matter.
constexpr uint8_t div255_rounded(uint32_t numerator) { return static_cast<uint8_t>((2 * numerator + 255) / 510); }

inline uint32_t channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

} // namespace

bool init_blend() {
    if (cblend) return true;
    auto *colours = static_cast<uint8_t *>(std::malloc(256 * 256 * 256));
    auto *alphas = static_cast<uint8_t *>(std::malloc(256 * 256));
    if (!colours || !alphas) {
        std::free(colours);
        std::free(alphas);
        return false;
    }
    // A channel drawn with alpha a over destination d: (1 - a/255) d + (a/255) s.
    for (uint32_t a = 0; a < 256; a++)
        for (uint32_t s = 0; s < 256; s++)
            for (uint32_t d = 0; d < 256; d++) colours[a << 16 | s << 8 | d] = div255_rounded((255 - a) * d + a * s);
    // The alpha of a colour with alpha b drawn over one with alpha a: 255 (1 - (1 - a/255)(1 - b/255)).
    for (uint32_t a = 0; a < 256; a++)
        for (uint32_t b = 0; b < 256; b++) alphas[a << 8 | b] = div255_rounded(255 * a + 255 * b - a * b);
    ablend = alphas;
    ablend127 = alphas + 127 * 256;
    ablend128 = alphas + 128 * 256;
    cblend = colours;
    return true;
}

void blend_store(const img_struct *im, uint32_t *at, uint32_t colour) {
    const uint32_t alpha = colour >> 24;
    if (im->dont_blend || alpha == 255) {
        *at = colour;
        return;
    }
    if (alpha == 0) return;
    const uint32_t old = *at;
    if (alpha == 127 || alpha == 128) {
        // Half and half: each channel is the average of old and new, with its lowest bit dropped
        // so that the three channels can be added in one word.
        const uint32_t rgb = ((old & 0xFEFEFE) + (colour & 0xFEFEFE)) >> 1;
        const uint8_t *row = alpha == 127 ? ablend127 : ablend128;
        *at = static_cast<uint32_t>(row[old >> 24]) << 24 | rgb;
        return;
    }
    const uint8_t *table = cblend + (alpha << 16);
    const uint32_t red = table[channel(colour, 16) << 8 | channel(old, 16)];
    const uint32_t green = table[channel(colour, 8) << 8 | channel(old, 8)];
    const uint32_t blue = table[channel(colour, 0) << 8 | channel(old, 0)];
    const uint32_t a = ablend[(old >> 24) << 8 | alpha];
    *at = a << 24 | red << 16 | green << 8 | blue;
}
