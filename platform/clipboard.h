// The system clipboard: plain text, and beside it other forms of the same content (flavours) for
// the programs that read them. The text is made before it goes on the clipboard; the other forms
// are offered, not made: each is made when a program asks for it, so only the forms a paste takes
// are ever made.
#pragma once

#include <concepts>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Takes a form's bytes piece after piece, in order. Told about how many bytes the whole form
// will take, once its first rows are made, it can make room for them at once rather than grow
// as they come: growing a buffer of hundreds of megabytes copies it, and touching fresh memory
// is most of what making a large form costs.
class ClipboardWriter {
 public:
  // Any function of the pieces is a writer, one that makes no room ahead.
  template <typename Take>
  requires std::invocable<Take&, std::string_view> ClipboardWriter(Take take)
      : take_(std::move(take)) {}
  ClipboardWriter(std::function<void(std::string_view)> take,
                  std::function<void(std::size_t)> expect)
      : take_(std::move(take)), expect_(std::move(expect)) {}

  void operator()(std::string_view piece) const { take_(piece); }
  // A guess at the whole form's bytes, which may prove short or long, and may be made again as
  // more of the form is made.
  void Expect(std::size_t bytes) const {
    if (expect_) expect_(bytes);
  }

 private:
  std::function<void(std::string_view)> take_;
  std::function<void(std::size_t)> expect_;
};

// A writer that appends each piece to `bytes`, making room in it as told.
inline ClipboardWriter Gathering(std::string& bytes) {
  return ClipboardWriter([&bytes](std::string_view piece) { bytes += piece; },
                         [&bytes](std::size_t expected) {
                           try {
                             bytes.reserve(expected);
                           } catch (const std::exception&) {
                             // Too large a guess: the bytes grow as they come instead.
                           }
                         });
}

// Makes a form's bytes and hands them to the writer. Runs each time a program asks for the form,
// and gives the same bytes each time; throws what making them throws.
using ClipboardRenderer = std::function<void(const ClipboardWriter& write)>;

// One form of the clipboard's content beside the plain text. A flavour is named once for each
// kind of system; an empty name leaves it off that kind.
struct ClipboardFlavour {
  // The MIME type X11 and Wayland programs ask for, e.g. "application/x-gnumeric".
  std::string mime_type;
  // The registered Windows clipboard format, e.g. "HTML Format".
  std::string windows_format;
  // The bytes as the flavour's programs read them.
  std::string data;
};

// The Windows format name of a form that goes under Windows' own SYLK format (CF_SYLK) rather than
// a registered format.
inline constexpr char kWindowsSylkFormat[] = "SYLK";

// A flavour made when a program asks for it.
struct ClipboardForm {
  std::string mime_type;
  std::string windows_format;
  ClipboardRenderer render;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  // Puts `text` (UTF-8), made whole, on the clipboard in the platform's plain-text formats and,
  // in the same change, offers each of `forms` that has a name on this system: other programs see
  // all of them or none. The forms are made when a program asks for one, so what they read must
  // stay as it is while they are on the clipboard; a form that cannot be made is left off, and
  // the program asking takes the plain text.
  virtual void SetText(std::string text, std::vector<ClipboardForm> forms) = 0;
};

}  // namespace platform
