#include "config/ConfigPageLayout.h"

#include "resources/ResourceIds.h"

namespace {

using K = Keyword;
using C = ControlKind;
using S = ControlStyle;

// clang-format off
constexpr std::array<KeywordControls, KeywordCount> kControls = {{
    // keyword               label  field  partner default insert tooltip
    {K::admin_passwd,        1009,  1007,  0,      0,      0,     200},
    {K::administrivia,       1083,  1011,  1014,   0,      0,     201},
    {K::advertise,           1017,  1020,  0,      0,      0,     202},
    {K::approve_passwd,      1024,  1029,  0,      0,      0,     203},
    {K::archive_dir,         1033,  1038,  0,      0,      0,     204},
    {K::comments,            1042,  1046,  0,      0,      0,     205},
    {K::date_info,           1079,  1050,  1054,   0,      0,     206},
    {K::date_intro,          1086,  1057,  1061,   0,      0,     207},
    {K::debug,               1089,  1064,  1067,   0,      0,     208},
    {K::description,         1071,  1075,  0,      0,      0,     209},
    {K::digest_archive,      1133,  1124,  0,      0,      0,     220},
    {K::digest_issue,        1135,  1091,  1093,   0,      0,     221},
    {K::digest_maxdays,      1136,  1095,  1097,   1119,   0,     222},
    {K::digest_maxlines,     1137,  1099,  1101,   1121,   0,     223},
    {K::digest_name,         1021,  1025,  0,      0,      0,     224},
    {K::digest_rm_footer,    1030,  1034,  0,      0,      0,     225},
    {K::digest_rm_fronter,   1039,  1043,  0,      0,      0,     226},
    {K::digest_volume,       1055,  1103,  1105,   0,      0,     227},
    {K::digest_work_dir,     1047,  1051,  0,      0,      0,     228},
    {K::get_access,          1138,  1127,  0,      0,      0,     229},
    {K::index_access,        1139,  1141,  0,      0,      0,     230},
    {K::info_access,         1140,  1131,  0,      0,      0,     231},
    {K::intro_access,        1068,  1113,  0,      0,      0,     232},
    {K::maxlength,           1072,  1115,  1117,   0,      0,     233},
    {K::message_footer,      1145,  1142,  0,      0,      1122,  240},
    {K::message_fronter,     1012,  1026,  0,      0,      1125,  241},
    {K::message_headers,     1015,  1031,  0,      0,      1128,  242},
    {K::moderate,            1146,  1040,  1044,   0,      0,     243},
    {K::moderator,           1048,  1052,  0,      0,      0,     244},
    {K::mungedomain,         1147,  1143,  1058,   0,      0,     245},
    {K::noadvertise,         1148,  1035,  0,      0,      0,     246},
    {K::precedence,          1154,  1150,  0,      0,      0,     250},
    {K::purge_received,      1155,  1151,  1152,   0,      0,     251},
    {K::reply_to,            1018,  1022,  0,      0,      1149,  252},
    {K::resend_host,         1027,  1032,  0,      0,      0,     253},
    {K::restrict_post,       1036,  1041,  0,      0,      0,     254},
    {K::sender,              1045,  1049,  0,      0,      0,     255},
    {K::strip,               1087,  1053,  1056,   0,      0,     256},
    {K::subject_prefix,      1156,  1062,  0,      0,      1134,  257},
    {K::subscribe_policy,    1157,  1153,  0,      0,      0,     258},
    {K::taboo_body,          1069,  1073,  0,      0,      0,     259},
    {K::taboo_headers,       1076,  1080,  0,      0,      0,     260},
    {K::unsubscribe_policy,  1059,  1107,  0,      0,      0,     270},
    {K::which_access,        1158,  1109,  0,      0,      0,     271},
    {K::who_access,          1065,  1111,  0,      0,      0,     272},
}};
// clang-format on

// A row per keyword in the keyword table's order, every id once; that each
// row has the controls its kind needs is checked by the page tests, as the
// kinds are not known at compile time here.
constexpr bool rowsFollowTheKeywords()
{
    for (size_t i = 0; i < kControls.size(); ++i) {
        if (static_cast<size_t>(kControls[i].keyword) != i)
            return false;
    }
    return true;
}

constexpr bool idsAreUnique()
{
    std::array<int, KeywordCount * 6> ids{};
    size_t count = 0;
    for (const KeywordControls &row : kControls) {
        for (int id : {row.label, row.field, row.partner, row.useDefault, row.insert}) {
            if (id != 0)
                ids[count++] = id;
        }
        ids[count++] = -row.tooltip; // strings are numbered apart from controls
    }
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            if (ids[i] == ids[j])
                return false;
        }
    }
    return true;
}

static_assert(rowsFollowTheKeywords(), "one row per keyword, in the keyword order");
static_assert(idsAreUnique(), "control and string ids of the config pages must be unique");

struct PageInfo
{
    int templateId;
    const char *caption;
    QSize size;
    int blockHeight; // multi-line fields: as high as the page has room for
};

constexpr std::array<PageInfo, ConfigPageCount> kPages = {{
    {IDD_CONFIG_PAGE1, "config 設定(1/5)", {227, 255}, 45},
    {IDD_CONFIG_PAGE2, "config 設定(2/5)", {227, 263}, 45},
    {IDD_CONFIG_PAGE3, "config 設定(3/5)", {227, 223}, 37},
    {IDD_CONFIG_PAGE4, "config 設定(4/5)", {227, 255}, 37},
    {IDD_CONFIG_PAGE5, "config 設定(5/5)", {227, 61}, 45},
}};

// The layout rule, in dialog units.
constexpr int kLabelX = 7;
constexpr int kLabelWidth = 62;
constexpr int kFieldX = 70;
constexpr int kFieldWidth = 150;
constexpr int kInsertX = 214; // the placeholder button, 6 wide
constexpr int kLineHeight = 14;
constexpr int kRowPitch = 17; // one-line rows
constexpr int kBlockGap = 4;  // below a multi-line field

} // namespace

const std::array<KeywordControls, KeywordCount> &keywordControls()
{
    return kControls;
}

std::vector<int> presenceControls(const KeywordControls &row)
{
    std::vector<int> ids;
    for (int id : {row.field, row.partner, row.useDefault}) {
        if (id != 0)
            ids.push_back(id);
    }
    return ids;
}

int configPageTemplateId(int page)
{
    return kPages.at(size_t(page - 1)).templateId;
}

DialogTemplate configPageTemplate(int page)
{
    const PageInfo &info = kPages.at(size_t(page - 1));
    DialogTemplate t{info.templateId, info.caption, info.size, "ＭＳ Ｐゴシック", 9, {}};
    auto add = [&t](int id, ControlKind kind, const char *text, QRect rect,
                    ControlStyles style = {}, const char *name = nullptr) {
        t.controls.push_back({id, kind, text, rect, style, name});
    };
    int y = 7;
    for (const KeywordControls &row : kControls) {
        const KeywordInfo &keyword = keywordInfo(row.keyword);
        if (keyword.page != page)
            continue;
        const bool block = keyword.kind == KeywordKind::Block;
        // The label stands level with the first line of its field and
        // precedes it, so that it names it.
        add(row.label, C::Static, keyword.name, {kLabelX, y + (block ? 2 : 3), kLabelWidth, 8},
            S::GroupStart);
        const int width = row.insert == 0 ? kFieldWidth : block ? 142 : 141;
        switch (keyword.kind) {
        case KeywordKind::String:
            if (keyword.choices != ChoiceList::None)
                add(row.field, C::DropDownList, "", {kFieldX, y, 66, 60});
            else
                add(row.field, C::Edit, "", {kFieldX, y, width, kLineHeight});
            break;
        case KeywordKind::YesNo:
            add(row.field, C::RadioButton, "yes", {kFieldX, y + 2, 27, 10}, S::GroupStart);
            add(row.partner, C::RadioButton, "no", {99, y + 2, 27, 10});
            break;
        case KeywordKind::Integer:
        case KeywordKind::OptionalInteger:
            add(row.field, C::Edit, "", {kFieldX, y, 48, kLineHeight});
            add(row.partner, C::UpDown, "", {0, 0, 11, kLineHeight}, S::AttachToBuddy);
            if (row.useDefault != 0)
                add(row.useDefault, C::CheckBox, "Default", {kFieldX + 54, y + 2, 40, 10});
            break;
        case KeywordKind::Block:
            add(row.field, C::MultiLineEdit, "", {kFieldX, y, width, info.blockHeight});
            break;
        }
        if (row.insert != 0)
            add(row.insert, C::Button, "Button1", {kInsertX, y, 6, kLineHeight}, {},
                "プレースホルダーの挿入");
        y += block ? info.blockHeight + kBlockGap : kRowPitch;
    }
    return t;
}
