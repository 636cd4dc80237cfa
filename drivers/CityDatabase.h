#pragma once

#include <string>
#include <string_view>

// The city databases of family 2: the 48-character header that names one, as the
// receiver reports it and as a database image holds it at byte 223, and the built-in
// file of each.
namespace CityDatabase {

// Database types: 0 none, 1 AMERICAS, 2 EUROPE-AFRICA, 3 ASIA-AUSTRALIA, 4 WORLDWIDE,
// 6 custom (a header that is none of the four).
inline constexpr int kNone = 0;
inline constexpr int kWorldwide = 4;
inline constexpr int kCustom = 6;
inline constexpr std::size_t kHeaderLength = 48;
inline constexpr long kImageHeaderOffset = 223;

// The type of the receiver's database from its header reply.
int TypeFromReply(const std::string& poiHeader);
// The header of a type; empty for a type without one.
std::string_view Header(int databaseType);
// The built-in file of a type, in the current directory; empty for a type without one.
std::string_view BuiltInFile(int databaseType);
// The database image at path carries the header of the receiver's type (a custom
// database takes any image).
bool ImageMatches(const std::string& path, int databaseType);

}  // namespace CityDatabase
