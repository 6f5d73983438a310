// Naming and the temporary file of a frame's file.
#include "output/frame_file.h"

String DrawingSuffix(const String& fileName) {
  const String suffix = FilenameSuffix(fileName);
  const char* text = suffix.Text();
  if (suffix.Length() != 3) return "ai";
  for (const char* known : {"eps", "svg", "pdf", "png"}) {
    if ((text[0] | 0x20) == known[0] && (text[1] | 0x20) == known[1] &&
        (text[2] | 0x20) == known[2])
      return known;
  }
  return "ai";
}

String FrameFileName(const FrameFile& file, int32_t frame) {
  const String& chosen = file.fileName;
  if (file.fromFrame == file.toFrame) return chosen;
  const String bare = FilenameSetSuffix(chosen, "");
  // The suffix is appended, not set: in a name like "out.v2" setting it
  // would replace ".v2-<frame>" and send every frame to the same file.
  const String numbered =
      FilenameFilePart(bare) + "-" + String::FromInt(frame) + "." + DrawingSuffix(chosen);
  return FilenameCompose(FilenameFolderPart(bare), numbered);
}

// The file is written under a new temporary name beside the final one (the
// host makes it exclusively, so no existing file or link is ever written
// through) and put in place only when it is complete: a failed write, a stop
// request or a memory failure leaves no half-written drawing and keeps an
// older file of that name.
bool WriteFrameFile(const FrameFile& file, int32_t frame, FileContents contents,
                    const void* context) {
  const String fileName = FrameFileName(file, frame);
  String partName;
  HostFileWriter* writer = HostNew<HostFileWriter>();
  if (writer == nullptr) {
    MemoryErrorFlag::Set();  // the frame has no file: the run must not pass for complete
    return false;
  }
  if (!writer->OpenTemporary(fileName, partName)) {
    HostDelete(writer);
    ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  contents(writer, fileName, context);
  const bool closed = writer->Close();
  HostDelete(writer);
  const bool complete = closed && MemoryErrorFlag::Test() == 0 && !ExportCancelled(file.job);
  if (!complete) {
    FileDelete(partName);
    if (!closed) ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  if (!FileRename(partName, fileName)) {
    FileDelete(partName);
    ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  if (file.job != nullptr) ReportProgress(*file.job, 0, 1, file.progress);
  return true;
}
