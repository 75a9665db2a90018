#ifndef VELKDATA_PROCESSPLAN_FEATURETYPEFACTORY_H
#define VELKDATA_PROCESSPLAN_FEATURETYPEFACTORY_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

#include "processplan/PartFeature.h"

namespace VelkUtils {
class LINEFEATURE;
class PATCHFEATURE;
}  // namespace VelkUtils

namespace TamberData {

class FeatureDefinition;
class PartGeometryCurve;
class PartGeometryPatch;

// Turns a recogniser's raw code plus the measured parameters of a curve or
// patch into a feature type name, from definitions the application
// configures, and keeps the display labels and simulation ids of the
// feature types in use. Held by shared pointer by the process database;
// owns its definitions. A copy is independent of the original: definitions,
// labels and id maps are all copied.
//
// Lookups that find nothing answer "Undetermined", "" or -1; nothing here
// throws except `PartFeature::value` during a refinement (see there).
class FeatureTypeFactory {
 public:
  // Selects a definition list.
  enum FeatureEnum {
    Patch = 0,
    Curve = 1,
  };

  // No definitions or labels; only the recogniser-code maps are filled.
  FeatureTypeFactory();
  FeatureTypeFactory(const FeatureTypeFactory& other);
  FeatureTypeFactory& operator=(const FeatureTypeFactory& other);
  virtual ~FeatureTypeFactory();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // Appends the condition `min` <= `name` < `max` to the definition of
  // `type` in the list `which`, creating the definition at the end of the
  // list when the type has none yet.
  void addParameter(FeatureEnum which, const std::string& type,
                    const std::string& name, double min, double max);
  // As above with the condition `name` == `value`.
  void addParameter(FeatureEnum which, const std::string& type,
                    const std::string& name, double value);

  // The number of definitions in the list `which`, and the one at `i`
  // (null outside [0, definitionCount(which))).
  int definitionCount(FeatureEnum which) const;
  const FeatureDefinition* definitionAt(FeatureEnum which, int i) const;

  // Registers `type` as a patch type (`isPatch`) or a curve type with its
  // display label and simulation id.
  void setFeatureTypeLabel(const std::string& type, const std::string& label,
                           int xoloId, bool isPatch);
  // The curve label of `type`, else its patch label, else "".
  std::string label(const std::string& type) const;
  // The first type, curve types before patch types and each in name order,
  // labelled `label`; "Undetermined" when none is.
  std::string type(const std::string& label) const;
  // All curve / patch labels in the order of their type names.
  std::vector<std::string> lineLabels() const;
  std::vector<std::string> patchLabels() const;
  // Whether `type` is registered as a curve / patch type.
  bool isCurveFeature(const std::string& type) const;
  bool isPatchFeature(const std::string& type) const;
  // `FeatureType::getXoloFeatureID` (`type`): -1 for a name outside the
  // fixed table.
  int getXoloFeatureID(const std::string& type) const;

  // The type name to simulation id maps of the registered curve / patch
  // types, shared with the features that are given them.
  boost::shared_ptr<FeatureTypeIDs> curveFeatureTypeIDs() const {
    return curveFeatureTypeIDs_;
  }
  boost::shared_ptr<FeatureTypeIDs> patchFeatureTypeIDs() const {
    return patchFeatureTypeIDs_;
  }

  // The type a patch recogniser code stands for; "Undetermined" for an
  // unknown code.
  std::string patchCodeType(int code) const;
  // The recogniser code of a patch type; -1 for a type without one.
  int patchTypeCode(const std::string& type) const;

  // Classifies `curve` by the recogniser code of `record`: 12 is
  // "OuterBoundary", 13 and 16 "BlankBoundary", 22 "TrimCurveSegment";
  // other codes ask the curve definitions and, when none fits, fall back to
  // 8 "HoleRound", 9 "HoleRect", 10 "HoleLong", 11 "HoleSpecial". A result
  // other than "Undetermined" becomes the curve's type; otherwise the curve
  // keeps its type. An empty `curve` is ignored.
  // Throws `ValueNotFoundException` when a definition names a parameter
  // the curve does not know.
  void refineFeatureType(const boost::shared_ptr<PartGeometryCurve>& curve,
                         const VelkUtils::LINEFEATURE& record) const;
  // Classifies `patch` by the patch definitions, which see an undetermined
  // patch with the type its recogniser code stands for; when none fits,
  // that type is the result. A result other than "Undetermined" becomes the
  // patch's type, replacing any earlier one. An empty `patch` is ignored.
  // Throws `ValueNotFoundException` when a definition names a parameter
  // the patch does not know.
  void refineFeatureType(const boost::shared_ptr<PartGeometryPatch>& patch,
                         const VelkUtils::PATCHFEATURE& record) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  typedef std::vector<FeatureDefinition*> Definitions;

  // The type of the first definition whose conditions `feature` meets:
  // some condition holds for every parameter name the definition names.
  // "Undetermined" when none does; a definition without conditions never
  // matches.
  static std::string checkDefinition(const Definitions& definitions,
                                     const PartFeature& feature);
  Definitions& definitions(FeatureEnum which);
  const Definitions& definitions(FeatureEnum which) const;
  FeatureDefinition& definitionFor(FeatureEnum which, const std::string& type);
  static void copyDefinitions(const Definitions& from, Definitions& to);
  static void clearDefinitions(Definitions& definitions);
  void swap(FeatureTypeFactory& other);

  Definitions patchDefinitions_;
  Definitions curveDefinitions_;
  std::map<int, std::string> patchCodeTypes_;
  std::map<std::string, int> patchTypeCodes_;
  std::map<std::string, std::string> patchLabels_;
  boost::shared_ptr<FeatureTypeIDs> patchFeatureTypeIDs_;
  std::map<std::string, std::string> curveLabels_;
  boost::shared_ptr<FeatureTypeIDs> curveFeatureTypeIDs_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_FEATURETYPEFACTORY_H
