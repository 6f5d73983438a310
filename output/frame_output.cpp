// The files of one frame.
#include "output/frame_output.h"

#include "output/drawing_file.h"

FrameFile FrameFileOf(const ExportSettings& options, ExportJob* job, ProgressBand progress) {
  FrameFile file;
  file.fileName = options.fileName;
  file.fromFrame = options.fromFrame;
  file.toFrame = options.toFrame;
  file.job = job;
  file.pixelsPerPoint = options.pngDpi / static_cast<double>(kDefaultPngDpi);
  file.progress = progress;
  return file;
}

bool WriteFrameFiles(const Drawing& drawing, const ExportSettings& options, int32_t frame,
                     ExportJob& job, ProgressBand progress) {
  FrameFile file = FrameFileOf(options, &job, progress);
  bool all = WriteDrawingFile(file, drawing, frame);
  // The same drawing in each further file.
  String more;
  for (int32_t at = 0; NextListedFile(options.moreFiles, at, more);) {
    if (ExportCancelled(job) || MemoryErrorFlag::Test() != 0) return false;
    file.fileName = more;
    all = WriteDrawingFile(file, drawing, frame) && all;
  }
  return all;
}
