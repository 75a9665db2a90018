#ifndef VELKDATA_PROCESSPLAN_PROCESSFACTORYFEATURE_H
#define VELKDATA_PROCESSPLAN_PROCESSFACTORYFEATURE_H

#include <QObject>
#include <boost/shared_ptr.hpp>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "velkdata/TrUtf8.h"

namespace boost {
namespace serialization {
class access;
}  // namespace serialization
}  // namespace boost

namespace TamberData {

class PartFeature;
class ProcessingSequence;
class ProcessingUnit;

// The catalogue of processing sequences per feature type, one list for
// sequences without cam and one for sequences with cam, from which a
// feature gets its default sequence; and the process-wide post numbers.
// Held through boost::shared_ptr by the process database. A QObject for its
// class information only.
class ProcessFactoryFeature : public QObject {
  Q_OBJECT
  VELKDATA_TR_UTF8

 public:
  // The sequences of one feature type, in catalogue order.
  typedef std::vector<boost::shared_ptr<ProcessingSequence>> SequenceList;
  // Feature type name to its sequences.
  typedef std::map<std::string, SequenceList> SequenceCatalogue;

  // Post number counters by name, shared by the whole process and never
  // reset; loading an archive replaces them.
  static std::map<std::string, int> m_featureCount;

  // An empty catalogue.
  ProcessFactoryFeature();
  ~ProcessFactoryFeature() override;

  // Catalogues `sequence` for `type` among the sequences with or without
  // cam: at the front with `asDefault`, which makes it the default, else at
  // the end. An empty `sequence` is ignored.
  void addProcessingSequence(
      const std::string& type, bool withCam,
      const boost::shared_ptr<ProcessingSequence>& sequence, bool asDefault);

  // The sequences of `type`: those without cam, then those with cam. The
  // catalogue entries themselves, not copies. Empty for an unknown type.
  SequenceList processingSequences(const std::string& type) const;

  // A clone of the first sequence of the feature's type with (`withCam`)
  // or without cam, or, when there is none, of the first with the other
  // choice. An empty pointer when the type has no sequence or `feature` is
  // empty.
  // Throws the compile errors of a formula that no longer compiles.
  boost::shared_ptr<ProcessingSequence> defaultProcessingSequence(
      const boost::shared_ptr<PartFeature>& feature, bool withCam) const;
  // As above, choosing with or without cam by `needACam` (direction,
  // tipping); an empty `tipping` stands for the press direction (0, 0, 1).
  boost::shared_ptr<ProcessingSequence> defaultProcessingSequence(
      const boost::shared_ptr<PartFeature>& feature,
      const std::deque<double>& direction,
      const std::vector<double>& tipping) const;

  // The first sequence of `type` (without cam first, then with cam) whose
  // units carry the labels of `units`, position by position and no more;
  // the catalogue entry itself. An empty pointer when none does.
  boost::shared_ptr<ProcessingSequence> processingSequence(
      const std::string& type,
      const std::vector<boost::shared_ptr<ProcessingUnit>>& units) const;
  // The first sequence of `type`, in the same order, labelled `label`; an
  // empty pointer when none is.
  boost::shared_ptr<ProcessingSequence> processingSequence(
      const std::string& type, const std::string& label) const;

  // Whether machining along `direction` in a stage tipped to `tipping`
  // needs a cam: true when the two deviate by 15 to 165 degrees, bounds
  // included. False when either does not have three components or either
  // is the zero vector, since no deviation can be told then.
  static bool needACam(const std::deque<double>& direction,
                       const std::vector<double>& tipping);

  // Whether a deviation of `degrees` between processing direction and
  // tipping vector needs a cam: from 15 to 165 degrees, bounds included.
  // Both cam decisions draw the line here.
  static bool isCamAngle(double degrees) {
    return degrees >= 15.0 && degrees <= 165.0;
  }

  // The dot product of two three-component vectors and the product of their
  // lengths, which both cam decisions turn into an angle.
  // REQUIRES: direction.size() == 3 && tipping.size() == 3
  static void dotAndLengths(const std::deque<double>& direction,
                            const std::vector<double>& tipping, double* dot,
                            double* lengths);
  // The angle in radians whose cosine is dot / lengths. Rounding can push
  // the cosine of (anti)parallel vectors just past 1, where the arc cosine
  // has no value; it is clamped.
  static double angle(double dot, double lengths);

  // The next post number for `name`: 0 the first time a name is asked for
  // in the process, then 1, 2 and so on.
  static int getPostNumber(const std::string& name);

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // Whether `sequence` holds as many units as `units`, labelled alike
  // position by position.
  static bool sequenceContainsUnits(
      const ProcessingSequence& sequence,
      const std::vector<boost::shared_ptr<ProcessingUnit>>& units);
  // The catalogue with or without cam.
  SequenceCatalogue& catalogue(bool withCam) {
    return withCam ? sequencesWithCam_ : sequencesWithoutCam_;
  }
  // The first sequence of `type` in the catalogue with or without cam; an
  // empty pointer when there is none.
  boost::shared_ptr<ProcessingSequence> firstSequence(const std::string& type,
                                                      bool withCam) const;

  SequenceCatalogue sequencesWithoutCam_;
  SequenceCatalogue sequencesWithCam_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_PROCESSFACTORYFEATURE_H
