#pragma once
// Failures raised by the platform inside a command (file input/output, number conversion, exhausted
// memory). They are not caught by the command: the window's general error display shows what() and the
// command ends there; karovel-rmp prints it and exits 1.
#include <stdexcept>
#include <string>

namespace karovel {

class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace karovel
