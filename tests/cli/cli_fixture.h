#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/background_cli.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "store/tables/holiday_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "support/temp_dir.h"

namespace cm::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// What the store holds, read beside the program, compared to prove a command wrote nothing.
struct StoreRows {
    std::vector<ScheduleRecord> tasks;
    std::vector<ScriptingRecord> steps;
    std::vector<HolidayRecord> holidays;
    friend bool operator==(const StoreRows&, const StoreRows&) = default;
};

// The built chronomate-cli on a data folder of its own, with a system INI file of its own.
class CliFixture : public ::testing::Test {
protected:
    CliRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), {CHRONOMATE_CLI, "--data-dir", data().string()});
        const std::filesystem::path out = dir / "stdout";
        const std::filesystem::path err = dir / "stderr";
        const pid_t pid = BackgroundCli::start(std::move(args), out, err, dir / "config");
        CliRun run;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.out = readFile(out);
        run.err = readFile(err);
        return run;
    }

    // Runs a command that must succeed; its standard output.
    std::string ok(const std::vector<std::string>& args) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 0) << args.front() << ": " << run.err;
        return run.out;
    }

    std::filesystem::path data() const { return dir / "data"; }

    template <class R>
    std::vector<R> rows(const Layout& layout, const char* declared, const char* key) {
        std::vector<R> out;
        {
            Table<R> table(layout, declared);
            if (table.open() != 0) return out;
            table.set(table.keyIndex(key));
            while (table.next() == 0) out.push_back(table.record());
        }
        StoreConnection::closeIdle();
        return out;
    }

    StoreRows storeRows() {
        StoreFiles::setDataFolder(data());
        StoreRows all{rows<ScheduleRecord>(scheduleLayout(), "cm97\\!s", "SCH:KeyID"),
                      rows<ScriptingRecord>(scriptingLayout(), "CM97\\!Script", "SCR:KeyID"),
                      rows<HolidayRecord>(holidaysLayout(), "CM97\\!Hol", "HOL:KeyHolidayDate")};
        StoreFiles::setDataFolder({});
        return all;
    }

    ScheduleRecord task(std::int32_t id) {
        for (const ScheduleRecord& t : storeRows().tasks)
            if (t.id == id) return t;
        ADD_FAILURE() << "no task " << id;
        return {};
    }

    TempDir dir;
};

}  // namespace cm::test
