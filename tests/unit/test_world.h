// A fresh stand-in world for every test, and the names the tests share.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/exceptions.h"
#include "platform/host/hostworld.h"

inline const std::string kIdeKey = "Software\\Borland\\Delphi";

inline std::string VersionKey(const std::string& version) { return kIdeKey + "\\" + version; }
inline std::string ExpertsKey(const std::string& version) { return VersionKey(version) + "\\Experts"; }

// Turns "B0 B2 D7" into bytes, so expected texts can be written as they are documented.
inline std::string Bytes(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    i += 2;
  }
  return out;
}

// The message of the failure `action` raises, or a marker when it raises none.
inline std::string RaisedMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& failure) {
    return failure.Message();
  }
  return "(nothing raised)";
}

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::Reset(); }
  void TearDown() override { hostwin::Reset(); }
  hostwin::World& world() { return hostwin::TheWorld(); }
};
