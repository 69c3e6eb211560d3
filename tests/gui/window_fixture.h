// The real window, offscreen, with fakes for everything outside it and today's date fixed.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/qt_main_window.h"
#include "platform/system/date_services.h"
#include "tests/contract/window_cases.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_automation.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_provider.h"

namespace gui_test {

using window_cases::DayQuery;
using window_cases::Record;

class WindowTest : public testing::Test {
 protected:
  // AD 2022-08-28 is BS 2079/05/12.
  explicit WindowTest(platform::Date today = {2022, 8, 28}) : today_(today) {}

  void SetUp() override {
    window_ = app::QtMainWindow::Open(Services());
    ASSERT_NE(window_, nullptr) << (message_box_.shown().empty() ? "" : message_box_.shown()[0]);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    // On X11 the window becomes active some time after it is shown; until then a box given the
    // focus gets no focus event, and typed keys would meet a box its handlers have not prepared.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  void TearDown() override { EXPECT_TRUE(exit_statuses_.empty()) << "an error escaped a handler"; }

  app::WindowServices Services() {
    return {
        &dialog_, &message_box_, &screen_, &clipboard_, &objects_, &provider_, [this](int status) {
          exit_statuses_.push_back(status);
        }};
  }

  template <typename Widget>
  Widget* Find(const char* name) {
    return window_->findChild<Widget*>(QString::fromUtf8(name));
  }
  platform::Control& Control(const char* name) { return window_->Controls(name); }
  std::string TextOf(const char* name) { return Control(name).Text().Text(); }

  // Resizes the window so that its inner area grows by the given pixels.
  void GrowInner(int dx, int dy) {
    window_->resize(window_->width() + dx, window_->height() + dy);
    QApplication::processEvents();
  }

  platform::ScopedToday today_;
  fakes::CallLog log_;
  fakes::FakeFileDialog dialog_{&log_};
  fakes::FakeMessageBox message_box_{&log_};
  fakes::FakeMousePointer screen_{&log_};
  fakes::FakeClipboard clipboard_{&log_};
  fakes::FakeObjectFactory objects_{&log_};
  fakes::FakeProvider provider_;
  std::vector<int> exit_statuses_;  // the program's ends that were asked for
  std::unique_ptr<app::QtMainWindow> window_;
};

}  // namespace gui_test
