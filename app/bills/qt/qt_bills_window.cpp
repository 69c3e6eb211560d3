#include "app/bills/qt/qt_bills_window.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <utility>

#include "app/qt/qt_system.h"
#include "platform/qt/choice_box.h"
#include "platform/qt/control.h"
#include "platform/qt/list_view.h"
#include "platform/qt/status_line.h"
#include "platform/qt/text_box.h"
#include "platform/qt/twips.h"

namespace bills {
namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

QtBillsWindow::QtBillsWindow(BillsWindowServices services) : BillsWindow(std::move(services)) {
  setObjectName(Text(design::kTitle));
  setWindowTitle(Text(design::kTitle));
  app::QtSystem system(*this);
  MakeMissingServices(system);
  BuildControls();
  MakeForm(*list_, *status_line_);
  inner_->installEventFilter(this);
  resize(
      platform::qt::TwipsToPixels(design::kStartWidth, *this),
      platform::qt::TwipsToPixels(design::kStartHeight, *this) + statusBar()->sizeHint().height());
}

QtBillsWindow::~QtBillsWindow() {
  inner_->removeEventFilter(this);
  for (QObject* source : event_sources_) source->disconnect(this);
  form_.reset();
}

std::unique_ptr<QtBillsWindow> QtBillsWindow::Open(BillsWindowServices services) {
  auto window = std::make_unique<QtBillsWindow>(std::move(services));
  if (!window->Load()) return nullptr;
  window->show();
  return window;
}

platform::ListView& QtBillsWindow::list() { return *list_; }

float QtBillsWindow::ScaleWidth() const {
  return isMinimized() ? 0 : platform::qt::PixelsToTwips(inner_->width(), *inner_);
}

float QtBillsWindow::ScaleHeight() const {
  return isMinimized() ? 0 : platform::qt::PixelsToTwips(inner_->height(), *inner_);
}

void QtBillsWindow::BuildControls() {
  inner_ = new QWidget(this);
  setCentralWidget(inner_);
  QWidget* previous = nullptr;
  QWidget* first_button = nullptr;
  // A label's letter takes the focus to the control after it.
  QLabel* label = nullptr;
  for (const design::ControlDesign& control : design::kControls) {
    QWidget* widget = nullptr;
    platform::TextBox* text = nullptr;
    const auto run = [this, handler = control.click] { Run(handler); };
    switch (control.kind) {
      case design::ControlKind::kListView: {
        auto* tree = new QTreeView(inner_);
        list_ = std::make_unique<platform::qt::QtListView>(*tree);
        widget = tree;
        break;
      }
      case design::ControlKind::kTextBox: {
        auto* edit = new QLineEdit(inner_);
        edit->setReadOnly(control.read_only);
        texts_.push_back(std::make_unique<platform::qt::QtTextBox>(*edit));
        text = texts_.back().get();
        widget = edit;
        break;
      }
      case design::ControlKind::kLabel:
        label = new QLabel(Text(control.caption), inner_);
        widget = label;
        break;
      case design::ControlKind::kButton: {
        auto* button = new QPushButton(Text(control.caption), inner_);
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QPushButton::clicked, this, run);
        event_sources_.push_back(button);
        if (first_button == nullptr) first_button = button;
        widget = button;
        break;
      }
      case design::ControlKind::kChoiceBox: {
        auto* box = new QComboBox(inner_);
        choices_.push_back(std::make_unique<platform::qt::QtChoiceBox>(*box));
        AddChoiceBox(control.name, *choices_.back());
        // Only the user's choices: the form's own settings of the index are not events.
        connect(box, &QComboBox::activated, this, run);
        event_sources_.push_back(box);
        widget = box;
        break;
      }
    }
    widget->setObjectName(Text(control.name));
    if (control.tip != nullptr) widget->setToolTip(Text(control.tip));
    AddControl(control.name,
               std::make_unique<platform::qt::QtControl>(*widget, control.twips, text));
    if (control.kind != design::ControlKind::kLabel) {
      if (label != nullptr) label->setBuddy(widget);
      label = nullptr;
      if (previous != nullptr) setTabOrder(previous, widget);
      previous = widget;
    }
  }
  auto* status = new QLabel(statusBar());
  status->setObjectName(QStringLiteral("StatusLine"));
  status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(status, 1);
  status_line_ = std::make_unique<platform::qt::LabelStatusLine>(*status);
  first_button->setFocus();
}

bool QtBillsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == inner_ && event->type() == QEvent::Resize) Run(&BillsForm::Form_Resize);
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace bills
