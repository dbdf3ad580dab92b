#include "cli/holiday_commands.h"

#include "base/fixed_text.h"
#include "cli/task_commands.h"
#include "cli/terminal_runtime.h"
#include "store/store_error.h"
#include "store/table_handle.h"
#include "store/tables/holiday_record.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace {

using cli::fail;

constexpr std::string_view kUsage = "usage: holiday add DATE NAME [--annual] | holiday list";

int listHolidays(Table<HolidayRecord>& holidays) {
    holidays.set(holidays.keyIndex("HOL:KeyHolidayDate"));
    std::string out;
    while (holidays.next() == StoreCode::kOk) {
        const HolidayRecord& row = holidays.record();
        out += cli::isoDate(row.holidayDate) + '\t' + row.holiday + '\t' + (row.annual ? "1" : "0") + '\n';
    }
    if (holidays.lastError().code != StoreCode::kNoRecord)
        return fail("the holidays cannot be read: " + holidays.lastError().text);
    std::fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace

void printHolidayUsage(std::FILE* out) {
    std::fprintf(out,
                 "  holiday add DATE NAME [--annual]\n"
                 "                          add a holiday (yyyy-mm-dd); --annual repeats it every year\n"
                 "  holiday list            one line per holiday: date, name, annual 0/1\n");
}

int runHolidayCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder) {
    const bool list = args.size() == 1 && args[0] == "list";
    const bool add = (args.size() == 3 || (args.size() == 4 && args[3] == "--annual")) && args[0] == "add";
    if (!list && !add) return fail(std::string(kUsage));

    HolidayRecord row;
    if (add) {
        const auto date = cli::parseIsoDate(args[1]);
        if (!date || *date == 0) return fail("bad holiday date \"" + args[1] + "\": expected yyyy-mm-dd");
        const FieldDef& name = holidaysLayout().fields[static_cast<std::size_t>(holidaysLayout().fieldIndex("HOL:Holiday"))];
        if (FixedText::characterCount(args[2]) > static_cast<std::size_t>(name.width))
            return fail("the holiday name is longer than " + std::to_string(name.width) + " characters");
        row.holidayDate = *date;
        row.holiday = std::string(FixedText::trimTrailingBlanks(args[2]));
        row.annual = args.size() == 4 ? 1 : 0;
    }

    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    TerminalRuntime runtime;
    Table<HolidayRecord> holidays(holidaysLayout(), std::string(findTable("Holidays")->declaredName));
    if (!cli::openTable(holidays, runtime)) return TerminalRuntime::kFailureStatus;
    int status = 0;
    if (list) {
        status = listHolidays(holidays);
    } else {
        holidays.record() = row;
        if (holidays.add() == StoreCode::kDuplicateKey)
            status = fail("a holiday on " + args[1] + " exists already");
        else if (!holidays.lastError().ok())
            status = fail("the holiday cannot be added: " + holidays.lastError().text);
    }
    holidays.close();
    return status;
}

}  // namespace cm
