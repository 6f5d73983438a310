#include "app/export_checks.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "app/dialog_options.h"
#include "app/options.h"
#include "host/api/vexmark_ids.h"
#include "host/drawing_files.h"

namespace app {
namespace {

constexpr double kPointsPerInch = 72.0;

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The page in points: the sheet when a paper size is set, else the picture
// (a pixel of the picture size is a point of the page).
void PageSize(const HostDialog* dialog, double& width, double& height) {
  const double paperWidth = host::GadgetReal(dialog, kGadgetPaperWidth).value_or(0);
  const double paperHeight = host::GadgetReal(dialog, kGadgetPaperHeight).value_or(0);
  if (paperWidth > 0 && paperHeight > 0) {
    width = paperWidth * kPointsPerMm;
    height = paperHeight * kPointsPerMm;
    return;
  }
  width = static_cast<double>(host::GadgetInt(dialog, kGadgetWidth).value_or(0));
  height = static_cast<double>(host::GadgetInt(dialog, kGadgetHeight).value_or(0));
}

bool WritesPng(const HostDialog* dialog) {
  const std::vector<std::string> names = ChosenOutputs(dialog);
  return std::any_of(names.begin(), names.end(), [](const std::string& name) {
    return !name.empty() && DrawingSuffix(name) == ".png";
  });
}

}  // namespace

std::string SettingsTrouble(const HostDialog* dialog) {
  const int64_t from = host::GadgetInt(dialog, kGadgetFromFrame).value_or(0);
  const int64_t to = host::GadgetInt(dialog, kGadgetToFrame).value_or(0);
  if (from > to)
    return "the frame range starts after it ends (--from " + std::to_string(from) + ", --to " +
           std::to_string(to) + ")";
  if (WritesPng(dialog)) {
    const double dpi = static_cast<double>(host::GadgetInt(dialog, kGadgetPngDpi).value_or(72));
    double width = 0, height = 0;
    PageSize(dialog, width, height);
    const double pixelsWide = std::round(width * dpi / kPointsPerInch);
    const double pixelsHigh = std::round(height * dpi / kPointsPerInch);
    if (std::max(pixelsWide, pixelsHigh) > host::kMaxPngSide)
      return "--dpi " + Number(dpi) + ": the PNG picture would be " + Number(pixelsWide) + " x " +
             Number(pixelsHigh) + " pixels; a PNG side is at most " + Number(host::kMaxPngSide) +
             " pixels (choose a lower --dpi)";
  }
  return "";
}

}  // namespace app
