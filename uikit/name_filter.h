// The name filters of file dialogs without Qt: the patterns of one filter
// entry such as "Bilder (*.png *.jpg)" and whether a file name matches
// them. A pattern knows "*" (any run of characters) and "?" (one); ASCII
// letters match in either case, as the dialog's own file list does, so a
// phone's IMG_0001.JPG passes "*.jpg".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gz {

// The blank-separated patterns between the last "(" and the ")" after it;
// without brackets, those of the whole text. "Alle Dateien (*)" gives "*".
std::vector<std::string> namePatternsOf(std::string_view filterEntry);

// True when the name matches one of the patterns; an empty list matches
// every name.
bool matchesNamePatterns(std::string_view name, const std::vector<std::string>& patterns);

}  // namespace gz
