#pragma once

#include <QIcon>
#include <string_view>

namespace cm {

// Names of our own icons that the program has no resource name for.
namespace icon {
inline constexpr std::string_view kInsert = "insert";
inline constexpr std::string_view kChange = "change";
inline constexpr std::string_view kDelete = "delete";
inline constexpr std::string_view kFirst = "first";
inline constexpr std::string_view kPriorPage = "prior_page";
inline constexpr std::string_view kPrior = "prior";
inline constexpr std::string_view kNext = "next";
inline constexpr std::string_view kNextPage = "next_page";
inline constexpr std::string_view kLast = "last";
inline constexpr std::string_view kHelp = "help";
}  // namespace icon

// Our icon for a name the program uses ("CLOCK.ICO", "tray_ico", "~done.ico", "0PRG.ICO", or
// one of the names above), matched without regard to case; a null icon for an unknown name.
QIcon programIcon(std::string_view name);

// The resource path of that icon (":/icons/....svg"), empty for an unknown name.
QString programIconPath(std::string_view name);

}  // namespace cm
