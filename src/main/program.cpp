#include "main/program.h"

#include <new>

#include "platform/error_report.h"
#include "platform/exceptions.h"
#include "setup1/setup1.h"

namespace {

class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() : Exception("Out of memory") {}
  const char* ClassName() const override { return "EOutOfMemory"; }
};

}  // namespace

int RunProgram() {
  // The run's own resources are released by the time a failure arrives here, so the report
  // never holds a registry key open.
  try {
    Setup1::RegisterExperts();
    return 0;
  } catch (const Exception& failure) {
    return ReportUnhandledException(failure);
  } catch (const std::bad_alloc&) {
    return ReportUnhandledException(EOutOfMemory());
  }
}
