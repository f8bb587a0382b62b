// The report shown when a failure ends the run.
#pragma once

#include <cstdint>
#include <string>

#include "platform/exceptions.h"

// The report's text: class, module file name, raise offset in the module, message, and a final
// "." unless the message already ends in one (or is empty).
std::string UnhandledErrorText(const Exception& failure, const std::string& module_name,
                               std::uint32_t raise_offset);

// Offers the failure to the system's unhandled-exception filter first. When the filter leaves it
// to us, shows the report and returns the exit code 1; when it does not, raises the failure as a
// structured exception for the system to end the process, and does not return.
int ReportUnhandledException(const Exception& failure);
