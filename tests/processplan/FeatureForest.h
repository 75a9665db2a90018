#ifndef VELKDATA_TESTS_PROCESSPLAN_FEATUREFOREST_H
#define VELKDATA_TESTS_PROCESSPLAN_FEATUREFOREST_H

// Small feature trees for the iterator tests.

#include <boost/make_shared.hpp>
#include <string>

#include "external/LINEFEATURE.h"
#include "external/PATCHFEATURE.h"
#include "processplan/PartFeatureGroup.h"
#include "processplan/PartGeometryCurve.h"
#include "processplan/PartGeometryPatch.h"

namespace velktest {

inline boost::shared_ptr<TamberData::PartFeatureGroup> makeGroup(
    const std::string& label) {
  return boost::make_shared<TamberData::PartFeatureGroup>(
      "FeatureGroup", boost::shared_ptr<TamberData::FeatureTypeIDs>(),
      boost::shared_ptr<TamberData::ParameterMapping>(), label);
}

inline boost::shared_ptr<TamberData::PartGeometryCurve> makeCurve(
    const std::string& label) {
  VelkUtils::LINEFEATURE record;
  record.setName(label);
  return boost::make_shared<TamberData::PartGeometryCurve>(
      boost::shared_ptr<TamberData::FeatureTypeIDs>(), record);
}

inline boost::shared_ptr<TamberData::PartGeometryPatch> makePatch(
    const std::string& label) {
  VelkUtils::PATCHFEATURE record;
  record.setName(label);
  return boost::make_shared<TamberData::PartGeometryPatch>(
      boost::shared_ptr<TamberData::FeatureTypeIDs>(), record);
}

// The tree
//   a (group): b (curve), c (group): [d (patch), e (curve)], f (curve)
inline boost::shared_ptr<TamberData::PartFeatureGroup> makeSampleTree() {
  boost::shared_ptr<TamberData::PartFeatureGroup> a = makeGroup("a");
  boost::shared_ptr<TamberData::PartFeatureGroup> c = makeGroup("c");
  c->addChild(makePatch("d"));
  c->addChild(makeCurve("e"));
  a->addChild(makeCurve("b"));
  a->addChild(c);
  a->addChild(makeCurve("f"));
  return a;
}

// The labels of the items the iterator visits from `first`, as "a b c".
template <class Iterator>
std::string visited(Iterator& it) {
  std::string text;
  for (it.first(); !it.isDone(); it.next()) {
    text += (text.empty() ? "" : " ") + it.currentItem()->label();
  }
  return text;
}

}  // namespace velktest

#endif  // VELKDATA_TESTS_PROCESSPLAN_FEATUREFOREST_H
