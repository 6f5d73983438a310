#include "sdk/bitmaps.h"

#include "sdk/host_table.h"

BaseBitmap* AllocBitmap() {
  return Host().ui->bmpNew();
}

void FreeBitmap(BaseBitmap* bitmap) {
  if (bitmap != nullptr) Host().ui->bmpFree(bitmap);
}

bool LoadBitmap(BaseBitmap* bitmap, const String& path) {
  return bitmap != nullptr && Host().ui->bmpLoad(bitmap, path.Handle()) != 0;
}
