#include <gtest/gtest.h>

#include <QMetaObject>
#include <QString>
#include <QtGlobal>
#include <string>

#include "costdata/BaseAssembly.h"
#include "costdata/ComponentCostValueRange.h"
#include "costdata/ComponentCostsValueSlot.h"
#include "costdata/CostDatabase.h"
#include "costdata/ManufacturingStep.h"
#include "processplan/Constraint.h"
#include "processplan/PartFeature.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometry.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"
#include "processplan/ProcessFactoryFeature.h"

// trUtf8 is deprecated, and still part of the object classes' interface.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// "name|tr|trUtf8" for class T: its meta-object's class name and what its two
// translation functions make of one UTF-8 text with a disambiguation and a
// count (there is no translator, so each must answer the text itself).
template <class T>
std::string describe() {
  const char* text = "St\xc3\xbc" "ckkosten %n";
  const QString tr = T::tr(text, "cost table", 2);
  const QString trUtf8 = T::trUtf8(text, "cost table", 2);
  return std::string(T::staticMetaObject.className()) + "|" +
         tr.toStdString() + "|" + trUtf8.toStdString();
}

std::string expected(const std::string& className) {
  return className + "|St\xc3\xbc" "ckkosten 2|St\xc3\xbc" "ckkosten 2";
}

TEST(ObjectFrameworkTest, ObjectClassesOfferBothTranslationFunctions) {
  EXPECT_EQ(expected("VelkData::BaseAssembly"),
            describe<VelkData::BaseAssembly>());
  EXPECT_EQ(expected("VelkData::ComponentCostValueRange"),
            describe<VelkData::ComponentCostValueRange>());
  EXPECT_EQ(expected("VelkData::ComponentCostsValueSlot"),
            describe<VelkData::ComponentCostsValueSlot>());
  EXPECT_EQ(expected("VelkData::CostDatabase"),
            describe<VelkData::CostDatabase>());
  EXPECT_EQ(expected("VelkData::ManufacturingStep"),
            describe<VelkData::ManufacturingStep>());
  EXPECT_EQ(expected("TamberData::Constraint"),
            describe<TamberData::Constraint>());
  EXPECT_EQ(expected("TamberData::PartFeature"),
            describe<TamberData::PartFeature>());
  EXPECT_EQ(expected("TamberData::PartFeatureGroup"),
            describe<TamberData::PartFeatureGroup>());
  EXPECT_EQ(expected("TamberData::PartGeometry"),
            describe<TamberData::PartGeometry>());
  EXPECT_EQ(expected("TamberData::PartGeometryCurve"),
            describe<TamberData::PartGeometryCurve>());
  EXPECT_EQ(expected("TamberData::PartGeometryPatch"),
            describe<TamberData::PartGeometryPatch>());
  EXPECT_EQ(expected("TamberData::ProcessFactoryFeature"),
            describe<TamberData::ProcessFactoryFeature>());
}

TEST(ObjectFrameworkTest, ObjectClassesCarryNoSignalsSlotsOrProperties) {
  const QMetaObject* const metaObjects[] = {
      &VelkData::BaseAssembly::staticMetaObject,
      &VelkData::CostDatabase::staticMetaObject,
      &TamberData::PartFeatureGroup::staticMetaObject,
      &TamberData::PartGeometryCurve::staticMetaObject,
  };
  for (const QMetaObject* meta : metaObjects) {
    SCOPED_TRACE(meta->className());
    EXPECT_EQ(meta->superClass()->methodCount(), meta->methodCount());
    EXPECT_EQ(meta->superClass()->propertyCount(), meta->propertyCount());
    EXPECT_EQ(0, meta->enumeratorCount() - meta->enumeratorOffset());
  }
}

}  // namespace
