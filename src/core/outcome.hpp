#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vantrel::core {

// What a command returns instead of throwing: success, or a message meant for the user
// ("No Valid Data.", or one that names the box or file and the reason).
class Outcome {
  public:
    static Outcome Ok() { return Outcome{}; }
    static Outcome Fail(std::string message) { return Outcome{std::move(message)}; }

    [[nodiscard]] bool ok() const { return !message_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Empty on success.
    [[nodiscard]] const std::string& message() const {
        static const std::string kNone;
        return message_ ? *message_ : kNone;
    }

  private:
    Outcome() = default;
    explicit Outcome(std::string message) : message_(std::move(message)) {}
    std::optional<std::string> message_;
};

// A value, or the user-facing message that says why there is none.
template <class T>
class Result {
  public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor): reads naturally
    static Result Fail(std::string message) { return Result(Outcome::Fail(std::move(message))); }
    Result(const Outcome& failure) : failure_(failure.message()) {}  // NOLINT(google-explicit-constructor)

    [[nodiscard]] bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const T& value() const { return *value_; }
    [[nodiscard]] T& value() { return *value_; }
    [[nodiscard]] const T& operator*() const { return *value_; }
    [[nodiscard]] T& operator*() { return *value_; }
    [[nodiscard]] const T* operator->() const { return &*value_; }
    [[nodiscard]] T* operator->() { return &*value_; }
    [[nodiscard]] const std::string& message() const { return failure_; }
    [[nodiscard]] Outcome outcome() const { return ok() ? Outcome::Ok() : Outcome::Fail(failure_); }

  private:
    std::optional<T> value_;
    std::string failure_;
};

}  // namespace vantrel::core
