// The export settings as the studio's page sees them, all from the
// command line's one table of options (app/option_table.h): which options
// the settings hold, how each is described to the page, the values the
// export dialog shows spelled as on the command line, and a changed set of
// values turned back into command-line arguments, so that the studio
// validates them with the command line's own parser.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "host/document.h"
#include "host/ui.h"

namespace app::studio {

using Json = nlohmann::ordered_json;

// Whether an option is one of the export settings (a value the export
// dialog or the scene's camera holds), not a file to write or a setting of
// the program's run.
bool IsSetting(const OptionEntry& entry);

// The option's long name without its dashes: "crease-angle".
std::string SettingName(const OptionEntry& entry);

// The setting named `name` (without dashes); null when there is none.
const OptionEntry* FindSetting(const std::string& name);

// A real as the command line takes it back: plain decimals, the fewest that
// come within a single-precision step of it (the dialog keeps some values
// in single precision, so 60 degrees reads back as 60.0000017 and is
// spelled "60").
std::string SettingNumberText(double value);

// The settings described for GET /api/options, in the table's order.
Json OptionsListing();

// Every setting's value as the dialog (and the document's camera) shows it,
// spelled as the command line takes it, in the table's order.
Json ReadSettings(const HostDialog* dialog, const HostDocument& doc);

// The command-line arguments ("--style", "filled", ...) that set `settings`;
// a setting whose value is empty is left out.
std::vector<std::string> SettingArguments(const Json& settings);

}  // namespace app::studio
