// The texts of a picture import: answers from file names and the summary.
#include <algorithm>
#include <cstdio>

#include "game/cp1252.h"
#include "game/game_content.h"
#include "game/game_store.h"
#include "game/picture_import.h"

namespace gz {

namespace {

// The summary names at most this many unreadable files; a batch of
// broken files must not make a box taller than the screen.
constexpr std::size_t kListedUnreadable = 15;

std::string_view fileNameOf(std::string_view path)
{
    const std::size_t cut = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string trimmed(std::string s)
{
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    s.erase(0, first);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::string spokenName(std::string_view name)
{
    std::string text = cp1252::fromUtf8(name);
    for (char& c : text)
        if (c == '_' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    text = trimmed(std::move(text));
    if (text.size() >= kTextCapacity)
        text = trimmed(text.substr(0, kTextCapacity - 1));
    return text;
}

std::string gameName(int32_t n)
{
    char text[16];
    std::snprintf(text, sizeof text, "Game%03i", static_cast<int>(n));
    return text;
}

// "Game003, Game006 und Game010 bis Game014": runs of three or more
// consecutive numbers as a range.
std::string gameList(const std::vector<int32_t>& numbers)
{
    std::vector<std::string> items;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t end = i + 1;
        while (end < numbers.size() && numbers[end] == numbers[end - 1] + 1)
            ++end;
        if (end - i >= 3) {
            items.push_back(gameName(numbers[i]) + " bis " + gameName(numbers[end - 1]));
        } else {
            for (std::size_t k = i; k < end; ++k)
                items.push_back(gameName(numbers[k]));
        }
        i = end;
    }
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0)
            out += k + 1 == items.size() ? " und " : ", ";
        out += items[k];
    }
    return out;
}

std::string pictures(std::size_t n) { return std::to_string(n) + (n == 1 ? " Bild wurde" : " Bilder wurden"); }

std::string createdText(const std::vector<int32_t>& created)
{
    if (created.empty())
        return "Es wurde kein neues Spiel angelegt.";
    return pictures(created.size()) + (created.size() == 1 ? " als neues Spiel" : " als neue Spiele") +
           " angelegt (" + gameList(created) + ").";
}

std::string endText(const ImportRequest& request, const ImportReport& report)
{
    const std::size_t left = request.files.size() - std::min(report.handled, request.files.size());
    switch (report.end) {
    case ImportEnd::Done:
        return {};
    case ImportEnd::Cancelled:
        return left == 0 ? std::string() : "Der Import wurde abgebrochen: " + pictures(left) + " nicht importiert.";
    case ImportEnd::OutOfNumbers:
        return "Es wurde kein freier Platz mehr gefunden (h\xF6" "chstens " + gameName(kLastGameNumber) +
               ") !\n" + pictures(left) + " nicht importiert.";
    case ImportEnd::NotSaved: {
        const std::string name = left == 0 ? std::string()
                                           : cp1252::fromUtf8(fileNameOf(request.files[report.handled]));
        return "Es gab einen Fehler beim Speichern des Bildes " + name + " !\n" + pictures(left) +
               " nicht importiert.";
    }
    }
    return {};
}

std::string unreadableText(const std::vector<std::string>& files)
{
    if (files.empty())
        return {};
    std::string out = files.size() == 1 ? "Dieses Bild konnte nicht geladen werden:"
                                        : "Diese Bilder konnten nicht geladen werden:";
    for (std::size_t i = 0; i < files.size() && i < kListedUnreadable; ++i)
        out.append(1, '\n').append(cp1252::fromUtf8(fileNameOf(files[i])));
    if (files.size() > kListedUnreadable)
        out.append("\nund ").append(std::to_string(files.size() - kListedUnreadable)).append(" weitere");
    return out;
}

}  // namespace

std::string answerFromFileName(std::string_view path)
{
    const std::string_view name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    std::string answer = spokenName(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
    return answer.empty() ? spokenName(name) : answer;
}

std::string importSummaryText(const ImportRequest& request, const ImportReport& report)
{
    std::string text = createdText(report.created);
    for (const std::string& part : {endText(request, report), unreadableText(report.unreadable)})
        if (!part.empty())
            text.append("\n\n").append(part);
    return text;
}

MessageIcon importSummaryIcon(const ImportReport& report)
{
    const bool complete = report.end == ImportEnd::Done || report.end == ImportEnd::Cancelled;
    return complete && report.unreadable.empty() ? MessageIcon::Information : MessageIcon::Warning;
}

}  // namespace gz
