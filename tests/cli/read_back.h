// Reads a written .csv or .xlsx file back through tests/cli/read_sheet.py (Python's csv, zipfile
// and XML parser), so what the files hold is checked by a reader that is not ours.
#pragma once

#ifdef _WIN32
#include "platform/system/windows_api.h"
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/list_view.h"
#include "platform/system/path_text.h"

namespace read_back {

struct Cell {
  std::string type;  // "s" text, "n" number, "" no cell
  std::string text;
  friend bool operator==(const Cell&, const Cell&) = default;
};
using Grid = std::vector<std::vector<Cell>>;

inline std::string Unescape(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      plain += text[i];
      continue;
    }
    const char next = text[++i];
    plain += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return plain;
}

#ifdef _WIN32
// The Linux path of a Windows program's `path`, through Wine's own kernel32 function.
inline std::string LinuxPath(const std::string& path) {
  using ToLinux = char* (*)(const wchar_t*);
  const auto to_linux = reinterpret_cast<ToLinux>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (to_linux == nullptr) {
    throw std::runtime_error("the files are read back by Python on Linux: run under Wine");
  }
  char* linux_path = to_linux(platform::PathFromUtf8(path).c_str());
  if (linux_path == nullptr) throw std::runtime_error("no Linux path for " + path);
  std::string result(linux_path);
  HeapFree(GetProcessHeap(), 0, linux_path);
  return result;
}

// Runs the Linux shell command `command`, which makes the file `done` once complete (or
// `done`.failed), and returns what `done` holds. Under Wine a Windows program can start a Linux
// one but is told neither when it ends nor what it prints, so the file is waited for; the
// deadline only ends a failing test.
inline std::string LinuxOutput(const std::string& command, const std::string& done) {
  std::string line = "Z:\\bin\\sh -c \"" + command + "\"";
  std::wstring wide_command = platform::PathFromUtf8(line).wstring();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, wide_command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    throw std::runtime_error("cannot start " + command);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  namespace fs = std::filesystem;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(platform::PathFromUtf8(done))) {
    if (fs::exists(platform::PathFromUtf8(done + ".failed"))) {
      throw std::runtime_error("failed: " + command);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("no answer from " + command);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream file(platform::PathFromUtf8(done), std::ios::binary);
  std::ostringstream output;
  output << file.rdbuf();
  return output.str();
}

// What the reader prints for `path`: the reader writes the cells to a file of its own.
inline std::string ReaderOutput(const std::string& path, int sheet = 1,
                                const std::string& option = "") {
  // One file for each sheet read, so reading another sheet of the workbook never finds the first.
  const std::string cells = path + (option.empty() ? ".cells" : ".layout") + std::to_string(sheet);
  return LinuxOutput("/usr/bin/python3 '" + LinuxPath(KOLVEX_SOURCE_DIR) +
                         "/tests/cli/read_sheet.py' '" + LinuxPath(path) + "' --sheet " +
                         std::to_string(sheet) + " " + option + " --output '" + LinuxPath(cells) +
                         "'",
                     cells);
}

// The text of the PDF file `path` as pdftotext lays it out.
inline std::string PdfText(const std::string& path) {
  const std::string text = LinuxPath(path + ".txt");
  LinuxOutput("pdftotext -layout '" + LinuxPath(path) + "' '" + text + ".part' && mv '" + text +
                  ".part' '" + text + "' || touch '" + text + ".failed'",
              path + ".txt");
  std::ifstream file(platform::PathFromUtf8(path + ".txt"), std::ios::binary);
  std::ostringstream output;
  output << file.rdbuf();
  return output.str();
}
#else
// What the shell command `command` prints; throws when it fails.
inline std::string LinuxOutput(const std::string& command) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot start " + command);
  std::string output;
  char buffer[1 << 16];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  if (::pclose(pipe) != 0) throw std::runtime_error("failed: " + command);
  return output;
}

// What the reader prints for sheet `sheet` of `path`, with `option` ("--layout") when given.
inline std::string ReaderOutput(const std::string& path, int sheet = 1,
                                const std::string& option = "") {
  return LinuxOutput("/usr/bin/python3 " KOLVEX_SOURCE_DIR "/tests/cli/read_sheet.py '" + path +
                     "' --sheet " + std::to_string(sheet) + " " + option);
}

// The text of the PDF file `path` as pdftotext lays it out.
inline std::string PdfText(const std::string& path) {
  return LinuxOutput("pdftotext -layout '" + path + "' -");
}
#endif

// The cells of the file, of its sheet `sheet` (from 1) for a workbook; throws std::runtime_error
// when the reader fails.
inline Grid ReadSheet(const std::string& path, int sheet = 1) {
  const std::string output = ReaderOutput(path, sheet);
  Grid grid;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string row, column, type, text;
    std::getline(fields, row, '\t');
    std::getline(fields, column, '\t');
    std::getline(fields, type, '\t');
    std::getline(fields, text);
    const std::size_t r = std::stoul(row);
    const std::size_t c = std::stoul(column);
    if (grid.size() <= r) grid.resize(r + 1);
    if (grid[r].size() <= c) grid[r].resize(c + 1);
    grid[r][c] = {type, Unescape(text)};
  }
  return grid;
}

// The list as rows of texts: the header row, then one row per item.
inline std::vector<std::vector<std::string>> ListRows(const platform::ListView& list) {
  std::vector<std::vector<std::string>> rows(1);
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    rows[0].push_back(list.ColumnHeaderText(column));
  }
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    std::vector<std::string> row = {list.ItemText(item)};
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      row.push_back(list.SubItemText(item, sub));
    }
    rows.push_back(row);
  }
  return rows;
}

// Rows without their trailing empty texts and without trailing empty rows: a workbook stores no
// cell for an empty text.
inline std::vector<std::vector<std::string>> Normalized(
    std::vector<std::vector<std::string>> rows) {
  for (auto& row : rows) {
    while (!row.empty() && row.back().empty()) row.pop_back();
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

// The texts of a grid, missing cells as empty texts, normalized as above.
inline std::vector<std::vector<std::string>> GridTexts(const Grid& grid) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : grid) {
    std::vector<std::string> texts;
    for (const Cell& cell : row) texts.push_back(cell.text);
    rows.push_back(texts);
  }
  return Normalized(rows);
}

}  // namespace read_back
