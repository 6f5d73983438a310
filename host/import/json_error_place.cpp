#include "host/import/json_error_place.h"

#include <nlohmann/json.hpp>
#include <vector>

namespace host::import {
namespace {

using json = nlohmann::json;

// Follows the parser through the text, keeping the path of the value being
// read; the parser's first error stops it there.
class PathFollower final : public json::json_sax_t {
 public:
  bool null() override { return Element(); }
  bool boolean(bool) override { return Element(); }
  bool number_integer(number_integer_t) override { return Element(); }
  bool number_unsigned(number_unsigned_t) override { return Element(); }
  bool number_float(number_float_t, const string_t&) override { return Element(); }
  bool string(string_t&) override { return Element(); }
  bool binary(binary_t&) override { return Element(); }
  bool start_object(std::size_t) override { return Enter(false); }
  bool start_array(std::size_t) override { return Enter(true); }
  bool end_object() override { return Leave(); }
  bool end_array() override { return Leave(); }
  bool key(string_t& name) override {
    if (!levels_.empty()) levels_.back().key = name;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    failed_ = true;
    Element();  // the value that could not be read has a place of its own
    reason_ = e.id == 406 ? "the number is out of range" : "not valid JSON";
    return false;
  }

  bool Failed() const { return failed_; }
  const std::string& Reason() const { return reason_; }

  std::string Path() const {
    std::string path;
    for (const Level& level : levels_) {
      if (level.array) {
        path += "[" + std::to_string(level.current) + "]";
      } else if (!level.key.empty()) {
        path += (path.empty() ? "" : ".") + level.key;
      }
    }
    return path;
  }

 private:
  struct Level {
    bool array = false;
    size_t next = 0;     // the index the next element of a list gets
    size_t current = 0;  // the index of the element being read
    std::string key;     // the member being read
  };

  bool Element() {
    if (!levels_.empty() && levels_.back().array) levels_.back().current = levels_.back().next++;
    return true;
  }
  bool Enter(bool array) {
    Element();
    levels_.push_back(Level{array, 0, 0, {}});
    return true;
  }
  bool Leave() {
    if (!levels_.empty()) levels_.pop_back();
    return true;
  }

  std::vector<Level> levels_;
  std::string reason_;
  bool failed_ = false;
};

}  // namespace

bool FindParseErrorPlace(const std::string& text, std::string& place, std::string& reason) {
  PathFollower follower;
  json::sax_parse(text, &follower);
  if (!follower.Failed()) return false;
  place = follower.Path();
  reason = follower.Reason();
  return true;
}

}  // namespace host::import
