// The look shared by both pictures: page size, colours and the small
// helpers that place numbers on an axis.
#pragma once

#include <string>

namespace compactor::cli::style {

inline constexpr double page = 1200;  // width of the picture, px

inline constexpr const char* text = "#222222";
inline constexpr const char* panel_bottom = "#fbfaf6";
inline constexpr const char* panel_edge = "#c9c5b9";
inline constexpr const char* griglia = "#e3e0d6";
inline constexpr const char* track = "#7d8590";
inline constexpr const char* galleria = "#2a1f14";
inline constexpr const char* stazione = "#1558b0";
inline constexpr const char* segnale = "#d32f2f";
inline constexpr const char* cippo = "#222222";
inline constexpr const char* km = "#7b1fa2";
inline constexpr const char* bottom_level = "#d8c7a0";
inline constexpr const char* line_level = "#7a5c2e";
inline constexpr const char* velocita = "#c62828";
inline constexpr const char* aderenza = "#2e7d32";
inline constexpr const char* rallentamento = "#ef6c00";

// A round step (1, 2 or 5 times a power of ten) not smaller than `raw`.
double round_step(double raw);

// A length in metres for a label: "500 m", "2 km", "2.5 km".
std::string readable_metres(double metres);

// A kilometre reading as the line writes it: 34150 -> "34.150".
std::string readable_reading(long long metres);

}  // namespace compactor::cli::style
