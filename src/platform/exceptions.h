// The failures of a run. Each carries its message bytes (code page 936 or ASCII), the class name the
// unhandled-error report shows, and the code address it was raised from.
#pragma once

#include <string>

class Exception {
 public:
  // Records the caller's address as the place of the raise, so `throw Exception(...)` points at
  // the throwing line.
  explicit Exception(std::string message);
  virtual ~Exception() = default;

  const std::string& Message() const { return message_; }
  virtual const char* ClassName() const { return "Exception"; }
  const void* RaiseAddress() const { return raise_address_; }

 protected:
  Exception(std::string message, const void* raise_address);

 private:
  std::string message_;
  const void* raise_address_;
};

class ERegistryException : public Exception {
 public:
  explicit ERegistryException(std::string message);
  const char* ClassName() const override { return "ERegistryException"; }
};
