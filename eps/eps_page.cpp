#include "eps/eps_page.h"

#include "core/progress.h"

bool PageAborted(const EpsPage& page) {
  return ExportCancelled(&page.settings);
}
