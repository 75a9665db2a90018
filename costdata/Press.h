#ifndef VELKDATA_COSTDATA_PRESS_H
#define VELKDATA_COSTDATA_PRESS_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkUtils {
class Stage;
}

namespace VelkData {

class CostProperty;

// The plain record of a press handed to the forming simulation. Every text
// field points to a NUL-terminated copy on the C heap (malloc); the empty
// text is a one-byte block. The press that built a record owns it.
struct VELKO_PRESSINFO {
  int kind;  // always -2
  char* pressKind;
  char* label;
  int stageCount;
  char* pr03;
  char* pr04;
  char* pr05;
  char* pr06;
  char* pr07;
  char* pr11;
};

// A press of the press line: a label, its stages (entries may be empty) and
// its cost properties. Its characteristic values come from cost drivers with
// fixed identifiers ("CD_PR_02" press kind, "CD_PR_PI" pitch, "CD_ST_.."
// table sizes of stages). A flexible (transfer) press can gain and lose
// stages. Held by shared pointer by operations, the process database and
// the cost database.
//
// Reading a driver's value evaluates its formula; a formula that cannot be
// evaluated throws `NoFormulaResultException` out of the value members.
class Press {
 public:
  Press();
  // Sets the label and, for `stageCount` >= 1, that many empty stage entries.
  Press(const std::string& label, int stageCount);
  // Copies share stages and cost properties; the copy starts without a press
  // record of its own.
  Press(const Press& other);
  // Keeps this press's own record, if any: a host may still be reading it.
  Press& operator=(const Press& other);
  // Frees the last record built by `getVELKOPressInfo`.
  ~Press();

  const std::string& label() const { return label_; }
  void SetPressLabel(const std::string& label) { label_ = label; }

  int stageCount() const { return static_cast<int>(stages_.size()); }
  // The stage at `index`; an empty pointer outside [0, stageCount).
  boost::shared_ptr<VelkUtils::Stage> stageAt(int index) const;
  // Replaces the entry at `index`; ignored outside [0, stageCount).
  void setStageAt(int index, const boost::shared_ptr<VelkUtils::Stage>& stage);
  // Removes the entry at `index`; ignored outside [0, stageCount).
  void removeStageAt(int index);
  std::vector<boost::shared_ptr<VelkUtils::Stage>> stages() const {
    return stages_;
  }

  void addCostProperty(const boost::shared_ptr<CostProperty>& property);
  int costPropertyCount() const {
    return static_cast<int>(costProperties_.size());
  }
  // The property at `index`; an empty pointer outside the list.
  boost::shared_ptr<CostProperty> costPropertyAt(int index) const;

  // True when some "CD_PR_02" driver's value, truncated, is above 9.
  bool isFlexible() const;
  // False for a flexible press; else true when some "CD_PR_02" driver's
  // value, truncated, equals 5.
  bool isBlankingPress() const;

  // The value of the first "CD_PR_PI" driver; 0.0 without one.
  double pitch() const;
  // Gives the "CD_PR_PI" driver the value `pitch`, or adds a new real-valued
  // driver "CD_PR_PI" whose only formula is the number.
  void setPitch(double pitch);

  // Table sizes of the whole press, read from stage 0 ("CD_ST_12",
  // "CD_ST_13", "CD_ST_08"). Only a flexible press has them: 0.0 for any
  // other press, and when stage 0 or the driver is missing.
  double tableLength() const;
  double tableWidth() const;
  double tableHeight() const;
  // Table sizes of stage `index` ("CD_ST_06"; "CD_ST_07", falling back to
  // "CD_ST_13"; "CD_ST_08"). 0.0 when the stage or the driver is missing.
  double tableLength(int index) const;
  double tableWidth(int index) const;
  double tableHeight(int index) const;

  // Flexible presses only (false otherwise): appends a clone of the last
  // stage with stage id 0. A press without stages gains an empty entry; an
  // empty last entry is repeated as an empty entry.
  bool transPressAddStage();
  // Flexible presses only (false otherwise): drops the last stage entry.
  // False when there is none.
  bool transPressRemoveStage();

  // Builds a fresh record from the press's label, stage count and the text
  // values of "CD_PR_02", "CD_PR_03" ... "CD_PR_11"; the previous record is
  // freed. A property that cannot be read is reported on standard output and
  // skipped. The record stays owned by the press, valid until the next call
  // or the press's destruction.
  VELKO_PRESSINFO* getVELKOPressInfo();

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  void freePressInfo();

  std::string label_;
  std::vector<boost::shared_ptr<VelkUtils::Stage>> stages_;
  std::vector<boost::shared_ptr<CostProperty>> costProperties_;
  VELKO_PRESSINFO* pressInfo_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_PRESS_H
