#pragma once
// What a read of stored data found: a value, nothing (absent), or a store it could not read
// (failed, with the store's reason). A failure is never an absence: a caller that took an
// unreadable store for a missing value would start afresh over the user's data.
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace platform {

enum class LookupStatus { Found, Absent, Failed };

template <typename T>
class Lookup {
 public:
  Lookup() = default;  // absent
  Lookup(std::nullopt_t) {}
  Lookup(T value) : value_(std::move(value)), status_(LookupStatus::Found) {}

  static Lookup failure(std::string reason) {
    Lookup lookup;
    lookup.status_ = LookupStatus::Failed;
    lookup.error_ = reason.empty() ? std::string("unknown error") : std::move(reason);
    return lookup;
  }

  LookupStatus status() const { return status_; }
  bool found() const { return status_ == LookupStatus::Found; }
  bool absent() const { return status_ == LookupStatus::Absent; }
  bool failed() const { return status_ == LookupStatus::Failed; }
  explicit operator bool() const { return found(); }
  // The store's reason of a failure; empty otherwise.
  const std::string& error() const { return error_; }
  std::string description() const {
    if (failed()) return error_;
    return found() ? "found" : "absent";
  }

  // The value; only when found().
  const T& operator*() const& { return *value_; }
  T& operator*() & { return *value_; }
  T&& operator*() && { return std::move(*value_); }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }
  // As an optional compares: equal to a value only when found and equal.
  template <typename U>
  requires(!std::is_same_v<U, Lookup>) && requires(const T& t, const U& u) { t == u; }
  friend bool operator==(const Lookup& lookup, const U& value) {
    return lookup.found() && *lookup.value_ == value;
  }
  friend bool operator==(const Lookup& lookup, std::nullopt_t) { return !lookup.found(); }

  // The value, or `fallback` when absent or failed.
  template <typename U>
  T value_or(U&& fallback) const {
    return value_ ? *value_ : static_cast<T>(std::forward<U>(fallback));
  }

 private:
  std::optional<T> value_;
  LookupStatus status_ = LookupStatus::Absent;
  std::string error_;
};

}  // namespace platform
