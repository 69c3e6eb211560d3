#include "app/qt/qt_main_window.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QWindowStateChangeEvent>
#include <string>
#include <utility>

#include "app/qt/qt_system.h"
#include "app/window_design.h"
#include "platform/qt/control.h"
#include "platform/qt/list_view.h"
#include "platform/qt/status_line.h"
#include "platform/qt/text_box.h"
#include "platform/qt/twips.h"

namespace app {
namespace {

using platform::qt::QtControl;

QString Text(const char* text) { return QString::fromUtf8(text); }

QFont NamedFont(const char* family) {
  QFont font(Text(family));
  font.setPointSizeF(design::kNamedFontPoints);
  font.setWeight(QFont::Normal);
  return font;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(Text(name));
  return widget;
}

}  // namespace

QtMainWindow::QtMainWindow(WindowServices services) : CommonWindow(std::move(services)) {
  setObjectName(Text(design::kTitle));
  setWindowTitle(Text(design::kTitle));
  setWindowIcon(Icon());
  QtSystem system(*this);
  MakeMissingServices(system);

  BuildControls();
  BuildMenu();
  MakeForm(*list_, status_line_.get());
  ConnectEvents();
  // The window may be made as small as the window system allows: the layout does what it can.
  // The menu bar and the status bar lie outside the inner area.
  resize(platform::qt::TwipsToPixels(design::kStartWidth, *this),
         platform::qt::TwipsToPixels(design::kStartHeight, *this) + menuBar()->sizeHint().height() +
             statusBar()->sizeHint().height());
}

QtMainWindow::~QtMainWindow() {
  // Children outlive this body; keep their events away from the form about to go.
  for (platform::qt::FocusLineEdit* box : edits_) {
    box->on_got_focus = nullptr;
    box->on_lost_focus = nullptr;
    box->removeEventFilter(this);
  }
  inner_->removeEventFilter(this);
  for (QObject* source : event_sources_) source->disconnect(this);
  form_.reset();
}

std::unique_ptr<QtMainWindow> QtMainWindow::Open(WindowServices services) {
  auto window = std::make_unique<QtMainWindow>(std::move(services));
  if (!window->Load()) return nullptr;
  window->show();
  return window;
}

platform::ListView& QtMainWindow::list() { return *list_; }

float QtMainWindow::ScaleWidth() const {
  return minimised_ ? 0 : platform::qt::PixelsToTwips(inner_->width(), *inner_);
}

float QtMainWindow::ScaleHeight() const {
  return minimised_ ? 0 : platform::qt::PixelsToTwips(inner_->height(), *inner_);
}

void QtMainWindow::BuildControls() {
  inner_ = new QWidget(this);
  setCentralWidget(inner_);
  const platform::InputMask date_mask(design::kDateMask, design::kDatePrompt);

  QWidget* previous = nullptr;
  for (const design::ControlDesign& control : design::kControls) {
    QWidget* widget = nullptr;
    platform::TextBox* text = nullptr;
    switch (control.kind) {
      case design::ControlKind::kListView: {
        auto* tree = new QTreeView(inner_);
        list_ = std::make_unique<platform::qt::QtListView>(*tree);
        widget = tree;
        break;
      }
      case design::ControlKind::kTextBox:
      case design::ControlKind::kMaskedBox: {
        auto* edit = new platform::qt::FocusLineEdit(inner_);
        edits_.push_back(edit);
        if (control.kind == design::ControlKind::kTextBox) {
          texts_.push_back(std::make_unique<platform::qt::QtTextBox>(*edit));
        } else {
          texts_.push_back(std::make_unique<platform::qt::QtMaskedBox>(*edit, date_mask));
        }
        text = texts_.back().get();
        widget = edit;
        break;
      }
      case design::ControlKind::kLabel:
        widget = new QLabel(Text(control.caption), inner_);
        break;
      case design::ControlKind::kButton:
        widget = new QPushButton(Text(control.caption), inner_);
        widget->setFocusPolicy(Qt::StrongFocus);
        break;
    }
    Named(widget, control.name);
    if (control.font != nullptr) widget->setFont(NamedFont(control.font));
    if (control.tip != nullptr) widget->setToolTip(Text(control.tip));
    AddControl(control.name, std::make_unique<QtControl>(*widget, control.twips, text));
    if (control.kind != design::ControlKind::kLabel) {
      if (previous != nullptr) setTabOrder(previous, widget);
      previous = widget;
    }
  }

  StatusLine = Named(new QLabel(statusBar()), "StatusLine");
  // Its text never widens the window: a long path is cut at the window's edge.
  StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(StatusLine, 1);
  status_line_ = std::make_unique<platform::qt::LabelStatusLine>(*StatusLine);

  inner_->findChild<QWidget*>(Text(design::kControls[0].name))->setFocus();
}

void QtMainWindow::BuildMenu() {
  // The menu shows "Data" with the D underlined, and Alt+D opens it.
  QMenu* menu = Named(menuBar()->addMenu(Text(design::kMenuCaption)), design::kMenuName);
  for (const design::MenuItemDesign& item : design::kDataMenu) {
    QAction* action = Named(menu->addAction(Text(item.caption)), item.name);
    action->setShortcut(QKeySequence(QKeyCombination(
        Qt::ControlModifier, static_cast<Qt::Key>(Qt::Key_A + (item.ctrl_key - 'A')))));
    commands_.push_back(action);
  }
}

void QtMainWindow::ConnectEvents() {
  inner_->installEventFilter(this);
  // Runs the form's `handler`, inside the guard.
  const auto run = [this](design::Handler handler) {
    return [this, handler] { Guarded([this, handler] { (form_.get()->*handler)(); }); };
  };
  std::size_t edit = 0;
  for (const design::ControlDesign& control : design::kControls) {
    QWidget* widget = inner_->findChild<QWidget*>(Text(control.name));
    if (auto* button = dynamic_cast<QPushButton*>(widget); button != nullptr && control.click) {
      connect(button, &QPushButton::clicked, this, run(control.click));
      event_sources_.push_back(button);
    }
    if (dynamic_cast<platform::qt::FocusLineEdit*>(widget) != nullptr) {
      platform::qt::FocusLineEdit* box = edits_[edit++];
      box->installEventFilter(this);
      if (control.got_focus) box->on_got_focus = run(control.got_focus);
      if (control.lost_focus) box->on_lost_focus = run(control.lost_focus);
    }
  }
  for (std::size_t i = 0; i < commands_.size(); ++i) {
    connect(commands_[i], &QAction::triggered, this, run(design::kDataMenu[i].click));
    event_sources_.push_back(commands_[i]);
  }
}

void QtMainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  // Minimising sends no resize of the inner area; the layout still hears of it, with 0 x 0,
  // and lays out the restored size when the window comes back.
  const bool minimised = isMinimized();
  if (minimised == minimised_) return;
  minimised_ = minimised;
  Guarded([this] { form_->Form_Resize(); });
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == inner_ && event->type() == QEvent::Resize) {
    Guarded([this] { form_->Form_Resize(); });
  }
  // On X11 desktops a text box claims Ctrl+E for the end of its line; the menu command's key
  // goes to the command whichever control has the focus, as on other systems.
  if (watched != inner_ && event->type() == QEvent::ShortcutOverride) {
    const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* command : commands_) {
      if (key == command->shortcut()) return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

QIcon QtMainWindow::Icon() { return QIcon(QPixmap::fromImage(IconImage())); }

QImage QtMainWindow::IconImage() {
  return DrawnIcon(32).convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

QImage QtMainWindow::DrawnIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  // Drawn on a grid of 32, with few flat colours, so the 256-colour image keeps them exactly.
  painter.setRenderHint(QPainter::Antialiasing, size != 32);
  painter.scale(size / 32.0, size / 32.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(46, 125, 50));
  painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
  // The can: a lid, a shoulder and a body, with a band and a drop of milk.
  painter.setBrush(QColor(236, 239, 241));
  painter.setPen(QPen(QColor(55, 71, 79), 1.2));
  painter.drawRect(QRectF(12, 4, 8, 3));
  QPainterPath can;
  can.moveTo(12, 7);
  can.lineTo(20, 7);
  can.lineTo(24, 12);
  can.lineTo(24, 27);
  can.lineTo(8, 27);
  can.lineTo(8, 12);
  can.closeSubpath();
  painter.drawPath(can);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(25, 118, 210));
  painter.drawRect(QRectF(8.6, 15, 14.8, 3));
  QPainterPath drop;
  drop.moveTo(16, 19.5);
  drop.cubicTo(18.5, 22.5, 19, 24, 16, 25.5);
  drop.cubicTo(13, 24, 13.5, 22.5, 16, 19.5);
  painter.setBrush(QColor(25, 118, 210));
  painter.drawPath(drop);
  painter.end();
  return image;
}

}  // namespace app
