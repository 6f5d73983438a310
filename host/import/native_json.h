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

// Reading: each function throws FormatError for a value of the wrong kind.
const json& Member(const json& object, const char* key, const std::string& where);
const json& ListMember(const json& object, const char* key, const std::string& where);
int64_t ReadInt64(const json& value, const std::string& where);
int32_t ReadInt32(const json& value, const std::string& where);
bool ReadBool(const json& value, const std::string& where);
std::string ReadText(const json& value, const std::string& where);
double ReadReal(const json& value, const std::string& where);        // may be NaN or infinite
double ReadFiniteReal(const json& value, const std::string& where);  // a finite number
HostContainer ReadContainer(const json& value, const std::string& where);
Matrix ReadMatrix(const json& value, const std::string& where);  // finite numbers only

}  // namespace host::import
