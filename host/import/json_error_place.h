// Where in a JSON text the parser stopped, as a path in the form that the
// native reader's messages use ("materials[0].channels[0].data.values[1]"),
// so that a number the parser cannot hold (1e999) is reported at its place
// like every other bad value, not with the parser library's own text.
#pragma once

#include <string>

namespace host::import {

// The path of the value at which parsing `text` fails, with the reason in
// `reason` ("the number is out of range"); an empty path when the failure
// is at the top, false when the text parses.
bool FindParseErrorPlace(const std::string& text, std::string& place, std::string& reason);

}  // namespace host::import
