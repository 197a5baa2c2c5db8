#pragma once
// The logger's record line under the archive's names (protocol/record_line.h).
#include "protocol/record_line.h"

namespace archive {

using records::CalendarSeconds;
using records::IsoTime;
using records::kRecordIdModulus;
using records::ParseIsoTime;
using records::ParseRecordLine;
using records::PutIsoTime;
using records::RecordValues;
using records::StripLineEnd;

}  // namespace archive
