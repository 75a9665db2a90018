#ifndef VELKDATA_PROCESSPLAN_FEATUREGROUPFACTORY_H
#define VELKDATA_PROCESSPLAN_FEATUREGROUPFACTORY_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "processplan/PartFeature.h"

namespace VelkCOM {
class XoloClient;
}  // namespace VelkCOM

namespace TamberData {

class PartFeatureGroup;
class ProcessingSequence;

// The registry of feature group types: a default group, one reference
// group per group type with the feature types that a group of that type
// requires, is triggered by and excludes, and a default processing
// sequence per group type. New groups are clones of the reference groups.
// Held by shared pointer by the process database; owns its groups, shares
// the sequences.
//
// Every group of the factory shares one map from group type to simulation
// id. A copy gets clones of the groups, its own id map and the same
// sequences.
class FeatureGroupFactory {
 public:
  // No default group, no reference groups.
  FeatureGroupFactory();
  FeatureGroupFactory(const FeatureGroupFactory& other);
  FeatureGroupFactory& operator=(const FeatureGroupFactory& other);
  virtual ~FeatureGroupFactory();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // Records `xoloId` for `type` and makes a new group of that type and
  // label the default group.
  void setDefaultGroup(const std::string& type, const std::string& label,
                       int xoloId);
  // Records `xoloId` for `type` and adds a reference group of that type,
  // labelled with the type name, matching feature lists that contain every
  // type of `required`, some type of `trigger` and no type of `excluded`
  // (empty names are ignored).
  void addFeatureGroupDefinition(const std::string& type, int xoloId,
                                 const std::vector<std::string>& required,
                                 const std::vector<std::string>& trigger,
                                 const std::vector<std::string>& excluded);

  // Clones (`PartFeatureGroup::clone`) of the default group, of the first
  // reference group of type `type` or of the first whose type id is
  // `xoloId`, given the session `client` (may be null) and measured with
  // it; an empty pointer when there is no such group.
  boost::shared_ptr<PartFeatureGroup> copyDefaultGroup(
      VelkCOM::XoloClient* client) const;
  boost::shared_ptr<PartFeatureGroup> copyReferenceGroup(
      const std::string& type, VelkCOM::XoloClient* client) const;
  boost::shared_ptr<PartFeatureGroup> copyReferenceGroupById(
      int xoloId, VelkCOM::XoloClient* client) const;

  // The number of reference groups and the one at `i` (an empty pointer
  // outside [0, referenceGroupCount())).
  int referenceGroupCount() const;
  boost::shared_ptr<PartFeatureGroup> referenceGroupAt(int i) const;
  // The default group itself; empty until set.
  boost::shared_ptr<PartFeatureGroup> defaultGroup() const {
    return defaultGroup_;
  }
  // The group type to simulation id map shared by the factory's groups.
  boost::shared_ptr<FeatureTypeIDs> typeIDs() const { return typeIDs_; }

  // Stores `sequence` for the first reference group of type `type`;
  // ignored when there is none.
  void setDefaultProcessingSequence(
      const std::string& type,
      const boost::shared_ptr<ProcessingSequence>& sequence);
  // The sequence stored for the first reference group of the type of
  // `group`; an empty pointer when none is stored, no reference group has
  // that type or `group` is empty.
  boost::shared_ptr<ProcessingSequence> defaultProcessingSequence(
      const boost::shared_ptr<PartFeature>& group) const;

  // The types of all reference groups, in order.
  std::vector<std::string> allTypes() const;
  // The types of the reference groups, in order, whose lists match the
  // types of `features`; empty entries of `features` are skipped.
  std::vector<std::string> possibleTypes(
      const std::vector<boost::shared_ptr<PartFeature>>& features) const;
  // The same for the children of `group`; empty for an empty pointer.
  std::vector<std::string> possibleTypes(
      const boost::shared_ptr<PartFeature>& group) const;
  // Whether the type of `group` is among `possibleTypes` (`features`);
  // false for an empty `group`.
  bool mayContain(
      const boost::shared_ptr<PartFeature>& group,
      const std::vector<boost::shared_ptr<PartFeature>>& features) const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  typedef std::vector<std::vector<std::string>> TypeLists;

  // Whether reference group `i` matches feature types `types`.
  bool matches(int i, const std::vector<std::string>& types) const;
  // A clone of `group` measured with `client`; empty for an empty `group`.
  static boost::shared_ptr<PartFeatureGroup> copyOf(
      const boost::shared_ptr<PartFeatureGroup>& group,
      VelkCOM::XoloClient* client);
  void swap(FeatureGroupFactory& other);

  boost::shared_ptr<PartFeatureGroup> defaultGroup_;
  std::vector<boost::shared_ptr<PartFeatureGroup>> groups_;
  TypeLists requiredTypes_;
  TypeLists triggerTypes_;
  TypeLists excludedTypes_;
  std::vector<boost::shared_ptr<ProcessingSequence>> sequences_;
  boost::shared_ptr<FeatureTypeIDs> typeIDs_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_FEATUREGROUPFACTORY_H
