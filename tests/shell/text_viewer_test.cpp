#include "shell/text_viewer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fake_runtime.h"
#include "support/fake_timers.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void writeFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

class TextViewerTest : public ::testing::Test {
protected:
    TextViewerTest() {
        config.fileName = [this] { return fileName; };
        config.caption = "View Log";
        config.progressHeader = "View Log";
        config.placementSection = "ViewLog";
    }

    TextViewer& viewer() {
        if (!m_viewer)
            m_viewer = std::make_unique<TextViewer>(config, runtime, timers, [this] {
                ++progressWindows;
                progress = std::make_shared<RecordingProgressView::Log>();
                return std::make_unique<RecordingProgressView>(progress);
            });
        return *m_viewer;
    }

    // Loads the file to its end.
    const Strings& load(const std::string& text) {
        writeFile(fileName, text);
        viewer().load();
        while (timers.fireNext()) {
        }
        return viewer().lines();
    }

    test::TempDir dir;
    std::string fileName = (dir / "CM97Evnt.LOG").string();
    TextViewerConfig config;
    test::FakeRuntime runtime;
    test::FakeTimers timers;
    std::shared_ptr<RecordingProgressView::Log> progress;
    int progressWindows = 0;

private:
    std::unique_ptr<TextViewer> m_viewer;
};

// 500 log lines of 101 bytes: whole lines are read until 20,000 bytes went by in a tick.
TEST_F(TextViewerTest, LoadsInBatchesBehindTheProgressWindow) {
    writeFile(fileName, repeat(std::string(100, 'x') + "\n", 500));
    viewer().load();
    ASSERT_TRUE(viewer().loading());
    EXPECT_TRUE(viewer().listEnabled());
    EXPECT_EQ(progress->events,
              (Strings{"caption:Reading File", "header:View Log", "line:", "percent:0:0% Completed"}));

    std::vector<std::size_t> counts;
    while (timers.fireNext()) counts.push_back(viewer().lines().size());
    EXPECT_EQ(counts, (std::vector<std::size_t>{199, 398, 500}));
    EXPECT_EQ(progress->percentTexts(),
              (Strings{"0% Completed", " 39% Completed", " 79% Completed", "100% Completed"}));
    EXPECT_TRUE(progress->closed);
    EXPECT_FALSE(viewer().loading());
    EXPECT_TRUE(viewer().listEnabled());
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_EQ(viewer().lines().front(), std::string(100, 'x'));
}

TEST_F(TextViewerTest, SplitsLinesAtTheirEndingsAndContinuesLongOnes) {
    const std::string w255(255, 'w');
    const std::string e255 = repeat("\xC3\xA9", 255);  // é: two bytes, one character
    // A line that ends, or a character that goes on, across the reader's 64 KiB chunks.
    const std::string fill = repeat(std::string(200, 'f') + "\n", 326) + std::string(9, 'a');
    struct Case {
        const char* name;
        std::string text;
        Strings rows;
    };
    const Case cases[] = {
        {"crlf", "one\r\ntwo\r\n", {"one", "two"}},
        {"mixed endings and blank lines", "a\n\r\nb\n\n", {"a", "", "b", ""}},
        {"no final ending", "last", {"last"}},
        {"exactly the row width", w255 + "\nnext\n", {w255, "next"}},
        {"row width with crlf", w255 + "\r\nz", {w255, "z"}},
        {"one character over", w255 + "x\n", {w255, "x"}},
        {"many rows", repeat("w", 600) + "\n", {w255, w255, std::string(90, 'w')}},
        {"characters, not bytes", e255 + "\xC3\xA9\n", {e255, "\xC3\xA9"}},
        {"crlf across chunks", fill + "\r\nend", {"aaaaaaaaa", "end"}},
        {"character across chunks", fill + "\xC3\xA9\nend", {"aaaaaaaaa\xC3\xA9", "end"}},
    };
    for (const Case& c : cases) {
        Strings rows = load(c.text);
        // The chunk cases check only their last rows.
        if (rows.size() == 328) rows.erase(rows.begin(), rows.begin() + 326);
        EXPECT_EQ(rows, c.rows) << c.name;
    }
}

TEST_F(TextViewerTest, FilesThatCannotBeShownDisableTheList) {
    // Missing: the error number and text without a title, then the load warning.
    viewer().load();
    ASSERT_EQ(runtime.boxes().size(), 2u);
    EXPECT_EQ(runtime.boxes()[0].request.title, "");
    EXPECT_EQ(runtime.boxes()[0].request.text, "Please note this errorcode:  2; No such file or directory");
    EXPECT_EQ(runtime.boxes()[1].request.title, "File Load Error");
    EXPECT_EQ(runtime.boxes()[1].request.text, fileName + " File Load Error.  Error: No such file or directory (2).");
    EXPECT_FALSE(viewer().listEnabled());
    EXPECT_EQ(progressWindows, 0);

    runtime.clearBoxes();
    load("");
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "File Load Error");
    EXPECT_EQ(runtime.lastBox().request.text,
              fileName + " File Load Error.  The file you've requested contains no text.");
    EXPECT_FALSE(viewer().listEnabled());
    EXPECT_TRUE(viewer().lines().empty());
    EXPECT_EQ(progressWindows, 0);

    // A blank name is no file at all: nothing to report.
    runtime.clearBoxes();
    fileName = "   ";
    viewer().load();
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_FALSE(viewer().listEnabled());
}

TEST_F(TextViewerTest, CancelAsksAndAConfirmationKeepsTheLinesReadSoFar) {
    for (const bool confirm : {true, false}) {
        runtime.clearBoxes();
        writeFile(fileName, repeat(std::string(100, 'x') + "\n", 500));
        viewer().load();
        timers.fireNext();
        runtime.answerNext(confirm ? Button::Ok : Button::Cancel);
        progress->pressCancel();
        while (timers.fireNext()) {
        }
        ASSERT_EQ(runtime.boxes().size(), 1u);
        EXPECT_EQ(runtime.lastBox().request.title, "Cancel Request");
        EXPECT_EQ(runtime.lastBox().request.text, "Are you certain you want to stop loading " + fileName + "?");
        EXPECT_EQ(viewer().lines().size(), confirm ? 199u : 500u);
        EXPECT_TRUE(viewer().listEnabled());
        EXPECT_TRUE(progress->closed);
        EXPECT_FALSE(viewer().loading());
    }
}

TEST_F(TextViewerTest, GainingTheFocusReloadsOnlyAfterTheNameChanged) {
    viewer().load();
    ASSERT_EQ(runtime.boxes().size(), 2u);
    viewer().gainedFocus();  // the focus coming back from the boxes
    EXPECT_EQ(runtime.boxes().size(), 2u);

    const std::string other = (dir / "other.txt").string();
    writeFile(other, "hello\n");
    fileName = other;
    viewer().gainedFocus();
    while (timers.fireNext()) {
    }
    EXPECT_EQ(viewer().lines(), Strings{"hello"});
    EXPECT_EQ(viewer().loadedName(), other);
}

class TextSearchTest : public TextViewerTest {
protected:
    void SetUp() override { load("The cat sat\nconcat cat\nCATALOG\ndog\nCat\n"); }
};

TEST_F(TextSearchTest, FindsFromTheSelectedLineInEitherDirection) {
    using D = SearchDirection;
    struct Case {
        const char* text;
        bool wholeWord;
        bool matchCase;
        D direction;
        std::optional<std::size_t> from;
        std::vector<Button> answers;  // to the end-of-file questions, in order
        std::optional<std::size_t> found;
        Strings questions;  // their titles
    };
    const Case cases[] = {
        {"cat", false, false, D::Down, 0, {}, 1, {}},
        {"CAT", false, true, D::Down, 0, {}, 2, {}},
        {"cat", true, false, D::Down, 1, {}, 4, {}},
        {"cat", true, true, D::Down, 0, {}, 1, {}},  // the second "cat" of "concat cat" is a word
        {"cat", false, false, D::Up, 2, {}, 1, {}},
        {"cat", false, false, D::Down, std::nullopt, {}, 0, {}},
        {"cat", false, false, D::Up, std::nullopt, {}, 4, {}},
        {"dog", false, false, D::Down, 4, {Button::No}, std::nullopt, {"End of File Error"}},
        {"dog", false, false, D::Down, 4, {Button::Yes}, 3, {"End of File Error"}},
        {"the", false, false, D::Up, 0, {Button::No}, std::nullopt, {"Beginning of File Error"}},
        {"the", false, false, D::Up, 0, {Button::Yes}, 0, {"Beginning of File Error"}},
        {"cat", true, true, D::Down, 1, {Button::Yes}, 0, {"End of File Error"}},
        {"bird",
         false,
         false,
         D::Down,
         2,
         {Button::Yes, Button::No},
         std::nullopt,
         {"End of File Error", "End of File Error"}},
    };
    for (const Case& c : cases) {
        runtime.clearBoxes();
        for (Button b : c.answers) runtime.answerNext(b);
        viewer().select(c.from);
        FindSettings settings;
        settings.text = c.text;
        settings.wholeWord = c.wholeWord;
        settings.matchCase = c.matchCase;
        settings.direction = c.direction;
        const bool found = viewer().find(settings);
        const std::string label = std::string(c.text) + (c.direction == D::Up ? " up" : " down");
        EXPECT_EQ(found, c.found.has_value()) << label;
        EXPECT_EQ(viewer().selected(), c.found ? c.found : c.from) << label;
        Strings questions;
        for (const auto& box : runtime.boxes()) questions.push_back(box.request.title);
        EXPECT_EQ(questions, c.questions) << label;
        EXPECT_FALSE(runtime.busy) << label;
        EXPECT_TRUE(viewer().findNextEnabled());
    }
}

TEST_F(TextSearchTest, FindNextRepeatsTheLastSearch) {
    EXPECT_FALSE(viewer().findNextEnabled());
    EXPECT_FALSE(viewer().findNext());
    FindSettings settings;
    settings.text = "cat";
    settings.wholeWord = true;
    ASSERT_TRUE(viewer().find(settings));
    EXPECT_EQ(viewer().selected(), 0u);
    ASSERT_TRUE(viewer().findNext());
    EXPECT_EQ(viewer().selected(), 1u);
    ASSERT_TRUE(viewer().findNext());
    EXPECT_EQ(viewer().selected(), 4u);
}

TEST(TextSearchMatch, WholeWordsAndFolding) {
    struct Case {
        const char* line;
        const char* text;
        bool wholeWord;
        bool matchCase;
        bool matches;
    };
    const Case cases[] = {
        {"concat cat", "cat", true, false, true},
        {"concat cats", "cat", true, false, false},
        {"cat", "cat", true, false, true},
        {"a cat.", "cat", true, false, false},
        {"Ärger im Büro", "ärger", false, false, true},
        {"Ärger im Büro", "ärger", false, true, false},
        {"ΣΟΦΊΑ", "σοφία", true, false, true},
        {"ends with a blank ", "blank", true, false, true},
        {"trailing blanks of the text are not searched for", "text   ", true, true, true},
        {"anything", "", false, false, false},
    };
    for (const Case& c : cases) {
        FindSettings settings;
        settings.text = c.text;
        settings.wholeWord = c.wholeWord;
        settings.matchCase = c.matchCase;
        EXPECT_EQ(TextSearch(settings).matches(c.line), c.matches) << c.line << " / " << c.text;
    }
}

}  // namespace
}  // namespace cm
