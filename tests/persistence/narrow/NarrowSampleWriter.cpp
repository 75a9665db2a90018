// Writes whole databases as archives stored by earlier 32-bit releases: the
// library's own archive code, instantiated here for NarrowOArchive, and for
// the three classes whose layout changed since, their old layouts.
//
// The old layouts are written only by this file and read only by the
// library, so the two do not rest on one reading of them.

#include "NarrowSampleWriter.h"

#include <boost/archive/detail/oserializer.hpp>
#include <boost/serialization/singleton.hpp>
#include <boost/serialization/smart_cast.hpp>
#include <map>
#include <sstream>
#include <string>

#include "NarrowOArchive.h"
#include "costdata/ComponentTestPeer.h"
#include "persistence/CostDataArchive.ipp"
#include "persistence/CostPropertyArchive.ipp"
#include "persistence/ExternalRecordsArchive.ipp"
#include "persistence/ProcessPlanArchive.ipp"
#include "persistence/SampleDatabase.h"

namespace velktest {
namespace {

// Set while one archive is written with the old class versions.
bool writeOldVersions = false;

class OldVersionsScope {
 public:
  explicit OldVersionsScope(bool old) { writeOldVersions = old; }
  ~OldVersionsScope() { writeOldVersions = false; }
  OldVersionsScope(const OldVersionsScope&) = delete;
  OldVersionsScope& operator=(const OldVersionsScope&) = delete;
};

void saveOldLayout(NarrowOArchive& archive, const VelkData::CostDatabase& db) {
  VelkData::CostDatabaseTestPeer::saveVersionTwo(archive, db);
}

void saveOldLayout(NarrowOArchive& archive,
                   const VelkData::Operation& operation) {
  VelkData::OperationTestPeer::saveVersionTwo(archive, operation);
}

void saveOldLayout(NarrowOArchive& archive,
                   const TamberData::Component& component) {
  TamberData::ComponentTestPeer::saveVersionTwo(archive, component);
}

// Boost's serializer of one class for NarrowOArchive, except that the
// version written and the fields depend on the archive being written.
template <class Class>
class SwitchingSerializer : public boost::archive::detail::basic_oserializer {
 public:
  SwitchingSerializer()
      : basic_oserializer(
            boost::serialization::singleton<
                typename boost::serialization::type_info_implementation<
                    Class>::type>::get_const_instance()) {}

  void save_object_data(boost::archive::detail::basic_oarchive& ar,
                        const void* x) const override {
    NarrowOArchive& archive =
        boost::serialization::smart_cast_reference<NarrowOArchive&>(ar);
    Class& object = *static_cast<Class*>(const_cast<void*>(x));
    if (writeOldVersions) {
      saveOldLayout(archive, object);
    } else {
      boost::serialization::serialize_adl(archive, object, version());
    }
  }
  bool class_info() const override {
    return boost::serialization::implementation_level<Class>::value >=
           boost::serialization::object_class_info;
  }
  bool tracking(const unsigned int) const override {
    typedef boost::serialization::tracking_level<Class> Level;
    return Level::value == boost::serialization::track_always ||
           (Level::value == boost::serialization::track_selectively &&
            serialized_as_pointer());
  }
  boost::archive::version_type version() const override {
    return boost::archive::version_type(
        writeOldVersions ? 2 : boost::serialization::version<Class>::value);
  }
  bool is_polymorphic() const override {
    return boost::is_polymorphic<Class>::value;
  }
};

}  // namespace
}  // namespace velktest

// Boost asks a class's serializer for the version to write and for the
// object's fields; for these three classes the answers depend on the
// archive being written.
namespace boost {
namespace archive {
namespace detail {

template <>
class oserializer<velktest::NarrowOArchive, VelkData::CostDatabase>
    : public velktest::SwitchingSerializer<VelkData::CostDatabase> {};
template <>
class oserializer<velktest::NarrowOArchive, VelkData::Operation>
    : public velktest::SwitchingSerializer<VelkData::Operation> {};
template <>
class oserializer<velktest::NarrowOArchive, TamberData::Component>
    : public velktest::SwitchingSerializer<TamberData::Component> {};

}  // namespace detail
}  // namespace archive
}  // namespace boost

namespace VelkData {

template <class Archive>
void CostDatabaseTestPeer::saveVersionTwo(Archive& archive,
                                          const CostDatabase& db) {
  archive << db.id_;
  archive << db.materialCostSurcharge_;
  archive << db.processCostSurcharge_;
  archive << db.currency_;
  std::map<std::string, double> conversions;
  for (const auto& entry : db.unitConversions_) {
    conversions[archive_detail::toArchiveText(entry.first)] = entry.second;
  }
  archive << conversions;
  archive << db.information_;
  archive << db.toolMaterials_;
  archive << db.priceUnits_;
  archive << db.componentCostFactory_;
  archive_detail::saveInRecordOrder(archive, db.materialSurcharges_);
  archive << db.baseAssemblies_;
  archive << db.manufacturingSteps_;
  archive << db.operationTypeSurcharges_;
  archive << db.totalCostSurcharges_;
  archive_detail::saveInRecordOrder(archive, db.manufacturingStepSurcharges_);
  archive << db.costProperties_;
  archive << db.opTypKeys_;
  archive << db.processDB_;
  archive << db.presses_;
}

template <class Archive>
void OperationTestPeer::saveVersionTwo(Archive& archive,
                                       const Operation& operation) {
  archive << operation.label_;
  archive << operation.type_;
  archive << operation.baseAssembly_;
  archive << operation.costDrivers_;
  archive << operation.length_;
  archive << operation.width_;
  archive << operation.height_;
  archive << operation.shouldBeEmpty_;
  archive << operation.stage_;
}

}  // namespace VelkData

namespace TamberData {

template <class Archive>
void ComponentTestPeer::saveVersionTwo(Archive& archive,
                                       const Component& component) {
  archive << component.label_;
  archive << component.roundingRules_;
  archive << component.parameters_;
  archive << component.standardLimits_;
  const boost::shared_ptr<VelkData::Operation> operation =
      component.operation();
  archive << operation;
  VelkData::archive_detail::saveWeak(archive, component.partFeature_);
  VelkData::archive_detail::saveWeak(archive,
                                     component.relatedProcessingUnits_);
  archive << component.componentKey_;
  archive << component.state_;
  archive << component.noDBMatch_;
}

}  // namespace TamberData

namespace velktest {
namespace {

// What the library registers for its own archives when it loads: the
// classes that are written through a pointer to a base.
template <class... Classes>
void registerExportedClasses() {
  (static_cast<void>(boost::serialization::singleton<
                     boost::archive::detail::pointer_oserializer<
                         NarrowOArchive, Classes>>::get_const_instance()),
   ...);
}

}  // namespace

std::string narrowArchiveBytes(const VelkData::CostDatabase& db,
                               unsigned int libraryVersion,
                               ClassVersions versions) {
  registerExportedClasses<
      VelkData::FormulaContainer, VelkData::CostProperty, VelkData::CostDriver,
      VelkData::CostDriverBool, VelkData::CostDriverDouble,
      VelkData::CostDriverEnum, VelkData::CostDriverInt,
      VelkData::CostDriverIntRange, VelkData::CostPropertyString,
      VelkData::componentShareRelationship, TamberData::PartFeatureGroup,
      TamberData::PartGeometry, TamberData::PartGeometryCurve,
      TamberData::PartGeometryPatch, VelkUtils::DrawingStage>();
  OldVersionsScope scope(versions == ClassVersions::kOld);
  std::ostringstream out;
  {
    NarrowOArchive archive(out, libraryVersion);
    archive << db;
  }
  return out.str();
}

}  // namespace velktest
