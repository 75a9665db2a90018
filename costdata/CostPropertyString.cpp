#include "costdata/CostPropertyString.h"

#include <QtGlobal>

#include "formula/FormulaContainer.h"
#include "formula/NoFormulaResultException.h"

namespace VelkData {

CostPropertyString::CostPropertyString() : CostPropertyString(std::string()) {}

CostPropertyString::CostPropertyString(const std::string& id)
    : CostProperty(id) {}

std::string CostPropertyString::stringValue() const {
  if (doCacheValue_) return cachedValue_;
  if (hasValue_) return value_;
  boost::shared_ptr<FormulaContainer> container = formulas();
  if (!container) return std::string();
  try {
    return container->evalFormulaString();
  } catch (const NoFormulaResultException&) {
    qDebug("Error String Formula");
    throw;
  }
}

void CostPropertyString::setDoCacheValue(bool flag) {
  if (flag && !doCacheValue_) {
    try {
      cachedValue_ = stringValue();
    } catch (const NoFormulaResultException& e) {
      qDebug(
          "CostPropertyString::setDoCacheValue:NoFormulaResultException %s\n",
          e.what());
    }
  }
  doCacheValue_ = flag;
}

boost::shared_ptr<CostProperty> CostPropertyString::clone() const {
  boost::shared_ptr<CostPropertyString> copy(new CostPropertyString(id()));
  copyTo(copy);
  copy->value_ = value_;
  copy->cachedValue_ = cachedValue_;
  copy->hasValue_ = hasValue_;
  return copy;
}

bool CostPropertyString::hasValue() const { return hasValue_; }

void CostPropertyString::setValue(const std::string& value) {
  value_ = value;
  hasValue_ = true;
}

}  // namespace VelkData
