#include "CommonSheet.h"

CCommonSheet::CCommonSheet(UiServices &ui, const CommonSettings &settings, QWidget *parent)
    : PropertySheet(ui, "共通設定", {}, true, parent), m_settings(settings)
{
}
