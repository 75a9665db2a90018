#ifndef VELKDATA_PROCESSPLAN_PARTFEATUREGROUP_H
#define VELKDATA_PROCESSPLAN_PARTFEATUREGROUP_H

#include <boost/shared_ptr.hpp>
#include <deque>
#include <string>
#include <vector>

#include "processplan/PartFeature.h"
#include "velkdata/TrUtf8.h"

namespace VelkCOM {
class XoloClient;
}  // namespace VelkCOM

namespace TamberData {

// A group of part features that is machined as one (a row of holes, a
// plunging with its trim curves). The group's processing units replace
// those of its members. Its circumference (also its length), area and
// maximum diameter come from the simulation session over the fids of the
// geometry below it, unless the user fixed them (the user-defined flags).
// Held by shared pointer by its parent, the process database or the
// feature group factory; children are shared, not owned.
class PartFeatureGroup : public PartFeature {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // A group without type, label, children or session; all measures 0.0.
  PartFeatureGroup();
  // A group of type `type` labelled `label`, without children or session;
  // all measures 0.0. An empty `mapping` is replaced by an empty list.
  PartFeatureGroup(const std::string& type,
                   const boost::shared_ptr<FeatureTypeIDs>& typeIDs,
                   const boost::shared_ptr<ParameterMapping>& mapping,
                   const std::string& label);
  ~PartFeatureGroup() override;

  // The stored label.
  std::string label() const override;
  void setLabel(const std::string& label) { label_ = label; }

  // The circumference, also the group's length, and the area.
  double length() const override;
  double area() const override;
  void setLength(double length) override;
  void setArea(double area) override;
  double circumference() const { return circumference_; }
  void setCircumference(double circumference) {
    circumference_ = circumference;
  }
  double maxDiameter() const { return maxDiameter_; }
  void setMaxDiameter(double maxDiameter) { maxDiameter_ = maxDiameter; }

  // A measure whose flag is set was entered by the user and is kept by
  // `updateParameters`.
  bool isUserDefinedCircumference() const { return userDefinedCircumference_; }
  void setUserDefinedCircumferenceFlag(bool flag) {
    userDefinedCircumference_ = flag;
  }
  bool isUserDefinedMaxDiameter() const { return userDefinedMaxDiameter_; }
  void setUserDefinedMaxDiameterFlag(bool flag) {
    userDefinedMaxDiameter_ = flag;
  }

  // The session asked for the measures; null until set. The group does not
  // own it.
  // REQUIRES: `session` outlives the group, or is replaced before it dies.
  VelkCOM::XoloClient* qorSession() const { return session_; }
  void setQorSession(VelkCOM::XoloClient* session) { session_ = session; }

  // True when `other` is a group with as many children, each child of this
  // group having an equal child (`equals`) in the other in any order. Two
  // groups without children are equal.
  bool equals(const boost::shared_ptr<PartFeature>& other) const override;

  // "CIRCUMFERENCE" and "MAXDIAMETER" give those measures; other names as
  // `PartFeature::value`. Throws `ValueNotFoundException` for unknown names.
  double value(const std::string& name) const override;

  // The direction of the child that deviates most from the press direction
  // (0, 0, 1), the first of several equally deviating ones; (0, 0, 1) when
  // no child deviates or there is no child.
  std::deque<double> processingDirection() const override;

  // As `insertChildAt` (index, child, true).
  void insertChildAt(int index,
                     const boost::shared_ptr<PartFeature>& child) override;
  // Makes `child` a member at `index` (appended when `index` is at or
  // beyond the end): the child loses its own processing units, since the
  // group machines it; with `update` the measures are refreshed; then every
  // unit of the group recounts its components (`ProcessingUnit::
  // updateComponentAmounts`) and points them at the group, the unit's part
  // feature. Nothing at all happens when the child is not inserted (empty,
  // negative `index`, equal to a member, or the group itself or a feature
  // that contains it).
  void insertChildAt(int index, const boost::shared_ptr<PartFeature>& child,
                     bool update);
  // As `removeChild` (child, true).
  void removeChild(const boost::shared_ptr<PartFeature>& child) override;
  // Removes that very child; with `update` the measures are refreshed; then
  // the group's units drop the components that machine that child. A
  // feature that is no longer a member (after `removeAllChilds`, say) gets
  // the same refresh and clean-up, so this also tidies up after a bulk
  // removal. Nothing happens for an empty `child`.
  void removeChild(const boost::shared_ptr<PartFeature>& child, bool update);
  // Appends each of `children` (without refreshing), then refreshes the
  // measures once.
  void addChildren(const std::vector<boost::shared_ptr<PartFeature>>& children);

  // Refreshes the measures whose user-defined flag is not set: from the
  // session over the fids of the exported geometry records below the group
  // (curves first); without a session they stay as they are. A group with
  // no geometry below it gets 0.0.
  void updateParameters();

  // A new group of the same type, type ids, parameter mapping and label
  // with this group's children (shared, not copied) and its user-defined
  // measures; no processing units and no session.
  boost::shared_ptr<PartFeatureGroup> clone() const;

  bool isPatchFeature() const override;
  bool isGroup() const override;
  // A group has no fid: always -1.
  int getFID() const override;
  bool checkXoloSync() const override;

  // The angle in radians between `a` and `b`; 0.0 unless both have exactly
  // three components and neither has length 0.
  static double radianAngel(const std::deque<double>& a,
                            const std::deque<double>& b);
  // The Euclidean norm of `v`.
  static double vectorLength(const std::deque<double>& v);

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string label_;
  double area_;
  // Only loading sets it; there is no accessor.
  bool userDefinedArea_;
  double circumference_;
  bool userDefinedCircumference_;
  double maxDiameter_;
  bool userDefinedMaxDiameter_;
  VelkCOM::XoloClient* session_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PARTFEATUREGROUP_H
