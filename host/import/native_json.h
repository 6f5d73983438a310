// The pieces of the native document format shared by its writer and reader:
// containers, reals that may be NaN or infinite, and a reader of JSON values
// that names the place of every mistake it finds.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "host/container.h"
#include "host/matrix.h"

namespace host::import {

using nlohmann::json;

// A native file that does not hold what the format says; the message names
// the place ("objects[2].points") and what is wrong there.
struct FormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reals as JSON numbers; NaN and the infinities, which JSON lacks, as the
// texts "nan", "inf" and "-inf".
json RealToJson(double value);
json ContainerToJson(const HostContainer& container);
json MatrixToJson(const Matrix& m);  // twelve numbers: offset, v1, v2, v3

// The place of a value in the file, such as "objects[2].points[6]": a chain
// of places on the reader's stack, spelled out only when an error message
// needs it, so that reading a file of many objects builds no text for the
// places of the values that are fine. A place must not outlive its parent.
class Place {
 public:
  Place(const char* root) : name_(root) {}  // NOLINT: a plain name is a place
  Place(const Place& parent, const char* member) : parent_(&parent), name_(member) {}
  Place(const Place& parent, size_t index) : parent_(&parent), index_(index) {}

  std::string Text() const;

 private:
  const Place* parent_ = nullptr;
  const char* name_ = nullptr;  // null for a list index
  size_t index_ = 0;
};

// Reading: each function throws FormatError for a value of the wrong kind.
const json& Member(const json& object, const char* key, const Place& where);
const json& ListMember(const json& object, const char* key, const Place& where);
int64_t ReadInt64(const json& value, const Place& where);
int32_t ReadInt32(const json& value, const Place& where);
bool ReadBool(const json& value, const Place& where);
std::string ReadText(const json& value, const Place& where);
double ReadReal(const json& value, const Place& where);        // may be NaN or infinite
double ReadFiniteReal(const json& value, const Place& where);  // a finite number
HostContainer ReadContainer(const json& value, const Place& where);
Matrix ReadMatrix(const json& value, const Place& where);  // finite numbers only

}  // namespace host::import
