// Writes the sample database altered to hold three faults that only a
// check finds: two drivers that read each other, an amount formula naming
// a driver that does not exist, and a text that does not compile.
#include <velkdata/velkdata.h>

#include <boost/make_shared.hpp>
#include <iostream>

namespace {

boost::shared_ptr<VelkData::CostDriver> driver(const VelkData::Operation& op,
                                               const std::string& id) {
  for (const auto& d : op.GetAllCostDrivers()) {
    if (d->id() == id) return d;
  }
  return boost::shared_ptr<VelkData::CostDriver>();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velkcost_broken_db FILE\n";
    return 2;
  }
  const auto db = VelkData::buildSampleDatabase();
  const auto trim = db->ProcessDB()->OperationAt(1);
  const auto width = driver(*trim, "DIE_WID");
  const auto height = driver(*trim, "DIE_HGT");
  width->getFormulaContainer()->setFormulaAt(0, "DIE_HGT*2");
  height->getFormulaContainer()->setFormulaAt(0, "DIE_WID/2");
  width->addDependency(height);
  height->addDependency(width);
  db->ProcessDB()
      ->OperationAt(2)
      ->baseAssembly()
      ->AmountFormulaAt(2)
      ->setFormulaAt(0, "NO_SUCH_DRIVER*2");
  auto broken = boost::make_shared<VelkData::CostDriverDouble>("BROKEN");
  broken->getFormulaContainer()->addFormulaString("2*(PART_LENGTH");
  db->AddCostProperty(broken);
  db->ToFile(*db, argv[1]);
  return 0;
}
