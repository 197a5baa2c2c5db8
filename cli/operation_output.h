#pragma once
// Shows an operation's result as the tool does: success texts on standard
// output, failure texts on standard error, and the exit status.
#include <string>

#include "operations/operation.h"
#include "operations/settings_run.h"

namespace output {

// A failed result's message (or the general failure text) on standard
// error, exit_status::kFailed; a success's message, if any, on standard
// output, exit_status::kOk.
int Report(const ops::Result& result);

// A wizard run: "<item name>: <message>" for each page that went through
// (standard output), then the failure, if any, on standard error.
int ReportWizard(const ops::WizardResult& run);

}  // namespace output
