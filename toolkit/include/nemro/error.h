// The one error type of the component: a number, a source path and a description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "nemro/export.h"

namespace nemro {

// Error numbers shared across layers.
namespace err {
inline constexpr std::int32_t InvalidArgument = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t SubscriptOutOfRange = 9;  // a list entry with too few fields
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t ObjectNotSet = 91;           // a node that is not there
inline constexpr std::int32_t InvalidPropertyValue = 380;  // e.g. selecting in an empty list
inline constexpr std::int32_t NoSuchMember = 438;          // an attribute asked of a non-element
inline constexpr std::int32_t NoSuchControl = 340;  // a control array element that is not there
inline constexpr std::int32_t Tokenizer = 34;
inline constexpr std::int32_t Syntax = 35;
inline constexpr std::int32_t Catalogue = static_cast<std::int32_t>(0x80040000u);
inline constexpr std::int32_t ArgumentNotFound = static_cast<std::int32_t>(0x80040001u);
inline constexpr std::int32_t ArgumentList = static_cast<std::int32_t>(0x80040002u);
}  // namespace err

class NEMRO_API NemroError : public std::runtime_error {
  public:
    NemroError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

    // Puts a trapping routine's tag ("Class.Routine()\") in front of the source.
    NemroError& prefixSource(const std::string& tag) {
        source_.insert(0, tag);
        return *this;
    }

    // Where in its formula an engine error lies: the 1-based position in characters
    // (UTF-16 code units, as "位置：N" of a syntax error counts them) and the length of
    // the element at fault. 0 when not known.
    std::int32_t position() const noexcept { return position_; }
    std::int32_t length() const noexcept { return length_; }
    NemroError& setPlace(std::int32_t position, std::int32_t length) noexcept {
        position_ = position;
        length_ = length;
        return *this;
    }

  private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
    std::int32_t position_ = 0;
    std::int32_t length_ = 0;
};

// Runs fn on behalf of a trapping routine: a failure passes on with the routine's tag
// ("Class.Routine()\\") in front of its source.
template <typename Fn>
auto trapped(const char* tag, Fn&& fn) -> decltype(fn()) {
    try {
        return fn();
    } catch (NemroError& e) {
        e.prefixSource(tag);
        throw;
    }
}

// The standard description of a platform error number, "" when it has none.
NEMRO_API const char* platformDescription(std::int32_t number) noexcept;

// Raises a platform error (5, 6, 9, 11, 13, 91, 380, 438) with its standard description.
[[noreturn]] NEMRO_API void raisePlatform(std::int32_t number, std::string source);

}  // namespace nemro
