#pragma once

// The program's version block; the Windows build puts it into its resource.
namespace lupe::version {

inline constexpr const char* kFileVersion = "1.00";
inline constexpr const char* kProductVersion = "1.00";
inline constexpr int kNumeric[4] = {1, 0, 0, 0};
inline constexpr const char* kFileDescription = "Bildschirmlupe";
inline constexpr const char* kComments = "Bildschirmlupe";
inline constexpr unsigned kLanguage = 0x0407;  // German
inline constexpr unsigned kCodePage = 1200;

}  // namespace lupe::version
