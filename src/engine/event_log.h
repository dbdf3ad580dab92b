#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace cm {

class Clock;
struct Settings;

// The plain-text log of what the scheduler did, one fixed-width line of 100 characters per event
// in the data folder. Writing it never fails visibly: a log that cannot be written loses the
// event and the program carries on.
//
// Lines end in "\n" and keep their trailing blanks, so every line is exactly kRecordWidth
// characters and columns can be cut by position.
class EventLog {
public:
    static constexpr std::string_view kFileName = "CM97Evnt.LOG";
    static constexpr std::size_t kDateWidth = 10;
    static constexpr std::size_t kTimeWidth = 10;
    static constexpr std::size_t kLabelWidth = 30;
    static constexpr std::size_t kDataWidth = 50;
    static constexpr std::size_t kRecordWidth = kDateWidth + kTimeWidth + kLabelWidth + kDataWidth;
    // The file is closed, and opened again by the next event, once this many events went into it.
    static constexpr int kEventsPerOpen = 101;
    static constexpr std::string_view kFallbackDatePicture = "d3";
    static constexpr std::string_view kTimePicture = "t7";

    // settings is read at every event, so the options window can switch logging and the date
    // picture while the program runs.
    EventLog(std::filesystem::path dataFolder, const Clock& clock, const Settings& settings);
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void logEvent(std::string_view label, std::string_view data);
    void close();

    // The file written to: the open one, else the entry of the data folder that matches the file
    // name without regard to case, else the name it would be created under.
    std::filesystem::path path() const;

    bool isOpen() const { return m_fd >= 0; }
    // Events written since the file was last opened.
    int openCount() const { return m_openCount; }

private:
    bool open();
    std::string record(std::string_view label, std::string_view data) const;

    std::filesystem::path m_folder;
    const Clock& m_clock;
    const Settings& m_settings;
    std::filesystem::path m_openPath;
    int m_fd = -1;
    int m_openCount = 0;
};

}  // namespace cm
