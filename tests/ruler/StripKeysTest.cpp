// The strip's key table, key by key and case by case.

#include "ruler/ZEVTlineKeys.h"

#include <gtest/gtest.h>

using namespace tallomer;
using A = ZEVTlineKeyAction;
namespace ev = tallomer::events;

namespace {

constexpr std::uint32_t kCmd = keys::kCommandFlag, kOpt = keys::kOptionFlag, kCtl = keys::kControlFlag,
                        kShift = keys::kShiftFlag, kPad = keys::kNumericPadFlag;

ev::KeyInfo k(QString characters, int code = ev::kKeyUnknown, std::uint32_t flags = 0, bool repeat = false)
{
    return {flags, std::move(characters), code, repeat};
}

QString c(char16_t ch) { return QString(QChar(ch)); }

} // namespace

TEST(StripKeys, EveryRowOfTheTableActsAsWritten)
{
    ZEVTlineKeyState now;
    ZEVTlineKeyState search;
    search.searchActive = true;
    ZEVTlineKeyState nowItems = now;
    nowItems.releasingItems = nowItems.recallingItems = true;
    ZEVTlineKeyState searchItems = search;
    searchItems.releasingItems = searchItems.recallingItems = searchItems.recallingNowItems = true;
    ZEVTlineKeyState focus;
    focus.itemViewsTakeKeys = true;
    ZEVTlineKeyState lasso;
    lasso.lasso = true;

    struct Case {
        const char* what;
        ev::KeyInfo key;
        ZEVTlineKeyState state;
        A action;
    };
    const Case cases[] = {
        {"no characters", k(""), now, A::Nothing},
        {"up", k(c(ev::kUpArrowCharacter), -1, kPad), now, A::ChannelUp},
        {"Control up", k(c(ev::kUpArrowCharacter), -1, kPad | kCtl), now, A::HistoryNext},
        {"down", k(c(ev::kDownArrowCharacter), -1, kPad), now, A::ChannelDown},
        {"Control down", k(c(ev::kDownArrowCharacter), -1, kPad | kCtl), now, A::HistoryPrevious},
        {"left", k(c(ev::kLeftArrowCharacter), -1, kPad), now, A::GotoPrevious},
        {"Control left", k(c(ev::kLeftArrowCharacter), -1, kPad | kCtl), now, A::SpaceCleanPrevious},
        {"right", k(c(ev::kRightArrowCharacter), -1, kPad), now, A::GotoNext},
        {"Control right", k(c(ev::kRightArrowCharacter), -1, kPad | kCtl), now, A::SpaceCleanNext},
        {"arrow to the Object views", k(c(ev::kRightArrowCharacter), -1, kPad), focus, A::ItemView},
        {"arrow in a lasso", k(c(ev::kRightArrowCharacter), -1, kPad), lasso, A::Nothing},
        {"section key", k("`", ev::kKeySection), now, A::SelectPrevious},
        {"Tab", k("\t", ev::kKeyTab), now, A::SelectNext},
        {"repeated Tab", k("\t", ev::kKeyTab, 0, true), now, A::SelectNext},
        {"backslash", k("\\", ev::kKeyBackslash), now, A::SelectNext},
        {"Shift backslash", k("|", ev::kKeyBackslash, kShift), now, A::SelectPrevious},
        {"repeated Delete", k("\x7f", ev::kKeyDelete, 0, true), nowItems, A::Nothing},
        {"F", k("F", -1, kShift), now, A::Filter},
        {"Ctrl F", k("F", -1, kShift | kCmd), now, A::Default},
        {"Alt f", k("f", -1, kOpt), now, A::Filter},
        {"f", k("f"), now, A::Default},
        {"space", k(" "), now, A::ToggleQL},
        {"Shift space", k(" ", -1, kShift), now, A::Default},
        {"Delete on Now", k("\x7f", ev::kKeyDelete), nowItems, A::ReleaseNow},
        {"Delete on Now, nothing to release", k("\x7f", ev::kKeyDelete), now, A::StepBack},
        {"Shift Delete on Now", k("\x7f", ev::kKeyDelete, kShift), nowItems, A::Nothing},
        {"Delete on Search", k("\x7f", ev::kKeyDelete), searchItems, A::Nothing},
        {"Shift Delete on Search", k("\x7f", ev::kKeyDelete, kShift), searchItems, A::ReleaseSearch},
        {"Shift Delete on Search, nothing", k("\x7f", ev::kKeyDelete, kShift), search, A::StepBack},
        {"Meta Ctrl Enter", k("\x03", ev::kKeyKeypadEnter, kCtl | kCmd | kShift), now, A::CleanAndRecallBack},
        {"Meta Shift Enter", k("\x03", ev::kKeyKeypadEnter, kCtl | kShift), now, A::CleanAndRecall},
        {"Meta Enter on Search", k("\x03", ev::kKeyKeypadEnter, kCtl), search, A::CleanAndReplace},
        {"Meta Enter on Now", k("\x03", ev::kKeyKeypadEnter, kCtl), now, A::Nothing},
        {"Ctrl Shift Enter", k("\x03", ev::kKeyKeypadEnter, kCmd | kShift), now, A::RetainSearch},
        {"Ctrl Enter", k("\x03", ev::kKeyKeypadEnter, kCmd), now, A::RecallSearch},
        {"Shift Enter", k("\x03", ev::kKeyKeypadEnter, kShift), now, A::RetainNow},
        {"Enter", k("\x03", ev::kKeyKeypadEnter), search, A::RecallNow},
        {"Meta Delete on Now", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete, kCtl), now, A::CleanAll},
        {"Meta Delete on Search", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete, kCtl), search, A::Nothing},
        {"Ctrl Shift Delete", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete, kCmd | kShift), now, A::ForgetSearch},
        {"Ctrl Delete", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete, kCmd), now, A::ReleaseSearch},
        {"Shift Delete", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete, kShift), now, A::ForgetNow},
        {"Delete", k(c(ev::kForwardDeleteCharacter), ev::kKeyForwardDelete), search, A::ReleaseNow},
        {"Ctrl 1", k("1", ev::kKeyOne, kCmd), now, A::HomeTimePreset},
        {"1", k("1", ev::kKeyOne), now, A::Default},
        {"Return, Search, Shift", k("\r", ev::kKeyReturn, kShift), searchItems, A::RecallSearch},
        {"Return, Search, Shift, nothing", k("\r", ev::kKeyReturn, kShift), search, A::Nothing},
        {"Return, Search", k("\r", ev::kKeyReturn), searchItems, A::RecallNow},
        {"Return, Search, nothing", k("\r", ev::kKeyReturn), search, A::StepBack},
        {"Return, Now", k("\r", ev::kKeyReturn, kShift), nowItems, A::RecallNow},
        {"Return, Now, nothing", k("\r", ev::kKeyReturn), now, A::StepBack},
        {"Ctrl Shift A", k("A", -1, kCmd | kShift), now, A::SelectAll},
        {"Ctrl Alt a", k("a", -1, kCmd | kOpt), now, A::SelectAll},
        {"Ctrl a", k("a", -1, kCmd), now, A::Default},
        {"x", k("x"), now, A::Default},
    };
    for (const Case& t : cases)
        EXPECT_EQ(tlineKeyDown(t.key, t.state), t.action) << t.what;
}
