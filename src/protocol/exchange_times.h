#pragma once
// Waits shared by the command exchange and the logger's command set, in
// milliseconds of the production timing (scaled by timing::Scaled()).
#include <cstdint>

namespace exchange_times {

// A command that sets or triggers something: its "YES END" / "NOT END".
constexpr uint32_t kSetReplyMs = 5000;
// The next line of a listing read line by line, and one read of an
// abortable exchange.
constexpr uint32_t kNextLineMs = 2000;
// One read of a listing that ends on inactivity: a read that brings nothing
// only lets the loop check the inactivity bound and the port again.
constexpr uint32_t kListingPollMs = 1000;

}  // namespace exchange_times
