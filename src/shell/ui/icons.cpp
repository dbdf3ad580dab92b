#include "shell/ui/icons.h"

#include <QHash>

#include "shell/ui/qt_text.h"

// The icons live in a static library: nothing else references their resource object, so
// it is pulled in and registered here.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace cm {

namespace {

const QHash<QString, QString>& iconFiles() {
    static const QHash<QString, QString> files = {
        {"clock.ico", "clock"},
        // Both spellings of the tray animation frames are in use.
        {"tray_ico", "tray"},
        {"traybr_ico", "tray_b"},
        {"trayb_ico", "tray_b"},
        {"trayc_ico", "tray_c"},
        {"traydr_ico", "tray_d"},
        {"trayd_ico", "tray_d"},
        {"0prg.ico", "program_wizard"},
        {"0msg.ico", "message_wizard"},
        {"viewschd.ico", "schedule"},
        {"0todo.ico", "todo"},
        {"~done.ico", "done"},
        {"~notdone.ico", "notdone"},
        {"~skip.ico", "skip"},
        {"~disabled.ico", "disabled"},
        {"~check.ico", "check"},
        {"~blank.ico", "blank"},
        {"winpyr.ico", "window_pyramid"},
        {"insert", "insert"},
        {"change", "change"},
        {"delete", "delete"},
        {"first", "first"},
        {"prior_page", "prior_page"},
        {"prior", "prior"},
        {"next", "next"},
        {"next_page", "next_page"},
        {"last", "last"},
        {"help", "help"},
    };
    return files;
}

}  // namespace

QString programIconPath(std::string_view name) {
    static const bool registered = (registerIconResources(), true);
    (void)registered;
    const QString key = qs(name).toLower();
    const auto it = iconFiles().constFind(key);
    if (it == iconFiles().constEnd()) return {};
    return QStringLiteral(":/icons/%1.svg").arg(*it);
}

QIcon programIcon(std::string_view name) {
    const QString path = programIconPath(name);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

}  // namespace cm
