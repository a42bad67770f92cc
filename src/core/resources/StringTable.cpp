#include "resources/StringTable.h"

#include "resources/ResourceIds.h"
#include "resources/TemplateTexts.h"

#include <QCoreApplication>

namespace {

struct StringRow
{
    int id;
    const char *text; // UTF-8
};

constexpr StringRow kStrings[] = {
    {IDS_ABOUTBOX, "ﾊﾞｰｼﾞｮﾝ情報(Tavelin) (&A)..."},
    // Kept for the platforms whose socket layer must be started by hand;
    // Qt starts its own.
    {IDP_SOCKETS_INIT_FAILED, "Windows ｿｹｯﾄの初期化に失敗しました。"},
    {IDS_CONFIG_SHEET, "config設定"},
    // The tooltips of the config pages' labels, one per keyword: what the
    // list server does with it, its values and its default.
    // clang-format off
    {200, "リストの管理用パスワード。\n"
          "管理コマンド（approve、newconfig など）に添えて送ります。\n"
          "空白を含まない一語。既定値は「リスト名.admin」。"},
    {201, "yes: 購読・退会などの依頼がリスト宛てに届いたとき、\n"
          "配送せずに管理者へ回します。\n"
          "yes / no。既定値は yes。"},
    {202, "lists コマンドの一覧にこのリストを載せる相手のアドレスを、\n"
          "/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。\n"
          "空なら、noadvertise に当たらない全員に見せます。"},
    {203, "モデレート中のリストへの投稿を承認するとき、\n"
          "Approved: ヘッダーに書くパスワード。\n"
          "空白を含まない一語。既定値は「リスト名.pass」。"},
    {204, "リストのアーカイブを置くディレクトリ（/ で始まる絶対パス）。\n"
          "サーバーでは使われていない項目です。空のままにします。"},
    {205, "設定ファイルに残しておくメモ。\n"
          "サーバーは使いませんが、設定を書き直しても残ります。"},
    {206, "yes: info ファイルの先頭に最終更新日を入れます。\n"
          "no: info コマンドの返信の末尾に付けます。\n"
          "既定値は yes。"},
    {207, "yes: intro ファイルの先頭に最終更新日を入れます。\n"
          "no: intro コマンドの返信の末尾に付けます。\n"
          "既定値は yes。"},
    {208, "yes: 投稿を配送せず、処理の流れだけをたどります（試験用）。\n"
          "既定値は no。"},
    {209, "lists コマンドの返信でリスト名に添える説明。\n"
          "50 文字ほどまで。空なら説明なし。"},
    {220, "ダイジェストのアーカイブを置くディレクトリ（絶対パス）。\n"
          "サーバーでは使われていない項目です。空のままにします。"},
    {221, "次に出すダイジェストの号数。\n"
          "既定値は 1。"},
    {222, "ためた記事の最も古いものがこの日数を過ぎると、\n"
          "新しいダイジェストを出します。\n"
          "Default: 値を空にして、日数では区切りません。"},
    {223, "ダイジェストがこの行数を超えると、新しい号を出します。\n"
          "Default: 値を空にして、行数では区切りません。"},
    {224, "ダイジェストの Subject に使う文字列。\n"
          "後ろに巻と号が付きます。既定値はリスト名。"},
    {225, "ここに書いたリストが記事の末尾に付けたフッターを、\n"
          "ダイジェストに入れる前に取り除きます。リスト名を一語で。"},
    {226, "ここに書いたリストが記事の先頭に付けたフロンターを、\n"
          "ダイジェストに入れる前に取り除きます。リスト名を一語で。"},
    {227, "ダイジェストの今の巻番号。\n"
          "既定値は 1。"},
    {228, "ダイジェストを作るときの作業ディレクトリ（絶対パス）。\n"
          "わからなければ変えないでください。"},
    {229, "get コマンドを使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は list。"},
    {230, "index コマンドを使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は open。"},
    {231, "info コマンドを使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は open。"},
    {232, "intro コマンドを使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は list。"},
    {233, "承認なしで配送する投稿の最大の大きさ（文字数）。\n"
          "ダイジェストでは、この大きさを超えると新しい号を出します。\n"
          "既定値は 40000。"},
    {240, "リストに流すメールの末尾に付ける文章。\n"
          "$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は\n"
          "配送のときに置き換えられます。右のボタンで挿入できます。"},
    {241, "リストに流すメールの先頭に付ける文章。\n"
          "$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は\n"
          "配送のときに置き換えられます。右のボタンで挿入できます。"},
    {242, "リストに流すメールのヘッダーに加える行（1 行に 1 つ）。\n"
          "$LIST、$SENDER、$VERSION は配送のときに置き換えられます。\n"
          "右のボタンで挿入できます。"},
    {243, "yes: すべての投稿をモデレーターに回し、承認を待ちます。\n"
          "既定値は no。"},
    {244, "承認の要る投稿を送る先のアドレス。\n"
          "空なら「リスト名-approval」に送ります。"},
    {245, "yes: user@host.example.com と user@example.com を\n"
          "同じアドレスとみなします（購読・退会などの照合）。\n"
          "既定値は no。"},
    {246, "lists コマンドの一覧にこのリストを見せない相手のアドレスを、\n"
          "/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。\n"
          "advertise より優先します。"},
    {250, "配送するメールの Precedence: ヘッダーの値。\n"
          "既定値は bulk。"},
    {251, "yes: 配送する前に Received: ヘッダーをすべて取り除きます。\n"
          "既定値は no。"},
    {252, "配送するメールに付ける Reply-To: ヘッダーの値。\n"
          "$SENDER なら投稿者のアドレスになります（右のボタンで挿入）。\n"
          "空なら付けません。"},
    {253, "配送に使うアドレスの後ろに付けるホスト名。"},
    {254, "投稿できる人の名簿ファイル（空白かコロンで区切って複数可）。\n"
          "空ならだれでも投稿できます。\n"
          "各 *_access の list もこの名簿で判定します。"},
    {255, "配送するメールのエンベロープと Sender: のアドレス。\n"
          "後ろに @ と resend_host が付きます。既定値は「owner-リスト名」。"},
    {256, "yes: 会員を登録するとき、コメントを除いた\n"
          "アドレスだけを名簿に書きます。既定値は yes。"},
    {257, "Subject の先頭に付ける語（まだ付いていなければ）。\n"
          "空白を含まない一語。$LIST などは配送のときに置き換えられます\n"
          "（右のボタンで挿入）。空なら付けません。"},
    {258, "購読の受け付け方。\n"
          "open: 本人の申し込みで登録　closed: 毎回管理者が承認\n"
          "auto: だれでもだれかを登録できる\n"
          "+confirm: 本人に確認番号を送り、返事を待ちます。既定値は open+confirm。"},
    {259, "本文のどれかの行がこの正規表現（/.../、1 行に 1 つ）に当たると、\n"
          "配送せずに管理者へ回します。"},
    {260, "ヘッダーのどれかがこの正規表現（/.../、1 行に 1 つ）に当たると、\n"
          "配送せずに管理者へ回します。"},
    {270, "退会の受け付け方。\n"
          "open: 本人の申し込みで退会　closed: 毎回管理者が承認\n"
          "auto: だれでもだれかを退会させられる\n"
          "+confirm: 本人以外からの依頼に確認番号で確かめます。既定値は open。"},
    {271, "which コマンドを使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は open。"},
    {272, "who コマンド（会員一覧）を使える人。\n"
          "open: だれでも　list: 会員だけ（restrict_post があればその名簿）\n"
          "closed: だれも使えない。既定値は open。"},
    // clang-format on
};

} // namespace

const char *stringSource(int id)
{
    for (const StringRow &row : kStrings) {
        if (row.id == id)
            return row.text;
    }
    return nullptr;
}

QList<int> stringIds()
{
    QList<int> ids;
    for (const StringRow &row : kStrings)
        ids.append(row.id);
    return ids;
}

QString loadString(int id)
{
    const char *text = stringSource(id);
    return text ? QCoreApplication::translate(kStringTableContext, text) : QString();
}
