#include "platform/system/output_file.h"

#include <atomic>
#include <filesystem>

#include "platform/system/path_text.h"

namespace platform {

namespace {

std::atomic<int (*)(ReplaceStep)> replace_watch{nullptr};

}  // namespace

void WatchReplaceSteps(int (*watch)(ReplaceStep step)) { replace_watch.store(watch); }

int ReplaceStepFailure(ReplaceStep step) {
  int (*const watch)(ReplaceStep) = replace_watch.load();
  return watch == nullptr ? 0 : watch(step);
}

std::string ReplacementPrefix(const std::string& target) {
  return Utf8Of(PathFromUtf8(target).parent_path() / PathFromUtf8(".kolvex"));
}

}  // namespace platform
