#include "host/import/native_json.h"

#include <cmath>
#include <limits>

namespace host::import {
namespace {

// Containers nest; a file may not nest them deeper than any real document.
constexpr int kMaxContainerDepth = 64;

json VectorToJson(const HostVector& v) {
  return {RealToJson(v.x), RealToJson(v.y), RealToJson(v.z)};
}

json ValueToJson(int32_t key, const ContainerValue& value) {
  struct Visitor {
    int32_t key;
    json operator()(int64_t v) const { return {key, "int", v}; }
    json operator()(bool v) const { return {key, "bool", v}; }
    json operator()(double v) const { return {key, "real", RealToJson(v)}; }
    json operator()(const HostVector& v) const { return {key, "vector", VectorToJson(v)}; }
    json operator()(const std::string& v) const { return {key, "string", v}; }
    json operator()(const FileName& v) const { return {key, "file", v.path}; }
    json operator()(const HostTime& v) const { return {key, "time", {v.num, v.den}}; }
    json operator()(const NestedContainer& v) const {
      return {key, "container", ContainerToJson(v.Get())};
    }
  };
  return std::visit(Visitor{key}, value);
}

float ReadFloat(const json& value, const Place& where) {
  return static_cast<float>(ReadReal(value, where));
}

HostContainer ReadContainerAt(const json& value, const Place& where, int depth);

ContainerValue ReadValue(const std::string& kind, const json& v, const Place& where,
                         int depth) {
  if (kind == "int") return ReadInt64(v, where);
  if (kind == "bool") return ReadBool(v, where);
  if (kind == "real") return ReadReal(v, where);
  if (kind == "string") return ReadText(v, where);
  if (kind == "file") return FileName{ReadText(v, where)};
  if (kind == "vector") {
    if (!v.is_array() || v.size() != 3) throw FormatError(where.Text() + ": expected three numbers");
    return HostVector{ReadFloat(v[0], where), ReadFloat(v[1], where), ReadFloat(v[2], where)};
  }
  if (kind == "time") {
    if (!v.is_array() || v.size() != 2)
      throw FormatError(where.Text() + ": expected [numerator, denominator]");
    const HostTime time{ReadInt64(v[0], where), ReadInt64(v[1], where)};
    if (time.den <= 0) throw FormatError(where.Text() + ": a time needs a positive denominator");
    return time;
  }
  if (kind == "container") return NestedContainer(ReadContainerAt(v, where, depth + 1));
  throw FormatError(where.Text() + ": unknown value kind '" + kind + "'");
}

HostContainer ReadContainerAt(const json& value, const Place& where, int depth) {
  if (depth > kMaxContainerDepth) throw FormatError(where.Text() + ": containers nest too deeply");
  if (!value.is_object()) throw FormatError(where.Text() + ": expected a container");
  HostContainer container(ReadInt32(Member(value, "id", where), Place(where, "id")));
  const json& values = ListMember(value, "values", where);
  const Place valuesPlace(where, "values");
  for (size_t i = 0; i < values.size(); ++i) {
    const Place place(valuesPlace, i);
    const json& entry = values[i];
    if (!entry.is_array() || entry.size() != 3) {
      throw FormatError(place.Text() + ": expected [key, kind, value]");
    }
    const int32_t key = ReadInt32(entry[0], place);
    if (container.values.count(key) != 0) {
      throw FormatError(place.Text() + ": key " + std::to_string(key) + " appears twice");
    }
    container.Set(key, ReadValue(ReadText(entry[1], place), entry[2], place, depth));
  }
  return container;
}

}  // namespace

std::string Place::Text() const {
  std::string text = parent_ != nullptr ? parent_->Text() : std::string();
  if (name_ == nullptr) return text + "[" + std::to_string(index_) + "]";
  if (parent_ != nullptr) text += ".";
  return text + name_;
}

json RealToJson(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}

json ContainerToJson(const HostContainer& container) {
  json values = json::array();
  for (const auto& [key, value] : container.Entries()) values.push_back(ValueToJson(key, value));
  return {{"id", container.id}, {"values", std::move(values)}};
}

json MatrixToJson(const Matrix& m) {
  return {m.off.x, m.off.y, m.off.z, m.v1.x, m.v1.y, m.v1.z,
          m.v2.x,  m.v2.y,  m.v2.z,  m.v3.x, m.v3.y, m.v3.z};
}

const json& Member(const json& object, const char* key, const Place& where) {
  if (!object.is_object()) throw FormatError(where.Text() + ": expected an object");
  const auto it = object.find(key);
  if (it == object.end()) throw FormatError(where.Text() + ": '" + key + "' is missing");
  return *it;
}

const json& ListMember(const json& object, const char* key, const Place& where) {
  const json& list = Member(object, key, where);
  if (!list.is_array()) throw FormatError(Place(where, key).Text() + ": expected a list");
  return list;
}

int64_t ReadInt64(const json& value, const Place& where) {
  if (value.is_number_unsigned()) {
    const uint64_t v = value.get<uint64_t>();
    if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
      throw FormatError(where.Text() + ": the number is too large");
    }
    return static_cast<int64_t>(v);
  }
  if (!value.is_number_integer()) throw FormatError(where.Text() + ": expected a whole number");
  return value.get<int64_t>();
}

int32_t ReadInt32(const json& value, const Place& where) {
  const int64_t v = ReadInt64(value, where);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    throw FormatError(where.Text() + ": the number is out of range");
  }
  return static_cast<int32_t>(v);
}

bool ReadBool(const json& value, const Place& where) {
  if (!value.is_boolean()) throw FormatError(where.Text() + ": expected true or false");
  return value.get<bool>();
}

std::string ReadText(const json& value, const Place& where) {
  if (!value.is_string()) throw FormatError(where.Text() + ": expected a text");
  return value.get<std::string>();
}

double ReadReal(const json& value, const Place& where) {
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (text == "inf") return std::numeric_limits<double>::infinity();
    if (text == "-inf") return -std::numeric_limits<double>::infinity();
  }
  throw FormatError(where.Text() + ": expected a number");
}

double ReadFiniteReal(const json& value, const Place& where) {
  const double v = ReadReal(value, where);
  if (!std::isfinite(v)) throw FormatError(where.Text() + ": expected a finite number");
  return v;
}

HostContainer ReadContainer(const json& value, const Place& where) {
  return ReadContainerAt(value, where, 0);
}

Matrix ReadMatrix(const json& value, const Place& where) {
  if (!value.is_array() || value.size() != 12) throw FormatError(where.Text() + ": expected 12 numbers");
  double n[12];
  for (size_t i = 0; i < 12; ++i) n[i] = ReadFiniteReal(value[i], where);
  return {{n[0], n[1], n[2]}, {n[3], n[4], n[5]}, {n[6], n[7], n[8]}, {n[9], n[10], n[11]}};
}

}  // namespace host::import
