#pragma once

namespace lumaret {

// Raises a flag for one scope and lowers it however the scope is left, so
// that handlers the scope sets off can tell they were not called by the user.
class BusyGuard {
 public:
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace lumaret
