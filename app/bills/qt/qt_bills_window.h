// The window Kolvex Bills on Qt Widgets: the controls of app/bills/bills_design.h placed in twips
// through platform::qt::QtControl and wrapped in the platform adapters, handed to BillsForm, which
// holds every handler. Its own code only forwards Qt's events: resizes of the inner area, the
// buttons' clicks and the user's choices in the choice boxes (choices the form makes itself run
// nothing). The status line is a status bar below the inner area.
#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/bills/bills_window.h"

class QLabel;

namespace platform::qt {
class QtListView;
}  // namespace platform::qt

namespace bills {

class QtBillsWindow : public QMainWindow, public BillsWindow {
 public:
  explicit QtBillsWindow(BillsWindowServices services = {});
  ~QtBillsWindow() override;

  // Creates the window, runs Form_Load and shows it; null, after the message, when the start
  // fails.
  static std::unique_ptr<QtBillsWindow> Open(BillsWindowServices services = {});

  platform::ListView& list();
  float ScaleWidth() const override;
  float ScaleHeight() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();

  QWidget* inner_ = nullptr;
  std::vector<std::unique_ptr<platform::TextBox>> texts_;
  std::vector<std::unique_ptr<platform::ChoiceBox>> choices_;
  std::vector<QObject*> event_sources_;
  std::unique_ptr<platform::qt::QtListView> list_;
  std::unique_ptr<platform::StatusLine> status_line_;
};

}  // namespace bills
