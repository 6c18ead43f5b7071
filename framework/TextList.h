// Lists the user chooses from are kept as one separated string in the string table and split
// at run time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace framework {

// Every piece between separators, empty ones included ("a,,b" gives three); an empty text
// gives no pieces at all.
std::vector<std::string> SplitList(std::string_view text, char separator = ',');

// A text with its own word order around a value: each "%s" becomes value, "%%" a percent sign.
// The value is never read as a format, so a name with '%' in it stays as typed.
std::string FillText(std::string_view format, std::string_view value);

} // namespace framework
