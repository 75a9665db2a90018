#ifndef VELKDATA_PERSISTENCE_ARCHIVETRAITS_H
#define VELKDATA_PERSISTENCE_ARCHIVETRAITS_H

// The archive form of the model's classes as Boost.Serialization sees it:
// class versions, export keys, the implementation level of primitive
// collections and the free serialization of the records of the utilities
// library. Every source that writes or reads model objects includes this
// header, so that all of them agree on the traits.

#include <QString>
#include <boost/archive/archive_exception.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/archive/detail/helper_collection.hpp>
#include <boost/serialization/access.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/deque.hpp>
#include <boost/serialization/export.hpp>
#include <boost/serialization/level.hpp>
#include <boost/serialization/list.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>
#include <boost/weak_ptr.hpp>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "costdata/Operation.h"
#include "persistence/CheckedIArchive.h"
#include "persistence/LoadKeepAlive.h"

class Formula;

namespace VelkUtils {
class Stage;
class DrawingStage;
class LINEFEATURE;
class PATCHFEATURE;

// The utilities library's records are not ours to change; they are written
// through their accessors and public fields. Defined in
// persistence/ExternalRecordsArchive.ipp.
template <class Archive>
void serialize(Archive& archive, Stage& stage, const unsigned int version);
template <class Archive>
void serialize(Archive& archive, DrawingStage& stage,
               const unsigned int version);
template <class Archive>
void serialize(Archive& archive, LINEFEATURE& record,
               const unsigned int version);
template <class Archive>
void serialize(Archive& archive, PATCHFEATURE& record,
               const unsigned int version);
}  // namespace VelkUtils

namespace VelkData {

class BaseAssembly;
class ComponentCostFactory;
class ComponentCostValueRange;
class ComponentCostsValueSlot;
class ComponentCost;
class CostDatabase;
class CostDriver;
class CostDriverBool;
class CostDriverDouble;
class CostDriverEnum;
class CostDriverInt;
class CostDriverIntRange;
class CostProperty;
class CostPropertyString;
class FormulaContainer;
class ManufacturingStep;
class Press;
class PriceUnit;
class Surcharge;
class ToolMaterial;
class componentShareRelationship;

// A tool dimension is a plain record of three shared pointers. Defined in
// persistence/CostDataArchive.ipp.
template <class Archive>
void serialize(Archive& archive, Operation::Triplet& triplet,
               const unsigned int version);

namespace archive_detail {

// Qt texts cross the archive as Latin-1 bytes, as earlier releases wrote
// them: "mm²" is the three bytes 6D 6D B2, not the UTF-8 of Qt 5's
// `toStdString`.
inline std::string toArchiveText(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
inline QString fromArchiveText(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<int>(text.size()));
}

// Writes an enumeration as its 32-bit number; on reading, a number outside
// [`first`, `last`] is refused, since casting it into the enumeration would
// give the object a value its code does not expect.
template <class Archive, class Enum>
void archiveEnum(Archive& archive, Enum& value, int first, int last) {
  std::int32_t number = static_cast<std::int32_t>(value);
  archive& number;
  if (Archive::is_loading::value) {
    if (number < first || number > last) {
      throw boost::archive::archive_exception(
          boost::archive::archive_exception::input_stream_error,
          "enumeration value out of range");
    }
    value = static_cast<Enum>(number);
  }
}

// A stored formula text compiled for the object being read. All formulas
// of one archive go through one cache that the archive keeps: a database
// repeats few texts many times, and compiling each distinct text once keeps
// reading it in step with its size. Throws what compiling the text throws.
// Defined in persistence/StoredFormula.cpp.
boost::shared_ptr<Formula> compileStoredFormula(
    boost::archive::detail::helper_collection& archive,
    const std::string& text);

// Orders records by identifier, then label; empty pointers first. Records
// alike in both fall back to their addresses.
template <class Record>
struct RecordOrder {
  bool operator()(const boost::shared_ptr<Record>& a,
                  const boost::shared_ptr<Record>& b) const {
    if (!a || !b) return !a && b;
    if (a->id() != b->id()) return a->id() < b->id();
    if (a->label() != b->label()) return a->label() < b->label();
    return a.get() < b.get();
  }
};

// Writes a map keyed by records in record order rather than in the map's
// own order. Such maps iterate in address order, which differs from run to
// run; the archive keeps Boost's map form (its reader takes any order), and
// the bytes of an unchanged database stay the same.
template <class Archive, class Record, class Value>
void saveInRecordOrder(Archive& archive,
                       const std::map<boost::shared_ptr<Record>, Value>& map) {
  const std::map<boost::shared_ptr<Record>, Value, RecordOrder<Record>> ordered(
      map.begin(), map.end());
  archive << ordered;
}

// A weakly held member crosses the archive in the form of a shared pointer,
// so that archives stay the same bytes whether the member is held weakly or
// not. On reading, the object is parked with the database being read (see
// `LoadKeepAlive`), since the archive may hold no other owner of it.
template <class Archive, class T>
void saveWeak(Archive& archive, const boost::weak_ptr<T>& member) {
  const boost::shared_ptr<T> held = member.lock();
  archive << held;
}
template <class Archive, class T>
void loadWeak(Archive& archive, boost::weak_ptr<T>& member) {
  boost::shared_ptr<T> held;
  archive >> held;
  LoadKeepAlive::keep(held);
  member = held;
}
template <class Archive, class T>
void saveWeak(Archive& archive,
              const std::vector<boost::weak_ptr<T>>& members) {
  std::vector<boost::shared_ptr<T>> held;
  held.reserve(members.size());
  for (const boost::weak_ptr<T>& member : members) {
    held.push_back(member.lock());
  }
  archive << held;
}
template <class Archive, class T>
void loadWeak(Archive& archive, std::vector<boost::weak_ptr<T>>& members) {
  std::vector<boost::shared_ptr<T>> held;
  archive >> held;
  members.assign(held.begin(), held.end());
  for (const boost::shared_ptr<T>& object : held) LoadKeepAlive::keep(object);
}
// Either of the two above, for members read and written by one function.
template <class Archive, class Member>
void archiveWeak(Archive& archive, Member& member) {
  if constexpr (Archive::is_saving::value) {
    saveWeak(archive, member);
  } else {
    loadWeak(archive, member);
  }
}

}  // namespace archive_detail
}  // namespace VelkData

namespace TamberData {
class Component;
class Constraint;
class FeatureDefinition;
class FeatureGroupFactory;
class FeatureParameterFactory;
class FeatureTypeFactory;
class ParameterDefinition;
class PartFeature;
class PartFeatureGroup;
class PartGeometry;
class PartGeometryCurve;
class PartGeometryPatch;
class ProcessDatabase;
class ProcessFactoryFeature;
class ProcessingSequence;
class ProcessingUnit;
}  // namespace TamberData

// Class versions; every class not named here is version 0.
BOOST_CLASS_VERSION(VelkData::CostDatabase, 3)
BOOST_CLASS_VERSION(VelkData::Operation, 3)
BOOST_CLASS_VERSION(TamberData::Component, 4)
BOOST_CLASS_VERSION(VelkData::CostProperty, 2)
BOOST_CLASS_VERSION(VelkData::BaseAssembly, 1)
BOOST_CLASS_VERSION(VelkData::Surcharge, 1)
BOOST_CLASS_VERSION(VelkData::componentShareRelationship, 1)

// Collections of primitives (std::vector of int, float, double or bool and
// std::deque<double>) carry no class information: Boost's collection
// traits already make them object_serializable.

// The names under which the archive records the dynamic type of objects
// written through a pointer to a base; registered in
// persistence/ClassExports.cpp.
BOOST_CLASS_EXPORT_KEY2(VelkData::FormulaContainer, "FormulaContainer")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostProperty, "CostProperty")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriver, "CostDriver")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriverBool, "CostDriverBool")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriverDouble, "CostDriverDouble")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriverEnum, "CostDriverEnum")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriverInt, "CostDriverInt")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostDriverIntRange, "CostDriverIntRange")
BOOST_CLASS_EXPORT_KEY2(VelkData::CostPropertyString, "CostPropertyString")
BOOST_CLASS_EXPORT_KEY2(VelkData::componentShareRelationship,
                        "componentShareRelationship")
BOOST_CLASS_EXPORT_KEY2(TamberData::PartFeatureGroup, "PartFeatureGroup")
BOOST_CLASS_EXPORT_KEY2(TamberData::PartGeometry, "PartGeometry")
BOOST_CLASS_EXPORT_KEY2(TamberData::PartGeometryCurve, "PartGeometryCurve")
BOOST_CLASS_EXPORT_KEY2(TamberData::PartGeometryPatch, "PartGeometryPatch")
BOOST_CLASS_EXPORT_KEY2(VelkUtils::DrawingStage, "DrawingStage")

// Instantiates a class's archive member for the writer and the reader.
#define VELKDATA_ARCHIVE_INSTANTIATE(Class)                        \
  template void Class::serialize<boost::archive::binary_oarchive>( \
      boost::archive::binary_oarchive&, const unsigned int);       \
  template void Class::serialize<VelkData::CheckedIArchive>(       \
      VelkData::CheckedIArchive&, const unsigned int);

#endif  // VELKDATA_PERSISTENCE_ARCHIVETRAITS_H
