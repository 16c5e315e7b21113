#include "widgets/NameLookups.h"

#include "app/expr/ExprValue.h"
#include "app/expr/NamedConstants.h"
#include "graphics/assets/AssetManager.h"
#include "widgets/anim/AnimationTable.h"

Image* LookupAssetTableA(const std::string& name) {
    return AssetManager::Get().FindImage(name);
}

int LookupAssetTableB(const std::string& name) {
    return AssetManager::Get().FindSound(name);
}

int LookupAssetTableB2(const std::string& name) {
    return LookupAssetTableB(name);
}

int LookupNamedId(const std::string& name) {
    return AssetManager::Get().FindNamedId(name);
}

bool ContainsNamedEntry(const std::string& name) {
    return AnimationTable::Get().Contains(name);
}

int LookupConstant(const std::string& name) {
    return GetConstantValue(name).AsInt();
}
