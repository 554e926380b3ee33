#pragma once
// Version information of the library file.
namespace library {

constexpr const char* kFileVersion = TK28950_FILE_VERSION; // set by the build
constexpr const char* kDescription = "Interface to TK28950";
constexpr const char* kIconResource = ":/ICON/1";
constexpr const char* kToolboxBitmapResource = ":/BITMAP/1";

} // namespace library
