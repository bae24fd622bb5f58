// Printing a range of the file: the file read block by block and cut into
// lines by the screen's own formatters, the lines placed on pages one line
// height apart, and only the pages wanted drawn. Every page is laid out, so
// that page breaks do not depend on which pages are printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_walk.h"
#include "viewer/frame/tag_list.h"
#include "viewer/print/page_geometry.h"
#include "viewer/print/print_surface.h"
#include "viewer/print/regional_time.h"
#include "viewer/settings/colors.h"

namespace zorvo {

// The print options word: the page setup's bits and those a job adds.
enum PrintBits : uint32_t {
  kPrintEjectOnFormFeeds = 0x100,
  kPrintPageTitles = 0x200,
  kPrintShadeTags = 0x400,       // title, tagged and marker lines in their shades
  kPrintShadeSelection = 0x800,  // lines of the view's selection inverted
  kPrintTagsOnly = 0x1000,
  kPrintEjectEvenIfTagsOnly = 0x2000,
  kPrintEvenPagesOnly = 0x4000,
  kPrintOddPagesOnly = 0x8000,
  kPrintNoDialog = 0x10000,
};

inline constexpr int32_t kNoPageLimit = 2147483647;

// What a print command hands to the renderer.
struct PrintRequest {
  uintptr_t owner = 0;     // the window every message belongs to
  int64_t start = -1;      // where printing begins; negative: none
  int64_t end = 0;         // where it stops; 0 or less: the end of the file
  int64_t viewOffset = 0;  // the line at the top of the window
  int32_t firstPage = -1;  // negative: none
  int32_t lastPage = -1;   // negative: no limit
  uint32_t flags = 0;      // the print options with the job bits
  std::wstring documentName;
  FileRecord file;  // a copy: what the window opens meanwhile does not change the job
  TagList* tags = nullptr;
  std::vector<std::string> titles;  // the frozen title lines' display bytes
  int64_t selectionStart = -1;      // the view's selection, for its shading
  int64_t selectionEnd = -1;
};

// The settings a job reads.
struct PrintSettings {
  Margins margins;
  bool autoFontSize = false;
  bool printMessages = true;
  int format = kFormatText;
  FormatParams params;  // the current options word, tab length and skip counts
  bool fixedLength = false;
  int32_t maxLineLength = 4096;
  int32_t fontSize = 10;  // points
  int32_t zoomSteps = 0;
  ColorTable colors{};
  WalkPieces pieces{};  // the sizes the file is read and formatted in
};

// The range chosen in the print dialog.
enum class RangeChoice { kAll, kSelection, kPages };
struct ChosenRange {
  RangeChoice choice = RangeChoice::kAll;
  int32_t from = 0;
  int32_t to = kNoPageLimit;
  // The dialog was shown, also for a job meant to go without it when no
  // printer could be had otherwise: what the user chose there holds.
  bool shown = false;
};

// What starting a job needs to know.
struct JobStart {
  std::wstring documentName;
  bool noDialog = false;
  bool selectionAvailable = false;
  int32_t fromPage = 0;           // for the dialog's From field; 0 leaves it blank
  int32_t toPage = kNoPageLimit;  // for its To field; no limit leaves it blank
};

// The platform side of a job: the print dialog, the document and the abort
// dialog, and the clock.
class PrintJobHost {
 public:
  virtual ~PrintJobHost() = default;
  // Starts a document (with the print dialog unless `noDialog`), shows the
  // abort dialog and returns its surface; null when no job started, after
  // any message. `chosen` receives the dialog's range.
  virtual PrintSurface* StartJob(const JobStart& job, ChosenRange& chosen) = 0;
  // Ends the job; `abandon` throws the document away (a cancel or a
  // spooling failure). False when the document could not be ended, so
  // that nothing was printed.
  virtual bool EndJob(bool abandon) = 0;
  virtual LocalTime Now() = 0;
  virtual RegionalSettings Regional() = 0;
};

// The range of an even-page pass, kept for the odd-page pass that follows.
struct SidesRange {
  bool set = false;
  int64_t start = 0;
  int64_t end = 0;
  int32_t first = 1;
  int32_t last = kNoPageLimit;
  bool perLineStop = false;
};

// Prints `request`; the pages started, 0 when nothing was printed, or a
// negative failure (-1 a read or formatting error, else the spooler's
// code). Messages go through `notifier`.
int32_t PrintFileRange(const PrintRequest& request, const PrintSettings& settings,
                       PrintJobHost& host, Notifier& notifier, FileOpener& opener,
                       SidesRange& sides);

// The largest font, trying pixel heights from 2 up to 99, in which `text`
// fits `width`; its (negative) height.
int32_t FitFontToWidth(PrintSurface& surface, std::string_view text, int32_t width);

// The print font's pixel height for `fontSize` points (below 1: 10) on a
// printer of `dpiY`, zoomed like the screen's.
int32_t PrintFontHeight(int32_t fontSize, int32_t dpiY, int32_t zoomSteps);

}  // namespace zorvo
