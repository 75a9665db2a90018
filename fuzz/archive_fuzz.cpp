// libFuzzer target for reading cost databases: the input bytes are handed to
// `CostDatabase::FromCharArray` as an archive. Answering false is the
// reader's answer to bad bytes; anything else that leaves it (an exception,
// a crash, a hang, a leak, an allocation beyond the malloc limit) is a
// finding.
//
// When an input is read, the database is written again and the bytes read
// back: a database the reader accepted must survive its own round trip, and
// the second writing must give the same bytes as the first.

#include <QtGlobal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "costdata/CostDatabase.h"

namespace {

// The reader reports every refused archive with qDebug; thousands of such
// lines a second would drown libFuzzer's own output.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

struct Released {
  void operator()(VelkData::CostDatabase::SerializedDB* record) const {
    VelkData::CostDatabase::ReleaseSerializedDB(record);
  }
};

std::string Write(const VelkData::CostDatabase& db) {
  // ToCharArray announces the size on standard output; keep that quiet too.
  std::streambuf* out = std::cout.rdbuf(nullptr);
  std::unique_ptr<VelkData::CostDatabase::SerializedDB, Released> record(
      VelkData::CostDatabase::ToCharArray(db));
  std::cout.rdbuf(out);
  if (!record || record->data == nullptr || record->size <= 0) {
    std::fprintf(stderr, "a database that was read could not be written\n");
    std::abort();
  }
  return std::string(record->data, static_cast<std::size_t>(record->size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qInstallMessageHandler(Quiet);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) return 0;
  std::vector<char> bytes(data, data + size);
  VelkData::CostDatabase db;
  if (!VelkData::CostDatabase::FromCharArray(bytes.data(),
                                              static_cast<int>(size), db))
    return 0;

  std::string first = Write(db);
  VelkData::CostDatabase again;
  if (!VelkData::CostDatabase::FromCharArray(&first[0],
                                              static_cast<int>(first.size()),
                                              again)) {
    std::fprintf(stderr, "a database that was read could not be read back\n");
    std::abort();
  }
  if (Write(again) != first) {
    std::fprintf(stderr, "a database read back was written differently\n");
    std::abort();
  }
  return 0;
}
