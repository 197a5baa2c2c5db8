#pragma once
// Faults of a record listing as a damaged or badly made logger would send
// it: records repeated or garbled, bytes that are no ASCII appended, a
// refusal or an end line before the last record, a listing that stops dead.
// Counts are of records sent in one listing (the first is 1); 0 is off.
#include <cstddef>
#include <string>
#include <string_view>

namespace vlogger {

struct ListingFault {
  int repeatEvery = 0;   // every n-th record is sent twice
  int garbleEvery = 0;   // a line shaped like a record but unreadable before every n-th record
  std::string suffix;    // appended to every record line
  long refuseAfter = 0;  // "NOT END" after this many records
  long endAfter = 0;     // "YES END" after this many records, though more were asked for
  long stallAfter = 0;   // nothing more after this many records: no end line
  bool Active() const {
    return repeatEvery > 0 || garbleEvery > 0 || !suffix.empty() || refuseAfter > 0 || endAfter > 0 || stallAfter > 0;
  }
};

// What becomes of the n-th record of a listing.
enum class ListingStep { kSend, kRefuse, kEnd, kStall };

ListingStep StepOf(const ListingFault& fault, long n);

// The lines sent for the n-th record (its line without line end), each
// handed to `emit`.
template <typename Emit>
void FaultyRecordLines(const ListingFault& fault, long n, std::string_view record, Emit&& emit) {
  if (fault.garbleEvery > 0 && n % fault.garbleEvery == 0) {
    const size_t comma = record.find(',');
    emit(std::string(record.substr(0, comma == std::string_view::npos ? 0 : comma)) + ",garbled#$%");
  }
  std::string line(record);
  line += fault.suffix;
  emit(line);
  if (fault.repeatEvery > 0 && n % fault.repeatEvery == 0) emit(line);
}

}  // namespace vlogger
