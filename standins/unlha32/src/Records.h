// Filling the records of UnlhaRecords.h from codec entries.
#pragma once

#include <lha/lha.h>

#include <string>

#include "unlha32/UnlhaRecords.h"

namespace unlha {

// Copies s into a fixed field, cut to fit (never inside a double-byte character), NUL-terminated.
void CopyText(char* field, std::size_t fieldSize, const std::string& s);
// "rhsda" letters with '-' for the missing ones.
std::string AttributeText(std::uint16_t attributes, bool directory);
std::uint16_t RatioPerMille(std::uint64_t packed, std::uint64_t original);

void FillEntryInfo(const lha::Entry& e, UnlhaEntryInfo& info);
// For a member about to be processed: e holds what is known (for packing: name, size, time).
void FillProgressInfo(const lha::Entry& e, const std::string& destination, UnlhaProgressInfo& info);
void FillMemberInfo(const lha::Entry& e, const std::string& destination, std::uint32_t command,
                    UnlhaMemberInfo& info);

}  // namespace unlha
