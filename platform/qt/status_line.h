// A window's status line on Qt: a label in its status bar. It may show less than its text when the
// window is narrow; the whole text is its tooltip.
#pragma once

#include <QLabel>
#include <QString>
#include <string>

#include "platform/status_line.h"

namespace platform::qt {

class LabelStatusLine : public StatusLine {
 public:
  explicit LabelStatusLine(QLabel& label) : label_(label) {}
  void SetText(const std::string& text) override {
    label_.setText(QString::fromStdString(text));
    label_.setToolTip(label_.text());
  }

 private:
  QLabel& label_;
};

}  // namespace platform::qt
