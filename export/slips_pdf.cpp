#include "export/slips_pdf.h"

#include <hpdf.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace exporter {
namespace {

// Points, a 72nd of an inch, from the page's bottom left corner.
constexpr float kMargin = 40;
constexpr float kLine = 11;  // from one line's baseline to the next
constexpr float kGap = 24;   // between two slips, the cut line in its middle
constexpr float kTitleSize = 11;
constexpr float kTextSize = 9;

// The columns of a collection: where each starts (left-aligned) or ends (right-aligned).
struct Column {
  const char* header;
  float x;
  bool right;
};
constexpr std::array<Column, 7> kColumns = {{{"Date", kMargin, false},
                                             {"Shift", 110, false},
                                             {"Litres", 215, true},
                                             {"Fat", 275, true},
                                             {"SNF", 335, true},
                                             {"Rate", 405, true},
                                             {"Amount", 495, true}}};

// What libharu reports through its error handler, which must not throw through its C frames:
// the first error is kept and the writing checked for it where it can stop.
struct Failure {
  HPDF_STATUS error = HPDF_OK;
  HPDF_STATUS detail = 0;
};

void HPDF_STDCALL KeepError(HPDF_STATUS error, HPDF_STATUS detail, void* user_data) {
  auto* failure = static_cast<Failure*>(user_data);
  if (failure->error == HPDF_OK) *failure = {error, detail};
}

std::string Hex(HPDF_STATUS status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04lX", static_cast<unsigned long>(status));
  return text;
}

// Lays the slips out line by line on the pages of one document.
class SlipWriter {
 public:
  SlipWriter(HPDF_Doc pdf, std::string period)
      : pdf_(pdf),
        period_(std::move(period)),
        regular_(HPDF_GetFont(pdf, "Helvetica", nullptr)),
        bold_(HPDF_GetFont(pdf, "Helvetica-Bold", nullptr)) {}

  void Write(const Slip& slip) {
    const auto lines = static_cast<float>(slip.collections.size() + 6);
    if (page_ != nullptr && !Fits(lines * kLine + kGap)) {
      page_ = nullptr;
    } else if (page_ != nullptr) {
      CutLine();
    }
    if (page_ == nullptr) NewPage();
    Heading(slip.member, false);
    for (const SlipCollection& collection : slip.collections) {
      if (!Fits(kLine)) {
        NewPage();
        Heading(slip.member, true);
      }
      Row({collection.date, collection.time, collection.litres, collection.fat, collection.snf,
           collection.rate, collection.amount},
          regular_);
    }
    if (!Fits(3 * kLine)) {
      NewPage();
      Heading(slip.member, true);
    }
    Row({"Total", "", slip.litres, slip.fat, slip.snf, "", slip.amount}, bold_);
    std::string commission = "Commission " + slip.commission;
    if (!slip.stored_amount.empty()) commission += "     Stored amount " + slip.stored_amount;
    Text(kMargin, regular_, kTextSize, commission, false);
    y_ -= kLine;
  }

 private:
  bool Fits(float height) const { return y_ - height >= kMargin; }

  void NewPage() {
    page_ = HPDF_AddPage(pdf_);
    HPDF_Page_SetSize(page_, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
    width_ = HPDF_Page_GetWidth(page_);
    y_ = HPDF_Page_GetHeight(page_) - kMargin - kTitleSize;
  }

  // The title and period, the member, and the columns' headers.
  void Heading(const std::string& member, bool continued) {
    Text(kMargin, bold_, kTitleSize, kSlipTitle, false);
    Text(width_ - kMargin, regular_, kTextSize, period_, true);
    y_ -= kLine * 1.4f;
    Text(kMargin, bold_, kTitleSize, "Member " + member + (continued ? " (continued)" : ""), false);
    y_ -= kLine * 1.4f;
    std::array<std::string, kColumns.size()> headers;
    for (std::size_t i = 0; i < kColumns.size(); ++i) headers[i] = kColumns[i].header;
    Row(headers, bold_);
  }

  void Row(const std::array<std::string, kColumns.size()>& cells, HPDF_Font font) {
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
      Text(kColumns[i].x, font, kTextSize, cells[i], kColumns[i].right);
    }
    y_ -= kLine;
  }

  void Text(float x, HPDF_Font font, float size, const std::string& text, bool right) {
    if (text.empty()) return;
    HPDF_Page_SetFontAndSize(page_, font, size);
    if (right) x -= HPDF_Page_TextWidth(page_, text.c_str());
    HPDF_Page_BeginText(page_);
    HPDF_Page_TextOut(page_, x, y_, text.c_str());
    HPDF_Page_EndText(page_);
  }

  // A dashed line across the page in the middle of the gap below the slip above.
  void CutLine() {
    const float y = y_ + kLine - kGap / 2;
    static constexpr HPDF_UINT16 kDash[] = {4, 3};
    HPDF_Page_SetLineWidth(page_, 0.5f);
    HPDF_Page_SetDash(page_, kDash, 2, 0);
    HPDF_Page_MoveTo(page_, kMargin / 2, y);
    HPDF_Page_LineTo(page_, width_ - kMargin / 2, y);
    HPDF_Page_Stroke(page_);
    y_ -= kGap;
  }

  HPDF_Doc pdf_;
  std::string period_;
  HPDF_Font regular_;
  HPDF_Font bold_;
  HPDF_Page page_ = nullptr;
  float width_ = 0;
  float y_ = 0;
};

}  // namespace

void WriteSlipsPdf(const std::vector<Slip>& slips, const std::string& period,
                   const std::string& path, const std::string& destination) {
  Failure failure;
  // The document, freed however the writing ends.
  struct Document {
    HPDF_Doc pdf;
    ~Document() { HPDF_Free(pdf); }
  } const document{HPDF_New(KeepError, &failure)};
  const HPDF_Doc pdf = document.pdf;
  if (pdf == nullptr) throw platform::RunTimeError(platform::error::kOutOfMemory, "the slips' PDF");
  HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
  HPDF_SetInfoAttr(pdf, HPDF_INFO_TITLE, (std::string(kSlipTitle) + "s " + period).c_str());
  SlipWriter writer(pdf, period);
  for (const Slip& slip : slips) {
    writer.Write(slip);
    if (failure.error != HPDF_OK) break;
  }
  // Made in memory and written here: libharu opens a file by its narrow name, which on Windows
  // is in the local code page and cannot name every folder.
  if (failure.error == HPDF_OK) HPDF_SaveToStream(pdf);
  if (failure.error == HPDF_FAILD_TO_ALLOC_MEM) {
    throw platform::RunTimeError(platform::error::kOutOfMemory, "the slips' PDF");
  }
  const std::string shown = destination.empty() ? path : destination;
  if (failure.error != HPDF_OK) {
    throw platform::RunTimeError(platform::error::kPathFileAccess,
                                 "the slips could not be written to '" + shown +
                                     "' (libharu error " + Hex(failure.error) + ", " +
                                     Hex(failure.detail) + ").");
  }
  std::filebuf file;
  errno = 0;
  bool written = file.open(platform::PathFromUtf8(path),
                           std::ios::out | std::ios::binary | std::ios::trunc) != nullptr;
  // Read out a piece at a time; the last piece's read is the stream's end, which libharu also
  // hands its error handler.
  std::array<HPDF_BYTE, 64 * 1024> piece;
  for (HPDF_STATUS read = HPDF_OK; written && read == HPDF_OK;) {
    HPDF_UINT32 size = piece.size();
    read = HPDF_ReadFromStream(pdf, piece.data(), &size);
    written = (read == HPDF_OK || read == HPDF_STREAM_EOF) &&
              file.sputn(reinterpret_cast<const char*>(piece.data()), size) ==
                  static_cast<std::streamsize>(size);
  }
  written = file.close() != nullptr && written;
  if (!written) {
    const std::string reason =
        errno != 0 ? std::generic_category().message(errno) : "the file could not be written";
    throw platform::RunTimeError(
        platform::error::kPathFileAccess,
        "the slips could not be written to '" + shown + "': " + reason + ".");
  }
}

}  // namespace exporter
