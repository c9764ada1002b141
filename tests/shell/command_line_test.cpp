#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

using A = StartAction;

TEST(StartArguments, SwitchesAndPaths)
{
    struct Case { std::vector<std::string> args; std::vector<A> expect; };
    const Case cases[] = {
        {{}, {}},
        {{"-z"}, {{A::FullScreen, {}}}},
        {{"-Z"}, {{A::FullScreen, {}}}},
        {{"/z"}, {{A::FullScreen, {}}}},
        {{"/Z"}, {{A::FullScreen, {}}}},
        {{"-zoom"}, {{A::FullScreen, {}}}},   // only the second character counts
        {{"-x"}, {}},
        {{"-"}, {}},
        {{"/x"}, {}},
        {{"Games"}, {{A::PicturePath, "Games"}}},
        {{"/home/quiz/Games/"}, {{A::PicturePath, "/home/quiz/Games/"}}},
        {{"a", "-z", "b"}, {{A::PicturePath, "a"}, {A::FullScreen, {}}, {A::PicturePath, "b"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseStartArguments(c.args), c.expect) << (c.args.empty() ? "" : c.args[0]);
}

}  // namespace
}  // namespace gz
