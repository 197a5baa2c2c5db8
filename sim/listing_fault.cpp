#include "listing_fault.h"

namespace vlogger {

ListingStep StepOf(const ListingFault& fault, long n) {
  if (fault.refuseAfter > 0 && n > fault.refuseAfter) return ListingStep::kRefuse;
  if (fault.endAfter > 0 && n > fault.endAfter) return ListingStep::kEnd;
  if (fault.stallAfter > 0 && n > fault.stallAfter) return ListingStep::kStall;
  return ListingStep::kSend;
}

}  // namespace vlogger
