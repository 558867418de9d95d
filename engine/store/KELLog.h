#pragma once
// The engine's indented debug trace, written to the system log. LogIn and LogOut bracket a nested
// operation; LogInfo writes at the current depth whether the trace is on or not.

#include <string_view>

class KELLog {
public:
    static void ActiveLeLog(bool on);
    static void LogIn(std::string_view text);
    static void LogOut(std::string_view text);
    static void LogInfo(std::string_view text);

    // The current indentation, between 0 and the ruler's 128 characters.
    static int depth();
};
