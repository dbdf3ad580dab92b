#include "base/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "base/ascii.h"

namespace fs = std::filesystem;

namespace cm {

namespace {

std::optional<std::string> nonEmpty(const EnvLookup& env, const char* name) {
    auto value = env(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}

DataFolderResult failure(const fs::path& folder, const std::string& reason) {
    return {folder, "Cannot use the data folder \"" + folder.string() + "\": " + reason};
}

}  // namespace

std::optional<std::string> processEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::optional<fs::path> DataFolder::homeFolder(const EnvLookup& env) {
    if (auto home = nonEmpty(env, "HOME")) return fs::path(*home);
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && *found->pw_dir != '\0') {
        return fs::path(found->pw_dir);
    }
    return std::nullopt;
}

DataFolderResult DataFolder::resolve(std::optional<std::string> dataDirArg, const EnvLookup& env) {
    fs::path chosen;
    if (dataDirArg) {
        if (dataDirArg->empty()) return {{}, std::string(kDataDirOption) + " needs a folder name"};
        chosen = *dataDirArg;
    } else if (auto home = nonEmpty(env, std::string(kHomeVariable).c_str())) {
        chosen = *home;
    } else if (auto xdg = nonEmpty(env, "XDG_DATA_HOME"); xdg && fs::path(*xdg).is_absolute()) {
        chosen = fs::path(*xdg) / kFolderName;
    } else if (auto userHome = homeFolder(env)) {
        chosen = *userHome / ".local" / "share" / kFolderName;
    } else {
        return {{},
                "No data folder: give " + std::string(kDataDirOption) + " or set " + std::string(kHomeVariable) +
                    " or HOME"};
    }

    std::error_code ec;
    fs::path folder = fs::absolute(chosen, ec);
    if (ec) return failure(chosen, ec.message());

    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) return failure(folder, "it is not a folder");
    fs::create_directories(folder, ec);
    if (ec) return failure(folder, ec.message());
    if (access(folder.c_str(), W_OK | X_OK) != 0) return failure(folder, std::strerror(errno));

    fs::path canonical = fs::canonical(folder, ec);
    if (ec) return failure(folder, ec.message());
    return {canonical, {}};
}

bool DataFolder::makeCurrent(const fs::path& folder, std::string* error) {
    if (chdir(folder.c_str()) == 0) return true;
    if (error != nullptr) *error = failure(folder, std::strerror(errno)).error;
    return false;
}

std::optional<std::string> DataFolder::takeDataDirArgument(int& argc, char** argv) {
    std::optional<std::string> value;
    const std::string withEquals = std::string(kDataDirOption) + "=";
    int kept = 1;
    int i = 1;
    for (; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == kDataDirOption) {
            if (i + 1 < argc) {
                value = argv[++i];
            } else {
                value = std::string();
            }
        } else if (arg.substr(0, withEquals.size()) == withEquals) {
            value = std::string(arg.substr(withEquals.size()));
        } else {
            argv[kept++] = argv[i];
        }
    }
    for (; i < argc; ++i) argv[kept++] = argv[i];
    argc = kept;
    argv[argc] = nullptr;
    return value;
}

fs::path DataFolder::findFileIgnoringCase(const fs::path& folder, std::string_view name) {
    const fs::path relative(name);
    const fs::path parent = folder / relative.parent_path();
    const std::string fileName = relative.filename().string();
    fs::path exact = parent / fileName;

    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;

    // Several entries may differ only in case: take the smallest name so the choice is stable.
    std::optional<std::string> best;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (ascii::equalNoCase(candidate, fileName) && (!best || candidate < *best)) best = candidate;
    }
    return best ? parent / *best : exact;
}

}  // namespace cm
