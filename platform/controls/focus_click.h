// The rule for a click into a text box while another control has the focus, the same on every
// window system.
//
// As the left button goes down, the box gains the focus and the window's got-focus handler runs
// as it does for the Tab key; the press itself would then put the caret where it landed and drop
// the selection the handler made. So when the left button of the press that brought the focus
// comes up with nothing selected, the selection made on gaining the focus is put back (for a date
// box, the whole date, as after Tab). A press that dragged over characters keeps what it
// selected, and presses while the box already has the focus place the caret as usual.
#pragma once

#include <optional>

namespace platform {

class FocusClick {
 public:
  struct Selection {
    int start = 0;
    int length = 0;
  };

  // The box has gained the focus by a press, with `selection` made then (none: nothing selected).
  void Gained(std::optional<Selection> selection) {
    gained_ = selection;
    pressed_.reset();
  }
  // A press of the left button (or, with `left` false, another) has gone down in the box.
  void Pressed(bool left) {
    if (left) pressed_ = gained_;
    gained_.reset();
  }
  // Whether the left button of the press that brought the focus is still down, with a selection
  // to put back.
  bool Holding() const { return pressed_.has_value(); }
  // The left button has come up, with `selected` true when the box has a selection: what to
  // select again, if anything.
  std::optional<Selection> Released(bool selected) {
    std::optional<Selection> back = selected ? std::nullopt : pressed_;
    pressed_.reset();
    return back;
  }
  // The box has lost the focus, or a press came while it had it: nothing is put back.
  void Forget() {
    gained_.reset();
    pressed_.reset();
  }

 private:
  std::optional<Selection> gained_;
  std::optional<Selection> pressed_;
};

}  // namespace platform
