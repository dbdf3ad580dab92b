#include "cli/task_commands.h"

#include <stdlib.h>

#include <charconv>
#include <limits>
#include <set>
#include <system_error>

#include "base/ascii.h"
#include "base/date.h"
#include "base/fixed_text.h"
#include "base/time_of_day.h"
#include "cli/terminal_runtime.h"
#include "engine/holiday_calendar.h"
#include "engine/recurrence.h"
#include "engine/schedule_writer.h"
#include "engine/task_deleter.h"
#include "shell/clock.h"
#include "shell/settings_store.h"
#include "store/change_stamp.h"
#include "store/schedule_cascade.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/table_registry.h"
#include "store/tables/configuration_record.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace fs = std::filesystem;

namespace cli {

int fail(const std::string& message) {
    std::fprintf(stderr, "chronomate-cli: %s\n", message.c_str());
    return TerminalRuntime::kFailureStatus;
}

namespace {

std::optional<int> digits(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return value;
}

std::string padded(long value, int width) {
    std::string text = std::to_string(value);
    if (text.size() < static_cast<std::size_t>(width)) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

}  // namespace

std::optional<std::int32_t> parseIsoDate(std::string_view text) {
    if (text.empty()) return Date::kNone;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto y = digits(text.substr(0, 4));
    const auto m = digits(text.substr(5, 2));
    const auto d = digits(text.substr(8, 2));
    if (!y || !m || !d) return std::nullopt;
    const std::int32_t date = Date::fromYmd(*y, *m, *d);
    if (date == Date::kNone) return std::nullopt;
    return date;
}

std::string isoDate(std::int32_t date) {
    if (date == Date::kNone) return {};
    const YearMonthDay ymd = Date::toYmd(date);
    return padded(ymd.year, 4) + '-' + padded(ymd.month, 2) + '-' + padded(ymd.day, 2);
}

bool prepareStore(const fs::path& dataFolder) {
    StoreFiles::setDataFolder(dataFolder);
    registerTables();
    const fs::path file = StoreFiles::locate(StoreFiles::kStoreFile);
    std::error_code ec;
    if (!fs::exists(file, ec)) return true;
    StoreError error;
    if (!StoreConnection::open(file, false, error)) {
        fail("the store " + file.string() + " cannot be read: " + error.text);
        return false;
    }
    return true;
}

bool openTable(TableHandle& table, Runtime& runtime) {
    if (openOrCreateTable(table, runtime)) return true;
    fail("the " + table.layout().table + " table cannot be opened: " + table.lastError().text);
    return false;
}

}  // namespace cli

namespace {

using cli::fail;

// A "None" task is a dated note: the task form fixes its time to the last seconds of the day.
constexpr std::int32_t kNoneTaskTime = 8639500;
constexpr int kDefaultOccurrences = 10;

std::string declared(std::string_view table) { return std::string(findTable(table)->declaredName); }

// HH:MM:SS.cc, the form "show" prints and "add" reads back.
std::string showTime(std::int32_t time) {
    if (time == Time::kNone) return {};
    if (!Time::isValid(time)) return std::to_string(time);
    const HourMinuteSecond hms = Time::toHms(time);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", hms.hour, hms.minute, hms.second, hms.hundredths);
    return text;
}

// HH:MM:SS of whole seconds since midnight, cut rather than rounded.
std::string listTime(std::int32_t time) {
    if (time == Time::kNone) return {};
    const long seconds = (static_cast<long>(time) - 1) / Time::kOneSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// HH:MM, HH:MM:SS or HH:MM:SS.cc on a 24-hour clock; blank gives no time.
std::optional<std::int32_t> parseTime(std::string_view text) {
    if (text.empty()) return Time::kNone;
    int part[4] = {0, 0, 0, 0};
    const char separators[4] = {'\0', ':', ':', '.'};
    std::size_t pos = 0;
    int parts = 0;
    for (; parts < 4 && pos < text.size(); ++parts) {
        if (parts > 0 && text[pos++] != separators[parts]) return std::nullopt;
        std::size_t end = pos;
        while (end < text.size() && ascii::isDigit(text[end])) ++end;
        // One or two digits of hours, then exactly two of each other part.
        if (end == pos || end - pos > 2 || (parts > 0 && end - pos != 2)) return std::nullopt;
        part[parts] = std::stoi(std::string(text.substr(pos, end - pos)));
        pos = end;
    }
    if (pos != text.size() || parts < 2) return std::nullopt;
    if (part[0] > 23 || part[1] > 59 || part[2] > 59) return std::nullopt;
    return Time::fromHms(part[0], part[1], part[2], part[3]);
}

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const char* begin = text.data() + (!text.empty() && text.front() == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseId(std::string_view text) {
    const auto id = parseInteger(text, 1, std::numeric_limits<std::int32_t>::max());
    if (!id) return std::nullopt;
    return static_cast<std::int32_t>(*id);
}

// The memo on one line: backslash, newline and carriage return written as \\, \n and \r.
std::string escapeMemo(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string unescapeMemo(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'n') out += '\n';
        else if (next == 'r') out += '\r';
        else if (next == '\\') out += '\\';
        else out += std::string{'\\', next};
    }
    return out;
}

std::string fieldValue(const FieldDef& field, const ScheduleRecord& task) {
    switch (field.type) {
        case FieldType::Date: return cli::isoDate(static_cast<std::int32_t>(field.getInt(&task)));
        case FieldType::Time: return showTime(static_cast<std::int32_t>(field.getInt(&task)));
        case FieldType::Memo: return escapeMemo(field.getText(&task));
        case FieldType::Text:
        case FieldType::ZText: return field.getText(&task);
        default: return std::to_string(field.getInt(&task));
    }
}

// Sets one field from its text; an error message when the value does not suit the field.
std::string setField(const FieldDef& field, std::string_view text, ScheduleRecord& task) {
    const std::string bad = "bad value \"" + std::string(text) + "\" for " + field.name + ": ";
    if (field.isText()) {
        const std::string value = field.type == FieldType::Memo ? unescapeMemo(text) : std::string(text);
        if (FixedText::characterCount(value) > static_cast<std::size_t>(field.width))
            return "the value for " + field.name + " is longer than " + std::to_string(field.width) + " characters";
        field.setText(&task, FixedText::trimTrailingBlanks(value));
        return {};
    }
    std::optional<std::int64_t> value;
    std::string expected;
    switch (field.type) {
        case FieldType::Date:
            value = cli::parseIsoDate(text);
            expected = "expected a date yyyy-mm-dd";
            break;
        case FieldType::Time:
            value = parseTime(text);
            expected = "expected a time HH:MM[:SS[.cc]]";
            break;
        case FieldType::Flag:
            value = parseInteger(text, 0, 1);
            expected = "expected 0 or 1";
            break;
        case FieldType::Byte:
            value = parseInteger(text, 0, 255);
            expected = "expected a number from 0 to 255";
            break;
        case FieldType::Int16:
            value = parseInteger(text, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
            expected = "expected a whole number";
            break;
        default:
            value = parseInteger(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
            expected = "expected a whole number";
            break;
    }
    if (!value) return bad + expected;
    field.setInt(&task, *value);
    return {};
}

// The values a new task starts with in the task form.
ScheduleRecord newTask(const Moment& now) {
    ScheduleRecord task;
    task.date = now.date;
    task.time = now.time;
    task.scheduleType = "Day of Week";
    task.sunday = task.monday = task.tuesday = task.wednesday = task.thursday = task.friday = task.saturday = 1;
    task.everyLast = 1;
    task.warn = 1;
    task.taskType = TaskType::kBoth;
    task.every = 1;
    task.everyType = "hour(s)";
    return task;
}

void warn(Runtime& runtime, std::string_view text) {
    MessageBoxRequest box;
    box.title = "Warning";
    box.text = std::string(text);
    runtime.messageBox(box);
}

// The task tables of the store, opened for one command.
struct TaskTables {
    Table<ScheduleRecord> schedule{scheduleLayout(), declared("Schedule")};
    Table<ScriptingRecord> scripting{scriptingLayout(), declared("Scripting")};
    Table<LinkRecord> links{linkLayout(), declared("Link")};
    Table<HolidayRecord> holidays{holidaysLayout(), declared("Holidays")};

    bool open(Runtime& runtime) {
        for (TableHandle* t : {static_cast<TableHandle*>(&schedule), static_cast<TableHandle*>(&scripting),
                               static_cast<TableHandle*>(&links), static_cast<TableHandle*>(&holidays)})
            if (!cli::openTable(*t, runtime)) return false;
        return true;
    }
    ~TaskTables() {
        schedule.close();
        scripting.close();
        links.close();
        holidays.close();
    }

    // The task into the schedule buffer; an error message when there is none.
    std::string read(std::int32_t id) {
        schedule.record().id = id;
        if (schedule.get(schedule.keyIndex("SCH:KeyID")) == StoreCode::kOk) return {};
        if (schedule.lastError().code == StoreCode::kNotFound) return "no task has the ID " + std::to_string(id);
        return "task " + std::to_string(id) + " cannot be read: " + schedule.lastError().text;
    }
};

std::string networkUser(Runtime& runtime) {
    Table<ConfigurationRecord> configuration(configurationLayout(), declared("Configuration"));
    std::string user;
    if (cli::openTable(configuration, runtime)) {
        SettingsStore settings(configuration, runtime, {StoreFiles::dataFolder(), {}});
        user = std::string(FixedText::trimTrailingBlanks(settings.getSetting("UserID")));
        configuration.close();
    }
    if (user.empty()) user = systemLoginName().value_or("");
    return user;
}

int addTask(const std::vector<std::string>& args, const fs::path& dataFolder) {
    if (args.empty()) return fail("usage: add FIELD=VALUE...");
    const Layout& layout = scheduleLayout();
    SystemClock clock;
    TerminalRuntime runtime;
    ScheduleRecord task = newTask(clock.current());
    for (const std::string& arg : args) {
        const auto eq = arg.find('=');
        if (eq == std::string::npos) return fail("expected FIELD=VALUE, got \"" + arg + "\"");
        const int index = layout.fieldIndex(arg.substr(0, eq));
        if (index < 0) return fail("unknown field \"" + arg.substr(0, eq) + "\"");
        const std::string error = setField(layout.fields[static_cast<std::size_t>(index)], arg.substr(eq + 1), task);
        if (!error.empty()) return fail(error);
    }
    // The store numbers the task; an ID, link or first identity shown by "show" belongs to
    // the task it came from.
    task.id = 0;
    task.originalId = 0;
    task.exceptionLink = 0;
    if (FixedText::equal(task.taskType, TaskType::kNone)) task.time = kNoneTaskTime;
    if (task.date != Date::kNone && !Recurrence::dateFitsScheduleType(task))
        warn(runtime, "Date given does not match schedule type.");
    if (task.advanceWarnDate != Date::kNone &&
        (task.advanceWarnDate > task.date || (task.advanceWarnDate == task.date && task.advanceWarnTime > task.time))) {
        task.advanceWarnDate = Date::kNone;
        task.advanceWarnTime = Time::kNone;
        warn(runtime, "Advanced Warning cannot be after scheduled task.");
    }

    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    const std::string user = networkUser(runtime);
    TaskTables tables;
    if (!tables.open(runtime)) return TerminalRuntime::kFailureStatus;
    StoreTaskDeleter deleter(tables.schedule, tables.scripting, tables.links);
    StoreHolidayCalendar holidays(tables.holidays);
    ScheduleWriter writer(tables.schedule, tables.scripting, deleter, holidays, clock, runtime);

    const std::int32_t id = ScheduleWriter::addScheduleWithNextId(tables.schedule, task);
    if (id == 0) return fail("the task cannot be added: " + tables.schedule.lastError().text);
    ChangeStamp(user, clock).apply(tables.schedule.record());
    if (writer.applyExceptions(true) == 0) {
        StoreError error = writer.lastError();
        if (error.ok() && tables.schedule.put() != StoreCode::kOk) error = tables.schedule.lastError();
        if (!error.ok()) {
            StoreError ignored;
            deleteScheduleCascade(tables.schedule, tables.scripting, tables.links, id, ignored);
            return fail("the task cannot be saved: " + error.text);
        }
    }
    std::printf("%d\n", id);
    return 0;
}

void printListLine(const ScheduleRecord& task) {
    std::printf("%d\t%s\t%s\t%s\t%s\t%s\n", task.id, cli::isoDate(task.date).c_str(), listTime(task.time).c_str(),
                task.taskType.c_str(), task.scheduleType.c_str(), task.description.c_str());
}

int listTasks(TaskTables& tables) {
    Table<ScheduleRecord>& schedule = tables.schedule;
    std::set<std::int32_t> listed;
    // The monitor's order first: enabled by due moment, then the disabled ones and history.
    if (schedule.set(schedule.keyIndex("SCH:KeyDateEnabled")) != StoreCode::kOk)
        return fail("the tasks cannot be read: " + schedule.lastError().text);
    while (schedule.next() == StoreCode::kOk) {
        printListLine(schedule.record());
        listed.insert(schedule.record().id);
    }
    if (schedule.lastError().code != StoreCode::kNoRecord)
        return fail("the tasks cannot be read: " + schedule.lastError().text);
    // Enabled tasks with neither date nor time are not in that key.
    schedule.set(schedule.keyIndex("SCH:KeyID"));
    while (schedule.next() == StoreCode::kOk)
        if (!listed.count(schedule.record().id)) printListLine(schedule.record());
    if (schedule.lastError().code != StoreCode::kNoRecord)
        return fail("the tasks cannot be read: " + schedule.lastError().text);
    return 0;
}

int showTask(TaskTables& tables, std::int32_t id) {
    if (const std::string error = tables.read(id); !error.empty()) return fail(error);
    const ScheduleRecord& task = tables.schedule.record();
    std::string out;
    for (const bool memo : {false, true})
        for (const FieldDef& field : scheduleLayout().fields)
            if ((field.type == FieldType::Memo) == memo) out += field.name + '=' + fieldValue(field, task) + '\n';
    std::fputs(out.c_str(), stdout);
    return 0;
}

int deleteTask(TaskTables& tables, std::int32_t id) {
    if (const std::string error = tables.read(id); !error.empty()) return fail(error);
    StoreError error;
    if (deleteScheduleCascade(tables.schedule, tables.scripting, tables.links, id, error) != 0)
        return fail("task " + std::to_string(id) + " cannot be deleted: " + error.text);
    return 0;
}

// The simulated clock of "occurrences": set to each moment at which the monitor would act.
class SimulatedClock final : public Clock {
public:
    Moment current() const override { return m_now; }
    void set(Moment now) { m_now = now; }

private:
    Moment m_now;
};

// A store file of its own in a fresh temporary folder, removed with everything in it.
class ScratchStore {
public:
    ScratchStore() {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "chronomate-occurrences-XXXXXX").string();
        if (!ec && ::mkdtemp(pattern.data())) m_folder = pattern;
    }
    ~ScratchStore() {
        for (TableHandle* t : tables()) t->close();
        StoreConnection::closeIdle();
        std::error_code ec;
        if (!m_folder.empty()) fs::remove_all(m_folder, ec);
    }
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    bool open(StoreError& error) {
        if (m_folder.empty()) {
            error = StoreError::make(StoreCode::kFileSystem, "no temporary folder could be made");
            return false;
        }
        const std::string file = (m_folder / StoreFiles::kStoreFile).string();
        schedule.setName(file + "\\!s");
        scripting.setName(file + "\\!Script");
        links.setName(file + "\\!Link");
        for (TableHandle* t : tables()) {
            if (t->create() != StoreCode::kOk || t->open() != StoreCode::kOk) {
                error = t->lastError();
                return false;
            }
        }
        return true;
    }

    Table<ScheduleRecord> schedule{scheduleLayout()};
    Table<ScriptingRecord> scripting{scriptingLayout()};
    Table<LinkRecord> links{linkLayout()};

private:
    std::vector<TableHandle*> tables() { return {&schedule, &scripting, &links}; }
    fs::path m_folder;
};

std::optional<int> occurrenceCount(const std::vector<std::string>& args, std::string& error) {
    int count = kDefaultOccurrences;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] != "-n" || i + 1 == args.size()) {
            error = "usage: occurrences ID [-n N]";
            return std::nullopt;
        }
        const auto n = parseInteger(args[++i], 1, 100000);
        if (!n) {
            error = "bad count \"" + args[i] + "\": expected a number from 1 to 100000";
            return std::nullopt;
        }
        count = static_cast<int>(*n);
    }
    return count;
}

// The monitor's handling of the task, replayed on a scratch store that holds a copy of it
// (and of the one-time copy it links, which falls due on its own) with the holidays in memory.
// Every occurrence is handled one second after it falls due, so the missed-run rules never
// apply; the questions are the user's to answer and do not move the next occurrence. An
// occurrence passes without action only through SCH:SkipNextTime.
int listOccurrences(TaskTables& tables, std::int32_t id, int count, Runtime& runtime) {
    if (const std::string error = tables.read(id); !error.empty()) return fail(error);
    std::vector<ScheduleRecord> rows{tables.schedule.record()};
    if (rows[0].exceptionLink != 0 && tables.read(rows[0].exceptionLink).empty()) {
        const ScheduleRecord& copy = tables.schedule.record();
        if (Recurrence::kindOf(copy) == Recurrence::Kind::Once && !copy.completed) rows.push_back(copy);
    }
    MemoryHolidayCalendar holidays;
    tables.holidays.set(tables.holidays.keyIndex("HOL:KeyHolidayDate"));
    while (tables.holidays.next() == StoreCode::kOk) holidays.add(tables.holidays.record());
    if (tables.holidays.lastError().code != StoreCode::kNoRecord)
        return fail("the holidays cannot be read: " + tables.holidays.lastError().text);

    ScratchStore scratch;
    StoreError error;
    if (!scratch.open(error)) return fail("no scratch store for the simulation: " + error.text);
    for (ScheduleRecord& row : rows) {
        // History copies change no due moment; leaving them out keeps the scratch store small.
        row.noHistory = 1;
        scratch.schedule.record() = row;
        if (scratch.schedule.add() != StoreCode::kOk)
            return fail("no scratch store for the simulation: " + scratch.schedule.lastError().text);
    }
    SimulatedClock clock;
    StoreTaskDeleter deleter(scratch.schedule, scratch.scripting, scratch.links);
    ScheduleWriter writer(scratch.schedule, scratch.scripting, deleter, holidays, clock, runtime);
    const int dueKey = scratch.schedule.keyIndex("SCH:KeyDateEnabled");
    std::string out;
    for (int handled = 0; handled < count; ++handled) {
        if (scratch.schedule.set(dueKey) != StoreCode::kOk || scratch.schedule.next() != StoreCode::kOk) break;
        const ScheduleRecord due = scratch.schedule.record();
        if (due.disabled) break;
        out += cli::isoDate(due.date) + ' ' + listTime(due.time);
        if (due.skipNextTime) out += " skipped";
        if (due.id != id) out += " copy";
        out += '\n';
        clock.set(Moment{due.date, due.time}.plusHundredths(Time::kOneSecond));
        if (!writer.rescheduleAfterRun(DueMoment::of(due), false))
            return fail("the simulation could not reschedule the task: " + writer.lastError().text);
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace

bool isTaskCommand(std::string_view command) {
    return command == "add" || command == "list" || command == "show" || command == "delete" ||
           command == "occurrences";
}

void printTaskUsage(std::FILE* out) {
    std::fprintf(out,
                 "  add FIELD=VALUE...      add a task and print its ID; FIELD is a Schedule field (\"SCH:\"\n"
                 "                          optional, any case), dates yyyy-mm-dd, times HH:MM[:SS]\n"
                 "  list                    one line per task: ID, date, time, task type, schedule type, description\n"
                 "  show ID                 every field of a task as SCH:Name=value, fit to give back to add\n"
                 "  delete ID               delete a task with its script and links\n"
                 "  occurrences ID [-n N]   the next N (default 10) moments the monitor would handle the task;\n"
                 "                          stores nothing\n");
}

int runTaskCommand(std::string_view command, const std::vector<std::string>& args, const fs::path& dataFolder) {
    if (command == "add") return addTask(args, dataFolder);

    std::optional<std::int32_t> id;
    int count = 0;
    if (command == "list") {
        if (!args.empty()) return fail("usage: list");
    } else {
        const std::string usage = "usage: " + std::string(command) + (command == "occurrences" ? " ID [-n N]" : " ID");
        if (args.empty() || (command != "occurrences" && args.size() != 1)) return fail(usage);
        id = parseId(args[0]);
        if (!id) return fail("bad task ID \"" + args[0] + "\": expected a positive whole number");
        if (command == "occurrences") {
            std::string error;
            const auto n = occurrenceCount(args, error);
            if (!n) return fail(error);
            count = *n;
        }
    }

    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    TerminalRuntime runtime;
    TaskTables tables;
    if (!tables.open(runtime)) return TerminalRuntime::kFailureStatus;
    if (command == "list") return listTasks(tables);
    if (command == "show") return showTask(tables, *id);
    if (command == "delete") return deleteTask(tables, *id);
    return listOccurrences(tables, *id, count, runtime);
}

}  // namespace cm
