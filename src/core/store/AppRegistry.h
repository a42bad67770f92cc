#pragma once

#include "store/RegistryBase.h"

// The store of Tavelin's settings and list register, opened anew for each
// load or save step and closed at its end.
class CAppRegistry : public CRegistryBase
{
public:
    CAppRegistry(const QString &makerKey = QStringLiteral("Orvendal"),
                 const QString &productKey = QStringLiteral("Tavelin"));
    RegKey GetKey() const override;
};
