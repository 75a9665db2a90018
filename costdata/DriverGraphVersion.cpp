#include "costdata/DriverGraphVersion.h"

namespace VelkData {

unsigned long long DriverGraphVersion::version_ = 1;

}  // namespace VelkData
