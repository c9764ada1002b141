#include "uikit/name_filter.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

using Patterns = std::vector<std::string>;

TEST(NameFilter, PatternsOfAFilterEntry)
{
    struct Case { const char* entry; Patterns patterns; };
    const Case cases[] = {
        {"Bilder (*.png *.jpg)", {"*.png", "*.jpg"}},
        {"Alle Dateien (*)", {"*"}},
        {"Bilder (*.png)", {"*.png"}},
        {"Fotos (Handy) (*.heic  *.jpg )", {"*.heic", "*.jpg"}},   // the last brackets count
        {"*.txt *.md", {"*.txt", "*.md"}},
        {"Leer ()", {}},
        {"Offen (*.png", {"*.png"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(namePatternsOf(c.entry), c.patterns) << c.entry;
}

TEST(NameFilter, NamesMatchInEitherLetterCase)
{
    struct Case { std::string name; Patterns patterns; bool match; };
    const Case cases[] = {
        {"a.png", {"*.png"}, true},
        {"IMG_0001.JPG", {"*.png", "*.jpg"}, true},
        {"notes.txt", {"*.png", "*.jpg"}, false},
        {"a.png.txt", {"*.png"}, false},
        {".png", {"*.png"}, true},
        {"bild.tiff", {"*.tif"}, false},
        {"bild.tif", {"*.tif?"}, false},
        {"bild.tiff", {"*.tif?"}, true},
        {"anything", {"*"}, true},
        {"", {"*"}, true},
        {"", {"?"}, false},
        {"abc", {"a*b*c"}, true},
        {"aXbYc", {"a*b*c"}, true},
        {"acb", {"a*b*c"}, false},
        {"x.png", {}, true},   // no filter: everything
        {std::string(200, 'a'), {"*a*a*a*a*a*a*a*b"}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesNamePatterns(c.name, c.patterns), c.match) << c.name;
}

}  // namespace
}  // namespace gz
