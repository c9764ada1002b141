#include "uikit/name_filter.h"

namespace gz {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Wildcard match with backtracking to the last "*": linear in practice,
// never recursive however many stars a pattern has.
bool matches(std::string_view name, std::string_view pattern)
{
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<std::string> namePatternsOf(std::string_view entry)
{
    const std::size_t open = entry.rfind('(');
    if (open != std::string_view::npos) {
        const std::size_t close = entry.find(')', open);
        entry = entry.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
    }
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < entry.size()) {
        const std::size_t start = entry.find_first_not_of(' ', i);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = entry.find(' ', start);
        out.emplace_back(entry.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        i = end == std::string_view::npos ? entry.size() : end;
    }
    return out;
}

bool matchesNamePatterns(std::string_view name, const std::vector<std::string>& patterns)
{
    if (patterns.empty())
        return true;
    for (const std::string& p : patterns)
        if (matches(name, p))
            return true;
    return false;
}

}  // namespace gz
