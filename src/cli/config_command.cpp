#include "cli/config_command.h"

#include "base/fixed_text.h"
#include "cli/terminal_runtime.h"
#include "shell/settings_store.h"
#include "store/table_name.h"
#include "store/table_registry.h"
#include "store/tables/configuration_record.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "chronomate-cli: %s\n", message.c_str());
    return TerminalRuntime::kFailureStatus;
}

}  // namespace

void printConfigUsage(std::FILE* out) {
    std::fprintf(out,
                 "  config get NAME         print a setting\n"
                 "  config set NAME VALUE   store a setting (at most %zu characters)\n",
                 SettingsStore::kValueWidth);
}

int runConfigCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder) {
    const bool get = args.size() == 2 && args[0] == "get";
    const bool set = args.size() == 3 && args[0] == "set";
    if (!get && !set) return fail("usage: config get NAME | config set NAME VALUE");
    const std::string& name = args[1];
    // Checked here, since the store would cut a long name or value without a word.
    if (FixedText::trimTrailingBlanks(name).empty()) return fail("a setting needs a name");
    if (FixedText::characterCount(name) > SettingsStore::kNameWidth)
        return fail("the setting name \"" + name + "\" is longer than " + std::to_string(SettingsStore::kNameWidth) +
                    " characters");
    if (set && FixedText::characterCount(args[2]) > SettingsStore::kValueWidth)
        return fail("the value for \"" + name + "\" is longer than " + std::to_string(SettingsStore::kValueWidth) +
                    " characters");

    StoreFiles::setDataFolder(dataFolder);
    registerTables();
    TerminalRuntime runtime;
    Table<ConfigurationRecord> configuration(configurationLayout(),
                                             std::string(findTable("Configuration")->declaredName));
    if (!openOrCreateTable(configuration, runtime)) return TerminalRuntime::kFailureStatus;
    SettingsStore store(configuration, runtime, {dataFolder, {}});

    int status = 0;
    if (get) {
        const std::string value = store.getSetting(name);
        if (store.lastError().ok())
            std::printf("%s\n", value.c_str());
        else
            status = TerminalRuntime::kFailureStatus;
    } else if (!store.putSetting(name, std::string_view(args[2]))) {
        status = TerminalRuntime::kFailureStatus;
    }
    configuration.close();
    return status;
}

}  // namespace cm
