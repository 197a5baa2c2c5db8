#pragma once
// What a line of a record listing is. A record starts with its ID digits and
// a comma; the listing ends only with a line that is an end line as a whole
// ("YES END", or the refusals "NOT END" / "NG"), so a record-sized line that
// merely begins with "ng" is not mistaken for the end. Anything else is a
// line that does not belong in the data (module noise, a damaged line).
#include <cstddef>

namespace ops {

// kRecord: shaped like a record (its ID and a comma); whether it is a
// well-formed record is for the record line's parser to say.
enum class ListingLine { kRecord, kEnd, kRefusal, kOther };

ListingLine ClassifyListingLine(const char* line, size_t length);

}  // namespace ops
