#include "eps/eps_page.h"

bool PageAborted(const EpsPage& page) {
  return ExportCancelled(page.job);
}
