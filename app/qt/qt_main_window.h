// The window Kolvex on Qt Widgets.
//
// The window builds its controls from app/window_design.h, places them in twips through
// platform::qt::QtControl, wraps them in the platform adapters (masked date boxes, list, dialog,
// message box, pointer) and hands those to MainForm, which holds every handler. Its own code only
// forwards Qt's events to the handlers: resizes of the inner area, minimising and restoring, the
// button's click, the menu commands, Enter in a date box and the date boxes' focus moves. It also
// gives the export's key (Ctrl+E) to the command whichever control has the focus, and shows the
// form's status line in a status bar below the inner area, which the layout does not measure. Each
// forwarded call runs inside a last-chance guard, so no exception reaches Qt's event loop: an error
// no handler took is reported and the program ends. Loads and exports run inside the event that
// started them, on this thread.
#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/common_window.h"

class QAction;
class QLabel;

namespace platform::qt {
class FocusLineEdit;
class QtListView;
}  // namespace platform::qt

namespace app {

class QtMainWindow : public QMainWindow, public CommonWindow {
 public:
  // Builds the window at its start size, hidden and not yet loaded.
  explicit QtMainWindow(WindowServices services = {});
  ~QtMainWindow() override;

  // Creates the window, runs Form_Load and shows it. When Form_Load fails, reports
  // "<number>: <description>" with the critical icon and returns null without showing anything.
  static std::unique_ptr<QtMainWindow> Open(WindowServices services = {});

  platform::ListView& list();

  float ScaleWidth() const override;
  float ScaleHeight() const override;

  // The icon of the program, drawn here: a milk can on a green ground, 32 x 32 in 256 colours.
  static QIcon Icon();
  // The same as an image; app/kolvex.ico, the Windows program's icon, holds it too.
  static QImage IconImage();
  // The icon drawn at `size` x `size` pixels in full colour, for the Windows icon's other sizes.
  static QImage DrawnIcon(int size);

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  void ConnectEvents();

  QWidget* inner_ = nullptr;
  QLabel* StatusLine = nullptr;
  // The text boxes in the order of design::kControls, and their adapters.
  std::vector<platform::qt::FocusLineEdit*> edits_;
  std::vector<std::unique_ptr<platform::TextBox>> texts_;
  // The Data menu's items, in the order of design::kDataMenu.
  std::vector<QAction*> commands_;
  // What this window's handlers are connected to.
  std::vector<QObject*> event_sources_;

  std::unique_ptr<platform::qt::QtListView> list_;
  std::unique_ptr<platform::StatusLine> status_line_;
  bool minimised_ = false;
};

}  // namespace app
