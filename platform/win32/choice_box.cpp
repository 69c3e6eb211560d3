#include "platform/win32/choice_box.h"

#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/twips.h"

namespace platform::win32 {
namespace {

constexpr int kDroppedItems = 12;

}  // namespace

void Win32ChoiceBox::SetItems(const std::vector<std::string>& items) {
  SendMessageW(box_, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    const LRESULT added =
        SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOfUtf8(item).c_str()));
    if (added == CB_ERR || added == CB_ERRSPACE) throw RunTimeError(error::kOutOfMemory);
  }
  SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

std::vector<std::string> Win32ChoiceBox::Items() const {
  std::vector<std::string> items;
  const auto count = static_cast<int>(SendMessageW(box_, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto length = static_cast<int>(SendMessageW(box_, CB_GETLBTEXTLEN, i, 0));
    std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
    SendMessageW(box_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    items.push_back(Utf8OfWide(text));
  }
  return items;
}

int Win32ChoiceBox::ListIndex() const {
  const LRESULT index = SendMessageW(box_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32ChoiceBox::SetListIndex(int index) {
  const auto count = static_cast<int>(SendMessageW(box_, CB_GETCOUNT, 0, 0));
  if (index < -1 || index >= count) throw RunTimeError(error::kInvalidPropertyValue);
  // Setting the index sends no notification: it is not the user's choice.
  SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

Win32ChoiceControl::Win32ChoiceControl(HWND box, std::string name, Twips twips)
    : Win32Control(box, std::move(name), twips) {
  Place();
}

void Win32ChoiceControl::Place() {
  const unsigned dpi = DpiOf(window());
  const int closed = TwipsToPixels(twips().height, dpi);
  const auto item = static_cast<int>(SendMessageW(window(), CB_GETITEMHEIGHT, 0, 0));
  const auto place = [&] {
    MoveWindow(window(), TwipsToPixels(twips().left, dpi), TwipsToPixels(twips().top, dpi),
               TwipsToPixels(twips().width, dpi),
               closed + kDroppedItems * (item > 0 ? item : closed), TRUE);
  };
  place();
  // The closed box is as high as its selection field and frame: the field is made as high as
  // the place leaves room for.
  RECT shown{};
  if (!GetWindowRect(window(), &shown) || shown.bottom - shown.top == closed) return;
  const auto field =
      static_cast<int>(SendMessageW(window(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  const int wanted = field + closed - (shown.bottom - shown.top);
  if (wanted > 0) {
    SendMessageW(window(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
    place();
  }
}

bool IsUsersChoice(HWND box, int code, int& opened_on) {
  const auto index = static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
  switch (code) {
    case CBN_DROPDOWN:
      opened_on = index;
      return false;
    case CBN_SELCHANGE:
      // Moves through the open list are not choices yet.
      return SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) == FALSE;
    case CBN_CLOSEUP: {
      const bool changed = index != opened_on;
      opened_on = index;
      return changed;
    }
    default:
      return false;
  }
}

}  // namespace platform::win32
