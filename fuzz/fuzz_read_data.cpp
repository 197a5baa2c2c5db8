// The receive line buffer under arbitrary chunking, line sizes and filter
// switches. The first bytes steer the chunk and read sizes; the rest is the
// byte stream. Whatever arrives, lines come back without CR, NUL or LF, and
// never longer than the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "link/read_data.h"

namespace {
CReadData& Buffer() {
  static CReadData* buffer = [] {
    auto* b = new CReadData();
    b->Init();
    return b;
  }();
  return *buffer;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  CReadData& buf = Buffer();
  buf.Reset();
  buf.SetFilter(data[0] & 1);
  const size_t chunk = 1 + data[1] % 64;
  const int read_size = data[2] % 40;
  data += 3;
  size -= 3;
  std::vector<char> out(static_cast<size_t>(read_size) + 1, '\x7f');
  for (size_t pos = 0; pos < size; pos += chunk) {
    const size_t n = std::min(chunk, size - pos);
    buf.Append(data + pos, n);
    if (data[pos] == 'F') buf.SetFilter(0);
    if (data[pos] == 'f') buf.SetFilter(1);
    while (buf.LineCount() > 0) {
      const int got = buf.ReadLine(out.data(), read_size, 0);
      if (got < 0 || (read_size > 0 && got > read_size - 1)) __builtin_trap();
      for (int i = 0; i < got; ++i)
        if (out[static_cast<size_t>(i)] == '\r' || out[static_cast<size_t>(i)] == '\0' ||
            out[static_cast<size_t>(i)] == '\n')
          __builtin_trap();
      if (read_size <= 1) break;  // nothing can be taken with so small a buffer
    }
  }
  return 0;
}
