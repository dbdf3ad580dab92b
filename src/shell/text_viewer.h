#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/progress_work.h"
#include "shell/runtime.h"
#include "shell/text_search.h"
#include "store/store_error.h"

namespace cm {

class Timers;

// What makes one plain-text viewer: the event log's, the key list's.
struct TextViewerConfig {
    // Asked at every load and whenever the window gains the focus; blank means no file.
    std::function<std::string()> fileName;
    std::string caption;
    std::string progressHeader;
    std::string placementSection;
};

// What the window hears from its controller.
class TextViewerObserver {
public:
    virtual ~TextViewerObserver() = default;
    virtual void linesCleared() {}
    virtual void linesAppended(std::size_t first, std::size_t count) {
        (void)first;
        (void)count;
    }
    virtual void lineSelected(std::size_t line) { (void)line; }
    // The list's enabled state, "Find Next" or loading changed.
    virtual void stateChanged() {}
};

// The program's two viewers: the event log, and the key list of the script item form.
TextViewerConfig viewLogConfig(std::function<std::string()> logFile);
TextViewerConfig viewScriptKeysConfig(const std::filesystem::path& dataFolder);

using ProgressViewFactory = std::function<std::unique_ptr<ProgressView>()>;

// The read-only plain-text viewer: loads a file in batches behind a progress window, holds its
// lines, and finds text in them. Its window renders the lines and forwards the buttons.
class TextViewer {
public:
    static constexpr std::size_t kBytesPerTick = 20000;
    static constexpr std::size_t kMaxLineCharacters = 255;
    static constexpr std::string_view kProgressCaption = "Reading File";
    static constexpr std::string_view kErrorCodeText = "Please note this errorcode:  ";
    static constexpr int kLoadErrorWarning = 26;
    static constexpr int kCancelLoadWarning = 27;
    static constexpr int kNoTextWarning = 28;
    static constexpr int kEndOfFileWarning = 29;

    TextViewer(TextViewerConfig config, Runtime& runtime, Timers& timers, ProgressViewFactory progressViews);
    ~TextViewer();
    TextViewer(const TextViewer&) = delete;
    TextViewer& operator=(const TextViewer&) = delete;

    void setObserver(TextViewerObserver* observer) { m_observer = observer; }
    const TextViewerConfig& config() const { return m_config; }

    // Empties the list and reads the file again; a load under way is dropped first.
    void load();
    // The window gained the focus: reloads only when the file name changed since the last load.
    void gainedFocus();

    const std::vector<std::string>& lines() const { return m_lines; }
    bool listEnabled() const { return m_listEnabled; }
    bool loading() const { return m_progress.running(); }
    const std::string& loadedName() const { return m_loadedName; }

    std::optional<std::size_t> selected() const { return m_selected; }
    // The user's selection in the list; the controller does not echo it back.
    void select(std::optional<std::size_t> line);

    // "Find" of the find window: remembers the settings and searches from the selected line.
    // True when a line was found and selected.
    bool find(const FindSettings& settings);
    // "Find Next": the last search again.
    bool findNext();
    bool findNextEnabled() const { return m_searched; }
    const FindSettings& findSettings() const { return m_findSettings; }

private:
    class Reader;

    ProgressStep readBatch();
    void loadingEnded(ProgressOutcome outcome);
    bool askStopLoading();
    void reportOpenError(int error);
    Button warn(int number, std::string_view name, const StoreError& error = {});
    void setListEnabled(bool enabled);
    void stateChanged();

    TextViewerConfig m_config;
    Runtime& m_runtime;
    ProgressViewFactory m_progressViews;
    ProgressWork m_progress;
    TextViewerObserver* m_observer = nullptr;

    std::unique_ptr<Reader> m_reader;
    std::vector<std::string> m_lines;
    std::string m_loadedName;
    bool m_loadedOnce = false;
    bool m_listEnabled = false;
    std::optional<std::size_t> m_selected;
    FindSettings m_findSettings;
    bool m_searched = false;
};

}  // namespace cm
