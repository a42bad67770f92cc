#include "DialogTemplate.h"

#include "ResourceIds.h"

#include <algorithm>

namespace {

using K = ControlKind;
using S = ControlStyle;

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
             {1004, K::DropDownList, "", {7, 7, 148, 83}, S::Sorted},
             {1006, K::Button, "新規追加", {163, 7, 45, 14}},
             {1008, K::Button, "名称変更", {163, 24, 45, 14}, S::Disabled},
             {1010, K::Button, "削除", {163, 42, 45, 14}, S::Disabled},
             {IDC_STATIC, K::GroupBox, "管理情報", {7, 26, 148, 70}},
             {IDC_STATIC, K::Static, "管理ｱﾄﾞﾚｽ", {9, 42, 39, 8}},
             {1019, K::Edit, "", {52, 39, 95, 14}, S::Disabled},
             {IDC_STATIC, K::Static, "管理ﾊﾟｽﾜｰﾄﾞ", {9, 78, 39, 8}},
             {1028, K::Edit, "", {52, 75, 95, 14}, S::Password | S::Disabled},
             {1016, K::Button, "共通設定", {163, 81, 45, 14}},
             {1013, K::Button, "設定の保存", {163, 63, 45, 14}, S::Disabled},
             {IDC_STATIC, K::Static, "ﾘｽﾄ名", {9, 60, 39, 8}},
             {1023, K::Edit, "", {52, 57, 95, 14}, S::Disabled},
             {1070, K::Button, "全ﾒｰﾙ送信", {152, 180, 56, 15}, S::Disabled},
             {1060, K::Button, "ｺﾏﾝﾄﾞﾒｰﾙ作成", {7, 180, 56, 15}, S::Disabled},
             {1066, K::Button, "既成ﾒｰﾙ操作", {7, 203, 56, 15}, S::Disabled},
             {1181, K::Static, "通 作成済", {82, 183, 31, 8}},
             {1063, K::Edit, "", {64, 183, 16, 12}, S::ReadOnly | S::RightAlign | S::NoBorder},
             {1168, K::Static, "", {13, 118, 123, 8}},
             {1167, K::Edit, "", {12, 132, 185, 14}, S::Hidden | S::Disabled},
             {1077, K::Button, "参照", {165, 151, 32, 15}, S::Hidden | S::Disabled},
             {1081, K::Button, "編集", {123, 151, 32, 15}, S::Hidden | S::Disabled},
             {1084, K::Button, "ｱﾄﾞﾚｽ抽出", {12, 152, 56, 15}, S::Hidden | S::Disabled},
             {1037, K::TabControl, "", {7, 100, 201, 74}, S::Disabled},
         }},
        {IDD_TITLE,
         "ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ",
         {186, 60},
         kDialogFont,
         kDialogPointSize,
         {
             {IDC_STATIC, K::Static, "ﾀｲﾄﾙ", {7, 10, 24, 8}},
             {1161, K::Edit, "", {34, 7, 145, 14}},
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
             {1162, K::Edit, "", {58, 7, 165, 14}},
             {IDC_STATIC, K::Static, "変更ファイル名", {7, 31, 48, 8}},
             {1163, K::Edit, "", {58, 28, 128, 14}},
             {1003, K::Button, "参照", {191, 28, 32, 14}},
             {IDOK, K::Button, "OK", {58, 58, 50, 14}, S::DefaultButton | S::GroupStart},
             {IDCANCEL, K::Button, "ｷｬﾝｾﾙ", {118, 58, 50, 14}},
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
