// The layer's mipmap levels against those the system's GLU builds: the same
// images go through gluBuild2DMipmaps on Mesa's desktop OpenGL, every level is
// read back, and the layer's box filter must give the same bytes.
//
// Not every image can be compared: for some small levels whose rows are not
// a multiple of 4 bytes (the 2 x 2 level of a 4 x 4 GL_LUMINANCE image, the
// 1-texel-wide levels of a 2 x 16 GL_RGB one) GLU 9.0.2 uploads bytes from
// beyond the level it computed, which change with what the heap held before.
// The layer uploads the box-filtered levels there too.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <random>
#include <string>
#include <vector>

#include "gl11/mipmaps.h"
#include "headless/offscreen_context.h"

namespace {

struct Image {
  const char* name;
  GLenum format;
  int components, width, height;
};

void PrintTo(const Image& image, std::ostream* out) {
  *out << image.width << " x " << image.height << ", " << image.components << " bytes a texel";
}

class MipmapsLikeGlu : public ::testing::TestWithParam<Image> {};

TEST_P(MipmapsLikeGlu, EveryLevelHasTheSameTexels) {
  const Image& image = GetParam();
  OffscreenContext context;
  std::string error;
  ASSERT_TRUE(context.Create(16, 16, error)) << error;

  // Rows start on 4-byte boundaries, as GL unpacks them by default.
  const int stride = (image.width * image.components + 3) / 4 * 4;
  std::vector<std::uint8_t> texels(static_cast<size_t>(stride) * image.height);
  std::mt19937 random(image.width * 131 + image.height);
  for (std::uint8_t& t : texels) t = static_cast<std::uint8_t>(random());
  if (image.format == GL_ALPHA && image.width == 64) {  // the renderer's sprite: a cone
    for (int row = 0; row < 64; ++row)
      for (int column = 0; column < 64; ++column) {
        const int d = static_cast<int>(std::sqrt((row - 32) * (row - 32) + (column - 32) * (column - 32)));
        texels[64 * row + column] = d < 32 ? static_cast<std::uint8_t>(255 - 8 * d) : 0;
      }
  }

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, image.format, image.width, image.height, image.format,
                              GL_UNSIGNED_BYTE, texels.data()), 0);
  const std::vector<MipmapLevel> levels =
      BoxFilterMipmaps(texels.data(), image.width, image.height, image.components, stride);
  ASSERT_EQ(levels.size(), static_cast<size_t>(std::log2(std::max(image.width, image.height))) + 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (size_t level = 0; level < levels.size(); ++level) {
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(level), GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(level), GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(levels[level].Width, width) << "level " << level;
    EXPECT_EQ(levels[level].Height, height) << "level " << level;
    std::vector<std::uint8_t> glu(levels[level].Texels.size());
    glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), image.format, GL_UNSIGNED_BYTE, glu.data());
    EXPECT_EQ(levels[level].Texels, glu) << "level " << level;
  }
  glDeleteTextures(1, &texture);
}

INSTANTIATE_TEST_SUITE_P(
    Images, MipmapsLikeGlu,
    ::testing::Values(Image{"Sprite", GL_ALPHA, 1, 64, 64},
                      // Wider than high: the last levels halve one side only.
                      Image{"WideLuminanceAlpha", GL_LUMINANCE_ALPHA, 2, 32, 4},
                      Image{"Rgb", GL_RGB, 3, 8, 8}, Image{"Rgba", GL_RGBA, 4, 8, 8},
                      // Rows of 6 bytes, padded to 8.
                      Image{"PaddedRgb", GL_RGB, 3, 2, 2}),
    [](const ::testing::TestParamInfo<Image>& info) { return std::string(info.param.name); });

}  // namespace
