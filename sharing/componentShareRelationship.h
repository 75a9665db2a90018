#ifndef VELKDATA_SHARING_COMPONENTSHARERELATIONSHIP_H
#define VELKDATA_SHARING_COMPONENTSHARERELATIONSHIP_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace TamberData {
class Component;
}  // namespace TamberData

namespace VelkData {

// Which components of several operations merge into one shared die
// component, and by which rule each parameter of the merged component is
// made from the inputs (see the share constructor of
// `TamberData::Component`). The cost database holds its relationships
// through boost::shared_ptr and archives them.
//
// The relationship shares its components with the rest of the model and
// owns its two integer tables. Two relationships are equal when their
// labels are.
class componentShareRelationship {
 public:
  typedef boost::shared_ptr<TamberData::Component> ComponentPtr;
  typedef std::vector<ComponentPtr> ComponentList;

  // An empty relationship: no label, no components, one merge-table row
  // holding the single entry -1, no merge modes.
  componentShareRelationship();
  // Empty, then `initFakeRelationship(kind, components)`.
  componentShareRelationship(int kind, const ComponentList& components);
  virtual ~componentShareRelationship();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // Turns this relationship into built-in kind 1 ("REL_300_00", keys
  // beginning with "CT_300") or kind 2 ("REL_301_00", "CT_301") over
  // `components`: the inputs are `components`, followed once more by the
  // first of them with the kind's key prefix, which also becomes the shared
  // component (without one, the shared component is left as it was). Unless
  // there are no inputs, the merge table gets one row per input and the
  // merge modes one entry per parameter of the first input; the first seven
  // entries are 0 to 6 in the table and 2, 2, 1, 4, 2, 2, 2 in the modes,
  // further entries 0. A first input with fewer than seven parameters gets
  // only the entries it has. Any other kind changes nothing.
  void initFakeRelationship(int kind, const ComponentList& components);

  // Whether every component of `components` finds an input component with
  // the same component key. An empty list matches.
  bool inputMatch(const ComponentList& components) const;

  // Compares labels only.
  bool operator==(const componentShareRelationship& other) const;

  // Gives `target` this relationship's label, components (shared) and
  // tables (copied). An empty `target` is ignored.
  void copyTo(const boost::shared_ptr<componentShareRelationship>& target) const;
  // A new relationship filled by `copyTo`.
  boost::shared_ptr<componentShareRelationship> clone() const;

  const std::string& getLabel() const { return label; }

  // The fields are public: hosts build relationships field by field and the
  // share constructor of `Component` reads them.
  std::string label;
  ComponentList inputComponents;
  std::vector<std::vector<int>> mergeTable;
  ComponentPtr sharedComponent;
  std::vector<int> mergeModes;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);
};

}  // namespace VelkData

#endif  // VELKDATA_SHARING_COMPONENTSHARERELATIONSHIP_H
