// kolvex-export, the headless command (app/export_command.h): its arguments taken from the command
// line, its output written to standard output and its messages to standard error.
#include "app/export_command.h"
#include "platform/system/output_file.h"

int main(int argc, char** argv) {
  return export_command::Run(platform::CommandLineArguments(argc, argv),
                             {platform::WriteStandardOutput, platform::StandardOutputIsTerminal()},
                             platform::WriteStandardError);
}
