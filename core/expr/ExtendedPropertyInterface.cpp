#include "core/expr/ExtendedPropertyInterface.h"

bool ExtendedPropertyInterface::GetProperty(const std::string& /*name*/, ExprValue* /*out*/) const {
    return false;
}
