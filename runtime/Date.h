#pragma once
// Time as every part of the program names it: seconds since 2001-01-01 00:00 UTC, as double, and
// the dates with fixed meanings.

using KELDate = double;

inline constexpr KELDate KELDateToujours = -4503599627370496.0;  // valid since always
inline constexpr KELDate KELDateOuverte = 4503599627370496.0;    // still open
inline constexpr KELDate KELDateOublieeIn = 4503599627370497.0;  // forgotten or erased: in-date
inline constexpr KELDate KELDateOublieeOut = 4503599627370498.0; // forgotten or erased: out-date
