#include "send/DialUpBinding.h"

QString dialStateText(int state, const QString &entryName)
{
    switch (state) {
    case 0:
        return QStringLiteral("通信ポートを初期化中");
    case 1:
        return QStringLiteral("通信ポートが正常にオープンされました");
    case 2:
        return entryName + QStringLiteral("へ電話をかけています");
    case 3:
        return QStringLiteral("正常に接続されました");
    case 4:
        return QStringLiteral("物理的なリンクが確立しました");
    case 5:
        return QStringLiteral("認証を開始しています");
    case 6:
        return QStringLiteral("認証イベントが発生しました");
    case 8:
        return QStringLiteral("コールバック番号をサーバーが要求しました");
    case 9:
        return QStringLiteral("パスワードの変更をクライアントが要求しました");
    case 10:
        return QStringLiteral("投影段階を開始しようとしています");
    case 11:
        return QStringLiteral("接続速度計算段階を開始しようとしています");
    case 12:
        return QStringLiteral("認証が受領されました");
    case 13:
        return QStringLiteral("再認証を開始");
    case 14:
        return QStringLiteral("認証を完了しました");
    case 15:
        return QStringLiteral("コールバックの為回線を切断しようとしています");
    case 16:
        return QStringLiteral("クライアントが待機状態に入っています");
    case 17:
        return QStringLiteral("サーバーからの呼び出しを待っています");
    case 18:
        return QStringLiteral("投影の結果についての情報が利用可能");
    case DialUpState::Connected:
        return QStringLiteral("正常に接続しました");
    case DialUpState::Disconnected:
        return QStringLiteral("切断されました");
    default: // 7 (authentication retry) and any other state
        return {};
    }
}
