<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AddressExtraction</name>
    <message>
        <source>ｱﾄﾞﾚｽを抽出できませんでした</source>
        <translation>No addresses could be found in the mail.</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽ抽出</source>
        <translation>Addresses from a Mail</translation>
    </message>
</context>
<context>
    <name>BackgroundRead</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CBounceSummaryDlg</name>
    <message>
        <source>ｱﾄﾞﾚｽ</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>回数</source>
        <translation>Reports</translation>
    </message>
    <message>
        <source>日数</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>最終日</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>理由</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>ﾒｰﾙ %1 通  ｱﾄﾞﾚｽ %2 件  ﾁｪｯｸ %3 件</source>
        <translation>%1 mails  %2 addresses  %3 checked</translation>
    </message>
    <message>
        <source>1 から %1 までの日数を入力してください。</source>
        <translation>Enter a number of days from 1 to %1.</translation>
    </message>
</context>
<context>
    <name>CCommonSheet</name>
    <message>
        <source>ﾌｫﾙﾀﾞの選択</source>
        <translation>Choose a Folder</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ %1 がありません。
作成しますか</source>
        <translation>The folder %1 does not exist.
Create it?</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ %1 を作成できません。
%2</source>
        <translation>The folder %1 cannot be created.
%2</translation>
    </message>
</context>
<context>
    <name>CConfigSheet</name>
    <message>
        <source>config ファイルを保存できませんでした。
%1

%2</source>
        <translation>The config file could not be saved.
%1

%2</translation>
    </message>
</context>
<context>
    <name>CFileRenameDlg</name>
    <message>
        <source>%1 を %2 にコピーできませんでした。
%3</source>
        <translation>%1 could not be copied to %2.
%3</translation>
    </message>
    <message>
        <source>全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <translation>All files (*.*)|*.*||</translation>
    </message>
</context>
<context>
    <name>CMailSelectDlg</name>
    <message>
        <source>Quillon16ﾌｧｲﾙ (*.qxw)|*.qxw|Quillon32ﾌｧｲﾙ (*.qxl)|*.qxl|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <translation>Quillon 16-bit files (*.qxw)|*.qxw|Quillon 32-bit files (*.qxl)|*.qxl|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>ｴﾗｰﾒｰﾙのﾌｫﾙﾀﾞ</source>
        <translation>Folder of returned mails</translation>
    </message>
</context>
<context>
    <name>CQueuedMailDlg</name>
    <message>
        <source>ﾒｰﾙ削除</source>
        <translation>Delete Mail</translation>
    </message>
    <message>
        <source>%1を削除していいですか</source>
        <translation>Delete %1?</translation>
    </message>
</context>
<context>
    <name>CReplyResultsDlg</name>
    <message>
        <source>(ｺﾏﾝﾄﾞなし)</source>
        <translation>(no command)</translation>
    </message>
    <message>
        <source>承認または確認待ちです</source>
        <translation>Waiting for approval or confirmation</translation>
    </message>
    <message>
        <source>実行されていません</source>
        <translation>Not run</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞが違います。管理ﾊﾟｽﾜｰﾄﾞ欄を確かめてください</source>
        <translation>Wrong password. Check the list&apos;s password.</translation>
    </message>
    <message>
        <source>(会員 %1 行、うちｱﾄﾞﾚｽ %2)</source>
        <translation>(%1 member lines, %2 of them addresses)</translation>
    </message>
    <message>
        <source>(以下省略)</source>
        <translation>(the rest is left out)</translation>
    </message>
</context>
<context>
    <name>CRosterDlg</name>
    <message>
        <source>会員 %1 名（ｻｰﾊﾞｰの数 %2）  %3 現在</source>
        <translation>%1 members (the server counts %2), as of %3</translation>
    </message>
    <message>
        <source>全員</source>
        <translation>Everyone</translation>
    </message>
    <message>
        <source>前回から入会</source>
        <translation>Joined since last time</translation>
    </message>
    <message>
        <source>前回から退会</source>
        <translation>Left since last time</translation>
    </message>
    <message>
        <source>CSV出力</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CSVﾌｧｲﾙ (*.csv)|*.csv|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <translation>CSV files (*.csv)|*.csv|All files (*.*)|*.*||</translation>
    </message>
</context>
<context>
    <name>CTavelinDlg</name>
    <message>
        <source>設定を読み込めません。終了するまで設定を保存しません
%1</source>
        <translation>The settings cannot be read. Nothing will be saved until Tavelin is closed.
%1</translation>
    </message>
    <message>
        <source>%1を削除していいですか</source>
        <translation>Delete %1?</translation>
    </message>
    <message>
        <source>ＭＬ削除</source>
        <translation>Delete List</translation>
    </message>
    <message>
        <source>設定を保存できません
%1</source>
        <translation>The settings cannot be saved.
%1</translation>
    </message>
    <message>
        <source>設定が変更されています
保存しますか</source>
        <translation>The settings have changed.
Save them?</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>ｱﾄﾞﾚｽを抽出できませんでした</source>
        <translation>No addresses could be found in the mail.</translation>
    </message>
    <message>
        <source>送信を中止しました(未送信 %1 通)</source>
        <translation>Sending stopped (%1 mails still queued)</translation>
    </message>
</context>
<context>
    <name>CliReply</name>
    <message>
        <source>会員一覧を更新しました</source>
        <translation>The member list was updated.</translation>
    </message>
    <message>
        <source>会員一覧を更新しませんでした: %1</source>
        <translation>The member list was not updated: %1</translation>
    </message>
    <message>
        <source>%1 の会員一覧を保存しました</source>
        <translation>The member list of %1 was saved.</translation>
    </message>
    <message>
        <source>%1 の会員一覧を保存しませんでした: %2</source>
        <translation>The member list of %1 was not saved: %2</translation>
    </message>
</context>
<context>
    <name>CommandComposer</name>
    <message>
        <source>ｺﾏﾝﾄﾞﾒｰﾙ作成</source>
        <translation>Compose Command Mail</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞﾒｰﾙは作成しません</source>
        <translation>No command mail is created.</translation>
    </message>
    <message>
        <source>%1、ｺﾏﾝﾄﾞﾒｰﾙは作成しません</source>
        <translation>No command mail is created: %1.</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙを作成できません</source>
        <translation>The file cannot be created.</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞ欄</source>
        <translation>The command field</translation>
    </message>
    <message>
        <source>ﾀｲﾄﾙ</source>
        <translation>The title</translation>
    </message>
    <message>
        <source>管理ｱﾄﾞﾚｽ</source>
        <translation>The command address</translation>
    </message>
    <message>
        <source>ﾘｽﾄ名</source>
        <translation>The list name</translation>
    </message>
    <message>
        <source>管理ﾊﾟｽﾜｰﾄﾞ</source>
        <translation>The password</translation>
    </message>
    <message>
        <source>ﾒｰﾙｱﾄﾞﾚｽ</source>
        <translation>Your address</translation>
    </message>
    <message>
        <source>ﾀｲﾑｿﾞｰﾝ</source>
        <translation>The time zone</translation>
    </message>
    <message>
        <source>%1 に改行が含まれています</source>
        <translation>%1 contains a line break.</translation>
    </message>
    <message>
        <source>%1 の末尾が「\」です</source>
        <translation>%1 ends in &quot;\&quot;.</translation>
    </message>
    <message>
        <source>ｻｰﾊﾞｰは次の行とつなげて読むため</source>
        <translation>the server would read it joined to the next line</translation>
    </message>
    <message>
        <source>%1 の「%2」から1つのｱﾄﾞﾚｽを取り出せません</source>
        <translation>No single address can be taken from &quot;%2&quot; in %1.</translation>
    </message>
    <message>
        <source>%1 のｱﾄﾞﾚｽ「%2」</source>
        <translation>The address &quot;%2&quot; in %1</translation>
    </message>
    <message>
        <source>%1 にｱﾄﾞﾚｽがありません</source>
        <translation>%1 holds no address.</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽのない行はｻｰﾊﾞｰが管理者自身に実行するため</source>
        <translation>the server would apply a line without an address to the owner</translation>
    </message>
    <message>
        <source>送るﾌｧｲﾙが指定されていません</source>
        <translation>No file to send has been given.</translation>
    </message>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>通常のﾌｧｲﾙではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>%1 の %2 行目が「EOF」だけの行です
ｻｰﾊﾞｰはそこで本文を終え、以降の行をｺﾏﾝﾄﾞとして実行するため、ｺﾏﾝﾄﾞﾒｰﾙは作成しません</source>
        <translation>Line %2 of %1 is just &quot;EOF&quot;.
The server would end the text there and run the lines after it as commands, so no command mail is created.</translation>
    </message>
    <message>
        <source>ｻｰﾊﾞｰが変えるのはﾊﾟｽﾜｰﾄﾞﾌｧｲﾙだけです
config の admin_passwd は、新しい config を送るまで古いﾊﾟｽﾜｰﾄﾞのままです（古いﾊﾟｽﾜｰﾄﾞも使えます）</source>
        <translation>The server changes only its password file.
The config&apos;s admin_passwd keeps the old password until a new config is sent (the old password keeps working).</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞ作成に失敗しました</source>
        <translation>The command mail could not be created.</translation>
    </message>
</context>
<context>
    <name>CommandTable</name>
    <message>
        <source>強制退会</source>
        <extracomment>command tab 0: the tab&apos;s text</extracomment>
        <translation>Unsubscribe</translation>
    </message>
    <message>
        <source>退会者ｱﾄﾞﾚｽ</source>
        <extracomment>command tab 0: the label of the field</extracomment>
        <translation>Addresses to unsubscribe</translation>
    </message>
    <message>
        <source>強制入会</source>
        <extracomment>command tab 1: the tab&apos;s text</extracomment>
        <translation>Subscribe</translation>
    </message>
    <message>
        <source>入会者ｱﾄﾞﾚｽ</source>
        <extracomment>command tab 1: the label of the field</extracomment>
        <translation>Addresses to subscribe</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞ変更</source>
        <extracomment>command tab 2: the tab&apos;s text</extracomment>
        <translation>Password</translation>
    </message>
    <message>
        <source>新規ﾊﾟｽﾜｰﾄﾞ</source>
        <extracomment>command tab 2: the label of the field</extracomment>
        <translation>New password</translation>
    </message>
    <message>
        <source>会員一覧</source>
        <extracomment>command tab 3: the tab&apos;s text</extracomment>
        <translation>Members</translation>
    </message>
    <message>
        <source>設定するﾃﾞｰﾀはありません</source>
        <extracomment>command tab 3: the label of the field
----------
command tab 6: the label of the field</extracomment>
        <translation>Nothing to fill in</translation>
    </message>
    <message>
        <source>Info変更</source>
        <extracomment>command tab 4: the tab&apos;s text</extracomment>
        <translation>New info</translation>
    </message>
    <message>
        <source>Infoファイル名</source>
        <extracomment>command tab 4: the label of the field</extracomment>
        <translation>Info file</translation>
    </message>
    <message>
        <source>infoﾌｧｲﾙ (*.info)|*.info|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <extracomment>command tab 4: file types of the browse dialog, text|pattern pairs</extracomment>
        <translation>Info files (*.info)|*.info|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>Intro変更</source>
        <extracomment>command tab 5: the tab&apos;s text</extracomment>
        <translation>New intro</translation>
    </message>
    <message>
        <source>Introファイル名</source>
        <extracomment>command tab 5: the label of the field</extracomment>
        <translation>Intro file</translation>
    </message>
    <message>
        <source>introﾌｧｲﾙ (*.intro)|*.intro|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <extracomment>command tab 5: file types of the browse dialog, text|pattern pairs</extracomment>
        <translation>Intro files (*.intro)|*.intro|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>config 取得</source>
        <extracomment>command tab 6: the tab&apos;s text</extracomment>
        <translation>Get config</translation>
    </message>
    <message>
        <source>config 変更</source>
        <extracomment>command tab 7: the tab&apos;s text</extracomment>
        <translation>New config</translation>
    </message>
    <message>
        <source>configファイル名</source>
        <extracomment>command tab 7: the label of the field</extracomment>
        <translation>Config file</translation>
    </message>
    <message>
        <source>configﾌｧｲﾙ (*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <extracomment>command tab 7: file types of the browse dialog, text|pattern pairs</extracomment>
        <translation>Config files (*.conf)|*.conf|All files (*.*)|*.*||</translation>
    </message>
</context>
<context>
    <name>CommandTabs</name>
    <message>
        <source>config ﾌｧｲﾙ(*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||</source>
        <translation>Config files (*.conf)|*.conf|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>%1 を config ファイルにできませんでした
%2</source>
        <translation>%1 could not be made the config file.
%2</translation>
    </message>
    <message>
        <source>会員一覧</source>
        <translation>Members</translation>
    </message>
    <message>
        <source>会員一覧はまだありません
会員一覧のｺﾏﾝﾄﾞﾒｰﾙを送り、返信をﾄﾞﾛｯﾌﾟしてください</source>
        <translation>There is no member list yet.
Send the Members command mail, then drop its reply on the window.</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽ抽出中...</source>
        <translation>Reading addresses...</translation>
    </message>
    <message>
        <source>読めなかったﾒｰﾙがあります
%1</source>
        <translation>Some mails could not be read:
%1</translation>
    </message>
</context>
<context>
    <name>CommonSheetRules</name>
    <message>
        <source>使用する Qsend.exe</source>
        <translation>Qsend.exe to use</translation>
    </message>
    <message>
        <source>使用する Quillon.exe</source>
        <translation>Quillon.exe to use</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>DialSession</name>
    <message>
        <source>接続に失敗しました</source>
        <translation>Could not connect</translation>
    </message>
    <message>
        <source>すでに接続されています</source>
        <translation>Already connected</translation>
    </message>
</context>
<context>
    <name>DialUpBinding</name>
    <message>
        <source>通信ポートを初期化中</source>
        <translation>Opening the port</translation>
    </message>
    <message>
        <source>通信ポートが正常にオープンされました</source>
        <translation>Port opened</translation>
    </message>
    <message>
        <source>%1へ電話をかけています</source>
        <translation>Calling %1</translation>
    </message>
    <message>
        <source>正常に接続されました</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>物理的なリンクが確立しました</source>
        <translation>Link established</translation>
    </message>
    <message>
        <source>認証を開始しています</source>
        <translation>Starting authentication</translation>
    </message>
    <message>
        <source>認証イベントが発生しました</source>
        <translation>Authentication in progress</translation>
    </message>
    <message>
        <source>コールバック番号をサーバーが要求しました</source>
        <translation>The server asks for a callback number</translation>
    </message>
    <message>
        <source>パスワードの変更をクライアントが要求しました</source>
        <translation>The password must be changed</translation>
    </message>
    <message>
        <source>投影段階を開始しようとしています</source>
        <translation>Starting network setup</translation>
    </message>
    <message>
        <source>接続速度計算段階を開始しようとしています</source>
        <translation>Measuring the link speed</translation>
    </message>
    <message>
        <source>認証が受領されました</source>
        <translation>Authentication accepted</translation>
    </message>
    <message>
        <source>再認証を開始</source>
        <translation>Authenticating again</translation>
    </message>
    <message>
        <source>認証を完了しました</source>
        <translation>Authenticated</translation>
    </message>
    <message>
        <source>コールバックの為回線を切断しようとしています</source>
        <translation>Hanging up for the callback</translation>
    </message>
    <message>
        <source>クライアントが待機状態に入っています</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>サーバーからの呼び出しを待っています</source>
        <translation>Waiting for the server to call back</translation>
    </message>
    <message>
        <source>投影の結果についての情報が利用可能</source>
        <translation>Network setup finished</translation>
    </message>
    <message>
        <source>正常に接続しました</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>切断されました</source>
        <translation>Disconnected</translation>
    </message>
</context>
<context>
    <name>Dialog100</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報 Tavelin</source>
        <extracomment>caption of Dialog100</extracomment>
        <translation>About Tavelin</translation>
    </message>
</context>
<context>
    <name>Dialog102</name>
    <message>
        <source>ﾒｰﾘﾝｸﾞﾘｽﾄ</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1004 (148 wide), name read by screen readers</extracomment>
        <translation>Mailing list</translation>
    </message>
    <message>
        <source>新規追加</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1006 (45 wide)</extracomment>
        <translation>Add</translation>
    </message>
    <message>
        <source>名称変更</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1008 (45 wide)</extracomment>
        <translation>Rename</translation>
    </message>
    <message>
        <source>削除</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1010 (45 wide)</extracomment>
        <translation>Delete</translation>
    </message>
    <message>
        <source>管理情報</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control -1 (148 wide)</extracomment>
        <translation>List administration</translation>
    </message>
    <message>
        <source>管理ｱﾄﾞﾚｽ</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control -1 (39 wide)</extracomment>
        <translation>Address</translation>
    </message>
    <message>
        <source>管理ﾊﾟｽﾜｰﾄﾞ</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control -1 (39 wide)</extracomment>
        <translation>Password</translation>
    </message>
    <message>
        <source>共通設定</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1016 (45 wide)</extracomment>
        <translation>Settings</translation>
    </message>
    <message>
        <source>設定の保存</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1013 (45 wide)</extracomment>
        <translation>Save</translation>
    </message>
    <message>
        <source>ﾘｽﾄ名</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control -1 (39 wide)</extracomment>
        <translation>List name</translation>
    </message>
    <message>
        <source>全ﾒｰﾙ送信</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1070 (56 wide)</extracomment>
        <translation>Send all</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞﾒｰﾙ作成</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1060 (56 wide)</extracomment>
        <translation>Compose</translation>
    </message>
    <message>
        <source>既成ﾒｰﾙ操作</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1066 (56 wide)</extracomment>
        <translation>Outbox...</translation>
    </message>
    <message>
        <source>通 作成済</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1181 (31 wide)</extracomment>
        <translation>queued</translation>
    </message>
    <message>
        <source>参照</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1077 (32 wide)</extracomment>
        <translation>Browse</translation>
    </message>
    <message>
        <source>編集</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1081 (32 wide)</extracomment>
        <translation>Edit</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽ抽出</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1084 (56 wide)</extracomment>
        <translation>From a mail...</translation>
    </message>
    <message>
        <source>会員一覧表示</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1190 (56 wide)</extracomment>
        <translation>Members...</translation>
    </message>
    <message>
        <source>ﾒｰﾙ受信</source>
        <extracomment>Dialog102 &quot;Tavelin for Quillon&quot;, control 1071 (56 wide)</extracomment>
        <translation>Fetch mail</translation>
    </message>
</context>
<context>
    <name>Dialog104</name>
    <message>
        <source>config 設定(1/5)</source>
        <extracomment>caption of Dialog104</extracomment>
        <translation>Config (1/5)</translation>
    </message>
</context>
<context>
    <name>Dialog105</name>
    <message>
        <source>config 設定(2/5)</source>
        <extracomment>caption of Dialog105</extracomment>
        <translation>Config (2/5)</translation>
    </message>
</context>
<context>
    <name>Dialog106</name>
    <message>
        <source>config 設定(3/5)</source>
        <extracomment>caption of Dialog106</extracomment>
        <translation>Config (3/5)</translation>
    </message>
    <message>
        <source>プレースホルダーの挿入</source>
        <extracomment>Dialog106 &quot;config 設定(3/5)&quot;, control 1122 (6 wide), name read by screen readers
----------
Dialog106 &quot;config 設定(3/5)&quot;, control 1125 (6 wide), name read by screen readers
----------
Dialog106 &quot;config 設定(3/5)&quot;, control 1128 (6 wide), name read by screen readers</extracomment>
        <translation>Insert placeholder</translation>
    </message>
</context>
<context>
    <name>Dialog107</name>
    <message>
        <source>config 設定(4/5)</source>
        <extracomment>caption of Dialog107</extracomment>
        <translation>Config (4/5)</translation>
    </message>
    <message>
        <source>プレースホルダーの挿入</source>
        <extracomment>Dialog107 &quot;config 設定(4/5)&quot;, control 1149 (6 wide), name read by screen readers
----------
Dialog107 &quot;config 設定(4/5)&quot;, control 1134 (6 wide), name read by screen readers</extracomment>
        <translation>Insert placeholder</translation>
    </message>
</context>
<context>
    <name>Dialog108</name>
    <message>
        <source>送信設定</source>
        <extracomment>caption of Dialog108</extracomment>
        <translation>Sending</translation>
    </message>
    <message>
        <source>Tavelin単独で送信する</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1074 (110 wide)</extracomment>
        <translation>Send with Tavelin</translation>
    </message>
    <message>
        <source>SMTPｻｰﾊﾞｰ名</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1082 (62 wide)</extracomment>
        <translation>SMTP server</translation>
    </message>
    <message>
        <source>ﾀｲﾑｿﾞｰﾝ</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1085 (62 wide)</extracomment>
        <translation>Time zone</translation>
    </message>
    <message>
        <source>ﾎﾟｰﾄ番号</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1088 (36 wide)</extracomment>
        <translation>Port</translation>
    </message>
    <message>
        <source>ﾕｰｻﾞｰ名</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1090 (62 wide)</extracomment>
        <translation>User name</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞ</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1092 (62 wide)</extracomment>
        <translation>Password</translation>
    </message>
    <message>
        <source>ﾒｰﾙｱﾄﾞﾚｽ</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1094 (62 wide)</extracomment>
        <translation>Your address</translation>
    </message>
    <message>
        <source>作成したﾒｰﾙの一時保存先ﾌｫﾙﾀﾞ</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1096 (160 wide)</extracomment>
        <translation>Folder where composed mails wait to be sent</translation>
    </message>
    <message>
        <source>参照</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1118 (32 wide)
----------
Dialog108 &quot;送信設定&quot;, control 1170 (32 wide)</extracomment>
        <translation>Browse</translation>
    </message>
    <message>
        <source>送信控えを保存する</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1178 (100 wide)</extracomment>
        <translation>Keep a copy of sent mails</translation>
    </message>
    <message>
        <source>ﾀﾞｲｱﾙｱｯﾌﾟ接続</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1120 (80 wide)</extracomment>
        <translation>Dial up</translation>
    </message>
    <message>
        <source>ﾘﾀﾞｲｱﾙ回数</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1100 (36 wide)</extracomment>
        <translation>Redials</translation>
    </message>
    <message>
        <source>ﾘﾀﾞｲｱﾙ間隔</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1102 (36 wide)</extracomment>
        <translation>Interval</translation>
    </message>
    <message>
        <source>接続名</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1098 (50 wide)</extracomment>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Quillonで送信する</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1078 (110 wide)</extracomment>
        <translation>Send with Quillon</translation>
    </message>
    <message>
        <source>16bit版</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1126 (45 wide)</extracomment>
        <translation>16-bit</translation>
    </message>
    <message>
        <source>32bit版</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1129 (45 wide)</extracomment>
        <translation>32-bit</translation>
    </message>
    <message>
        <source>ｼｸﾞﾈﾁｬ無しで送信</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1132 (103 wide)</extracomment>
        <translation>Send without signature</translation>
    </message>
    <message>
        <source>使用する Qsend.exe</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1104 (160 wide)</extracomment>
        <translation>Qsend.exe to use</translation>
    </message>
    <message>
        <source>接続の保護</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1250 (62 wide)</extracomment>
        <translation>Security</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存</source>
        <extracomment>Dialog108 &quot;送信設定&quot;, control 1252 (150 wide)</extracomment>
        <translation>Keep passwords in the keyring</translation>
    </message>
</context>
<context>
    <name>Dialog109</name>
    <message>
        <source>編集設定</source>
        <extracomment>caption of Dialog109</extracomment>
        <translation>Editing</translation>
    </message>
    <message>
        <source>使用するエディタ</source>
        <extracomment>Dialog109 &quot;編集設定&quot;, control -1 (120 wide)</extracomment>
        <translation>Editor to use</translation>
    </message>
    <message>
        <source>参照</source>
        <extracomment>Dialog109 &quot;編集設定&quot;, control 1172 (32 wide)</extracomment>
        <translation>Browse</translation>
    </message>
</context>
<context>
    <name>Dialog110</name>
    <message>
        <source>config 設定(5/5)</source>
        <extracomment>caption of Dialog110</extracomment>
        <translation>Config (5/5)</translation>
    </message>
</context>
<context>
    <name>Dialog111</name>
    <message>
        <source>受信設定</source>
        <extracomment>caption of Dialog111</extracomment>
        <translation>Fetching</translation>
    </message>
    <message>
        <source>IMAPｻｰﾊﾞｰ名</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>IMAP server</translation>
    </message>
    <message>
        <source>ﾎﾟｰﾄ番号</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>Port</translation>
    </message>
    <message>
        <source>接続の保護</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>Security</translation>
    </message>
    <message>
        <source>ﾕｰｻﾞｰ名</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>User name</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞ</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>Password</translation>
    </message>
    <message>
        <source>受信するﾌｫﾙﾀﾞ</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (62 wide)</extracomment>
        <translation>Folder to read</translation>
    </message>
    <message>
        <source>処理したﾒｰﾙの移動先ﾌｫﾙﾀﾞ(空欄なら移動しない)</source>
        <extracomment>Dialog111 &quot;受信設定&quot;, control -1 (200 wide)</extracomment>
        <translation>Move handled mails to this folder (empty: leave them)</translation>
    </message>
</context>
<context>
    <name>Dialog129</name>
    <message>
        <source>既成メール編集</source>
        <extracomment>caption of Dialog129</extracomment>
        <translation>Outbox</translation>
    </message>
    <message>
        <source>既成ﾒｰﾙ</source>
        <extracomment>Dialog129 &quot;既成メール編集&quot;, control 1160 (194 wide), name read by screen readers</extracomment>
        <translation>Queued mails</translation>
    </message>
    <message>
        <source>編集</source>
        <extracomment>Dialog129 &quot;既成メール編集&quot;, control 1000 (37 wide)</extracomment>
        <translation>Edit</translation>
    </message>
    <message>
        <source>削除</source>
        <extracomment>Dialog129 &quot;既成メール編集&quot;, control 1002 (37 wide)</extracomment>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>Dialog130</name>
    <message>
        <source>メール選択</source>
        <extracomment>caption of Dialog130</extracomment>
        <translation>Select Mail</translation>
    </message>
    <message>
        <source>ｴﾗｰﾒｰﾙﾌｧｲﾙ名</source>
        <extracomment>Dialog130 &quot;メール選択&quot;, control -1 (49 wide)</extracomment>
        <translation>Returned mail</translation>
    </message>
    <message>
        <source>参照</source>
        <extracomment>Dialog130 &quot;メール選択&quot;, control 1001 (27 wide)</extracomment>
        <translation>File...</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <extracomment>Dialog130 &quot;メール選択&quot;, control 2 (50 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ</source>
        <extracomment>Dialog130 &quot;メール選択&quot;, control 1002 (34 wide)</extracomment>
        <translation>Folder...</translation>
    </message>
</context>
<context>
    <name>Dialog134</name>
    <message>
        <source>ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ</source>
        <extracomment>caption of Dialog134</extracomment>
        <translation>Mailing List Title</translation>
    </message>
    <message>
        <source>ﾀｲﾄﾙ</source>
        <extracomment>Dialog134 &quot;ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ&quot;, control -1 (24 wide)</extracomment>
        <translation>Title</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <extracomment>Dialog134 &quot;ﾒｰﾘﾝｸﾞﾘｽﾄﾀｲﾄﾙ&quot;, control 2 (45 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Dialog135</name>
    <message>
        <source>ファイル名変更</source>
        <extracomment>caption of Dialog135</extracomment>
        <translation>Rename File</translation>
    </message>
    <message>
        <source>元ファイル名</source>
        <extracomment>Dialog135 &quot;ファイル名変更&quot;, control -1 (48 wide)</extracomment>
        <translation>File name</translation>
    </message>
    <message>
        <source>変更ファイル名</source>
        <extracomment>Dialog135 &quot;ファイル名変更&quot;, control -1 (48 wide)</extracomment>
        <translation>New name</translation>
    </message>
    <message>
        <source>参照</source>
        <extracomment>Dialog135 &quot;ファイル名変更&quot;, control 1003 (32 wide)</extracomment>
        <translation>Browse</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <extracomment>Dialog135 &quot;ファイル名変更&quot;, control 2 (50 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Dialog136</name>
    <message>
        <source>Tavelin 処理ステータス</source>
        <extracomment>caption of Dialog136</extracomment>
        <translation>Tavelin Status</translation>
    </message>
    <message>
        <source>ﾀﾞｲｱﾙｱｯﾌﾟを切断しない</source>
        <extracomment>Dialog136 &quot;Tavelin 処理ステータス&quot;, control 1164 (110 wide)</extracomment>
        <translation>Stay connected</translation>
    </message>
    <message>
        <source>送信ｷｬﾝｾﾙ</source>
        <extracomment>Dialog136 &quot;Tavelin 処理ステータス&quot;, control 1182 (50 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Dialog137</name>
    <message>
        <source>ｺﾏﾝﾄﾞ実行結果</source>
        <extracomment>caption of Dialog137</extracomment>
        <translation>Command Results</translation>
    </message>
    <message>
        <source>ﾘｽﾄ</source>
        <extracomment>Dialog137 &quot;ｺﾏﾝﾄﾞ実行結果&quot;, control -1 (30 wide)</extracomment>
        <translation>List</translation>
    </message>
    <message>
        <source>返信日時</source>
        <extracomment>Dialog137 &quot;ｺﾏﾝﾄﾞ実行結果&quot;, control -1 (30 wide)</extracomment>
        <translation>Date</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞ</source>
        <extracomment>Dialog137 &quot;ｺﾏﾝﾄﾞ実行結果&quot;, control -1 (60 wide)</extracomment>
        <translation>Commands</translation>
    </message>
    <message>
        <source>ｻｰﾊﾞｰの返答</source>
        <extracomment>Dialog137 &quot;ｺﾏﾝﾄﾞ実行結果&quot;, control -1 (60 wide)</extracomment>
        <translation>Server reply</translation>
    </message>
    <message>
        <source>閉じる</source>
        <extracomment>Dialog137 &quot;ｺﾏﾝﾄﾞ実行結果&quot;, control 1 (50 wide)</extracomment>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Dialog138</name>
    <message>
        <source>会員一覧</source>
        <extracomment>caption of Dialog138</extracomment>
        <translation>Members</translation>
    </message>
    <message>
        <source>検索</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control -1 (24 wide)</extracomment>
        <translation>Find</translation>
    </message>
    <message>
        <source>表示</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control -1 (20 wide)</extracomment>
        <translation>Show</translation>
    </message>
    <message>
        <source>会員</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control 1199 (266 wide), name read by screen readers</extracomment>
        <translation>Members</translation>
    </message>
    <message>
        <source>CSV出力</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control 1200 (50 wide)</extracomment>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>選択したｱﾄﾞﾚｽを強制退会</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control 1201 (110 wide)</extracomment>
        <translation>Unsubscribe selected</translation>
    </message>
    <message>
        <source>閉じる</source>
        <extracomment>Dialog138 &quot;会員一覧&quot;, control 1 (50 wide)</extracomment>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Dialog139</name>
    <message>
        <source>ﾒｰﾙ受信結果</source>
        <extracomment>caption of Dialog139</extracomment>
        <translation>Fetched Mails</translation>
    </message>
    <message>
        <source>受信したﾒｰﾙ</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1211 (246 wide), name read by screen readers</extracomment>
        <translation>Fetched mails</translation>
    </message>
    <message>
        <source>強制退会へ</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1212 (56 wide)</extracomment>
        <translation>Unsubscribe...</translation>
    </message>
    <message>
        <source>強制入会へ</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1213 (56 wide)</extracomment>
        <translation>Subscribe...</translation>
    </message>
    <message>
        <source>結果表示</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1214 (40 wide)</extracomment>
        <translation>Results</translation>
    </message>
    <message>
        <source>会員一覧</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1215 (40 wide)</extracomment>
        <translation>Members</translation>
    </message>
    <message>
        <source>閉じる</source>
        <extracomment>Dialog139 &quot;ﾒｰﾙ受信結果&quot;, control 1 (34 wide)</extracomment>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Dialog140</name>
    <message>
        <source>ｴﾗｰﾒｰﾙ集計</source>
        <extracomment>caption of Dialog140</extracomment>
        <translation>Returned Mails</translation>
    </message>
    <message>
        <source>ｴﾗｰ日数(以上)</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control -1 (60 wide)</extracomment>
        <translation>Min. days</translation>
    </message>
    <message>
        <source>集計期間(日)</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control -1 (60 wide)</extracomment>
        <translation>Window (days)</translation>
    </message>
    <message>
        <source>ｴﾗｰｱﾄﾞﾚｽ</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control 1225 (286 wide), name read by screen readers</extracomment>
        <translation>Failed addresses</translation>
    </message>
    <message>
        <source>全てﾁｪｯｸ</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control 1226 (50 wide)</extracomment>
        <translation>Check all</translation>
    </message>
    <message>
        <source>全て外す</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control 1227 (50 wide)</extracomment>
        <translation>Uncheck all</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <extracomment>Dialog140 &quot;ｴﾗｰﾒｰﾙ集計&quot;, control 2 (50 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>EditorStart</name>
    <message>
        <source>%1 の起動に失敗しました</source>
        <translation>%1 could not be started.</translation>
    </message>
</context>
<context>
    <name>FetchReport</name>
    <message>
        <source>(登録外のﾘｽﾄ)</source>
        <translation>(unregistered list)</translation>
    </message>
    <message>
        <source>%1通受信 (返信 %2、ｴﾗｰﾒｰﾙ %3、承認依頼 %4、通知 %5、その他 %6)</source>
        <translation>%1 mails read (replies %2, bounces %3, approval requests %4, notices %5, other %6)</translation>
    </message>
    <message>
        <source>、既読 %1通</source>
        <translation>, %1 already seen</translation>
    </message>
    <message>
        <source>、移動 %1通</source>
        <translation>, %1 moved</translation>
    </message>
    <message>
        <source>返信(失敗あり) %1: %2</source>
        <translation>Reply with failures, %1: %2</translation>
    </message>
    <message>
        <source>返信 %1: %2</source>
        <translation>Reply, %1: %2</translation>
    </message>
    <message>
        <source>ﾒﾝﾊﾞｰ更新 %1</source>
        <translation>Members updated, %1</translation>
    </message>
    <message>
        <source>ｴﾗｰﾒｰﾙ %1: %2</source>
        <translation>Bounced, %1: %2</translation>
    </message>
    <message>
        <source>閾値超過 %1: %2</source>
        <translation>Over the bounce threshold, %1: %2</translation>
    </message>
    <message>
        <source>承認依頼(入会) %1: %2</source>
        <translation>Asks to subscribe, %1: %2</translation>
    </message>
    <message>
        <source>承認依頼(退会) %1: %2</source>
        <translation>Asks to unsubscribe, %1: %2</translation>
    </message>
    <message>
        <source>通知(入会) %1: %2</source>
        <translation>Subscribed, %1: %2</translation>
    </message>
    <message>
        <source>通知(退会) %1: %2</source>
        <translation>Unsubscribed, %1: %2</translation>
    </message>
</context>
<context>
    <name>FetchRun</name>
    <message>
        <source>UID %1 のﾒｰﾙを読めませんでした</source>
        <translation>The mail with UID %1 could not be read.</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ名が正しくありません</source>
        <translation>Invalid folder name</translation>
    </message>
    <message>
        <source>(%1/%2)通目を受信中</source>
        <translation>Fetching mail %1 of %2</translation>
    </message>
    <message>
        <source>受信をキャンセルしました</source>
        <translation>Fetching was cancelled</translation>
    </message>
    <message>
        <source>ﾒｰﾙを移動中</source>
        <translation>Moving mails</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞのUIDVALIDITYが変わったため移動しません</source>
        <translation>The folder&apos;s UIDVALIDITY changed, so no mail is moved</translation>
    </message>
    <message>
        <source>サーバーがMOVEにもUIDPLUSにも対応していないため、ﾒｰﾙを移動できません</source>
        <translation>The server supports neither MOVE nor UIDPLUS, so mails cannot be moved.</translation>
    </message>
    <message>
        <source>受信を完了しました</source>
        <translation>Fetching finished</translation>
    </message>
    <message>
        <source>%1: フォルダを作成できません</source>
        <translation>%1: the folder cannot be created</translation>
    </message>
</context>
<context>
    <name>FieldBinding</name>
    <message>
        <source>整数を入力してください。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>正の整数を入力してください。</source>
        <translation>Enter a positive whole number.</translation>
    </message>
</context>
<context>
    <name>ImapSession</name>
    <message>
        <source>サーバーがTLS(STARTTLS)に対応していないため、ユーザー名とパスワードを送信できません</source>
        <translation>The server does not support TLS (STARTTLS), so the user name and password cannot be sent.</translation>
    </message>
    <message>
        <source>ホストへの接続に失敗しました
</source>
        <translation>Could not connect to the host.
</translation>
    </message>
    <message>
        <source>コマンド実行に失敗しました
コマンド:%1
%2</source>
        <translation>The server refused a command.
Command: %1
%2</translation>
    </message>
</context>
<context>
    <name>Keyring</name>
    <message>
        <source>ｷｰﾘﾝｸﾞにﾊﾟｽﾜｰﾄﾞがありません</source>
        <translation>The keyring holds no such password</translation>
    </message>
    <message>
        <source>ｷｰﾘﾝｸﾞがﾛｯｸされているか、使用を拒否されました</source>
        <translation>The keyring is locked, or its use was refused</translation>
    </message>
    <message>
        <source>ｷｰﾘﾝｸﾞ(Secret Service)が見つかりません</source>
        <translation>No keyring (Secret Service) was found</translation>
    </message>
    <message>
        <source>ｷｰﾘﾝｸﾞを使えません</source>
        <translation>The keyring cannot be used</translation>
    </message>
    <message>
        <source>ｷｰﾘﾝｸﾞが応答しません</source>
        <translation>The keyring does not answer</translation>
    </message>
</context>
<context>
    <name>PlaceholderMenus</name>
    <message>
        <source>メーリングリスト名</source>
        <translation>The list&apos;s name</translation>
    </message>
    <message>
        <source>通し番号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>From: アドレス</source>
        <translation>From: address</translation>
    </message>
    <message>
        <source>majordomo のバージョン情報</source>
        <translation>Majordomo&apos;s version</translation>
    </message>
</context>
<context>
    <name>PropertySheet</name>
    <message>
        <source>共通設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <extracomment>PropertySheet &quot;&quot;, control 2 (50 wide)</extracomment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>適用</source>
        <extracomment>PropertySheet &quot;&quot;, control 12321 (50 wide)</extracomment>
        <translation>Apply</translation>
    </message>
</context>
<context>
    <name>QtUiServices</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>Roster</name>
    <message>
        <source>ﾘｽﾄが登録されていません</source>
        <translation>The list is not registered</translation>
    </message>
    <message>
        <source>会員一覧が保存されていません</source>
        <translation>No member list is saved</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽが読めません</source>
        <translation>The address cannot be read</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞが失敗しました</source>
        <translation>The command failed</translation>
    </message>
    <message>
        <source>会員一覧が途中で切れています</source>
        <translation>The member list is cut short</translation>
    </message>
    <message>
        <source>保存しない指定です</source>
        <translation>Saving is turned off</translation>
    </message>
    <message>
        <source>会員一覧を保存できませんでした</source>
        <translation>The member list could not be saved</translation>
    </message>
    <message>
        <source>会員一覧を保存できませんでした: %1</source>
        <translation>The member list could not be saved: %1</translation>
    </message>
</context>
<context>
    <name>SendAllRun</name>
    <message>
        <source>別の送信が実行中です
%1</source>
        <translation>Another send is running.
%1</translation>
    </message>
    <message>
        <source>送信ﾌｫﾙﾀﾞをﾛｯｸできません
%1</source>
        <translation>The outgoing folder cannot be locked.
%1</translation>
    </message>
    <message>
        <source>(%1/%2)通目を送信中</source>
        <translation>Sending mail %1 of %2</translation>
    </message>
    <message>
        <source>送信中のﾒｰﾙがあります</source>
        <translation>A mail is still being sent.</translation>
    </message>
    <message>
        <source>メール保存</source>
        <translation>Keep Sent Mail</translation>
    </message>
    <message>
        <source>送信したﾒｰﾙを削除できません
%1
%2</source>
        <translation>The sent mail cannot be removed from the outgoing folder.
%1
%2</translation>
    </message>
    <message>
        <source>%1 の起動に失敗しました</source>
        <translation>%1 could not be started.</translation>
    </message>
    <message>
        <source>送信を完了しました</source>
        <translation>Sending finished</translation>
    </message>
    <message>
        <source>送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙがﾘﾝｸになっています
%1</source>
        <translation>The outgoing folder&apos;s lock file is a link.
%1</translation>
    </message>
    <message>
        <source>送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙが壊れています
%1</source>
        <translation>The outgoing folder&apos;s lock file is damaged.
%1</translation>
    </message>
    <message>
        <source>送信できないﾌｧｲﾙがあります
%1
%2</source>
        <translation>A queued file cannot be sent.
%1
%2</translation>
    </message>
    <message>
        <source>保存先のﾌｧｲﾙが開けません
%1
%2</source>
        <translation>The copy of the sent mail cannot be opened.
%1
%2</translation>
    </message>
</context>
<context>
    <name>ServerReplies</name>
    <message>
        <source>会員一覧を保存しました</source>
        <translation>The member list was saved.</translation>
    </message>
    <message>
        <source>会員一覧は保存していません: %1</source>
        <translation>The member list was not saved: %1</translation>
    </message>
    <message>
        <source>返信が途中で切れています</source>
        <translation>The reply is cut short.</translation>
    </message>
    <message>
        <source>返信を読んでいます...</source>
        <translation>Reading the reply...</translation>
    </message>
</context>
<context>
    <name>ServerReply</name>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞが違います</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>ﾘｽﾄ名が違います</source>
        <translation>Unknown list name</translation>
    </message>
    <message>
        <source>会員ではありません</source>
        <translation>Not a member</translation>
    </message>
    <message>
        <source>既に会員です</source>
        <translation>Already a member</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽが正しくありません</source>
        <translation>Invalid address</translation>
    </message>
    <message>
        <source>複数の会員に一致しました</source>
        <translation>Matches more than one member</translation>
    </message>
    <message>
        <source>新規ﾊﾟｽﾜｰﾄﾞがありません</source>
        <translation>No new password was given</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞが使用できません</source>
        <translation>The command is disabled</translation>
    </message>
    <message>
        <source>書式の誤りがあります</source>
        <translation>Syntax error</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞではありません</source>
        <translation>Not a command</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞが見つかりませんでした</source>
        <translation>No commands were found</translation>
    </message>
    <message>
        <source>ｻｰﾊﾞｰでｴﾗｰが起きました</source>
        <translation>The server had an error</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞの実行結果です</source>
        <translation>Results of commands</translation>
    </message>
    <message>
        <source>承認依頼のﾒｰﾙです</source>
        <translation>A request for approval</translation>
    </message>
    <message>
        <source>投稿の保留を知らせるﾒｰﾙです</source>
        <translation>A notice that a post is held</translation>
    </message>
    <message>
        <source>入会のお知らせです</source>
        <translation>A subscription notice</translation>
    </message>
    <message>
        <source>退会のお知らせです</source>
        <translation>An unsubscription notice</translation>
    </message>
    <message>
        <source>ﾘｽﾄｻｰﾊﾞｰからの返信ではありません</source>
        <translation>Not a reply from the list server</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞから読めません
%1</source>
        <translation>The password cannot be read from the keyring
%1</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存できません
%1</source>
        <translation>The password cannot be kept in the keyring
%1</translation>
    </message>
</context>
<context>
    <name>SmtpSocket</name>
    <message>
        <source>
コマンド:</source>
        <translation>
Command: </translation>
    </message>
    <message>
        <source>
要求コード :%1</source>
        <translation>
Expected reply:%1</translation>
    </message>
    <message>
        <source>
応答コード :%1</source>
        <translation>
Received reply:%1</translation>
    </message>
    <message>
        <source>コマンド実行に失敗しました</source>
        <translation>The server refused a command.</translation>
    </message>
    <message>
        <source>ファイル(%1)を開けません</source>
        <translation>The file (%1) cannot be opened.</translation>
    </message>
    <message>
        <source>コマンド送信(%1)に失敗しました</source>
        <translation>Sending a command (%1) failed.</translation>
    </message>
    <message>
        <source>応答受信(%1)に失敗しました</source>
        <translation>No reply to a command (%1) came.</translation>
    </message>
    <message>
        <source>データ送信に失敗しました</source>
        <translation>Sending the mail failed.</translation>
    </message>
    <message>
        <source>有効期限が切れています</source>
        <translation>it has expired</translation>
    </message>
    <message>
        <source>有効期間が始まっていません</source>
        <translation>it is not valid yet</translation>
    </message>
    <message>
        <source>ホスト名(%1)の証明書ではありません</source>
        <translation>it is not for the host name (%1)</translation>
    </message>
    <message>
        <source>失効しています</source>
        <translation>it has been revoked</translation>
    </message>
    <message>
        <source>信頼できる認証局の証明書ではありません</source>
        <translation>it is not issued by a trusted authority</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>宛先か自分のアドレスを取得できませんでした</source>
        <translation>The recipient or your own address could not be read.</translation>
    </message>
    <message>
        <source>TLS 開始中</source>
        <translation>Starting TLS</translation>
    </message>
    <message>
        <source>サーバーの証明書を拒否しました
理由:</source>
        <translation>The server&apos;s certificate was refused.
Reason: </translation>
    </message>
    <message>
        <source>TLS通信を開始できませんでした
</source>
        <translation>TLS could not be started.
</translation>
    </message>
    <message>
        <source>サーバーが拡張SMTP(EHLO)に対応していないため、ログインできません</source>
        <translation>The server does not support extended SMTP (EHLO), so Tavelin cannot log in.</translation>
    </message>
    <message>
        <source>サーバーがTLS(STARTTLS)に対応していないため、ユーザー名とパスワードを送信できません</source>
        <translation>The server does not support TLS (STARTTLS), so the user name and password cannot be sent.</translation>
    </message>
    <message>
        <source>TLS通信を開始できませんでした</source>
        <translation>TLS could not be started.</translation>
    </message>
    <message>
        <source>サーバーが対応するログイン方式(AUTH PLAIN、AUTH LOGIN)がありません</source>
        <translation>The server supports no login method Tavelin knows (AUTH PLAIN, AUTH LOGIN).</translation>
    </message>
    <message>
        <source>認証中</source>
        <translation>Logging in</translation>
    </message>
    <message>
        <source>ログインを拒否されました</source>
        <translation>The login was refused.</translation>
    </message>
    <message>
        <source>応答受信(データ送信)に失敗しました</source>
        <translation>No reply to the mail came.</translation>
    </message>
    <message>
        <source>ホストに接続中</source>
        <translation>Connecting to the host</translation>
    </message>
    <message>
        <source>ホストへの接続に失敗しました</source>
        <translation>Could not connect to the host.</translation>
    </message>
    <message>
        <source>ホストへの接続(応答受信)に失敗しました</source>
        <translation>The host did not greet.</translation>
    </message>
    <message>
        <source>ホストへの接続完了</source>
        <translation>Connected to the host</translation>
    </message>
    <message>
        <source>サーバーがTLS(STARTTLS)に対応していないため、送信できません</source>
        <translation>The server does not offer TLS (STARTTLS), so nothing can be sent</translation>
    </message>
    <message>
        <source>共通設定の「接続の保護」がSTARTTLSです</source>
        <translation>&quot;Connection security&quot; in the common settings is STARTTLS</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Tavelin) (&amp;A)...</source>
        <extracomment>string 101</extracomment>
        <translation>&amp;About Tavelin...</translation>
    </message>
    <message>
        <source>Windows ｿｹｯﾄの初期化に失敗しました。</source>
        <extracomment>string 103</extracomment>
        <translation>Windows sockets could not be initialized.</translation>
    </message>
    <message>
        <source>config設定</source>
        <extracomment>string 153</extracomment>
        <translation>Config</translation>
    </message>
    <message>
        <source>リストの管理用パスワード。
管理コマンド（approve、newconfig など）に添えて送ります。
空白を含まない一語。既定値は「リスト名.admin」。</source>
        <extracomment>string 200</extracomment>
        <translation>The list&apos;s administrative password.
Sent with administrative commands (approve, newconfig and others).
One word without blanks. Default: the list&apos;s name followed by &quot;.admin&quot;.</translation>
    </message>
    <message>
        <source>yes: 購読・退会などの依頼がリスト宛てに届いたとき、
配送せずに管理者へ回します。
yes / no。既定値は yes。</source>
        <extracomment>string 201</extracomment>
        <translation>yes: requests such as subscribe or unsubscribe that reach the list
are passed to the owner instead of being delivered.
yes / no. Default: yes.</translation>
    </message>
    <message>
        <source>lists コマンドの一覧にこのリストを載せる相手のアドレスを、
/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。
空なら、noadvertise に当たらない全員に見せます。</source>
        <extracomment>string 202</extracomment>
        <translation>Addresses of those who see this list in the reply to a lists command,
one regular expression enclosed in /.../ per line.
Empty: everyone not matched by noadvertise sees it.</translation>
    </message>
    <message>
        <source>モデレート中のリストへの投稿を承認するとき、
Approved: ヘッダーに書くパスワード。
空白を含まない一語。既定値は「リスト名.pass」。</source>
        <extracomment>string 203</extracomment>
        <translation>The password written in the Approved: header
to approve a post to a moderated list.
One word without blanks. Default: the list&apos;s name followed by &quot;.pass&quot;.</translation>
    </message>
    <message>
        <source>リストのアーカイブを置くディレクトリ（/ で始まる絶対パス）。
サーバーでは使われていない項目です。空のままにします。</source>
        <extracomment>string 204</extracomment>
        <translation>The folder of the list&apos;s archive (an absolute path, starting with /).
The server does not use this setting; leave it empty.</translation>
    </message>
    <message>
        <source>設定ファイルに残しておくメモ。
サーバーは使いませんが、設定を書き直しても残ります。</source>
        <extracomment>string 205</extracomment>
        <translation>Notes kept in the config file.
The server ignores them, but they survive when the config is rewritten.</translation>
    </message>
    <message>
        <source>yes: info ファイルの先頭に最終更新日を入れます。
no: info コマンドの返信の末尾に付けます。
既定値は yes。</source>
        <extracomment>string 206</extracomment>
        <translation>yes: the date of the last change is put at the top of the info file.
no: it is added at the end of the reply to an info command.
Default: yes.</translation>
    </message>
    <message>
        <source>yes: intro ファイルの先頭に最終更新日を入れます。
no: intro コマンドの返信の末尾に付けます。
既定値は yes。</source>
        <extracomment>string 207</extracomment>
        <translation>yes: the date of the last change is put at the top of the intro file.
no: it is added at the end of the reply to an intro command.
Default: yes.</translation>
    </message>
    <message>
        <source>yes: 投稿を配送せず、処理の流れだけをたどります（試験用）。
既定値は no。</source>
        <extracomment>string 208</extracomment>
        <translation>yes: posts are not delivered; the server only goes through the steps (for testing).
Default: no.</translation>
    </message>
    <message>
        <source>lists コマンドの返信でリスト名に添える説明。
50 文字ほどまで。空なら説明なし。</source>
        <extracomment>string 209</extracomment>
        <translation>A description shown next to the list&apos;s name in the reply to a lists command.
Up to about 50 characters. Empty: no description.</translation>
    </message>
    <message>
        <source>ダイジェストのアーカイブを置くディレクトリ（絶対パス）。
サーバーでは使われていない項目です。空のままにします。</source>
        <extracomment>string 220</extracomment>
        <translation>The folder of the digest archive (an absolute path).
The server does not use this setting; leave it empty.</translation>
    </message>
    <message>
        <source>次に出すダイジェストの号数。
既定値は 1。</source>
        <extracomment>string 221</extracomment>
        <translation>The number of the next digest issue.
Default: 1.</translation>
    </message>
    <message>
        <source>ためた記事の最も古いものがこの日数を過ぎると、
新しいダイジェストを出します。
Default: 値を空にして、日数では区切りません。</source>
        <extracomment>string 222</extracomment>
        <translation>A new digest goes out once the oldest collected post is this many days old.
Default: leave the value empty, and days do not end a digest.</translation>
    </message>
    <message>
        <source>ダイジェストがこの行数を超えると、新しい号を出します。
Default: 値を空にして、行数では区切りません。</source>
        <extracomment>string 223</extracomment>
        <translation>A new issue goes out once the digest exceeds this many lines.
Default: leave the value empty, and lines do not end a digest.</translation>
    </message>
    <message>
        <source>ダイジェストの Subject に使う文字列。
後ろに巻と号が付きます。既定値はリスト名。</source>
        <extracomment>string 224</extracomment>
        <translation>The text used in the Subject of a digest;
the volume and issue follow it. Default: the list&apos;s name.</translation>
    </message>
    <message>
        <source>ここに書いたリストが記事の末尾に付けたフッターを、
ダイジェストに入れる前に取り除きます。リスト名を一語で。</source>
        <extracomment>string 225</extracomment>
        <translation>The footer that the list named here adds to its posts
is removed before they go into the digest. One list name.</translation>
    </message>
    <message>
        <source>ここに書いたリストが記事の先頭に付けたフロンターを、
ダイジェストに入れる前に取り除きます。リスト名を一語で。</source>
        <extracomment>string 226</extracomment>
        <translation>The fronter that the list named here adds to its posts
is removed before they go into the digest. One list name.</translation>
    </message>
    <message>
        <source>ダイジェストの今の巻番号。
既定値は 1。</source>
        <extracomment>string 227</extracomment>
        <translation>The current volume number of the digest.
Default: 1.</translation>
    </message>
    <message>
        <source>ダイジェストを作るときの作業ディレクトリ（絶対パス）。
わからなければ変えないでください。</source>
        <extracomment>string 228</extracomment>
        <translation>The working folder used to build digests (an absolute path).
Leave it unchanged unless you know it must change.</translation>
    </message>
    <message>
        <source>get コマンドを使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は list。</source>
        <extracomment>string 229</extracomment>
        <translation>Who may use the get command.
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: list.</translation>
    </message>
    <message>
        <source>index コマンドを使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は open。</source>
        <extracomment>string 230</extracomment>
        <translation>Who may use the index command.
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: open.</translation>
    </message>
    <message>
        <source>info コマンドを使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は open。</source>
        <extracomment>string 231</extracomment>
        <translation>Who may use the info command.
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: open.</translation>
    </message>
    <message>
        <source>intro コマンドを使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は list。</source>
        <extracomment>string 232</extracomment>
        <translation>Who may use the intro command.
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: list.</translation>
    </message>
    <message>
        <source>承認なしで配送する投稿の最大の大きさ（文字数）。
ダイジェストでは、この大きさを超えると新しい号を出します。
既定値は 40000。</source>
        <extracomment>string 233</extracomment>
        <translation>The largest post (in characters) delivered without approval.
A digest starts a new issue once it exceeds this size.
Default: 40000.</translation>
    </message>
    <message>
        <source>リストに流すメールの末尾に付ける文章。
$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は
配送のときに置き換えられます。右のボタンで挿入できます。</source>
        <extracomment>string 240</extracomment>
        <translation>Text added at the end of every mail sent to the list.
$LIST (the list&apos;s name), $SENDER (the sender) and $VERSION (majordomo&apos;s version)
are replaced when the mail is delivered. The button on the right inserts them.</translation>
    </message>
    <message>
        <source>リストに流すメールの先頭に付ける文章。
$LIST（リスト名）、$SENDER（差出人）、$VERSION（majordomo の版）は
配送のときに置き換えられます。右のボタンで挿入できます。</source>
        <extracomment>string 241</extracomment>
        <translation>Text added at the top of every mail sent to the list.
$LIST (the list&apos;s name), $SENDER (the sender) and $VERSION (majordomo&apos;s version)
are replaced when the mail is delivered. The button on the right inserts them.</translation>
    </message>
    <message>
        <source>リストに流すメールのヘッダーに加える行（1 行に 1 つ）。
$LIST、$SENDER、$VERSION は配送のときに置き換えられます。
右のボタンで挿入できます。</source>
        <extracomment>string 242</extracomment>
        <translation>Header lines added to every mail sent to the list (one per line).
$LIST, $SENDER and $VERSION are replaced when the mail is delivered.
The button on the right inserts them.</translation>
    </message>
    <message>
        <source>yes: すべての投稿をモデレーターに回し、承認を待ちます。
既定値は no。</source>
        <extracomment>string 243</extracomment>
        <translation>yes: every post goes to the moderator and waits for approval.
Default: no.</translation>
    </message>
    <message>
        <source>承認の要る投稿を送る先のアドレス。
空なら「リスト名-approval」に送ります。</source>
        <extracomment>string 244</extracomment>
        <translation>The address posts that need approval are sent to.
Empty: they go to the list&apos;s name followed by &quot;-approval&quot;.</translation>
    </message>
    <message>
        <source>yes: user@host.example.com と user@example.com を
同じアドレスとみなします（購読・退会などの照合）。
既定値は no。</source>
        <extracomment>string 245</extracomment>
        <translation>yes: user@host.example.com and user@example.com count as
the same address (when matching subscribe, unsubscribe and the like).
Default: no.</translation>
    </message>
    <message>
        <source>lists コマンドの一覧にこのリストを見せない相手のアドレスを、
/.../ で囲んだ正規表現で 1 行に 1 つずつ書きます。
advertise より優先します。</source>
        <extracomment>string 246</extracomment>
        <translation>Addresses of those who do not see this list in the reply to a lists command,
one regular expression enclosed in /.../ per line.
Takes precedence over advertise.</translation>
    </message>
    <message>
        <source>配送するメールの Precedence: ヘッダーの値。
既定値は bulk。</source>
        <extracomment>string 250</extracomment>
        <translation>The value of the Precedence: header of delivered mails.
Default: bulk.</translation>
    </message>
    <message>
        <source>yes: 配送する前に Received: ヘッダーをすべて取り除きます。
既定値は no。</source>
        <extracomment>string 251</extracomment>
        <translation>yes: every Received: header is removed before delivery.
Default: no.</translation>
    </message>
    <message>
        <source>配送するメールに付ける Reply-To: ヘッダーの値。
$SENDER なら投稿者のアドレスになります（右のボタンで挿入）。
空なら付けません。</source>
        <extracomment>string 252</extracomment>
        <translation>The value of the Reply-To: header added to delivered mails.
$SENDER gives the poster&apos;s address (the button on the right inserts it).
Empty: no Reply-To: header is added.</translation>
    </message>
    <message>
        <source>配送に使うアドレスの後ろに付けるホスト名。</source>
        <extracomment>string 253</extracomment>
        <translation>The host name added after the addresses used for delivery.</translation>
    </message>
    <message>
        <source>投稿できる人の名簿ファイル（空白かコロンで区切って複数可）。
空ならだれでも投稿できます。
各 *_access の list もこの名簿で判定します。</source>
        <extracomment>string 254</extracomment>
        <translation>The file listing who may post (several, separated by blanks or colons).
Empty: anyone may post.
The &quot;list&quot; value of every *_access setting checks this file too.</translation>
    </message>
    <message>
        <source>配送するメールのエンベロープと Sender: のアドレス。
後ろに @ と resend_host が付きます。既定値は「owner-リスト名」。</source>
        <extracomment>string 255</extracomment>
        <translation>The address of delivered mails&apos; envelope and Sender: header.
An @ and resend_host follow it. Default: &quot;owner-&quot; followed by the list&apos;s name.</translation>
    </message>
    <message>
        <source>yes: 会員を登録するとき、コメントを除いた
アドレスだけを名簿に書きます。既定値は yes。</source>
        <extracomment>string 256</extracomment>
        <translation>yes: when a member is added, only the address,
without its comment, is written to the member file. Default: yes.</translation>
    </message>
    <message>
        <source>Subject の先頭に付ける語（まだ付いていなければ）。
空白を含まない一語。$LIST などは配送のときに置き換えられます
（右のボタンで挿入）。空なら付けません。</source>
        <extracomment>string 257</extracomment>
        <translation>A word put at the start of the Subject (unless it is already there).
One word without blanks; $LIST and the like are replaced on delivery
(the button on the right inserts them). Empty: nothing is added.</translation>
    </message>
    <message>
        <source>購読の受け付け方。
open: 本人の申し込みで登録&#x3000;closed: 毎回管理者が承認
auto: だれでもだれかを登録できる
+confirm: 本人に確認番号を送り、返事を待ちます。既定値は open+confirm。</source>
        <extracomment>string 258</extracomment>
        <translation>How subscriptions are accepted.
open: added on the person&apos;s own request   closed: the owner approves each one
auto: anyone can subscribe anyone
+confirm: a confirmation number is sent to the person, and the reply awaited. Default: open+confirm.</translation>
    </message>
    <message>
        <source>本文のどれかの行がこの正規表現（/.../、1 行に 1 つ）に当たると、
配送せずに管理者へ回します。</source>
        <extracomment>string 259</extracomment>
        <translation>When any line of the body matches one of these regular expressions (/.../, one per line),
the post goes to the owner instead of being delivered.</translation>
    </message>
    <message>
        <source>ヘッダーのどれかがこの正規表現（/.../、1 行に 1 つ）に当たると、
配送せずに管理者へ回します。</source>
        <extracomment>string 260</extracomment>
        <translation>When any header matches one of these regular expressions (/.../, one per line),
the post goes to the owner instead of being delivered.</translation>
    </message>
    <message>
        <source>退会の受け付け方。
open: 本人の申し込みで退会&#x3000;closed: 毎回管理者が承認
auto: だれでもだれかを退会させられる
+confirm: 本人以外からの依頼に確認番号で確かめます。既定値は open。</source>
        <extracomment>string 270</extracomment>
        <translation>How unsubscriptions are accepted.
open: removed on the person&apos;s own request   closed: the owner approves each one
auto: anyone can unsubscribe anyone
+confirm: a request from someone else is checked with a confirmation number. Default: open.</translation>
    </message>
    <message>
        <source>which コマンドを使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は open。</source>
        <extracomment>string 271</extracomment>
        <translation>Who may use the which command.
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: open.</translation>
    </message>
    <message>
        <source>who コマンド（会員一覧）を使える人。
open: だれでも&#x3000;list: 会員だけ（restrict_post があればその名簿）
closed: だれも使えない。既定値は open。</source>
        <extracomment>string 272</extracomment>
        <translation>Who may use the who command (the member list).
open: anyone   list: members only (those of restrict_post, if set)
closed: nobody. Default: open.</translation>
    </message>
</context>
<context>
    <name>WindowFetch</name>
    <message>
        <source>共通設定の「受信設定」でIMAPｻｰﾊﾞｰ名とﾕｰｻﾞｰ名を設定してください</source>
        <translation>Set the IMAP server and user name on the Fetching page of the settings.</translation>
    </message>
    <message>
        <source>受信ｷｬﾝｾﾙ</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>ﾒｰﾙを受信しています</source>
        <translation>Fetching mail</translation>
    </message>
    <message>
        <source>受信をｷｬﾝｾﾙしています</source>
        <translation>Stopping the fetch</translation>
    </message>
    <message>
        <source>受信を完了しました</source>
        <translation>Fetching finished</translation>
    </message>
</context>
</TS>
