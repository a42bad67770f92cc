#pragma once

#include <QByteArrayView>

#include <array>
#include <span>

// The value kinds a Majordomo config keyword can have.
enum class KeywordKind
{
    String,
    YesNo,
    Integer,
    OptionalInteger, // an integer, or the keyword with an empty value
    Block,           // a here document of lines, "<<  END" ... "END"
};

// The choice list that constrains some String keywords in the editor.
enum class ChoiceList
{
    None,
    Access, // AccessChoices
    Policy, // PolicyChoices
};

// The 45 keywords the program edits, in the record's and the editor's order.
enum class Keyword
{
    admin_passwd,
    administrivia,
    advertise,
    approve_passwd,
    archive_dir,
    comments,
    date_info,
    date_intro,
    debug,
    description,
    digest_archive,
    digest_issue,
    digest_maxdays,
    digest_maxlines,
    digest_name,
    digest_rm_footer,
    digest_rm_fronter,
    digest_volume,
    digest_work_dir,
    get_access,
    index_access,
    info_access,
    intro_access,
    maxlength,
    message_footer,
    message_fronter,
    message_headers,
    moderate,
    moderator,
    mungedomain,
    noadvertise,
    precedence,
    purge_received,
    reply_to,
    resend_host,
    restrict_post,
    sender,
    strip,
    subject_prefix,
    subscribe_policy,
    taboo_body,
    taboo_headers,
    unsubscribe_policy,
    which_access,
    who_access,
};

inline constexpr int KeywordCount = 45;

// One row of the keyword table: what the file layer and the editor know of a keyword.
struct KeywordInfo
{
    Keyword keyword;
    const char *name; // lower case, as written in the file
    KeywordKind kind;
    int page; // editor page, 1 to 5
    ChoiceList choices;
};

const std::array<KeywordInfo, KeywordCount> &keywordTable();
inline const KeywordInfo &keywordInfo(Keyword k)
{
    return keywordTable()[static_cast<size_t>(k)];
}

// The entries of the two choice lists, in the editor's order.
inline constexpr std::array<const char *, 3> AccessChoices = {"open", "list", "closed"};
inline constexpr std::array<const char *, 6> PolicyChoices = {
    "open", "closed", "auto", "open+confirm", "closed+confirm", "auto+confirm"};

// The entries a keyword's drop-down list offers; empty for ChoiceList::None.
inline std::span<const char *const> choiceEntries(ChoiceList list)
{
    switch (list) {
    case ChoiceList::Access:
        return AccessChoices;
    case ChoiceList::Policy:
        return PolicyChoices;
    case ChoiceList::None:
        break;
    }
    return {};
}

// The table index of a keyword given in lower case, or -1 when it is none of the 45.
int keywordIndex(QByteArrayView lowerName);
