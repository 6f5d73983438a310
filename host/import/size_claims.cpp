// Header claims of PLY, GLB, STL and OFF files against the file's size.
#include "host/import/size_claims.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace host::import {
namespace {

// Headers longer than this are not headers: the reader gives up checking
// and leaves the file to the importer.
constexpr size_t kMaxHeaderBytes = 1 << 16;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string SuffixOf(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : Lower(name.substr(dot + 1));
}

std::string Damaged(const std::string& what, uint64_t claimed, const std::string& unit,
                    uint64_t size) {
  return "damaged: the header claims " + std::to_string(claimed) + " " + what + ", which need " +
         "more than the file's " + std::to_string(size) + " bytes" +
         (unit.empty() ? "" : " (" + unit + ")");
}

// Bytes of one property of a binary PLY; 0 for an unknown type.
uint64_t PlyTypeBytes(const std::string& type) {
  if (type == "char" || type == "uchar" || type == "int8" || type == "uint8") return 1;
  if (type == "short" || type == "ushort" || type == "int16" || type == "uint16") return 2;
  if (type == "int" || type == "uint" || type == "float" || type == "int32" || type == "uint32" ||
      type == "float32")
    return 4;
  if (type == "double" || type == "float64") return 8;
  return 0;
}

// A count of a header: digits only. A minus sign is reported as such, not
// read round to a huge unsigned number; anything else is not a count.
enum class CountWord { kCount, kNegative, kNotACount };

CountWord ReadCount(std::istream& in, uint64_t& count) {
  std::string word;
  if (!(in >> word)) return CountWord::kNotACount;
  const bool negative = word.size() > 1 && word[0] == '-';
  const std::string digits = negative ? word.substr(1) : word;
  if (digits.find_first_not_of("0123456789") != std::string::npos) return CountWord::kNotACount;
  if (negative) return CountWord::kNegative;
  std::istringstream number(digits);
  return number >> count ? CountWord::kCount : CountWord::kNotACount;
}

std::string Negative(const std::string& what) {
  return "damaged: the header claims a negative number of " + what;
}

struct PlyElement {
  std::string name;
  uint64_t count = 0;
  uint64_t bytes = 0;  // least bytes of one element in the body
};

std::string CheckPly(std::ifstream& in, uint64_t size) {
  std::string line;
  bool binary = false;
  size_t headerBytes = 0;
  size_t lineNumber = 0;
  std::vector<PlyElement> elements;
  // The importer reads a header line it misunderstands past its end (seen:
  // a crash), so the lines of the header's own keywords must be well formed.
  const auto notHeader = [&] {
    return "damaged: header line " + std::to_string(lineNumber) + " is not a PLY header line";
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    headerBytes += line.size() + 1;
    if (headerBytes > kMaxHeaderBytes) return "damaged: the header does not end";
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (lineNumber == 1) {
      if (keyword != "ply") return notHeader();
    } else if (keyword == "comment" || keyword == "obj_info") {
      continue;
    } else if (keyword == "format") {
      std::string format, version;
      words >> format >> version;
      if (format != "ascii" && format != "binary_little_endian" && format != "binary_big_endian")
        return notHeader();
      binary = format != "ascii";
    } else if (keyword == "element") {
      PlyElement element;
      words >> element.name;
      const CountWord count = ReadCount(words, element.count);
      if (count == CountWord::kNegative) return Negative(element.name + " elements");
      if (!words || count != CountWord::kCount) return notHeader();
      elements.push_back(element);
    } else if (keyword == "property" && !elements.empty()) {
      std::string type, name;
      words >> type;
      // A list holds at least its count; an ASCII value at least one digit
      // and a separator.
      uint64_t bytes = 0;
      if (type == "list") {
        std::string countType, itemType;
        words >> countType >> itemType;
        bytes = PlyTypeBytes(countType);
        if (PlyTypeBytes(itemType) == 0) return notHeader();
      } else {
        bytes = PlyTypeBytes(type);
      }
      words >> name;
      if (!words || bytes == 0) return notHeader();
      elements.back().bytes += binary ? bytes : 2;
    } else if (keyword == "end_header") {
      // An ASCII file may end its last value without a separator.
      const uint64_t body = (size > headerBytes ? size - headerBytes : 0) + (binary ? 0 : 1);
      uint64_t need = 0;
      for (const PlyElement& e : elements) {
        if (e.bytes == 0) continue;
        if (e.count > body / e.bytes || need > body - e.count * e.bytes)
          return Damaged(e.name + " elements", e.count, "", size);
        need += e.count * e.bytes;
      }
      return "";
    } else if (keyword == "ply") {
      return notHeader();  // a second header inside the first
    }
    // Other lines are free text, which some exporters write.
  }
  // The importer does not stop on a header that never ends.
  return "damaged: the header does not end (no end_header line)";
}

std::string CheckGlb(std::ifstream& in, uint64_t size) {
  unsigned char header[20];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return "";
  uint32_t magic = 0, total = 0, chunkLength = 0;
  std::memcpy(&magic, header, 4);
  std::memcpy(&total, header + 8, 4);
  std::memcpy(&chunkLength, header + 12, 4);
  if (magic != 0x46546C67) return "";  // "glTF": otherwise a text glTF by another name
  if (total > size)
    return "damaged: the header claims " + std::to_string(total) + " bytes, the file holds " +
           std::to_string(size);
  if (chunkLength > size - sizeof header)
    return "damaged: the header claims a JSON chunk of " + std::to_string(chunkLength) +
           " bytes, the file holds " + std::to_string(size);
  return "";
}

std::string CheckStl(std::ifstream& in, uint64_t size) {
  char header[84];
  if (!in.read(header, sizeof header)) return "";
  // An ASCII STL starts with "solid" and holds text after it.
  if (std::strncmp(header, "solid", 5) == 0) {
    for (size_t i = 5; i < sizeof header; ++i) {
      if (header[i] == '\n' || header[i] == '\r') return "";
    }
  }
  uint32_t count = 0;
  std::memcpy(&count, header + 80, 4);
  constexpr uint64_t kTriangleBytes = 50;
  if (static_cast<uint64_t>(count) * kTriangleBytes > size - sizeof header)
    return Damaged("triangles", count, "50 bytes each", size);
  return "";
}

// Whether the whole token is a decimal number (as strtod reads it).
bool IsNumber(const std::string& token) {
  char* end = nullptr;
  std::strtod(token.c_str(), &end);
  return !token.empty() && end == token.c_str() + token.size();
}

// Whether the whole token is a whole number that fits 63 bits, and its value.
bool IsIndex(const std::string& token, int64_t& value) {
  size_t start = token.size() > 1 && token[0] == '-' ? 1 : 0;
  if (token.size() == start || token.size() - start > 18) return false;
  for (size_t i = start; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return false;
  }
  value = std::stoll(token);
  return true;
}

// The next line that holds data: not blank and not a comment.
bool NextDataLine(std::ifstream& in, std::string& line) {
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t\r");
    if (start != std::string::npos && line[start] != '#') return true;
  }
  return false;
}

std::string CheckOff(std::ifstream& in, uint64_t size) {
  std::string keyword;
  if (!(in >> keyword) || keyword.find("OFF") == std::string::npos) return "";
  std::string line;
  std::getline(in, line);  // the rest of the keyword's line
  if (line.find("BINARY") != std::string::npos) return "";
  uint64_t vertices = 0, faces = 0;
  const auto readCounts = [&](const std::string& text, std::string& refusal) {
    std::istringstream counts(text);
    const CountWord v = ReadCount(counts, vertices);
    const CountWord f = ReadCount(counts, faces);
    if (v == CountWord::kNegative) refusal = Negative("vertices");
    if (f == CountWord::kNegative) refusal = Negative("faces");
    return v == CountWord::kCount && f == CountWord::kCount;
  };
  std::string refusal;
  if (!readCounts(line, refusal)) {
    if (!refusal.empty()) return refusal;
    // Comments may sit between the keyword and the counts.
    if (!NextDataLine(in, line)) return "";
    if (!readCounts(line, refusal)) return refusal;
  }
  // A vertex takes at least "0 0 0\n", a face "3 0 1 2\n".
  constexpr uint64_t kVertexBytes = 6, kFaceBytes = 8;
  if (vertices > size / kVertexBytes) return Damaged("vertices", vertices, "", size);
  if (faces > size / kFaceBytes || vertices * kVertexBytes + faces * kFaceBytes > size)
    return Damaged("faces", faces, "", size);
  // The importer quietly mends a face that names a vertex the file lacks,
  // and reads lines that are not what they should be past their end, so
  // every vertex and face line is checked here.
  for (uint64_t v = 0; v < vertices; ++v) {
    if (!NextDataLine(in, line)) return "";
    std::istringstream vertex(line);
    std::string x, y, z;
    if (!(vertex >> x >> y >> z) || !IsNumber(x) || !IsNumber(y) || !IsNumber(z))
      return "damaged: vertex " + std::to_string(v + 1) + " is not three numbers";
  }
  for (uint64_t f = 0; f < faces; ++f) {
    if (!NextDataLine(in, line)) return "";
    std::istringstream face(line);
    std::string token;
    int64_t corners = 0;
    if (!(face >> token) || !IsIndex(token, corners) || corners < 1)
      return "damaged: face " + std::to_string(f + 1) + " does not start with its corner count";
    for (int64_t k = 0; k < corners; ++k) {
      int64_t index = 0;
      if (!(face >> token) || !IsIndex(token, index))
        return "damaged: face " + std::to_string(f + 1) + " lacks its corner " +
               std::to_string(k + 1);
      if (index < 0 || static_cast<uint64_t>(index) >= vertices)
        return "damaged: face " + std::to_string(f + 1) + " names vertex " + std::to_string(index) +
               ", but the file has only " + std::to_string(vertices) + " vertices";
    }
  }
  return "";
}

}  // namespace

std::string CheckClaimedSizes(const std::string& path) {
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(path, error);
  if (error) return "";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  const std::string suffix = SuffixOf(path);
  if (suffix == "ply") return CheckPly(in, size);
  if (suffix == "glb") return CheckGlb(in, size);
  if (suffix == "stl") return CheckStl(in, size);
  if (suffix == "off") return CheckOff(in, size);
  return "";
}

}  // namespace host::import
