#include "config/KeywordTable.h"

#include <algorithm>

namespace {

using K = Keyword;
using Kind = KeywordKind;
constexpr ChoiceList N = ChoiceList::None;
constexpr ChoiceList A = ChoiceList::Access;
constexpr ChoiceList P = ChoiceList::Policy;

constexpr std::array<KeywordInfo, KeywordCount> kTable = {{
    {K::admin_passwd, "admin_passwd", Kind::String, 1, N},
    {K::administrivia, "administrivia", Kind::YesNo, 1, N},
    {K::advertise, "advertise", Kind::Block, 1, N},
    {K::approve_passwd, "approve_passwd", Kind::String, 1, N},
    {K::archive_dir, "archive_dir", Kind::String, 1, N},
    {K::comments, "comments", Kind::Block, 1, N},
    {K::date_info, "date_info", Kind::YesNo, 1, N},
    {K::date_intro, "date_intro", Kind::YesNo, 1, N},
    {K::debug, "debug", Kind::YesNo, 1, N},
    {K::description, "description", Kind::String, 1, N},
    {K::digest_archive, "digest_archive", Kind::String, 2, N},
    {K::digest_issue, "digest_issue", Kind::Integer, 2, N},
    {K::digest_maxdays, "digest_maxdays", Kind::OptionalInteger, 2, N},
    {K::digest_maxlines, "digest_maxlines", Kind::OptionalInteger, 2, N},
    {K::digest_name, "digest_name", Kind::String, 2, N},
    {K::digest_rm_footer, "digest_rm_footer", Kind::String, 2, N},
    {K::digest_rm_fronter, "digest_rm_fronter", Kind::String, 2, N},
    {K::digest_volume, "digest_volume", Kind::Integer, 2, N},
    {K::digest_work_dir, "digest_work_dir", Kind::String, 2, N},
    {K::get_access, "get_access", Kind::String, 2, A},
    {K::index_access, "index_access", Kind::String, 2, A},
    {K::info_access, "info_access", Kind::String, 2, A},
    {K::intro_access, "intro_access", Kind::String, 2, A},
    {K::maxlength, "maxlength", Kind::Integer, 2, N},
    {K::message_footer, "message_footer", Kind::Block, 3, N},
    {K::message_fronter, "message_fronter", Kind::Block, 3, N},
    {K::message_headers, "message_headers", Kind::Block, 3, N},
    {K::moderate, "moderate", Kind::YesNo, 3, N},
    {K::moderator, "moderator", Kind::String, 3, N},
    {K::mungedomain, "mungedomain", Kind::YesNo, 3, N},
    {K::noadvertise, "noadvertise", Kind::Block, 3, N},
    {K::precedence, "precedence", Kind::String, 4, N},
    {K::purge_received, "purge_received", Kind::YesNo, 4, N},
    {K::reply_to, "reply_to", Kind::String, 4, N},
    {K::resend_host, "resend_host", Kind::String, 4, N},
    {K::restrict_post, "restrict_post", Kind::String, 4, N},
    {K::sender, "sender", Kind::String, 4, N},
    {K::strip, "strip", Kind::YesNo, 4, N},
    {K::subject_prefix, "subject_prefix", Kind::String, 4, N},
    {K::subscribe_policy, "subscribe_policy", Kind::String, 4, P},
    {K::taboo_body, "taboo_body", Kind::Block, 4, N},
    {K::taboo_headers, "taboo_headers", Kind::Block, 4, N},
    {K::unsubscribe_policy, "unsubscribe_policy", Kind::String, 5, P},
    {K::which_access, "which_access", Kind::String, 5, A},
    {K::who_access, "who_access", Kind::String, 5, A},
}};

constexpr bool tableIsInEnumOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<size_t>(kTable[i].keyword) != i)
            return false;
    }
    return true;
}
static_assert(tableIsInEnumOrder(), "keyword table rows must follow the Keyword enum");

constexpr bool namesAscend()
{
    for (size_t i = 1; i < kTable.size(); ++i) {
        const char *a = kTable[i - 1].name;
        const char *b = kTable[i].name;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (static_cast<unsigned char>(*a) >= static_cast<unsigned char>(*b))
            return false;
    }
    return true;
}
static_assert(namesAscend(), "keywordIndex searches the names in byte order");

} // namespace

const std::array<KeywordInfo, KeywordCount> &keywordTable()
{
    return kTable;
}

int keywordIndex(QByteArrayView lowerName)
{
    // The names are in ascending byte order, so a binary search finds them.
    const auto it = std::lower_bound(kTable.begin(), kTable.end(), lowerName,
                                     [](const KeywordInfo &row, QByteArrayView name) {
                                         return QByteArrayView(row.name) < name;
                                     });
    if (it == kTable.end() || QByteArrayView(it->name) != lowerName)
        return -1;
    return int(it - kTable.begin());
}
