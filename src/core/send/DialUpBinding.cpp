#include "send/DialUpBinding.h"

#include <QCoreApplication>

#include <algorithm>

bool alreadyConnected(const QList<ActiveConnection> &connections, const QString &entry)
{
    return std::any_of(connections.cbegin(), connections.cend(),
                       [&entry](const ActiveConnection &connection) {
                           return connection.remoteAccess || connection.name == entry;
                       });
}

QString dialStateText(int state, const QString &entryName)
{
    switch (state) {
    case 0:
        return QCoreApplication::translate("DialUpBinding", "通信ポートを初期化中");
    case 1:
        return QCoreApplication::translate("DialUpBinding", "通信ポートが正常にオープンされました");
    case 2:
        return QCoreApplication::translate("DialUpBinding", "%1へ電話をかけています")
            .arg(entryName);
    case 3:
        return QCoreApplication::translate("DialUpBinding", "正常に接続されました");
    case 4:
        return QCoreApplication::translate("DialUpBinding", "物理的なリンクが確立しました");
    case 5:
        return QCoreApplication::translate("DialUpBinding", "認証を開始しています");
    case 6:
        return QCoreApplication::translate("DialUpBinding", "認証イベントが発生しました");
    case 8:
        return QCoreApplication::translate("DialUpBinding",
                                           "コールバック番号をサーバーが要求しました");
    case 9:
        return QCoreApplication::translate("DialUpBinding",
                                           "パスワードの変更をクライアントが要求しました");
    case 10:
        return QCoreApplication::translate("DialUpBinding", "投影段階を開始しようとしています");
    case 11:
        return QCoreApplication::translate("DialUpBinding",
                                           "接続速度計算段階を開始しようとしています");
    case 12:
        return QCoreApplication::translate("DialUpBinding", "認証が受領されました");
    case 13:
        return QCoreApplication::translate("DialUpBinding", "再認証を開始");
    case 14:
        return QCoreApplication::translate("DialUpBinding", "認証を完了しました");
    case 15:
        return QCoreApplication::translate("DialUpBinding",
                                           "コールバックの為回線を切断しようとしています");
    case 16:
        return QCoreApplication::translate("DialUpBinding", "クライアントが待機状態に入っています");
    case 17:
        return QCoreApplication::translate("DialUpBinding", "サーバーからの呼び出しを待っています");
    case 18:
        return QCoreApplication::translate("DialUpBinding", "投影の結果についての情報が利用可能");
    case DialUpState::Connected:
        return QCoreApplication::translate("DialUpBinding", "正常に接続しました");
    case DialUpState::Disconnected:
        return QCoreApplication::translate("DialUpBinding", "切断されました");
    default: // 7 (authentication retry) and any other state
        return {};
    }
}
