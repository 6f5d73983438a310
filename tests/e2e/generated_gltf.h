// glTF files written by the tests: buffers inline as data: URIs, so that a
// test needs nothing beside the one file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline std::string Base64(const unsigned char* bytes, size_t size) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < size; i += 3) {
    const uint32_t chunk = (bytes[i] << 16) | ((i + 1 < size ? bytes[i + 1] : 0) << 8) |
                           (i + 2 < size ? bytes[i + 2] : 0);
    text += kDigits[(chunk >> 18) & 63];
    text += kDigits[(chunk >> 12) & 63];
    text += i + 1 < size ? kDigits[(chunk >> 6) & 63] : '=';
    text += i + 2 < size ? kDigits[chunk & 63] : '=';
  }
  return text;
}

// A glTF file with one mesh of `triangles` separate triangles in a row,
// placed by `nodes` nodes side by side (each named "node<i>"): a scene that
// expands to triangles x nodes triangles from a file that holds the mesh
// once.
inline std::string InstancedGltf(int triangles, int nodes) {
  std::vector<float> corners;
  for (int t = 0; t < triangles; ++t) {
    const float x = static_cast<float>(t);
    for (float c : {x, 0.0f, 0.0f, x + 1, 0.0f, 0.0f, x, 1.0f, 0.0f}) corners.push_back(c);
  }
  const size_t bytes = corners.size() * sizeof(float);
  std::vector<unsigned char> raw(bytes);
  std::memcpy(raw.data(), corners.data(), bytes);
  std::string sceneNodes;
  std::string nodeList;
  for (int n = 0; n < nodes; ++n) {
    sceneNodes += (n > 0 ? "," : "") + std::to_string(n);
    nodeList += std::string(n > 0 ? "," : "") + R"({"name":"node)" + std::to_string(n) +
                R"(","mesh":0,"translation":[0,)" + std::to_string(n * 2) + ",0]}";
  }
  return std::string(R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[)") + sceneNodes +
         R"(]}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)" +
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":)" +
         std::to_string(triangles * 3) + R"(,"type":"VEC3","min":[0,0,0],"max":[)" +
         std::to_string(triangles) + R"(,1,0]}],"bufferViews":[{"buffer":0,"byteLength":)" +
         std::to_string(bytes) + R"(}],"buffers":[{"byteLength":)" + std::to_string(bytes) +
         R"(,"uri":"data:application/octet-stream;base64,)" + Base64(raw.data(), bytes) +
         R"("}],"nodes":[)" + nodeList + "]}";
}
