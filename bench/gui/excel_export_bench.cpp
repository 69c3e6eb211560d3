// Data > Export to Excel of a loaded window list, timed from the menu choice to the message that
// asks for the paste, with the memory it takes on top of the loaded list; then what a paste of
// each form costs, as another program asking the clipboard for it would. Runs the window's own
// list and clipboard on Qt's offscreen platform (the clipboard held in the program, as X11's
// is). Not a Google Benchmark program: one export of a large list is the measurement.
//
//   QT_QPA_PLATFORM=offscreen excel_export_bench TABLE FROM TO [--no-paste]
#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QMimeData>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "data/load_data.h"
#include "export/export_text.h"
#include "export/paste_data.h"
#include "platform/message_box.h"
#include "platform/qt/clipboard.h"
#include "platform/qt/list_view.h"
#include "tests/fakes/fake_automation.h"

namespace {

using Clock = std::chrono::steady_clock;

// A /proc/self/status figure in KiB ("VmRSS", "VmHWM").
long Status(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(name) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  return -1;
}

// Starts the peak ("VmHWM") over from the memory in use now.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Notes when the message is shown.
class TimedMessageBox : public platform::MessageBox {
 public:
  void Show(const std::string& text, platform::MessageIcon) override {
    shown = Clock::now();
    prompt = text;
  }
  Clock::time_point shown;
  std::string prompt;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: excel_export_bench TABLE FROM TO [--no-paste]\n");
    return 2;
  }
  const bool paste = !(argc > 4 && std::strcmp(argv[4], "--no-paste") == 0);
  QTreeView view;
  platform::qt::QtListView list(view);
  Clock::time_point start = Clock::now();
  data::LoadData(list, argv[1], argv[2], argv[3]);
  std::printf("load: %zu rows, %.2f s, RSS %ld KiB\n", list.ItemCount(), Seconds(start),
              Status("VmRSS"));

  const long loaded = Status("VmRSS");
  ResetPeak();
  platform::qt::QtClipboard clipboard;
  fakes::FakeObjectFactory objects;
  TimedMessageBox message_box;
  start = Clock::now();
  exporter::MnuExcel_Click(list, clipboard, objects, message_box);
  const double to_message = std::chrono::duration<double>(message_box.shown - start).count();
  const long peak = Status("VmHWM");
  std::printf(
      "export: to the message %.3f s (%s); peak %ld KiB, %ld KiB over the loaded list; "
      "RSS after %ld KiB\n",
      to_message, message_box.prompt.c_str(), peak, peak - loaded, Status("VmRSS"));

  std::size_t text_size = 0;
  exporter::WriteExportText(list, [&](std::string_view piece) { text_size += piece.size(); });
  std::printf("plain text: %zu bytes (%.0f KiB); 1.5 x of it %.0f KiB\n", text_size,
              static_cast<double>(text_size) / 1024, 1.5 * static_cast<double>(text_size) / 1024);
  if (!paste) return 0;

  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  for (const QString& format : data->formats()) {
    ResetPeak();
    const long before = Status("VmRSS");
    start = Clock::now();
    const QByteArray bytes = data->data(format);
    std::printf("paste of %s: %lld bytes, %.3f s, peak %ld KiB over the list\n",
                format.toStdString().c_str(), static_cast<long long>(bytes.size()), Seconds(start),
                Status("VmHWM") - before);
  }
  return 0;
}
