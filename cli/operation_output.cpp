#include "operation_output.h"

#include "command_line.h"
#include "common/string_table.h"
#include "output.h"

namespace output {

int Report(const ops::Result& result) {
  if (result.Succeeded()) {
    if (!result.message.empty()) Result(result.message);
    return exit_status::kOk;
  }
  Error(result.message.empty() ? strings::Text(strings::id::kFailed) : result.message);
  return exit_status::kFailed;
}

int ReportWizard(const ops::WizardResult& run) {
  for (const ops::PageReport& page : run.pages) {
    if (!page.result.Succeeded()) break;
    const std::string& message = page.result.message;
    Result(strings::Text(strings::id::kSettingItemName0 + page.item) + ": " +
           (message.empty() ? strings::Text(strings::id::kSuccess) : message));
  }
  return Report(run);
}

}  // namespace output
