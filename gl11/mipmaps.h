// The mipmap chain that gluBuild2DMipmaps makes of a power-of-two image of
// unsigned bytes, so that the GL 1.1 layer uploads the very texels the
// system's GLU would: every level halves the one above it, down to 1 x 1.
// A texel of a level with two or more rows and columns is the mean of the
// 2 x 2 texels above it, rounded to nearest ((a + b + c + d + 2) / 4); once
// one side is 1, it is the mean of 2 texels, rounded down ((a + b) / 2).
#pragma once

#include <cstdint>
#include <vector>

struct MipmapLevel {
  int Width, Height;
  std::vector<std::uint8_t> Texels;  // rows of width * components bytes, no padding
};

// `image` holds `height` rows, `rowStride` bytes apart, of `width` texels of
// `components` bytes each; width and height are powers of two. Level 0 is the
// image itself without row padding.
std::vector<MipmapLevel> BoxFilterMipmaps(const std::uint8_t* image, int width, int height,
                                          int components, int rowStride);
