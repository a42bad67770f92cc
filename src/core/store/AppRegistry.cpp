#include "store/AppRegistry.h"

CAppRegistry::CAppRegistry(const QString &makerKey, const QString &productKey)
    : CRegistryBase(makerKey, productKey)
{
}

RegKey CAppRegistry::GetKey() const
{
    return productKey();
}
