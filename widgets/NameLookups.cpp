#include "widgets/NameLookups.h"

#include "core/expr/ExprValue.h"
#include "core/expr/NamedConstants.h"
#include "graphics/assets/AssetManager.h"
#include "widgets/script/AnimationTable.h"

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
