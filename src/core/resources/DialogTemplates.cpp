#include "resources/DialogTemplate.h"

#include "config/ConfigPageLayout.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace {

using K = ControlKind;
using S = ControlStyle;
namespace M = MainIds;
namespace C = CommonSendIds;
namespace F = CommonFetchIds;

constexpr const char *kDialogFont = "ＭＳ Ｐゴシック";
constexpr int kDialogPointSize = 9;

const std::vector<DialogTemplate> &templates()
{
    static const std::vector<DialogTemplate> all = {
        {IDD_ABOUTBOX,
         "ﾊﾞｰｼﾞｮﾝ情報 Tavelin",
         {180, 50},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Icon, "128", {11, 14, 21, 20}},
             {IDC_STATIC, K::Static, "Tavelin Version 0.6", {40, 18, 80, 8}},
             {IDOK, K::Button, "OK", {128, 14, 45, 14}, S::DefaultButton | S::GroupStart},
         }},
        {IDD_TAVELIN_DIALOG,
         "Tavelin for Quillon",
         {215, 225},
         kDialogFont,
         kDialogPointSize,
         {
             {M::IDC_LIST, K::DropDownList, "", {7, 7, 148, 83}, S::Sorted, "ﾒｰﾘﾝｸﾞﾘｽﾄ"},
             {M::IDC_ADD, K::Button, "新規追加", {163, 7, 45, 14}},
             {M::IDC_RENAME, K::Button, "名称変更", {163, 24, 45, 14}, S::Disabled},
             {M::IDC_DELETE, K::Button, "削除", {163, 42, 45, 14}, S::Disabled},
             {IDC_STATIC, K::GroupBox, "管理情報", {7, 26, 148, 70}},
             {IDC_STATIC, K::Static, "管理ｱﾄﾞﾚｽ", {9, 42, 39, 8}},
             {M::IDC_ADDRESS, K::Edit, "", {52, 39, 95, 14}, S::Disabled},
             {IDC_STATIC, K::Static, "管理ﾊﾟｽﾜｰﾄﾞ", {9, 78, 39, 8}},
             {M::IDC_PASSWD, K::Edit, "", {52, 75, 95, 14}, S::Password | S::Disabled},
             {M::IDC_COMMON, K::Button, "共通設定", {163, 81, 45, 14}},
             {M::IDC_SAVE, K::Button, "設定の保存", {163, 63, 45, 14}, S::Disabled},
             {IDC_STATIC, K::Static, "ﾘｽﾄ名", {9, 60, 39, 8}},
             {M::IDC_LISTNAME, K::Edit, "", {52, 57, 95, 14}, S::Disabled},
             {M::IDC_SENDALL, K::Button, "全ﾒｰﾙ送信", {152, 180, 56, 15}, S::Disabled},
             {M::IDC_CREATE, K::Button, "ｺﾏﾝﾄﾞﾒｰﾙ作成", {7, 180, 56, 15}, S::Disabled},
             {M::IDC_QUEUE, K::Button, "既成ﾒｰﾙ操作", {7, 203, 56, 15}, S::Disabled},
             {M::IDC_FETCH, K::Button, "ﾒｰﾙ受信", {152, 203, 56, 15}},
             {M::IDC_CREATED, K::Static, "通 作成済", {82, 183, 31, 8}},
             {M::IDC_COUNT,
              K::Edit,
              "",
              {64, 183, 16, 12},
              S::ReadOnly | S::RightAlign | S::NoBorder},
             {M::IDC_LABEL, K::Static, "", {13, 118, 123, 8}},
             {M::IDC_ARGUMENT, K::Edit, "", {12, 132, 185, 14}, S::Hidden | S::Disabled},
             {M::IDC_BROWSE, K::Button, "参照", {165, 151, 32, 15}, S::Hidden | S::Disabled},
             {M::IDC_EDIT, K::Button, "編集", {123, 151, 32, 15}, S::Hidden | S::Disabled},
             {M::IDC_EXTRACT, K::Button, "ｱﾄﾞﾚｽ抽出", {12, 152, 56, 15}, S::Hidden | S::Disabled},
             {M::IDC_ROSTER, K::Button, "会員一覧表示", {12, 152, 56, 15}, S::Hidden | S::Disabled},
             {M::IDC_TAB, K::TabControl, "", {7, 100, 201, 74}, S::Disabled},
         }},
        {IDD_QUEUEDMAIL,
         "既成メール編集",
         {250, 139},
         kDialogFont,
         kDialogPointSize,
         {
             // Filled in the queue's own order (by subject, letter case
             // ignored), so the list does not sort again.
             {QueuedMailIds::IDC_MAILS, K::ListBox, "", {7, 7, 194, 102}, {}, "既成ﾒｰﾙ"},
             {QueuedMailIds::IDC_EDIT, K::Button, "編集", {206, 7, 37, 14}},
             {QueuedMailIds::IDC_DELETE, K::Button, "削除", {206, 35, 37, 14}},
             {IDOK, K::Button, "OK", {89, 118, 50, 14}, S::DefaultButton | S::GroupStart},
         }},
        {IDD_MAILSELECT,
         "メール選択",
         {187, 71},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "ｴﾗｰﾒｰﾙﾌｧｲﾙ名", {7, 7, 49, 8}},
             {MailSelectIds::IDC_FILE, K::Edit, "", {7, 25, 173, 14}},
             // Several files are shown each in double quotes, as the file
             // dialog writes them; a folder is read whole.
             {MailSelectIds::IDC_FOLDER, K::Button, "ﾌｫﾙﾀﾞ", {116, 7, 34, 14}},
             {MailSelectIds::IDC_BROWSE, K::Button, "参照", {153, 7, 27, 14}},
             {IDOK, K::Button, "OK", {7, 50, 50, 14}, S::DefaultButton | S::GroupStart},
             {IDCANCEL, K::Button, "ｷｬﾝｾﾙ", {130, 50, 50, 14}},
         }},
        {IDD_COMMON_SEND,
         "送信設定",
         {235, 254},
         kDialogFont,
         kDialogPointSize,
         {
             // Own SMTP: the server, the sender and the outgoing folder.
             {C::IDC_OWN_SMTP,
              K::RadioButton,
              "Tavelin単独で送信する",
              {7, 5, 110, 10},
              S::GroupStart},
             {C::IDC_SERVER_LABEL, K::Static, "SMTPｻｰﾊﾞｰ名", {17, 21, 62, 8}, S::Disabled},
             {C::IDC_SERVER, K::Edit, "", {82, 19, 146, 12}, S::Disabled},
             {C::IDC_TIMEZONE_LABEL, K::Static, "ﾀｲﾑｿﾞｰﾝ", {17, 36, 62, 8}, S::Disabled},
             {C::IDC_TIMEZONE, K::Edit, "", {82, 34, 40, 12}, S::Disabled},
             {C::IDC_PORT_LABEL, K::Static, "ﾎﾟｰﾄ番号", {136, 36, 36, 8}, S::Disabled},
             {C::IDC_PORT, K::Edit, "", {174, 34, 54, 12}, S::Disabled},
             {C::IDC_PORT_SPIN, K::UpDown, "", {0, 0, 10, 12}, S::AttachToBuddy},
             {C::IDC_SECURITY_LABEL, K::Static, "接続の保護", {17, 51, 62, 8}, S::Disabled},
             {C::IDC_SECURITY, K::DropDownList, "", {82, 49, 80, 60}, S::Disabled},
             {C::IDC_USERNAME_LABEL, K::Static, "ﾕｰｻﾞｰ名", {17, 66, 62, 8}, S::Disabled},
             {C::IDC_USERNAME, K::Edit, "", {82, 64, 146, 12}, S::Disabled},
             {C::IDC_PASSWORD_LABEL, K::Static, "ﾊﾟｽﾜｰﾄﾞ", {17, 81, 62, 8}, S::Disabled},
             {C::IDC_PASSWORD, K::Edit, "", {82, 79, 146, 12}, S::Password | S::Disabled},
             {C::IDC_ADDRESS_LABEL, K::Static, "ﾒｰﾙｱﾄﾞﾚｽ", {17, 96, 62, 8}, S::Disabled},
             {C::IDC_ADDRESS, K::Edit, "", {82, 94, 146, 12}, S::Disabled},
             {C::IDC_FOLDER_LABEL,
              K::Static,
              "作成したﾒｰﾙの一時保存先ﾌｫﾙﾀﾞ",
              {17, 111, 160, 8},
              S::Disabled},
             {C::IDC_FOLDER, K::Edit, "", {17, 121, 175, 12}, S::Disabled},
             {C::IDC_FOLDER_BROWSE, K::Button, "参照", {196, 120, 32, 14}, S::Disabled},
             {C::IDC_SAVE_MAIL, K::CheckBox, "送信控えを保存する", {17, 137, 100, 10}, S::Disabled},
             // Dial-up; the redial values are kept but never shown.
             {C::IDC_DIALUP, K::CheckBox, "ﾀﾞｲｱﾙｱｯﾌﾟ接続", {17, 152, 80, 10}, S::Disabled},
             {C::IDC_REDIAL_LABEL,
              K::Static,
              "ﾘﾀﾞｲｱﾙ回数",
              {100, 153, 36, 8},
              S::Hidden | S::Disabled},
             {C::IDC_REDIAL, K::Edit, "", {138, 151, 26, 12}, S::Hidden | S::Disabled},
             {C::IDC_REDIAL_SPIN,
              K::UpDown,
              "",
              {0, 0, 10, 12},
              S::AttachToBuddy | S::Hidden | S::Disabled},
             {C::IDC_INTERVAL_LABEL,
              K::Static,
              "ﾘﾀﾞｲｱﾙ間隔",
              {166, 153, 36, 8},
              S::Hidden | S::Disabled},
             {C::IDC_INTERVAL, K::Edit, "", {202, 151, 26, 12}, S::Hidden | S::Disabled},
             {C::IDC_INTERVAL_SPIN,
              K::UpDown,
              "",
              {0, 0, 10, 12},
              S::AttachToBuddy | S::Hidden | S::Disabled},
             {C::IDC_ENTRY_LABEL, K::Static, "接続名", {27, 168, 50, 8}, S::Disabled},
             {C::IDC_ENTRY, K::DropDownList, "", {82, 166, 146, 80}, S::Sorted | S::Disabled},
             // The companion client: its edition, its signature and its sending program.
             {C::IDC_QUILLON, K::RadioButton, "Quillonで送信する", {7, 184, 110, 10}},
             {C::IDC_EDITION_16,
              K::RadioButton,
              "16bit版",
              {17, 198, 45, 10},
              S::GroupStart | S::Disabled},
             {C::IDC_EDITION_32, K::RadioButton, "32bit版", {67, 198, 45, 10}, S::Disabled},
             {C::IDC_NO_SIGNATURE,
              K::CheckBox,
              "ｼｸﾞﾈﾁｬ無しで送信",
              {125, 198, 103, 10},
              S::Disabled},
             {C::IDC_PROGRAM_LABEL,
              K::Static,
              "使用する Qsend.exe",
              {17, 212, 160, 8},
              S::Disabled},
             {C::IDC_PROGRAM, K::Edit, "", {17, 222, 175, 12}, S::Disabled},
             {C::IDC_PROGRAM_BROWSE, K::Button, "参照", {196, 221, 32, 14}, S::Disabled},
             // Every password of the register and of the login, in either mode.
             {C::IDC_KEYRING, K::CheckBox, "ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存", {7, 238, 150, 10}},
         }},
        {IDD_COMMON_EDIT,
         "編集設定",
         {217, 95},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "使用するエディタ", {14, 20, 120, 8}},
             {CommonEditIds::IDC_EDITOR, K::Edit, "", {14, 31, 150, 12}},
             {CommonEditIds::IDC_EDITOR_BROWSE, K::Button, "参照", {170, 30, 32, 14}},
         }},
        {IDD_COMMON_FETCH,
         "受信設定",
         {235, 150},
         kDialogFont,
         kDialogPointSize,
         {
             // The owner's mailbox, where the server's replies and the
             // returned mails arrive.
             {IDC_STATIC, K::Static, "IMAPｻｰﾊﾞｰ名", {17, 13, 62, 8}},
             {F::IDC_SERVER, K::Edit, "", {82, 11, 146, 12}},
             {IDC_STATIC, K::Static, "ﾎﾟｰﾄ番号", {17, 28, 62, 8}},
             {F::IDC_PORT, K::Edit, "", {82, 26, 54, 12}},
             {F::IDC_PORT_SPIN, K::UpDown, "", {0, 0, 10, 12}, S::AttachToBuddy},
             {IDC_STATIC, K::Static, "接続の保護", {17, 42, 62, 8}},
             {F::IDC_TLS, K::RadioButton, "TLS", {82, 41, 50, 10}, S::GroupStart},
             {F::IDC_STARTTLS, K::RadioButton, "STARTTLS", {136, 41, 60, 10}},
             {IDC_STATIC, K::Static, "ﾕｰｻﾞｰ名", {17, 57, 62, 8}, S::GroupStart},
             {F::IDC_USERNAME, K::Edit, "", {82, 55, 146, 12}},
             {IDC_STATIC, K::Static, "ﾊﾟｽﾜｰﾄﾞ", {17, 72, 62, 8}},
             {F::IDC_PASSWORD, K::Edit, "", {82, 70, 146, 12}, S::Password},
             {IDC_STATIC, K::Static, "受信するﾌｫﾙﾀﾞ", {17, 87, 62, 8}},
             {F::IDC_FOLDER, K::Edit, "", {82, 85, 146, 12}},
             {IDC_STATIC,
              K::Static,
              "処理したﾒｰﾙの移動先ﾌｫﾙﾀﾞ(空欄なら移動しない)",
              {17, 102, 200, 8}},
             {F::IDC_MOVETO, K::Edit, "", {17, 112, 211, 12}},
         }},
        // The config pages follow their layout rule from the keyword rows.
        configPageTemplate(1),
        configPageTemplate(2),
        configPageTemplate(3),
        configPageTemplate(4),
        configPageTemplate(5),
        {IDD_TITLE,
         "ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ",
         {186, 60},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "ﾀｲﾄﾙ", {7, 10, 24, 8}},
             {TitleIds::IDC_TITLE, K::Edit, "", {34, 7, 145, 14}},
             {IDOK, K::Button, "OK", {42, 36, 45, 14}, S::DefaultButton | S::GroupStart},
             {IDCANCEL, K::Button, "ｷｬﾝｾﾙ", {99, 36, 45, 14}},
         }},
        {IDD_FILERENAME,
         "ファイル名変更",
         {230, 82},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "元ファイル名", {7, 10, 48, 8}},
             {FileRenameIds::IDC_SOURCE, K::Edit, "", {58, 7, 165, 14}},
             {IDC_STATIC, K::Static, "変更ファイル名", {7, 31, 48, 8}},
             {FileRenameIds::IDC_NEWNAME, K::Edit, "", {58, 28, 128, 14}},
             {FileRenameIds::IDC_BROWSE, K::Button, "参照", {191, 28, 32, 14}},
             {IDOK, K::Button, "OK", {58, 58, 50, 14}, S::DefaultButton | S::GroupStart},
             {IDCANCEL, K::Button, "ｷｬﾝｾﾙ", {118, 58, 50, 14}},
         }},
        {IDD_STATUS,
         "Tavelin 処理ステータス",
         {187, 61},
         kDialogFont,
         kDialogPointSize,
         {
             {StatusIds::IDC_STATUS1, K::Static, "", {7, 5, 173, 18}, S::Center},
             {StatusIds::IDC_STATUS2, K::Static, "", {7, 25, 173, 8}, S::Center},
             {StatusIds::IDC_KEEPCONNECTION,
              K::CheckBox,
              "ﾀﾞｲｱﾙｱｯﾌﾟを切断しない",
              {7, 42, 110, 10},
              S::Hidden},
             {StatusIds::IDC_CANCELSEND, K::Button, "送信ｷｬﾝｾﾙ", {130, 40, 50, 14}},
         }},
        {IDD_REPLYRESULTS,
         "ｺﾏﾝﾄﾞ実行結果",
         {260, 222},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "ﾘｽﾄ", {7, 9, 30, 8}},
             {ReplyResultsIds::IDC_LIST, K::Edit, "", {40, 7, 213, 12}, S::ReadOnly},
             {IDC_STATIC, K::Static, "返信日時", {7, 25, 30, 8}},
             {ReplyResultsIds::IDC_DATE, K::Edit, "", {40, 23, 213, 12}, S::ReadOnly},
             {IDC_STATIC, K::Static, "ｺﾏﾝﾄﾞ", {7, 40, 60, 8}},
             {ReplyResultsIds::IDC_COMMANDS, K::ListBox, "", {7, 50, 246, 66}},
             {IDC_STATIC, K::Static, "ｻｰﾊﾞｰの返答", {7, 120, 60, 8}},
             {ReplyResultsIds::IDC_TEXT, K::MultiLineEdit, "", {7, 130, 246, 52}, S::ReadOnly},
             {ReplyResultsIds::IDC_NOTE, K::Static, "", {7, 185, 246, 16}},
             {IDOK, K::Button, "閉じる", {105, 203, 50, 14}, S::DefaultButton | S::GroupStart},
         }},
        {IDD_ROSTER,
         "会員一覧",
         {280, 230},
         kDialogFont,
         kDialogPointSize,
         {
             {RosterIds::IDC_SUMMARY, K::Static, "", {7, 7, 266, 8}},
             {IDC_STATIC, K::Static, "検索", {7, 22, 24, 8}},
             {RosterIds::IDC_SEARCH, K::Edit, "", {34, 20, 120, 12}},
             {IDC_STATIC, K::Static, "表示", {162, 22, 20, 8}},
             {RosterIds::IDC_FILTER, K::DropDownList, "", {184, 20, 89, 60}},
             // Filled in the server's order: the list does not sort.
             {RosterIds::IDC_MEMBERS, K::ListBox, "", {7, 37, 266, 164}, {}, "会員"},
             {RosterIds::IDC_EXPORT, K::Button, "CSV出力", {7, 209, 50, 14}},
             {RosterIds::IDC_UNSUBSCRIBE,
              K::Button,
              "選択したｱﾄﾞﾚｽを強制退会",
              {62, 209, 110, 14},
              S::Disabled},
             {IDOK, K::Button, "閉じる", {223, 209, 50, 14}, S::DefaultButton | S::GroupStart},
         }},
        {IDD_FETCHSUMMARY,
         "ﾒｰﾙ受信結果",
         {260, 170},
         kDialogFont,
         kDialogPointSize,
         {
             {FetchSummaryIds::IDC_COUNTS, K::Static, "", {7, 7, 246, 16}},
             // What needs the owner first: failed commands, then the rest.
             {FetchSummaryIds::IDC_ITEMS, K::ListBox, "", {7, 26, 246, 116}, {}, "受信したﾒｰﾙ"},
             {FetchSummaryIds::IDC_UNSUBSCRIBE,
              K::Button,
              "強制退会へ",
              {7, 149, 56, 14},
              S::Disabled},
             {FetchSummaryIds::IDC_SUBSCRIBE,
              K::Button,
              "強制入会へ",
              {68, 149, 56, 14},
              S::Disabled},
             {FetchSummaryIds::IDC_RESULTS, K::Button, "結果表示", {129, 149, 40, 14}, S::Disabled},
             {FetchSummaryIds::IDC_ROSTER, K::Button, "会員一覧", {174, 149, 40, 14}, S::Disabled},
             {IDOK, K::Button, "閉じる", {219, 149, 34, 14}, S::DefaultButton | S::GroupStart},
         }},
        {IDD_BOUNCESUMMARY,
         "ｴﾗｰﾒｰﾙ集計",
         {300, 197},
         kDialogFont,
         kDialogPointSize,
         {
             {BounceSummaryIds::IDC_COUNTS, K::Static, "", {7, 7, 286, 8}},
             // The thresholds check the rows; OK keeps them for the next time.
             {IDC_STATIC, K::Static, "ｴﾗｰ日数(以上)", {7, 23, 60, 8}},
             {BounceSummaryIds::IDC_MINDAYS, K::Edit, "", {68, 21, 40, 12}, S::RightAlign},
             {BounceSummaryIds::IDC_MINDAYS_SPIN, K::UpDown, "", {0, 0, 10, 12}, S::AttachToBuddy},
             {IDC_STATIC, K::Static, "集計期間(日)", {124, 23, 60, 8}},
             {BounceSummaryIds::IDC_WITHIN, K::Edit, "", {185, 21, 40, 12}, S::RightAlign},
             {BounceSummaryIds::IDC_WITHIN_SPIN, K::UpDown, "", {0, 0, 10, 12}, S::AttachToBuddy},
             // Most reports first: the list does not sort.
             {BounceSummaryIds::IDC_ADDRESSES, K::ListView, "", {7, 38, 286, 132}, {}, "ｴﾗｰｱﾄﾞﾚｽ"},
             {BounceSummaryIds::IDC_CHECKALL, K::Button, "全てﾁｪｯｸ", {7, 176, 50, 14}},
             {BounceSummaryIds::IDC_UNCHECKALL, K::Button, "全て外す", {61, 176, 50, 14}},
             {IDOK, K::Button, "OK", {189, 176, 50, 14}, S::DefaultButton | S::GroupStart},
             {IDCANCEL, K::Button, "ｷｬﾝｾﾙ", {243, 176, 50, 14}},
         }},
    };
    return all;
}

} // namespace

const ControlTemplate *DialogTemplate::control(int controlId) const
{
    const auto it =
        std::find_if(controls.begin(), controls.end(),
                     [controlId](const ControlTemplate &c) { return c.id == controlId; });
    return it == controls.end() ? nullptr : &*it;
}

std::span<const DialogTemplate> dialogTemplates()
{
    return templates();
}

const DialogTemplate *findDialogTemplate(int id)
{
    for (const DialogTemplate &t : templates()) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

DialogTemplate propertySheetFrame(const char *caption, QSize page, bool withApply)
{
    // The tab control holds the largest page with room for its tabs and
    // border; the buttons stand in a row under it, at the right.
    constexpr int margin = 7;
    constexpr int tabsExtra = 6;     // the tab control's border, left and right
    constexpr int tabsRowExtra = 20; // the row of tabs and the border
    constexpr QSize button(50, 14);
    constexpr int gap = 6;
    const QRect tabs(margin, margin, page.width() + tabsExtra, page.height() + tabsRowExtra);
    const int buttonTop = tabs.bottom() + 1 + margin;
    const int buttonCount = withApply ? 3 : 2;
    const int width = tabs.right() + 1 + margin;
    int left = width - margin - buttonCount * button.width() - (buttonCount - 1) * gap;
    DialogTemplate frame{
        0,           caption,          {width, buttonTop + button.height() + margin},
        kDialogFont, kDialogPointSize, {{SheetIds::IDC_TABS, K::TabControl, "", tabs}}};
    const auto addButton = [&](int id, const char *text, ControlStyles style) {
        frame.controls.push_back({id, K::Button, text, {QPoint(left, buttonTop), button}, style});
        left += button.width() + gap;
    };
    addButton(IDOK, "OK", S::DefaultButton | S::GroupStart);
    addButton(IDCANCEL, "ｷｬﾝｾﾙ", {});
    if (withApply)
        addButton(SheetIds::IDC_APPLY, "適用", S::Disabled);
    return frame;
}
