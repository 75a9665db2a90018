#ifndef VELKDATA_ESTIMATE_COSTESTIMATE_H
#define VELKDATA_ESTIMATE_COSTESTIMATE_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

namespace VelkData {

class CostDatabase;

// What the dies of one part cost, operation by operation and component by
// component, computed from a cost database and its process plan. The host
// builds an estimate when it needs one; it holds plain values and keeps no
// pointer into the model, so it stays valid when the model changes or is
// dropped. Building it reads the model and never changes it: components
// and surcharge formulas are evaluated on copies.
//
//   CostEstimate estimate(*db);
//   std::cout << estimate.total() << " " << estimate.currency() << "\n";
//   for (const CostEstimate::Issue& issue : estimate.issues())
//     std::cerr << issue.text() << "\n";
//
// The costing rule. All money is in the database's currency; every
// surcharge is read as a fraction added on top of what it applies to
// (0.08 is +8 %).
//
//  1. Components. The operations of the press line are walked in order,
//     empty places skipped. An operation's components are those of its base
//     assembly, each needed `BaseAssembly::AmountAt` times, and those its
//     processing units instantiated, each needed once (a unit's amount
//     formula that fails is reported, since the unit then made none). Omitted and
//     deactivated components are listed and cost nothing. A component
//     object held by several operations (a shared die set) is costed once,
//     in the first operation that holds it; later ones list it as shared.
//  2. Catalogue. A copy of the component, bound to the operation being
//     costed so that the operation's own drivers feed its parameters, is
//     looked up in the component cost catalogue. Every piece the catalogue
//     answers is costed; a component without catalogue entry is a failure.
//  3. Per piece and tool material: amount (volume units) x the material's
//     `CostPerVolumeUnit` x (1 + the material's surcharge).
//     Per piece and manufacturing step: hours x the step's hourly rate x
//     the step's factor for the operation's type (1 when the step has
//     none) x (1 + the step's surcharge). A component's costs are the sums
//     over its pieces times its amount.
//  4. Operation subtotal: (material costs x (1 + the database's general
//     material surcharge) + process costs x (1 + the database's general
//     process surcharge)) x (1 + the sum of the surcharges of the
//     operation's type).
//  5. Total: the sum of the subtotals x (1 + the sum of the total-cost
//     surcharges).
//
// Surcharge formulas read the database's cost properties and, for the
// material, step and operation-type surcharges, the drivers of the
// operation they are applied in (an operation's driver wins over a cost
// property of the same id). Total-cost surcharges read the cost properties
// only.
//
// Nothing is guessed. A value that cannot be computed (an amount, a
// parameter, a piece's amount formula, a step factor, a surcharge, a
// missing catalogue entry) counts as 0, and is reported as an `Issue` with
// its place and reason; the line, the operation and the total then say that
// they are incomplete. A surcharge's user factor is never used in place of
// a failing formula.
class CostEstimate {
 public:
  // A value that could not be computed, and where.
  struct Issue {
    std::string operation;  // label of the operation; "" for the total
    std::string component;  // label of the component; "" when none
    std::string item;       // step, material, parameter or surcharge id
    std::string formula;    // the formula text; "" when there is none
    std::string reason;     // why it failed
    // One line: the non-empty parts of operation, component and item
    // joined by " / ", then ": " and the reason, then, when there is a
    // formula, " in formula \"<text>\"".
    std::string text() const;
  };

  // A surcharge as applied: its value as a fraction and the money it adds.
  struct AppliedSurcharge {
    std::string id;
    std::string label;
    double fraction = 0.0;
    double cost = 0.0;
    bool complete = true;
  };

  // One tool material or manufacturing step of a component, summed over
  // the pieces and multiplied by the component's amount.
  struct CostItem {
    std::string id;
    std::string label;
    // Volume units of the material or hours of the step, over all pieces
    // and the component's amount.
    double quantity = 0.0;
    // Cost per volume unit, or hourly rate.
    double rate = 0.0;
    // The step's factor for the operation type; 1 for materials.
    double factor = 1.0;
    // The material's or step's surcharge as a fraction; 0 without one.
    double surcharge = 0.0;
    // quantity x rate x factor x (1 + surcharge).
    double cost = 0.0;
    bool complete = true;
  };

  struct ComponentEstimate {
    std::string label;
    std::string key;
    // The base assembly's label, or the processing unit's label.
    std::string source;
    int amount = 0;
    // "omitted", "deactivated", "shared with <operation>" or "".
    std::string note;
    int pieces = 0;
    std::vector<CostItem> materials;
    std::vector<CostItem> steps;
    double materialCost = 0.0;
    double processCost = 0.0;
    bool complete = true;
    double cost() const { return materialCost + processCost; }
  };

  struct OperationEstimate {
    std::string label;
    std::string type;
    std::vector<ComponentEstimate> components;
    // Sums over the components, material and step surcharges included.
    double materialCost = 0.0;
    double processCost = 0.0;
    // The money the general material and process surcharges add.
    double generalMaterialSurcharge = 0.0;
    double generalProcessSurcharge = 0.0;
    std::vector<AppliedSurcharge> typeSurcharges;
    double subtotal = 0.0;
    bool complete = true;
  };

  // Computes the estimate of `db`'s press line. A database without process
  // plan gives an estimate without operations whose total is 0 and which
  // reports the missing plan; likewise a missing catalogue is reported once
  // and leaves every component uncosted.
  // Never throws for bad data: every failure becomes an `Issue`.
  explicit CostEstimate(const CostDatabase& db);

  const std::string& currency() const { return currency_; }
  double generalMaterialSurchargeFraction() const { return materialFraction_; }
  double generalProcessSurchargeFraction() const { return processFraction_; }

  const std::vector<OperationEstimate>& operations() const {
    return operations_;
  }
  // The sum of the operation subtotals, before total-cost surcharges.
  double operationsTotal() const { return operationsTotal_; }
  const std::vector<AppliedSurcharge>& totalSurcharges() const {
    return totalSurcharges_;
  }
  double total() const { return total_; }

  // Whether every value could be computed; false exactly when `issues` is
  // not empty.
  bool complete() const { return issues_.empty(); }
  const std::vector<Issue>& issues() const { return issues_; }

 private:
  class Builder;

  std::string currency_;
  double materialFraction_ = 0.0;
  double processFraction_ = 0.0;
  std::vector<OperationEstimate> operations_;
  double operationsTotal_ = 0.0;
  std::vector<AppliedSurcharge> totalSurcharges_;
  double total_ = 0.0;
  std::vector<Issue> issues_;
};

}  // namespace VelkData

#endif  // VELKDATA_ESTIMATE_COSTESTIMATE_H
