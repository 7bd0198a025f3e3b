#include "gl11/mipmaps.h"

#include <algorithm>

namespace {

MipmapLevel Halve(const MipmapLevel& above, int components) {
  MipmapLevel level{std::max(above.width / 2, 1), std::max(above.height / 2, 1), {}};
  level.texels.resize(static_cast<size_t>(level.width) * level.height * components);
  const int rowBytes = above.width * components;
  const bool twoDimensional = above.width > 1 && above.height > 1;
  // The second texel averaged with each one: its right neighbour, or the one
  // below it when the level above is a single column.
  const int next = above.width > 1 ? components : rowBytes;
  std::uint8_t* out = level.texels.data();
  for (int row = 0; row < level.height; ++row)
    for (int column = 0; column < level.width; ++column)
      for (int k = 0; k < components; ++k) {
        const int sourceRow = above.height > 1 ? 2 * row : row;
        const int sourceColumn = above.width > 1 ? 2 * column : column;
        const std::uint8_t* t = &above.texels[sourceRow * rowBytes + sourceColumn * components + k];
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
  levels[0].texels.resize(rowBytes * height);
  for (int row = 0; row < height; ++row)
    std::copy_n(image + static_cast<size_t>(row) * rowStride, rowBytes,
                &levels[0].texels[rowBytes * row]);
  while (levels.back().width > 1 || levels.back().height > 1)
    levels.push_back(Halve(levels.back(), components));
  return levels;
}
