// The board view without a window, shared by its tests: a recording
// platform answers the dialogs, and a copy of the demo library supplies the
// games.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "board/board_view.h"
#include "game/message_box.h"
#include "shell/settings_memory.h"
#include "show/command_ids.h"

namespace gz::test {

namespace fs = std::filesystem;

class FakeClock : public ShowClock {
public:
    uint32_t nowMs() override { return now; }
    uint32_t now = 1000;
};

class FakePlatform : public ViewPlatform {
public:
    MessageBoxes& messageBoxes() override { return boxes; }
    bool chooseFolder(const std::string& title, const std::string& start, std::string& chosen) override
    {
        titles.push_back(title);
        chooserStart = start;
        if (!folderAnswer)
            return false;
        chosen = *folderAnswer;
        return true;
    }
    bool askValue(const std::string& title, const std::string& prompt, int32_t& value) override
    {
        titles.push_back(title);
        prompts.push_back(prompt);
        shownValue = value;
        if (values.empty())
            return false;
        value = values.front();
        values.pop_front();
        return true;
    }
    bool askText(const std::string& title, const std::string&, std::string& text) override
    {
        titles.push_back(title);
        shownText = text;
        if (!textAnswer)
            return false;
        text = *textAnswer;
        return true;
    }
    bool askNewPicture(int32_t& number, NewGameRequest& request) override
    {
        newPictureShown = number;
        if (!newPictureAnswer)
            return false;
        request = *newPictureAnswer;
        number = newPictureAnswer->number;
        return true;
    }
    bool askImportPictures(ImportRequest& request) override
    {
        ++importAsked;
        if (!importAnswer)
            return false;
        request = *importAnswer;
        return true;
    }
    void runImport(const ImportRequest& request, const ImportJob& job) override
    {
        importedRequest = request;
        // Off the window thread, as the window system runs it.
        std::atomic<bool> cancel{false};
        std::thread worker([&] { job([&](const ImportStep& s) { importSteps.push_back(s); }, cancel); });
        worker.join();
    }
    void postCommand(int32_t id) override { posted.push_back(id); }
    void updateCanvas() override {}
    void comPortChanged(int32_t port) override { comPort = port; }
    bool askBuzzerMapping(BuzzerMapping& mapping) override
    {
        buzzerShown = mapping;
        if (!buzzerAnswer)
            return false;
        mapping = *buzzerAnswer;
        return true;
    }
    void buzzerMappingChanged() override { ++buzzerChanges; }
    void captureMouse() override {}
    void releaseMouse() override {}
    void setCursor(CursorKind) override {}
    bool isControlDown() override { return false; }
    void warningBeep() override {}
    void invalidate(const BoardRect&) override {}
    void repaintNow() override {}
    void sortOrderChanged() override {}
    bool cursorPos(ScreenPoint&) override { return false; }
    void setCursorPos(ScreenPoint) override {}

    ScriptedMessageBoxes boxes;
    std::vector<std::string> titles, prompts;
    std::optional<std::string> folderAnswer, textAnswer;
    std::optional<NewGameRequest> newPictureAnswer;
    std::optional<ImportRequest> importAnswer;
    std::optional<ImportRequest> importedRequest;
    std::optional<BuzzerMapping> buzzerAnswer, buzzerShown;
    int buzzerChanges = 0;
    std::vector<ImportStep> importSteps;
    int importAsked = 0;
    std::string chooserStart, shownText;
    std::deque<int32_t> values;
    int32_t shownValue = 0, newPictureShown = -99, comPort = -1;
    std::vector<int32_t> posted;
};

class BoardViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("gz-board-view-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        library = (root / "Games").string();
        fs::copy(GZ_DEMO_LIBRARY, library, fs::copy_options::recursive);
        settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library + "/");
        make();
    }
    void TearDown() override
    {
        view.reset();
        fs::remove_all(root);
    }
    void make()
    {
        view = std::make_unique<BoardView>(settings, platform, clock, nullptr, fileSystem, pictures);
        view->created();
        view->resize(640, 480);
    }
    void mode(int m) { view->execute(cmd::kModeFirst + m); }

    fs::path root;
    std::string library;
    MemorySettingsBackend settings;
    FakePlatform platform;
    FakeClock clock;
    PictureFiles* pictures = nullptr;   // the codecs when null
    FileSystem* fileSystem = nullptr;   // the real one when null
    std::unique_ptr<BoardView> view;
};

}  // namespace gz::test
