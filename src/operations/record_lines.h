#pragma once
// What a line of a record listing is. A record starts with its ID digits and
// a comma; the listing ends only with a line that is an end line as a whole
// ("YES END", or the refusal "NOT END" / "NG"), so a record-sized line that
// merely begins with "ng" is not mistaken for the end. Anything else is a
// line that does not belong in the data (module noise, a damaged line).
#include <cstddef>

namespace ops {

enum class ListingLine { kRecord, kEnd, kOther };

ListingLine ClassifyListingLine(const char* line, size_t length);

}  // namespace ops
