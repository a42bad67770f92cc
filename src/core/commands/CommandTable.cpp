#include "commands/CommandTable.h"

#include <array>

namespace {

using K = CommandKind;
using C = CreateRule;
using X = ExtractionRule;
using E = MailingListEntry;

constexpr const char *kNoData = "設定するﾃﾞｰﾀはありません";

// clang-format off
constexpr std::array<CommandTab, kCommandKindCount> kTabs = {{
    // kind                  tab label      field label        field  1084   1081   1077   drops  file           create           extraction               config  browse            roster
    {K::ForcedUnsubscribe, "強制退会",    "退会者ｱﾄﾞﾚｽ",     true,  true,  false, false, true,  nullptr,        C::AfterTyping,   X::ErrorMailAddresses, false, nullptr, nullptr, false},
    {K::ForcedSubscribe,   "強制入会",    "入会者ｱﾄﾞﾚｽ",     true,  true,  false, false, true,  nullptr,        C::AfterTyping,   X::SenderAddress,      false, nullptr, nullptr, false},
    {K::ChangePassword,    "ﾊﾟｽﾜｰﾄﾞ変更", "新規ﾊﾟｽﾜｰﾄﾞ",     true,  false, false, false, false, nullptr,        C::AfterTyping,   X::None,               false, nullptr, nullptr, false},
    {K::MemberList,        "会員一覧",    kNoData,           false, false, false, false, false, nullptr,        C::Always,        X::None,               false, nullptr, nullptr, true},
    {K::NewInfo,           "Info変更",    "Infoファイル名",   true,  false, true,  true,  true,  &E::InfoFile,   C::IfFieldFilled, X::None,               false, "info",
     "infoﾌｧｲﾙ (*.info)|*.info|全てのﾌｧｲﾙ (*.*)|*.*||", false},
    {K::NewIntro,          "Intro変更",   "Introファイル名",  true,  false, true,  true,  true,  &E::IntroFile,  C::IfFieldFilled, X::None,               false, "intro",
     "introﾌｧｲﾙ (*.intro)|*.intro|全てのﾌｧｲﾙ (*.*)|*.*||", false},
    {K::GetConfig,         "config 取得", kNoData,           false, false, false, false, false, nullptr,        C::Always,        X::None,               false, nullptr, nullptr, false},
    {K::NewConfig,         "config 変更", "configファイル名", true,  false, true,  true,  true,  &E::ConfigFile, C::IfFieldFilled, X::None,               true,  "config",
     "configﾌｧｲﾙ (*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||", false},
}};
// clang-format on

constexpr bool inKindOrder()
{
    for (size_t i = 0; i < kTabs.size(); ++i) {
        if (static_cast<size_t>(kTabs[i].kind) != i)
            return false;
    }
    return true;
}
static_assert(inKindOrder(), "one row per command, in CommandKind order");

constexpr bool filesMatchTheirTabs()
{
    // A tab that edits a list's file shows the field and its edit and browse
    // buttons, takes drops and can create once the field is filled.
    for (const CommandTab &tab : kTabs) {
        const bool file = tab.file != nullptr;
        if (file != (tab.create == CreateRule::IfFieldFilled) || (file && !tab.acceptsDrops) ||
            file != tab.editShown || file != tab.browseShown ||
            file != (tab.browseFilter != nullptr))
            return false;
        if ((tab.extraction != ExtractionRule::None) != tab.extractShown)
            return false;
        if (tab.create == CreateRule::Always && tab.fieldShown)
            return false;
        // The roster button stands where the extraction button does.
        if (tab.rosterShown && tab.extractShown)
            return false;
    }
    return true;
}
static_assert(filesMatchTheirTabs(), "file tabs, extraction tabs and field tabs agree");

} // namespace

std::span<const CommandTab> commandTabs()
{
    return kTabs;
}

const CommandTab *commandTab(int tab)
{
    return tab >= 0 && tab < int(kTabs.size()) ? &kTabs[size_t(tab)] : nullptr;
}
