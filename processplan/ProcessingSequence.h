#ifndef VELKDATA_PROCESSPLAN_PROCESSINGSEQUENCE_H
#define VELKDATA_PROCESSPLAN_PROCESSINGSEQUENCE_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace TamberData {

class Component;
class ProcessingUnit;

// An ordered list of processing units that together machine one feature
// type (pre-pierce, then pierce, then flange, say). Held through
// boost::shared_ptr by the process factory's catalogue and the feature
// group factory; a feature gets clones of a catalogue sequence's units.
class ProcessingSequence {
 public:
  // An unnamed, empty sequence, for the archive.
  ProcessingSequence();
  explicit ProcessingSequence(const std::string& label);
  virtual ~ProcessingSequence();

  // Keeps the class polymorphic for the archive; does nothing.
  virtual void virtualDummyFunction();

  // The sequence's name, by which the factory finds it.
  const std::string& Label() const { return label_; }

  int ProcessingUnitCount() const {
    return static_cast<int>(processingUnits_.size());
  }
  // The unit at `i`; an empty pointer when `i` is outside
  // [0, ProcessingUnitCount()).
  boost::shared_ptr<ProcessingUnit> ProcessingUnitAt(int i) const;
  // Appends `unit`; an empty pointer is ignored.
  void AddProcessingUnit(const boost::shared_ptr<ProcessingUnit>& unit);
  // Inserts `unit` before position `i`. An empty `unit`, or `i` outside
  // [0, ProcessingUnitCount()], is ignored.
  void InsertProcessingUnitAt(int i,
                              const boost::shared_ptr<ProcessingUnit>& unit);
  // Replaces the unit at `i`. An empty `unit`, or `i` outside
  // [0, ProcessingUnitCount()), is ignored.
  void SetProcessingUnitAt(int i,
                           const boost::shared_ptr<ProcessingUnit>& unit);
  // Removes the unit at `i`; an `i` outside [0, ProcessingUnitCount()) is
  // ignored.
  void RemoveProcessingUnitAt(int i);

  // The number of components of all units together.
  int ComponentCount() const;
  // Component `i` counted over the components of all units in unit order;
  // an empty pointer when `i` is outside [0, ComponentCount()).
  boost::shared_ptr<Component> ComponentAt(int i) const;

  // A sequence of the same label holding clones of the units, in order
  // (see `ProcessingUnit::clone`; each clone has a new id).
  // Throws the compile errors of a formula that no longer compiles.
  boost::shared_ptr<ProcessingSequence> clone() const;

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  std::string label_;
  std::vector<boost::shared_ptr<ProcessingUnit>> processingUnits_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSINGSEQUENCE_H
