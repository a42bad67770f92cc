#include "StringTable.h"

#include "ResourceIds.h"

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
};

} // namespace

QString loadString(int id)
{
    for (const StringRow &row : kStrings) {
        if (row.id == id)
            return QString::fromUtf8(row.text);
    }
    return {};
}
