#include "eps/eps_page.h"

#include "shell/progress.h"

bool PageAborted(const EpsPage& page) {
  return ExportCancelled(&page.settings);
}
