#ifndef VELKDATA_COSTDATA_SURCHARGE_H
#define VELKDATA_COSTDATA_SURCHARGE_H

#include <boost/shared_ptr.hpp>
#include <string>

namespace boost {
namespace serialization {
class access;
}
}  // namespace boost

namespace VelkData {

class FormulaContainer;
class Operation;

// A named formula whose value the cost calculation adds as a surcharge.
// The formula is formula 0 of a `FormulaContainer` and may read the cost
// drivers of an operation. When it cannot be evaluated, the user factor
// stands in for it. The cost database holds the surcharges (per operation
// type, per manufacturing step, per material and on the total cost).
//
// The container is shared: by copies, by clones and by whoever handed it
// in, so a formula set through one of them is the formula of all.
//
// A surcharge built by the default constructor has no container until the
// archive supplies one. Until then it reads as having no formula:
// `getFormulaString` and `detailedRecentFormulaString` answer "" and
// `doubleValue` the user factor. `setFormulaString` and `setOperation`
// give it a new container of its own.
class Surcharge {
 public:
  // For the archive: empty identifier, user factor 1, no container.
  Surcharge();
  // User factor 1, empty label; `formulas` is shared, not copied.
  Surcharge(const std::string& id,
            const boost::shared_ptr<FormulaContainer>& formulas);
  virtual ~Surcharge();

  const std::string& id() const { return id_; }
  void setId(const std::string& id) { id_ = id; }
  const std::string& label() const { return label_; }
  void setLabel(const std::string& label) { label_ = label; }

  // The value `doubleValue` answers when the formula fails; stored in single
  // precision. 1 unless set.
  double userfactor() const { return userfactor_; }
  void setUserfactor(double factor) {
    userfactor_ = static_cast<float>(factor);
  }

  // Makes `text` the surcharge formula: replaces formula 0 of the container
  // and leaves any further (alternative) formulas in place, or adds it as
  // the first formula of an empty container. The empty text changes
  // nothing. Throws the container's compile errors (`SyntaxError`,
  // `TooManyArgumentsError`); the formula is then unchanged.
  void setFormulaString(const std::string& text);

  // The text of formula 0; "" when there is no formula.
  std::string getFormulaString() const;

  // How the value came about (`FormulaContainer::detailedRecentFormula`),
  // after the container has printed its dependencies to standard output.
  // "" without a container.
  std::string detailedRecentFormulaString() const;

  // The value of the formula; 0 for a container without formula. When the
  // formula cannot be evaluated, one debug line names the formula, the
  // surcharge and the failure, and the user factor is returned. Without a
  // container the user factor is returned silently.
  double doubleValue() const;

  // Binds the formula to the cost drivers of `operation`: the container
  // forgets all its dependencies and then depends on every driver of the
  // operation, in the operation's order. The operation is not kept. An
  // empty pointer only removes the dependencies.
  void setOperation(const boost::shared_ptr<Operation>& operation);

  // A new surcharge with the same identifier, label and user factor that
  // shares (does not copy) this surcharge's container.
  boost::shared_ptr<Surcharge> clone() const;

  // Keeps the class polymorphic for the archive.
  virtual void virtualDummyFunction();

  // Surcharges are the same surcharge when their identifiers are equal.
  bool operator==(const Surcharge& other) const { return id_ == other.id_; }
  bool operator!=(const Surcharge& other) const { return !(*this == other); }

 private:
  friend class boost::serialization::access;
  // Defined with the archive code in persistence/.
  template <class Archive>
  void serialize(Archive& archive, const unsigned int version);

  // The container; an empty pointer for a surcharge not yet read from the
  // archive.
  boost::shared_ptr<FormulaContainer> formulas() const { return formulas_; }
  // The container, made first if there is none yet.
  FormulaContainer& ensureFormulas();

  std::string id_;
  std::string label_;
  float userfactor_;
  boost::shared_ptr<FormulaContainer> formulas_;
};

}  // namespace VelkData

#endif  // VELKDATA_COSTDATA_SURCHARGE_H
