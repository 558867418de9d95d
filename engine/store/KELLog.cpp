#include "engine/store/KELLog.h"

#include "runtime/Log.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::string_view kRuler =
    ".|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:|.|.|.|.|:"
    "|.|.|.|.|:|.|.|....";
static_assert(kRuler.size() == 128);

int g_depth = 0;
bool g_on = true;

std::string_view indentation() { return kRuler.substr(0, static_cast<std::size_t>(g_depth)); }

void write(std::string_view separator, std::string_view text)
{
    std::string line(indentation());
    line += separator;
    line += text;
    tallomer::logLine(line);
}

} // namespace

void KELLog::ActiveLeLog(bool on) { g_on = on; }

void KELLog::LogIn(std::string_view text)
{
    if (!g_on)
        return;
    g_depth = std::min(g_depth + 2, static_cast<int>(kRuler.size()));
    write("", text);
}

void KELLog::LogOut(std::string_view text)
{
    if (!g_on)
        return;
    write("", text);
    g_depth = std::max(g_depth - 2, 0);
}

void KELLog::LogInfo(std::string_view text) { write("|", text); }

int KELLog::depth() { return g_depth; }
