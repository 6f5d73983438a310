// Materials with an image texture: their colour is the image's mean colour
// times the material's colour factor, whether the image is embedded in the
// scene or a file beside it. An image that cannot be read leaves the factor
// and is reported in one line, however many materials use it.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>

#include <array>
#include <cstdlib>
#include <functional>

#include "host_fixture.h"
#include "scene_files.h"

namespace {

using nlohmann::json;
using Rgba = std::array<uint8_t, 4>;

constexpr int kSide = 8;

struct Image {
  std::vector<Rgba> pixels;  // kSide x kSide, row by row
};

// Left half red, right half blue: the mean is (0.5, 0, 0.5) exactly.
Image RedAndBlue() {
  Image image;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      image.pixels.push_back(x < kSide / 2 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255});
    }
  }
  return image;
}

// Top half a fully transparent green, bottom half red: only red shows.
Image RedUnderTransparentGreen() {
  Image image;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      image.pixels.push_back(y < kSide / 2 ? Rgba{0, 255, 0, 0} : Rgba{255, 0, 0, 255});
    }
  }
  return image;
}

// Red grows with x, green with y, blue with both: a pixel read from the
// wrong place or left out changes the mean, (126, 126, 49) / 255.
Image Gradient() {
  Image image;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      image.pixels.push_back(Rgba{static_cast<uint8_t>(36 * x), static_cast<uint8_t>(36 * y),
                                  static_cast<uint8_t>(4 * x * y), 255});
    }
  }
  return image;
}

void AppendPngBytes(png_structp png, png_bytep data, size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), size);
}

std::string Png(const Image& image, bool interlaced = false) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &bytes, AppendPngBytes, nullptr);
  png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGBA,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_bytep> rows;
  for (int y = 0; y < kSide; ++y) {
    rows.push_back(const_cast<png_bytep>(image.pixels[static_cast<size_t>(y * kSide)].data()));
  }
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

std::string Jpeg(const Image& image) {
  jpeg_compress_struct jpeg;
  jpeg_error_mgr errors;
  jpeg.err = jpeg_std_error(&errors);
  jpeg_create_compress(&jpeg);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&jpeg, &buffer, &size);
  jpeg.image_width = kSide;
  jpeg.image_height = kSide;
  jpeg.input_components = 3;
  jpeg.in_color_space = JCS_RGB;
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, 95, TRUE);
  jpeg_start_compress(&jpeg, TRUE);
  for (int y = 0; y < kSide; ++y) {
    JSAMPLE row[kSide * 3];
    for (int x = 0; x < kSide; ++x) {
      for (int c = 0; c < 3; ++c)
        row[x * 3 + c] = image.pixels[static_cast<size_t>(y * kSide + x)][c];
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&jpeg, rows, 1);
  }
  jpeg_finish_compress(&jpeg);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&jpeg);
  std::free(buffer);
  return bytes;
}

// A TGA image of `bits` 24 or 32, plain or run-length (runs of two equal
// pixels and single pixels, so that both kinds of packet occur), rows
// bottom-up as the format's default says.
std::string Tga(const Image& image, int bits, bool runLength) {
  std::string out(18, '\0');
  out[2] = static_cast<char>(runLength ? 10 : 2);
  out[12] = kSide;
  out[14] = kSide;
  out[16] = static_cast<char>(bits);
  out[17] = static_cast<char>(bits == 32 ? 8 : 0);  // 8 alpha bits
  const auto append = [&](const Rgba& p) {
    out += static_cast<char>(p[2]);
    out += static_cast<char>(p[1]);
    out += static_cast<char>(p[0]);
    if (bits == 32) out += static_cast<char>(p[3]);
  };
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; x += runLength ? 2 : 1) {
      const Rgba& p = image.pixels[y * kSide + x];
      if (!runLength) {
        append(p);
      } else if (p == image.pixels[y * kSide + x + 1]) {
        out += static_cast<char>(0x81);  // the next pixel twice
        append(p);
      } else {
        out += static_cast<char>(0x01);  // two plain pixels
        append(p);
        append(image.pixels[y * kSide + x + 1]);
      }
    }
  }
  return out;
}

std::string FirstHalf(const std::string& bytes) {
  return bytes.substr(0, bytes.size() / 2);
}

// Cut in the middle of the compressed pixels, after the headers, where the
// library only warns and fills the rest with grey.
std::string JpegCutInItsPixels(const std::string& bytes) {
  const size_t pixels = bytes.find("\xFF\xDA");
  EXPECT_NE(pixels, std::string::npos);
  return bytes.substr(0, pixels + (bytes.size() - pixels) / 2);
}

// A square of one material, "Painted", whose base colour is image 0; the
// caller adds the image.
scene_files::GltfWriter TexturedSquare(const std::vector<float>& factor = {}) {
  scene_files::GltfWriter w;
  const int square = w.Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, "VEC3");
  const int uv = w.Floats({0, 1, 1, 1, 1, 0, 0, 0}, "VEC2");
  const int indices = w.Indices({0, 1, 2, 0, 2, 3});
  w.doc["scene"] = 0;
  w.doc["scenes"] = {{{"nodes", {0}}}};
  w.doc["nodes"] = {{{"name", "Square"}, {"mesh", 0}}};
  w.doc["meshes"] = {{{"primitives",
                       {{{"attributes", {{"POSITION", square}, {"TEXCOORD_0", uv}}},
                         {"indices", indices},
                         {"material", 0}}}}}};
  json pbr = {{"baseColorTexture", {{"index", 0}}}};
  if (!factor.empty()) pbr["baseColorFactor"] = factor;
  w.doc["materials"] = {{{"name", "Painted"}, {"pbrMetallicRoughness", pbr}}};
  w.doc["textures"] = {{{"source", 0}}};
  return w;
}

// A glTF (".gltf" or ".glb") whose image is `png`, held in its buffer.
std::string EmbeddedPng(const std::string& folder, const char* suffix, const std::string& png,
                        const std::vector<float>& factor = {}) {
  scene_files::GltfWriter w = TexturedSquare(factor);
  w.doc["images"] = {{{"bufferView", w.View(png)}, {"mimeType", "image/png"}}};
  const std::string path = folder + "/square." + suffix;
  scene_files::WriteFile(path, std::string(suffix) == "glb" ? w.Glb() : w.Gltf());
  return path;
}

// A glTF whose image is the file `uri` names; `bytes` are written to `file`.
std::string GltfWithImageFile(const std::string& folder, const std::string& uri,
                              const std::string& file, const std::string& bytes,
                              const std::vector<float>& factor = {}) {
  scene_files::GltfWriter w = TexturedSquare(factor);
  w.doc["images"] = {{{"uri", uri}}};
  if (!bytes.empty()) scene_files::WriteFile(folder + "/" + file, bytes);
  const std::string path = folder + "/square.gltf";
  scene_files::WriteFile(path, w.Gltf());
  return path;
}

// An OBJ square whose two triangles have the materials "Painted" and
// "Alike", both of colour `kd` and the image `image` (written unless empty).
std::string ObjWithImageFile(const std::string& folder, const std::string& kd,
                             const std::string& image, const std::string& bytes) {
  const std::string mtl = "map_Kd " + image + "\nKd " + kd + "\n";
  scene_files::WriteFile(folder + "/square.mtl", "newmtl Painted\n" + mtl + "newmtl Alike\n" + mtl);
  if (!bytes.empty()) scene_files::WriteFile(folder + "/" + image, bytes);
  const std::string path = folder + "/square.obj";
  scene_files::WriteFile(path,
                         "mtllib square.mtl\n"
                         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                         "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                         "usemtl Painted\nf 1/1 2/2 3/3\n"
                         "usemtl Alike\nf 1/1 3/3 4/4\n");
  return path;
}

struct Case {
  const char* name;
  // Writes the scene and its images into the folder; returns the scene's path.
  std::function<std::string(const std::string& folder)> write;
  std::array<float, 3> colour;
  float tolerance;
  const char* warning;  // the one warning line after the scene's path, or null
};

const Case kCases[] = {
    {"PngInGlbBuffer",
     [](const std::string& f) { return EmbeddedPng(f, "glb", Png(RedAndBlue())); },
     {0.5f, 0, 0.5f},
     1e-6f,
     nullptr},
    {"InterlacedPngInGltfBuffer",
     [](const std::string& f) { return EmbeddedPng(f, "gltf", Png(Gradient(), true)); },
     {126 / 255.0f, 126 / 255.0f, 49 / 255.0f},
     1e-6f,
     nullptr},
    {"FullyTransparentPixelsAreLeftOut",
     [](const std::string& f) { return EmbeddedPng(f, "glb", Png(RedUnderTransparentGreen())); },
     {1, 0, 0},
     1e-6f,
     nullptr},
    {"FactorTimesImage",
     [](const std::string& f) {
       return EmbeddedPng(f, "glb", Png(RedAndBlue()), {0.5f, 1, 0.2f, 1});
     },
     {0.25f, 0, 0.1f},
     1e-6f,
     nullptr},
    {"PngFileWithAnEncodedNameBesideGltf",
     [](const std::string& f) {
       return GltfWithImageFile(f, "red%20and%20blue.png", "red and blue.png", Png(RedAndBlue()));
     },
     {0.5f, 0, 0.5f},
     1e-6f,
     nullptr},
    {"JpegFileBesideObj",
     [](const std::string& f) {
       return ObjWithImageFile(f, "1 1 1", "wood.jpg", Jpeg(RedAndBlue()));
     },
     {0.5f, 0, 0.5f},
     0.02f,
     nullptr},
    {"TgaFileBesideObj",
     [](const std::string& f) {
       return ObjWithImageFile(f, "1 1 1", "skin.tga", Tga(Gradient(), 24, false));
     },
     {126 / 255.0f, 126 / 255.0f, 49 / 255.0f},
     1e-6f,
     nullptr},
    {"RunLengthTgaWithTransparentPixels",
     [](const std::string& f) {
       return ObjWithImageFile(f, "1 1 1", "skin.tga", Tga(RedUnderTransparentGreen(), 32, true));
     },
     {1, 0, 0},
     1e-6f,
     nullptr},
    {"CutShortRunLengthTga",
     [](const std::string& f) {
       return ObjWithImageFile(f, "0.2 0.4 0.6", "cut.tga",
                               FirstHalf(Tga(Gradient(), 32, true)));
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'cut.tga' of material 'Painted' could not be read; its colour factor is used"},
    {"MissingFile",
     [](const std::string& f) { return ObjWithImageFile(f, "0.2 0.4 0.6", "gone.png", ""); },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'gone.png' of material 'Painted' could not be read; its colour factor is used"},
    {"CutShortPngFile",
     [](const std::string& f) {
       return GltfWithImageFile(f, "cut.png", "cut.png", FirstHalf(Png(RedAndBlue())),
                                {0.2f, 0.4f, 0.6f, 1});
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'cut.png' of material 'Painted' could not be read; its colour factor is used"},
    {"CutShortJpegFile",
     [](const std::string& f) {
       return ObjWithImageFile(f, "0.2 0.4 0.6", "cut.jpg", JpegCutInItsPixels(Jpeg(RedAndBlue())));
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'cut.jpg' of material 'Painted' could not be read; its colour factor is used"},
    {"TextThatIsNoImage",
     [](const std::string& f) {
       return ObjWithImageFile(f, "0.2 0.4 0.6", "notes.png", "not an image\n");
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'notes.png' of material 'Painted' could not be read; its colour factor is used"},
    {"CutShortPngInGlbBuffer",
     [](const std::string& f) {
       return EmbeddedPng(f, "glb", FirstHalf(Png(RedAndBlue())), {0.2f, 0.4f, 0.6f, 1});
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the embedded texture 0 of material 'Painted' could not be read; its colour factor is used"},
    // Opening a FIFO for reading would wait for a writer forever.
    {"FifoNamedAsImage",
     [](const std::string& f) {
       EXPECT_EQ(::mkfifo((f + "/pipe.png").c_str(), 0600), 0);
       return ObjWithImageFile(f, "0.2 0.4 0.6", "pipe.png", "");
     },
     {0.2f, 0.4f, 0.6f},
     1e-6f,
     "the texture 'pipe.png' of material 'Painted' could not be read; its colour factor is used"},
};

SceneObject* FirstPolygonObject(SceneObject* first) {
  for (SceneObject* o = first; o != nullptr; o = ObjectNext(o)) {
    if (ObjectType(o) == kObjectPolygon) return o;
    if (SceneObject* below = FirstPolygonObject(ObjectDown(o))) return below;
  }
  return nullptr;
}

class TextureColourTest : public HostTest, public testing::WithParamInterface<Case> {};

TEST_P(TextureColourTest, EveryMaterialGetsTheImagesMeanTimesItsFactor) {
  const Case& c = GetParam();
  host::ConsoleCapture console;
  const std::string path = c.write(scene_files::TestFolder());
  std::string error;
  const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
  ASSERT_NE(doc, nullptr) << error;

  SceneObject* object = FirstPolygonObject(GetFirstObject(doc.get()));
  ASSERT_NE(object, nullptr);
  int materials = 0;
  for (int32_t i = 0; i < ObjectTagCount(object); ++i) {
    const SceneMaterial* material = TagMaterial(ObjectTag(object, i));
    if (material == nullptr) continue;
    ++materials;
    SCOPED_TRACE(MaterialNameOf(material).Text());
    ASSERT_TRUE(MaterialChannelEnabled(material, kChannelColour));
    const HostVector colour =
        MaterialChannelData(material, kChannelColour).GetVector(kChannelColourKey);
    EXPECT_NEAR(colour.x, c.colour[0], c.tolerance);
    EXPECT_NEAR(colour.y, c.colour[1], c.tolerance);
    EXPECT_NEAR(colour.z, c.colour[2], c.tolerance);
  }
  EXPECT_GT(materials, 0);

  std::vector<std::string> textureLines;
  for (const std::string& line : console.Lines()) {
    if (line.find("texture") != std::string::npos) textureLines.push_back(line);
  }
  std::vector<std::string> expected;
  if (c.warning != nullptr) expected.push_back(path + ": " + c.warning);
  EXPECT_EQ(textureLines, expected);
}

INSTANTIATE_TEST_SUITE_P(Images, TextureColourTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
