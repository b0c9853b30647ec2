#pragma once
// The RMP container: directory, trailer and member data.
namespace karovel::rmp {}  // namespace karovel::rmp
