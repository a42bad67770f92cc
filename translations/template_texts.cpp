// Written by tavelin-texts from the dialog templates and the text tables;
// never compiled. It shows lupdate the texts that are data, not tr() calls.
// After changing a template or table text: build/tavelin-texts >
// translations/template_texts.cpp, then build the update_translations target.
// clang-format off
const char *const kDataTexts[] = {
    //: caption of Dialog100
    QT_TRANSLATE_NOOP("Dialog100", "ﾊﾞｰｼﾞｮﾝ情報 Tavelin"),
    //: Dialog102 "Tavelin for Quillon", control 1004 (148 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog102", "ﾒｰﾘﾝｸﾞﾘｽﾄ"),
    //: Dialog102 "Tavelin for Quillon", control 1006 (45 wide)
    QT_TRANSLATE_NOOP("Dialog102", "新規追加"),
    //: Dialog102 "Tavelin for Quillon", control 1008 (45 wide)
    QT_TRANSLATE_NOOP("Dialog102", "名称変更"),
    //: Dialog102 "Tavelin for Quillon", control 1010 (45 wide)
    QT_TRANSLATE_NOOP("Dialog102", "削除"),
    //: Dialog102 "Tavelin for Quillon", control -1 (148 wide)
    QT_TRANSLATE_NOOP("Dialog102", "管理情報"),
    //: Dialog102 "Tavelin for Quillon", control -1 (39 wide)
    QT_TRANSLATE_NOOP("Dialog102", "管理ｱﾄﾞﾚｽ"),
    //: Dialog102 "Tavelin for Quillon", control -1 (39 wide)
    QT_TRANSLATE_NOOP("Dialog102", "管理ﾊﾟｽﾜｰﾄﾞ"),
    //: Dialog102 "Tavelin for Quillon", control 1016 (45 wide)
    QT_TRANSLATE_NOOP("Dialog102", "共通設定"),
    //: Dialog102 "Tavelin for Quillon", control 1013 (45 wide)
    QT_TRANSLATE_NOOP("Dialog102", "設定の保存"),
    //: Dialog102 "Tavelin for Quillon", control -1 (39 wide)
    QT_TRANSLATE_NOOP("Dialog102", "ﾘｽﾄ名"),
    //: Dialog102 "Tavelin for Quillon", control 1070 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "全ﾒｰﾙ送信"),
    //: Dialog102 "Tavelin for Quillon", control 1060 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "ｺﾏﾝﾄﾞﾒｰﾙ作成"),
    //: Dialog102 "Tavelin for Quillon", control 1066 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "既成ﾒｰﾙ操作"),
    //: Dialog102 "Tavelin for Quillon", control 1071 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "ﾒｰﾙ受信"),
    //: Dialog102 "Tavelin for Quillon", control 1181 (31 wide)
    QT_TRANSLATE_NOOP("Dialog102", "通 作成済"),
    //: Dialog102 "Tavelin for Quillon", control 1077 (32 wide)
    QT_TRANSLATE_NOOP("Dialog102", "参照"),
    //: Dialog102 "Tavelin for Quillon", control 1081 (32 wide)
    QT_TRANSLATE_NOOP("Dialog102", "編集"),
    //: Dialog102 "Tavelin for Quillon", control 1084 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "ｱﾄﾞﾚｽ抽出"),
    //: Dialog102 "Tavelin for Quillon", control 1190 (56 wide)
    QT_TRANSLATE_NOOP("Dialog102", "会員一覧表示"),
    //: caption of Dialog129
    QT_TRANSLATE_NOOP("Dialog129", "既成メール編集"),
    //: Dialog129 "既成メール編集", control 1160 (194 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog129", "既成ﾒｰﾙ"),
    //: Dialog129 "既成メール編集", control 1000 (37 wide)
    QT_TRANSLATE_NOOP("Dialog129", "編集"),
    //: Dialog129 "既成メール編集", control 1002 (37 wide)
    QT_TRANSLATE_NOOP("Dialog129", "削除"),
    //: caption of Dialog130
    QT_TRANSLATE_NOOP("Dialog130", "メール選択"),
    //: Dialog130 "メール選択", control -1 (49 wide)
    QT_TRANSLATE_NOOP("Dialog130", "ｴﾗｰﾒｰﾙﾌｧｲﾙ名"),
    //: Dialog130 "メール選択", control 1001 (27 wide)
    QT_TRANSLATE_NOOP("Dialog130", "参照"),
    //: Dialog130 "メール選択", control 2 (50 wide)
    QT_TRANSLATE_NOOP("Dialog130", "ｷｬﾝｾﾙ"),
    //: caption of Dialog108
    QT_TRANSLATE_NOOP("Dialog108", "送信設定"),
    //: Dialog108 "送信設定", control 1074 (110 wide)
    QT_TRANSLATE_NOOP("Dialog108", "Tavelin単独で送信する"),
    //: Dialog108 "送信設定", control 1082 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "SMTPｻｰﾊﾞｰ名"),
    //: Dialog108 "送信設定", control 1085 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾀｲﾑｿﾞｰﾝ"),
    //: Dialog108 "送信設定", control 1088 (36 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾎﾟｰﾄ番号"),
    //: Dialog108 "送信設定", control 1250 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "接続の保護"),
    //: Dialog108 "送信設定", control 1090 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾕｰｻﾞｰ名"),
    //: Dialog108 "送信設定", control 1092 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾊﾟｽﾜｰﾄﾞ"),
    //: Dialog108 "送信設定", control 1094 (62 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾒｰﾙｱﾄﾞﾚｽ"),
    //: Dialog108 "送信設定", control 1096 (160 wide)
    QT_TRANSLATE_NOOP("Dialog108", "作成したﾒｰﾙの一時保存先ﾌｫﾙﾀﾞ"),
    //: Dialog108 "送信設定", control 1118 (32 wide)
    QT_TRANSLATE_NOOP("Dialog108", "参照"),
    //: Dialog108 "送信設定", control 1178 (100 wide)
    QT_TRANSLATE_NOOP("Dialog108", "送信控えを保存する"),
    //: Dialog108 "送信設定", control 1120 (80 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾀﾞｲｱﾙｱｯﾌﾟ接続"),
    //: Dialog108 "送信設定", control 1100 (36 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾘﾀﾞｲｱﾙ回数"),
    //: Dialog108 "送信設定", control 1102 (36 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾘﾀﾞｲｱﾙ間隔"),
    //: Dialog108 "送信設定", control 1098 (50 wide)
    QT_TRANSLATE_NOOP("Dialog108", "接続名"),
    //: Dialog108 "送信設定", control 1078 (110 wide)
    QT_TRANSLATE_NOOP("Dialog108", "Quillonで送信する"),
    //: Dialog108 "送信設定", control 1126 (45 wide)
    QT_TRANSLATE_NOOP("Dialog108", "16bit版"),
    //: Dialog108 "送信設定", control 1129 (45 wide)
    QT_TRANSLATE_NOOP("Dialog108", "32bit版"),
    //: Dialog108 "送信設定", control 1132 (103 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ｼｸﾞﾈﾁｬ無しで送信"),
    //: Dialog108 "送信設定", control 1104 (160 wide)
    QT_TRANSLATE_NOOP("Dialog108", "使用する Qsend.exe"),
    //: Dialog108 "送信設定", control 1170 (32 wide)
    QT_TRANSLATE_NOOP("Dialog108", "参照"),
    //: Dialog108 "送信設定", control 1252 (150 wide)
    QT_TRANSLATE_NOOP("Dialog108", "ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存"),
    //: caption of Dialog109
    QT_TRANSLATE_NOOP("Dialog109", "編集設定"),
    //: Dialog109 "編集設定", control -1 (120 wide)
    QT_TRANSLATE_NOOP("Dialog109", "使用するエディタ"),
    //: Dialog109 "編集設定", control 1172 (32 wide)
    QT_TRANSLATE_NOOP("Dialog109", "参照"),
    //: caption of Dialog111
    QT_TRANSLATE_NOOP("Dialog111", "受信設定"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "IMAPｻｰﾊﾞｰ名"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "ﾎﾟｰﾄ番号"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "接続の保護"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "ﾕｰｻﾞｰ名"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "ﾊﾟｽﾜｰﾄﾞ"),
    //: Dialog111 "受信設定", control -1 (62 wide)
    QT_TRANSLATE_NOOP("Dialog111", "受信するﾌｫﾙﾀﾞ"),
    //: Dialog111 "受信設定", control -1 (200 wide)
    QT_TRANSLATE_NOOP("Dialog111", "処理したﾒｰﾙの移動先ﾌｫﾙﾀﾞ(空欄なら移動しない)"),
    //: caption of Dialog104
    QT_TRANSLATE_NOOP("Dialog104", "config 設定(1/5)"),
    //: caption of Dialog105
    QT_TRANSLATE_NOOP("Dialog105", "config 設定(2/5)"),
    //: caption of Dialog106
    QT_TRANSLATE_NOOP("Dialog106", "config 設定(3/5)"),
    //: Dialog106 "config 設定(3/5)", control 1122 (6 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog106", "プレースホルダーの挿入"),
    //: Dialog106 "config 設定(3/5)", control 1125 (6 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog106", "プレースホルダーの挿入"),
    //: Dialog106 "config 設定(3/5)", control 1128 (6 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog106", "プレースホルダーの挿入"),
    //: caption of Dialog107
    QT_TRANSLATE_NOOP("Dialog107", "config 設定(4/5)"),
    //: Dialog107 "config 設定(4/5)", control 1149 (6 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog107", "プレースホルダーの挿入"),
    //: Dialog107 "config 設定(4/5)", control 1134 (6 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog107", "プレースホルダーの挿入"),
    //: caption of Dialog110
    QT_TRANSLATE_NOOP("Dialog110", "config 設定(5/5)"),
    //: caption of Dialog134
    QT_TRANSLATE_NOOP("Dialog134", "ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ"),
    //: Dialog134 "ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ", control -1 (24 wide)
    QT_TRANSLATE_NOOP("Dialog134", "ﾀｲﾄﾙ"),
    //: Dialog134 "ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ", control 2 (45 wide)
    QT_TRANSLATE_NOOP("Dialog134", "ｷｬﾝｾﾙ"),
    //: caption of Dialog135
    QT_TRANSLATE_NOOP("Dialog135", "ファイル名変更"),
    //: Dialog135 "ファイル名変更", control -1 (48 wide)
    QT_TRANSLATE_NOOP("Dialog135", "元ファイル名"),
    //: Dialog135 "ファイル名変更", control -1 (48 wide)
    QT_TRANSLATE_NOOP("Dialog135", "変更ファイル名"),
    //: Dialog135 "ファイル名変更", control 1003 (32 wide)
    QT_TRANSLATE_NOOP("Dialog135", "参照"),
    //: Dialog135 "ファイル名変更", control 2 (50 wide)
    QT_TRANSLATE_NOOP("Dialog135", "ｷｬﾝｾﾙ"),
    //: caption of Dialog136
    QT_TRANSLATE_NOOP("Dialog136", "Tavelin 処理ステータス"),
    //: Dialog136 "Tavelin 処理ステータス", control 1164 (110 wide)
    QT_TRANSLATE_NOOP("Dialog136", "ﾀﾞｲｱﾙｱｯﾌﾟを切断しない"),
    //: Dialog136 "Tavelin 処理ステータス", control 1182 (50 wide)
    QT_TRANSLATE_NOOP("Dialog136", "送信ｷｬﾝｾﾙ"),
    //: caption of Dialog137
    QT_TRANSLATE_NOOP("Dialog137", "ｺﾏﾝﾄﾞ実行結果"),
    //: Dialog137 "ｺﾏﾝﾄﾞ実行結果", control -1 (30 wide)
    QT_TRANSLATE_NOOP("Dialog137", "ﾘｽﾄ"),
    //: Dialog137 "ｺﾏﾝﾄﾞ実行結果", control -1 (30 wide)
    QT_TRANSLATE_NOOP("Dialog137", "返信日時"),
    //: Dialog137 "ｺﾏﾝﾄﾞ実行結果", control -1 (60 wide)
    QT_TRANSLATE_NOOP("Dialog137", "ｺﾏﾝﾄﾞ"),
    //: Dialog137 "ｺﾏﾝﾄﾞ実行結果", control -1 (60 wide)
    QT_TRANSLATE_NOOP("Dialog137", "ｻｰﾊﾞｰの返答"),
    //: Dialog137 "ｺﾏﾝﾄﾞ実行結果", control 1 (50 wide)
    QT_TRANSLATE_NOOP("Dialog137", "閉じる"),
    //: caption of Dialog138
    QT_TRANSLATE_NOOP("Dialog138", "会員一覧"),
    //: Dialog138 "会員一覧", control -1 (24 wide)
    QT_TRANSLATE_NOOP("Dialog138", "検索"),
    //: Dialog138 "会員一覧", control -1 (20 wide)
    QT_TRANSLATE_NOOP("Dialog138", "表示"),
    //: Dialog138 "会員一覧", control 1199 (266 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog138", "会員"),
    //: Dialog138 "会員一覧", control 1200 (50 wide)
    QT_TRANSLATE_NOOP("Dialog138", "CSV出力"),
    //: Dialog138 "会員一覧", control 1201 (110 wide)
    QT_TRANSLATE_NOOP("Dialog138", "選択したｱﾄﾞﾚｽを強制退会"),
    //: Dialog138 "会員一覧", control 1 (50 wide)
    QT_TRANSLATE_NOOP("Dialog138", "閉じる"),
    //: caption of Dialog139
    QT_TRANSLATE_NOOP("Dialog139", "ﾒｰﾙ受信結果"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1211 (246 wide), name read by screen readers
    QT_TRANSLATE_NOOP("Dialog139", "受信したﾒｰﾙ"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1212 (56 wide)
    QT_TRANSLATE_NOOP("Dialog139", "強制退会へ"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1213 (56 wide)
    QT_TRANSLATE_NOOP("Dialog139", "強制入会へ"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1214 (40 wide)
    QT_TRANSLATE_NOOP("Dialog139", "結果表示"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1215 (40 wide)
    QT_TRANSLATE_NOOP("Dialog139", "会員一覧"),
    //: Dialog139 "ﾒｰﾙ受信結果", control 1 (34 wide)
    QT_TRANSLATE_NOOP("Dialog139", "閉じる"),
    //: PropertySheet "", control 2 (50 wide)
    QT_TRANSLATE_NOOP("PropertySheet", "ｷｬﾝｾﾙ"),
    //: PropertySheet "", control 12321 (50 wide)
    QT_TRANSLATE_NOOP("PropertySheet", "適用"),
    //: string 101
    QT_TRANSLATE_NOOP("StringTable", "ﾊﾞｰｼﾞｮﾝ情報(Tavelin) (&A)..."),
    //: string 103
    QT_TRANSLATE_NOOP("StringTable", "Windows ｿｹｯﾄの初期化に失敗しました。"),
    //: string 153
    QT_TRANSLATE_NOOP("StringTable", "config設定"),
    //: string 200
    QT_TRANSLATE_NOOP("StringTable", "リストの管理用パスワード。\n管理コマンド（approve、newconfig など）に添えて送ります。\n空白を含まない一語。既定値は「リスト名.admin」。"),
    //: string 201
    QT_TRANSLATE_NOOP("StringTable", "yes: 購読・退会などの依頼がリスト宛てに届いたとき、\n配送せずに管理者へ回します。\nyes / no。既定値は yes。"),
    //: string 202
    QT_TRANSLATE_NOOP("StringTable", "lists コマンドの一覧にこのリストを載せる相手のアドレスを、\n/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。\n空なら、noadvertise に当たらない全員に見せます。"),
    //: string 203
    QT_TRANSLATE_NOOP("StringTable", "モデレート中のリストへの投稿を承認するとき、\nApproved: ヘッダーに書くパスワード。\n空白を含まない一語。既定値は「リスト名.pass」。"),
    //: string 204
    QT_TRANSLATE_NOOP("StringTable", "リストのアーカイブを置くディレクトリ（/ で始まる絶対パス）。\nサーバーでは使われていない項目です。空のままにします。"),
    //: string 205
    QT_TRANSLATE_NOOP("StringTable", "設定ファイルに残しておくメモ。\nサーバーは使いませんが、設定を書き直しても残ります。"),
    //: string 206
    QT_TRANSLATE_NOOP("StringTable", "yes: info ファイルの先頭に最終更新日を入れます。\nno: info コマンドの返信の末尾に付けます。\n既定値は yes。"),
    //: string 207
    QT_TRANSLATE_NOOP("StringTable", "yes: intro ファイルの先頭に最終更新日を入れます。\nno: intro コマンドの返信の末尾に付けます。\n既定値は yes。"),
    //: string 208
    QT_TRANSLATE_NOOP("StringTable", "yes: 投稿を配送せず、処理の流れだけをたどります（試験用）。\n既定値は no。"),
    //: string 209
    QT_TRANSLATE_NOOP("StringTable", "lists コマンドの返信でリスト名に添える説明。\n50 文字ほどまで。空なら説明なし。"),
    //: string 220
    QT_TRANSLATE_NOOP("StringTable", "ダイジェストのアーカイブを置くディレクトリ（絶対パス）。\nサーバーでは使われていない項目です。空のままにします。"),
    //: string 221
    QT_TRANSLATE_NOOP("StringTable", "次に出すダイジェストの号数。\n既定値は 1。"),
    //: string 222
    QT_TRANSLATE_NOOP("StringTable", "ためた記事の最も古いものがこの日数を過ぎると、\n新しいダイジェストを出します。\nDefault: 値を空にして、日数では区切りません。"),
    //: string 223
    QT_TRANSLATE_NOOP("StringTable", "ダイジェストがこの行数を超えると、新しい号を出します。\nDefault: 値を空にして、行数では区切りません。"),
    //: string 224
    QT_TRANSLATE_NOOP("StringTable", "ダイジェストの Subject に使う文字列。\n後ろに巻と号が付きます。既定値はリスト名。"),
    //: string 225
    QT_TRANSLATE_NOOP("StringTable", "ここに書いたリストが記事の末尾に付けたフッターを、\nダイジェストに入れる前に取り除きます。リスト名を一語で。"),
    //: string 226
    QT_TRANSLATE_NOOP("StringTable", "ここに書いたリストが記事の先頭に付けたフロンターを、\nダイジェストに入れる前に取り除きます。リスト名を一語で。"),
    //: string 227
    QT_TRANSLATE_NOOP("StringTable", "ダイジェストの今の巻番号。\n既定値は 1。"),
    //: string 228
    QT_TRANSLATE_NOOP("StringTable", "ダイジェストを作るときの作業ディレクトリ（絶対パス）。\nわからなければ変えないでください。"),
    //: string 229
    QT_TRANSLATE_NOOP("StringTable", "get コマンドを使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は list。"),
    //: string 230
    QT_TRANSLATE_NOOP("StringTable", "index コマンドを使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は open。"),
    //: string 231
    QT_TRANSLATE_NOOP("StringTable", "info コマンドを使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は open。"),
    //: string 232
    QT_TRANSLATE_NOOP("StringTable", "intro コマンドを使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は list。"),
    //: string 233
    QT_TRANSLATE_NOOP("StringTable", "承認なしで配送する投稿の最大の大きさ（文字数）。\nダイジェストでは、この大きさを超えると新しい号を出します。\n既定値は 40000。"),
    //: string 240
    QT_TRANSLATE_NOOP("StringTable", "リストに流すメールの末尾に付ける文章。\n$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は\n配送のときに置き換えられます。右のボタンで挿入できます。"),
    //: string 241
    QT_TRANSLATE_NOOP("StringTable", "リストに流すメールの先頭に付ける文章。\n$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は\n配送のときに置き換えられます。右のボタンで挿入できます。"),
    //: string 242
    QT_TRANSLATE_NOOP("StringTable", "リストに流すメールのヘッダーに加える行（1 行に 1 つ）。\n$LIST、$SENDER、$VERSION は配送のときに置き換えられます。\n右のボタンで挿入できます。"),
    //: string 243
    QT_TRANSLATE_NOOP("StringTable", "yes: すべての投稿をモデレーターに回し、承認を待ちます。\n既定値は no。"),
    //: string 244
    QT_TRANSLATE_NOOP("StringTable", "承認の要る投稿を送る先のアドレス。\n空なら「リスト名-approval」に送ります。"),
    //: string 245
    QT_TRANSLATE_NOOP("StringTable", "yes: user@host.example.com と user@example.com を\n同じアドレスとみなします（購読・退会などの照合）。\n既定値は no。"),
    //: string 246
    QT_TRANSLATE_NOOP("StringTable", "lists コマンドの一覧にこのリストを見せない相手のアドレスを、\n/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。\nadvertise より優先します。"),
    //: string 250
    QT_TRANSLATE_NOOP("StringTable", "配送するメールの Precedence: ヘッダーの値。\n既定値は bulk。"),
    //: string 251
    QT_TRANSLATE_NOOP("StringTable", "yes: 配送する前に Received: ヘッダーをすべて取り除きます。\n既定値は no。"),
    //: string 252
    QT_TRANSLATE_NOOP("StringTable", "配送するメールに付ける Reply-To: ヘッダーの値。\n$SENDER なら投稿者のアドレスになります（右のボタンで挿入）。\n空なら付けません。"),
    //: string 253
    QT_TRANSLATE_NOOP("StringTable", "配送に使うアドレスの後ろに付けるホスト名。"),
    //: string 254
    QT_TRANSLATE_NOOP("StringTable", "投稿できる人の名簿ファイル（空白かコロンで区切って複数可）。\n空ならだれでも投稿できます。\n各 *_access の list もこの名簿で判定します。"),
    //: string 255
    QT_TRANSLATE_NOOP("StringTable", "配送するメールのエンベロープと Sender: のアドレス。\n後ろに @ と resend_host が付きます。既定値は「owner-リスト名」。"),
    //: string 256
    QT_TRANSLATE_NOOP("StringTable", "yes: 会員を登録するとき、コメントを除いた\nアドレスだけを名簿に書きます。既定値は yes。"),
    //: string 257
    QT_TRANSLATE_NOOP("StringTable", "Subject の先頭に付ける語（まだ付いていなければ）。\n空白を含まない一語。$LIST などは配送のときに置き換えられます\n（右のボタンで挿入）。空なら付けません。"),
    //: string 258
    QT_TRANSLATE_NOOP("StringTable", "購読の受け付け方。\nopen: 本人の申し込みで登録　closed: 毎回管理者が承認\nauto: だれでもだれかを登録できる\n+confirm: 本人に確認番号を送り、返事を待ちます。既定値は open+confirm。"),
    //: string 259
    QT_TRANSLATE_NOOP("StringTable", "本文のどれかの行がこの正規表現（/.../、1 行に 1 つ）に当たると、\n配送せずに管理者へ回します。"),
    //: string 260
    QT_TRANSLATE_NOOP("StringTable", "ヘッダーのどれかがこの正規表現（/.../、1 行に 1 つ）に当たると、\n配送せずに管理者へ回します。"),
    //: string 270
    QT_TRANSLATE_NOOP("StringTable", "退会の受け付け方。\nopen: 本人の申し込みで退会　closed: 毎回管理者が承認\nauto: だれでもだれかを退会させられる\n+confirm: 本人以外からの依頼に確認番号で確かめます。既定値は open。"),
    //: string 271
    QT_TRANSLATE_NOOP("StringTable", "which コマンドを使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は open。"),
    //: string 272
    QT_TRANSLATE_NOOP("StringTable", "who コマンド（会員一覧）を使える人。\nopen: だれでも　list: 会員だけ（restrict_post があればその名簿）\nclosed: だれも使えない。既定値は open。"),
    //: command tab 0: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "強制退会"),
    //: command tab 0: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "退会者ｱﾄﾞﾚｽ"),
    //: command tab 1: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "強制入会"),
    //: command tab 1: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "入会者ｱﾄﾞﾚｽ"),
    //: command tab 2: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "ﾊﾟｽﾜｰﾄﾞ変更"),
    //: command tab 2: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "新規ﾊﾟｽﾜｰﾄﾞ"),
    //: command tab 3: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "会員一覧"),
    //: command tab 3: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "設定するﾃﾞｰﾀはありません"),
    //: command tab 4: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "Info変更"),
    //: command tab 4: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "Infoファイル名"),
    //: command tab 4: file types of the browse dialog, text|pattern pairs
    QT_TRANSLATE_NOOP("CommandTable", "infoﾌｧｲﾙ (*.info)|*.info|全てのﾌｧｲﾙ (*.*)|*.*||"),
    //: command tab 5: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "Intro変更"),
    //: command tab 5: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "Introファイル名"),
    //: command tab 5: file types of the browse dialog, text|pattern pairs
    QT_TRANSLATE_NOOP("CommandTable", "introﾌｧｲﾙ (*.intro)|*.intro|全てのﾌｧｲﾙ (*.*)|*.*||"),
    //: command tab 6: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "config 取得"),
    //: command tab 6: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "設定するﾃﾞｰﾀはありません"),
    //: command tab 7: the tab's text
    QT_TRANSLATE_NOOP("CommandTable", "config 変更"),
    //: command tab 7: the label of the field
    QT_TRANSLATE_NOOP("CommandTable", "configファイル名"),
    //: command tab 7: file types of the browse dialog, text|pattern pairs
    QT_TRANSLATE_NOOP("CommandTable", "configﾌｧｲﾙ (*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||"),
};
// clang-format on
