#pragma once
// When bytes and records fall due on a line: a replayed file at a baud rate, records at a rate.

#include <chrono>
#include <cstdint>

namespace quorvane::sim {

/// Bits on the line per byte with 8N1 framing: start bit, 8 data bits, stop bit.
inline constexpr std::int64_t kBitsPerByte = 10;

/// How many bytes a line at baud has carried completely after elapsed.
std::int64_t bytesDue(std::chrono::microseconds elapsed, std::int64_t baud);

/// The moment, counted from the start, at which the line at baud has carried count bytes.
std::chrono::microseconds timeForBytes(std::int64_t count, std::int64_t baud);

/// How many records are due after elapsed at rate per second, the first one at once.
std::int64_t recordsDue(std::chrono::microseconds elapsed, double rate);

/// The moment, counted from the start, at which record index (from 0) falls due at rate.
std::chrono::microseconds timeForRecord(std::int64_t index, double rate);

} // namespace quorvane::sim
