#ifndef VELKDATA_EXTERNAL_XOLOCLIENT_H
#define VELKDATA_EXTERNAL_XOLOCLIENT_H

#include <string>
#include <utility>
#include <vector>

#include "external/XoloExceptions.h"

namespace VelkCOM {

// The client of a running forming-simulation session: it answers
// simulation values by name, the stage tags of the press line and the
// measures of a group of recognised features.
//
// There is at most one session per process. The host (or a test) creates
// its session object, usually a subclass that overrides the query members,
// and installs it with `setInstance`; the model finds it through
// `getInstance` and keeps the pointer as a plain, non-owning reference. The
// installer keeps the object alive while it is installed; destroying an
// installed session uninstalls it, so `getInstance` never returns a
// dangling pointer.
//
// The base class itself is a session with no simulation behind it: it knows
// no value, no stage and no feature. Without any installed session the model
// keeps working; formulas that need session values then fail.
class XoloClient {
 public:
  XoloClient();
  virtual ~XoloClient();

  XoloClient(const XoloClient&) = delete;
  XoloClient& operator=(const XoloClient&) = delete;

  // The installed session, or nullptr when none is installed (the state at
  // library load).
  static XoloClient* getInstance();

  // Installs `session` as the process-wide session, replacing any other;
  // nullptr uninstalls. Does not take ownership.
  static void setInstance(XoloClient* session);

  // The value of the simulation variable `name`, spelled as it stands in a
  // formula ("Norix_" prefix included), for press-line stage `stage` (-1
  // when the caller has no stage).
  // Throws NorixNameNotFound when the session does not know the name; the
  // base class knows no name and always throws.
  virtual double GetDataByName(const std::string& name, int stage);

  // The text value of a whole formula text that names session values with
  // the "Norix_" prefix, for press-line stage `stage`.
  // Throws NorixError (or NorixNameNotFound) when the text cannot be
  // answered. The base class throws NorixNameNotFound for the first prefixed
  // name of the text, or for the whole text when it has none.
  virtual std::string GetStringDataByName(const std::string& formula,
                                          int stage);

  // Appends one (stage number, tag text) pair per stage of the press line,
  // in press-line order. Callers pass an empty list. The base class knows no
  // stage and appends nothing.
  virtual void StageTags(std::vector<std::pair<int, std::string>>& tags) const;

  // The circumference, area and maximum diameter of the group formed by the
  // features with simulation ids `fids`. The base class knows no feature
  // and sets all three to 0.0.
  virtual void GetGroupParameter(const std::vector<int>& fids,
                                 double& circumference, double& area,
                                 double& maxDiameter) const;
};

}  // namespace VelkCOM

#endif  // VELKDATA_EXTERNAL_XOLOCLIENT_H
