#include "gl11/mipmaps.h"

#include <algorithm>

namespace {

MipmapLevel Halve(const MipmapLevel& above, int components) {
  MipmapLevel level{std::max(above.Width / 2, 1), std::max(above.Height / 2, 1), {}};
  level.Texels.resize(static_cast<size_t>(level.Width) * level.Height * components);
  const int rowBytes = above.Width * components;
  const bool twoDimensional = above.Width > 1 && above.Height > 1;
  // The second texel averaged with each one: its right neighbour, or the one
  // below it when the level above is a single column.
  const int next = above.Width > 1 ? components : rowBytes;
  std::uint8_t* out = level.Texels.data();
  for (int row = 0; row < level.Height; ++row)
    for (int column = 0; column < level.Width; ++column)
      for (int k = 0; k < components; ++k) {
        const int sourceRow = above.Height > 1 ? 2 * row : row;
        const int sourceColumn = above.Width > 1 ? 2 * column : column;
        const std::uint8_t* t = &above.Texels[sourceRow * rowBytes + sourceColumn * components + k];
        *out++ = twoDimensional ? static_cast<std::uint8_t>((t[0] + t[components] + t[rowBytes] +
                                                             t[rowBytes + components] + 2) / 4)
                                : static_cast<std::uint8_t>((t[0] + t[next]) / 2);
      }
  return level;
}

}  // namespace

std::vector<MipmapLevel> BoxFilterMipmaps(const std::uint8_t* image, int width, int height,
                                          int components, int rowStride) {
  std::vector<MipmapLevel> levels(1, MipmapLevel{width, height, {}});
  const size_t rowBytes = static_cast<size_t>(width) * components;
  levels[0].Texels.resize(rowBytes * height);
  for (int row = 0; row < height; ++row)
    std::copy_n(image + static_cast<size_t>(row) * rowStride, rowBytes,
                &levels[0].Texels[rowBytes * row]);
  while (levels.back().Width > 1 || levels.back().Height > 1)
    levels.push_back(Halve(levels.back(), components));
  return levels;
}
