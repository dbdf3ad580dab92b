#include "cli/script_commands.h"

#include <array>
#include <charconv>
#include <limits>
#include <string_view>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "cli/task_commands.h"
#include "cli/terminal_runtime.h"
#include "script/script_queue.h"
#include "shell/clock.h"
#include "shell/settings_store.h"
#include "store/change_stamp.h"
#include "store/table_name.h"
#include "store/table_registry.h"
#include "store/tables/configuration_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace fs = std::filesystem;

namespace {

using cli::fail;

// The actions the step form offers, in its order.
constexpr std::array<std::string_view, 11> kActions = {
    ScriptAction::kSendKeystrokes, ScriptAction::kWait,          ScriptAction::kSetFocus,
    ScriptAction::kIfWindow,       ScriptAction::kIfTimeElapsed, ScriptAction::kEndIf,
    ScriptAction::kDisplayMessage, ScriptAction::kStartProgram,  ScriptAction::kCloseProgram,
    ScriptAction::kExitScript,     ScriptAction::kDde};

// What the step form gives a new step before the user fills it in.
constexpr std::string_view kNewCondition = "Window Exists";
constexpr std::string_view kNewComparison = "Greater Than";
constexpr std::int32_t kNewTimeElapsed = 86400;
constexpr std::string_view kFocusedWindow = "Window with focus";

// Fields the command sets itself: the owner and number, and the stamps of the save.
constexpr std::array<std::string_view, 7> kOwnFields = {"SCR:ID",          "SCR:Sequence",       "SCR:Action",
                                                        "SCR:NetworkUser", "SCR:LastChangeDate", "SCR:LastChangeTime",
                                                        "SCR:OriginalID"};

std::string declared(std::string_view table) { return std::string(findTable(table)->declaredName); }

std::string trimmed(std::string_view text) { return std::string(FixedText::trimTrailingBlanks(text)); }

std::optional<std::int32_t> parseNumber(std::string_view text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const char* begin = text.data() + (!text.empty() && text.front() == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::string_view> storedAction(std::string_view text) {
    for (const std::string_view action : kActions)
        if (ascii::equalNoCase(action, text)) return action;
    return std::nullopt;
}

// Sets one field from its text; an error message when the field or the value will not do.
std::string setField(std::string_view name, std::string_view text, ScriptingRecord& step) {
    const Layout& layout = scriptingLayout();
    const int index = layout.fieldIndex(name);
    if (index < 0) return "unknown field \"" + std::string(name) + "\"";
    const FieldDef& field = layout.fields[static_cast<std::size_t>(index)];
    for (const std::string_view own : kOwnFields)
        if (field.name == own) return field.name + " is set by \"script add\" itself";
    if (field.isText()) {
        if (FixedText::characterCount(text) > static_cast<std::size_t>(field.width))
            return "the value for " + field.name + " is longer than " + std::to_string(field.width) + " characters";
        field.setText(&step, FixedText::trimTrailingBlanks(text));
        return {};
    }
    // The form's spins: seconds to wait take five digits, the elapsed time may be negative.
    const bool seconds = field.name == "SCR:SecondsToWait";
    const auto value = seconds ? parseNumber(text, 0, 99999)
                               : parseNumber(text, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max());
    if (!value)
        return "bad value \"" + std::string(text) + "\" for " + field.name + ": expected " +
               (seconds ? "a number from 0 to 99999" : "a whole number");
    field.setInt(&step, *value);
    return {};
}

std::string networkUser(Runtime& runtime) {
    Table<ConfigurationRecord> configuration(configurationLayout(), declared("Configuration"));
    std::string user;
    if (cli::openTable(configuration, runtime)) {
        SettingsStore settings(configuration, runtime, {StoreFiles::dataFolder(), {}});
        user = trimmed(settings.getSetting("UserID"));
        configuration.close();
    }
    if (user.empty()) user = systemLoginName().value_or("");
    return user;
}

// The task's tables, opened for one command.
struct ScriptTables {
    Table<ScheduleRecord> schedule{scheduleLayout(), declared("Schedule")};
    Table<ScriptingRecord> scripting{scriptingLayout(), declared("Scripting")};

    ~ScriptTables() {
        schedule.close();
        scripting.close();
    }
    bool open(Runtime& runtime) { return cli::openTable(schedule, runtime) && cli::openTable(scripting, runtime); }

    std::string readTask(std::int32_t id) {
        schedule.record().id = id;
        if (schedule.get(schedule.keyIndex("SCH:KeyID")) == StoreCode::kOk) return {};
        if (schedule.lastError().code == StoreCode::kNotFound) return "no task has the ID " + std::to_string(id);
        return "task " + std::to_string(id) + " cannot be read: " + schedule.lastError().text;
    }

    // The task's steps in sequence order; an error message when they cannot be read.
    std::string readSteps(std::int32_t id, std::vector<ScriptingRecord>& steps) {
        scripting.clear();
        scripting.record().id = id;
        if (scripting.setFrom(scripting.keyIndex("SCR:KeyID")) != StoreCode::kOk)
            return "the script cannot be read: " + scripting.lastError().text;
        while (scripting.next() == StoreCode::kOk && scripting.record().id == id) steps.push_back(scripting.record());
        const int code = scripting.lastError().code;
        if (code != StoreCode::kOk && code != StoreCode::kNoRecord)
            return "the script cannot be read: " + scripting.lastError().text;
        return {};
    }
};

int addStep(const std::vector<std::string>& args, std::int32_t id, const fs::path& dataFolder) {
    if (args.size() < 3) return fail("usage: script add ID ACTION [FIELD=VALUE...]");
    const auto action = storedAction(args[2]);
    if (!action) return fail("unknown action \"" + args[2] + "\"");
    ScriptingRecord step;
    step.action = std::string(*action);
    step.windowExistance = std::string(kNewCondition);
    step.ifTimeElapsed = std::string(kNewComparison);
    step.timeElapsed = kNewTimeElapsed;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        if (eq == std::string::npos) return fail("expected FIELD=VALUE, got \"" + args[i] + "\"");
        const std::string error = setField(std::string_view(args[i]).substr(0, eq),
                                           std::string_view(args[i]).substr(eq + 1), step);
        if (!error.empty()) return fail(error);
    }

    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    TerminalRuntime runtime;
    const std::string user = networkUser(runtime);
    ScriptTables tables;
    if (!tables.open(runtime)) return TerminalRuntime::kFailureStatus;
    if (const std::string error = tables.readTask(id); !error.empty()) return fail(error);
    std::vector<ScriptingRecord> steps;
    if (const std::string error = tables.readSteps(id, steps); !error.empty()) return fail(error);

    step.id = id;
    step.sequence = steps.empty() ? 1 : steps.back().sequence + 1;
    SystemClock clock;
    ChangeStamp(user, clock).apply(step);
    tables.scripting.record() = step;
    if (tables.scripting.add() != StoreCode::kOk)
        return fail("the step cannot be added: " + tables.scripting.lastError().text);
    std::printf("%d\n", step.sequence);
    return 0;
}

int listSteps(std::int32_t id, const fs::path& dataFolder) {
    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    TerminalRuntime runtime;
    ScriptTables tables;
    if (!tables.open(runtime)) return TerminalRuntime::kFailureStatus;
    if (const std::string error = tables.readTask(id); !error.empty()) return fail(error);
    std::vector<ScriptingRecord> steps;
    if (const std::string error = tables.readSteps(id, steps); !error.empty()) return fail(error);
    std::string out;
    for (const ScriptingRecord& step : steps)
        out += std::to_string(step.sequence) + '\t' + step.action + '\t' + scriptDetails(step) + '\n';
    std::fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace

std::string scriptDetails(const ScriptingRecord& step) {
    const std::string_view action = FixedText::trimTrailingBlanks(step.action);
    std::string details;
    if (action == ScriptAction::kCloseProgram) {
        details = trimmed(step.command).empty() ? std::string(kFocusedWindow) : step.command;
    } else if (action == ScriptAction::kStartProgram) {
        details = trimmed(step.command) + ' ' + trimmed(step.path);
    } else if (action == ScriptAction::kSendKeystrokes) {
        details = step.keyStrokes;
    } else if (action == ScriptAction::kDde) {
        details = trimmed(step.ddeType) + ' ' + trimmed(step.ddeApplicationName) + ' ' + step.ddeApplicationTopic;
    } else if (action == ScriptAction::kSetFocus) {
        details = step.focusOnWindow;
    } else if (action == ScriptAction::kWait) {
        details = step.secondsToWait == 0 ? step.waitForWindow
                                           : std::to_string(step.secondsToWait) + " seconds " + step.waitForWindow;
    } else if (action == ScriptAction::kIfWindow) {
        details = step.windowTitleToCheckFor;
    } else if (action == ScriptAction::kIfTimeElapsed) {
        details = std::to_string(step.timeElapsed) + " seconds";
    }
    return FixedText::cut(details, kDetailsWidth);
}

void printScriptUsage(std::FILE* out) {
    std::fprintf(out,
                 "  script add ID ACTION [FIELD=VALUE...]\n"
                 "                          append a step to task ID's script and print its sequence number;\n"
                 "                          ACTION is a step action (\"Send Keystrokes\", \"Wait\", any case),\n"
                 "                          FIELD a Scripting field (\"SCR:\" optional, any case)\n"
                 "  script list ID          one line per step: sequence, action, details\n");
}

int runScriptCommand(const std::vector<std::string>& args, const fs::path& dataFolder) {
    const bool add = !args.empty() && args[0] == "add";
    const bool list = !args.empty() && args[0] == "list";
    if ((!add && !list) || args.size() < 2 || (list && args.size() != 2))
        return fail("usage: script add ID ACTION [FIELD=VALUE...] | script list ID");
    const auto id = parseNumber(args[1], 1, std::numeric_limits<std::int32_t>::max());
    if (!id) return fail("bad task ID \"" + args[1] + "\": expected a positive whole number");
    return add ? addStep(args, *id, dataFolder) : listSteps(*id, dataFolder);
}

}  // namespace cm
