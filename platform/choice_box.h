// A drop-down list of fixed choices, of which one is chosen: the Kolvex Bills window's year,
// month, part of the month and commission.
#pragma once

#include <string>
#include <vector>

namespace platform {

class ChoiceBox {
 public:
  virtual ~ChoiceBox() = default;

  // Replaces the choices; none is chosen afterwards.
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  virtual std::vector<std::string> Items() const = 0;
  // The index of the chosen item, or -1 for none.
  virtual int ListIndex() const = 0;
  // Chooses the item `index` (-1: none). Setting it is not the user's choice: the window runs no
  // handler for it. Throws RunTimeError 380 for an index outside the items.
  virtual void SetListIndex(int index) = 0;
};

}  // namespace platform
