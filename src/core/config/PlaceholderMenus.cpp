#include "config/PlaceholderMenus.h"

#include <QtGlobal>

#include <array>

namespace {

constexpr const char *kList = QT_TRANSLATE_NOOP("PlaceholderMenus", "メーリングリスト名");
constexpr const char *kSerial = QT_TRANSLATE_NOOP("PlaceholderMenus", "通し番号");
constexpr const char *kSender = QT_TRANSLATE_NOOP("PlaceholderMenus", "From: アドレス");
constexpr const char *kVersion =
    QT_TRANSLATE_NOOP("PlaceholderMenus", "majordomo のバージョン情報");

// Footer and fronter number the mail as $ISSUE, the subject as $NUM; added
// headers carry no number.
constexpr std::array<Placeholder, 4> kAroundBody = {
    {{kList, "$LIST"}, {kSerial, "$ISSUE"}, {kSender, "$SENDER"}, {kVersion, "$VERSION"}}};
constexpr std::array<Placeholder, 3> kHeaders = {
    {{kList, "$LIST"}, {kSender, "$SENDER"}, {kVersion, "$VERSION"}}};
constexpr std::array<Placeholder, 1> kReplyTo = {{{kSender, "$SENDER"}}};
constexpr std::array<Placeholder, 4> kSubject = {
    {{kList, "$LIST"}, {kSerial, "$NUM"}, {kSender, "$SENDER"}, {kVersion, "$VERSION"}}};

constexpr std::array<PlaceholderMenu, 5> kMenus = {{
    {Keyword::message_footer, kAroundBody},
    {Keyword::message_fronter, kAroundBody},
    {Keyword::message_headers, kHeaders},
    {Keyword::reply_to, kReplyTo},
    {Keyword::subject_prefix, kSubject},
}};

} // namespace

const PlaceholderMenu *placeholderMenu(Keyword target)
{
    for (const PlaceholderMenu &menu : kMenus) {
        if (menu.target == target)
            return &menu;
    }
    return nullptr;
}
