// Splits a fuzz input into the parts a target needs: the bytes up to the first NUL-free
// separator line are the formula, the rest feeds the answers of the host callbacks.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace nemro::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // Text up to the next "\n--\n" (or everything left).
    std::string part() {
        const std::size_t end = rest_.find("\n--\n");
        std::string out(rest_.substr(0, end));
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 4);
        return out;
    }
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // A short string: a length byte and that many bytes.
    std::string text() {
        const std::size_t n = std::min<std::size_t>(byte() % 24, rest_.size());
        std::string out(rest_.substr(0, n));
        rest_.remove_prefix(n);
        return out;
    }
    bool empty() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

}  // namespace nemro::fuzz
