#include "platform/system/program_start.h"

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/system_message.h"
#include "platform/system/windows_api.h"

namespace platform {
namespace {

std::wstring Quoted(const std::wstring& argument) {
  // The rules by which programs split their command line: backslashes are literal except before
  // a quote, where they and the quote are escaped.
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

}  // namespace

void StartProgram(const std::vector<std::string>& argv) {
  const std::wstring program = WideOfUtf8(argv.at(0));
  std::wstring command_line;
  for (const std::string& argument : argv) {
    if (!command_line.empty()) command_line += L' ';
    command_line += Quoted(WideOfUtf8(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process)) {
    throw RunTimeError(error::kCannotCreateObject,
                       "'" + argv[0] + "' did not start: " + SystemErrorText(GetLastError()) + ".");
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace platform
