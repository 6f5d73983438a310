#include "sdk/status.h"

#include "sdk/host_table.h"

void StatusSetText(const String& text) {
  Host().statusText(text.Text());
}
void StatusSetBar(int32_t percent) {
  Host().statusPercent(percent);
}
void StatusSetSpin() {
  Host().statusSpin();
}
void StatusClear() {
  Host().statusClear();
}
void SetMousePointer(int32_t code) {
  Host().setPointer(code);
}
int32_t TimerMs() {
  return Host().timerMs();
}
