// The capture ring under arbitrary chunks, marks and takes: every take holds
// exactly the non-zero bytes captured since the previous one (the newest
// 1,048,576 of them), in order, with their marks.
#include <cstddef>
#include <cstdint>
#include <deque>

#include "log/traffic_capture.h"

namespace {
CTLogBuffer& Ring() {
  static CTLogBuffer* ring = [] {
    auto* r = new CTLogBuffer();
    r->Allocate();
    return r;
  }();
  return *ring;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CTLogBuffer& ring = Ring();
  ring.TakePending();
  std::deque<uint16_t> expected;
  size_t pos = 0;
  while (pos + 2 <= size) {
    const uint8_t op = data[pos];
    const size_t len = std::min<size_t>(data[pos + 1], size - pos - 2);
    pos += 2;
    if (op % 5 == 0) {
      const int32_t n = ring.TakePending();
      if (static_cast<size_t>(n) != expected.size()) __builtin_trap();
      for (int32_t i = 0; i < n; ++i)
        if (ring.Snapshot()[static_cast<size_t>(i)] != expected[static_cast<size_t>(i)]) __builtin_trap();
      expected.clear();
      continue;
    }
    const uint8_t mark = op & 1;
    ring.Add(data + pos, static_cast<uint32_t>(len), mark);
    for (size_t i = 0; i < len; ++i)
      if (data[pos + i] != 0) expected.push_back(static_cast<uint16_t>((mark << 8) | data[pos + i]));
    while (expected.size() > static_cast<size_t>(CTLogBuffer::kCells)) expected.pop_front();
    pos += len;
  }
  return 0;
}
