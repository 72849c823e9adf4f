// The one way a failure crosses from one room of the program to another: a
// Status (done, or why not) or a Result<T> (a value, or why not). The why is
// a sentence the user can act on, such as "there is no file plan.dat". Inside
// a room an exception may carry a failure (the archive reader's does), but
// it is caught and turned into one of these before it leaves the room.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace util {

class [[nodiscard]] Status {
 public:
  Status() = default;  // done
  static Status Failure(std::string why) {
    Status s;
    s.why_ = why.empty() ? std::string("it failed") : std::move(why);
    return s;
  }
  bool Ok() const { return why_.empty(); }
  explicit operator bool() const { return Ok(); }
  // Empty when done.
  const std::string& Why() const { return why_; }

 private:
  std::string why_;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value is a result
  // From a failure; a Status that says "done" carries no value, so it is
  // taken as a failure too.
  Result(Status failure)  // NOLINT
      : failure_(failure.Ok() ? Status::Failure(std::string()) : std::move(failure)) {}

  bool Ok() const { return value_.has_value(); }
  explicit operator bool() const { return Ok(); }
  T& Value() { return *value_; }
  const T& Value() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  const std::string& Why() const { return failure_.Why(); }
  const Status& GetStatus() const { return failure_; }

 private:
  std::optional<T> value_;
  Status failure_;
};

}  // namespace util
