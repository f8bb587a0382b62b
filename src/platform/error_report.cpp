#include "platform/error_report.h"

#include "platform/module_path.h"
#include "platform/win32.h"

namespace {

// Our own software exception code: severity "error", the customer bit, and "BRV".
constexpr DWORD kFailureCode = 0xE0425256;
constexpr HWND kNoOwner = nullptr;
constexpr char kReportCaption[] = "Application Error";
constexpr UINT kReportStyle = MB_TASKMODAL | MB_ICONERROR;
constexpr int kFailureExitCode = 1;

std::string Hex8(std::uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[i] = kDigits[value & 0xF];
  return text;
}

std::uint32_t OffsetInModule(const void* address) {
  const auto base = reinterpret_cast<ULONG_PTR>(GetModuleHandleA(nullptr));
  return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(address) - base);
}

LONG OfferToSystemFilter(const Exception& failure) {
  EXCEPTION_RECORD record{};
  record.ExceptionCode = kFailureCode;
  record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  record.ExceptionAddress = const_cast<void*>(failure.RaiseAddress());
  CONTEXT context{};
  RtlCaptureContext(&context);
  EXCEPTION_POINTERS pointers{&record, &context};
  return UnhandledExceptionFilter(&pointers);
}

}  // namespace

std::string UnhandledErrorText(const Exception& failure, const std::string& module_name,
                               std::uint32_t raise_offset) {
  const std::string& message = failure.Message();
  const char* full_stop = !message.empty() && message.back() != '.' ? "." : "";
  return std::string("Exception ") + failure.ClassName() + " in module " + module_name + " at " +
         Hex8(raise_offset) + ".\r\n" + message + full_stop + "\r\n";
}

int ReportUnhandledException(const Exception& failure) {
  if (OfferToSystemFilter(failure) == EXCEPTION_CONTINUE_SEARCH) {
    // Not ours to report: end like any crashed program.
    RaiseException(kFailureCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  std::string module_name = "Brontiv.exe";
  try {
    module_name = FileNameOf(ModuleFileName(), UserLocaleLeadBytes());
  } catch (const Exception&) {
    // The report still goes out, under the name the program ships with.
  }
  const std::string text =
      UnhandledErrorText(failure, module_name, OffsetInModule(failure.RaiseAddress()));
  MessageBoxA(kNoOwner, text.c_str(), kReportCaption, kReportStyle);
  return kFailureExitCode;
}
