#pragma once
// Runs a karovel-rmp subcommand in-process and keeps its exit status and what it printed.
#include <gtest/gtest.h>

#include <string>

#include "tools/commands.h"

namespace karovel::tools {

struct Outcome {
  int status;
  std::string out, err;
};

template <typename Command>
Outcome RunCaptured(Command command, const Args& args) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  int status = command(args);
  std::string out = ::testing::internal::GetCapturedStdout();
  return {status, out, ::testing::internal::GetCapturedStderr()};
}

}  // namespace karovel::tools
